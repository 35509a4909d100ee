// TFigureDrawing: one plot's scene with the reader's choices (view, labels,
// titles, font, selection), drawn by QPainter alone. The desktop's canvas
// shows it, the files, the clipboard and the printer take it, and the
// command line draws with it: the same figure everywhere.
#pragma once

#include <QFont>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <vector>

#include "drawing/figure_scene.h"
#include "drawing/figure_source.h"
#include "figures/axis_ticks.h"

namespace talvex::drawing {

/// What one drawing put where (device pixels of its painter).
struct TDrawnFigure {
  QRectF plot;  // the plot area
  talvex::TRange x;
  talvex::TRange y;
  struct TLabel {
    int item = -1;  // index into the scene's items; -1 for an arrow's or a number's
    QString text;
    QRectF box;
    bool leader = false;
    QPointF leaderFrom;  // on the marker's rim
    QPointF leaderTo;    // on the label's box
  };
  std::vector<TLabel> labels;
  QRectF legend;  // empty without a legend
  /// The titles as drawn: each one's lines, the room each line had, and
  /// whether a line had to be shortened with an ellipsis.
  struct TTitle {
    QStringList lines;
    double room = 0.0;
    double widest = 0.0;  // the widest line as measured
    bool elided = false;
  };
  TTitle title;
  TTitle xTitle;
  TTitle yTitle;
};

class TFigureDrawing : public TFigureSource {
 public:
  /// Shows `scene`; with `keepView` the zoom and pan stay, otherwise the
  /// view is the scene's own. The selection is kept when the scene has the
  /// same items.
  void SetScene(TFigureScene scene, bool keepView);
  const TFigureScene& Scene() const noexcept { return scene_; }

  /// Every point labelled, or only the selected ones and those the plot
  /// singles out.
  void SetLabelAll(bool all) { labelAll_ = all; }
  bool LabelAll() const noexcept { return labelAll_; }

  /// The user's own title texts; empty texts give the scene's.
  void SetTitles(const QString& title, const QString& xTitle, const QString& yTitle);
  QString Title() const;
  QString XTitle() const;
  QString YTitle() const;
  /// The font size of the axis texts in points (the title is 2 points larger).
  void SetFontSize(double points);
  double FontSize() const noexcept { return fontSize_; }

  /// The view asked for: the scene's own ranges (with room for the markers
  /// at the edges) until the user zooms or pans.
  talvex::TRange ViewX() const noexcept { return viewX_; }
  talvex::TRange ViewY() const noexcept { return viewY_; }
  bool HomeView() const noexcept { return home_; }
  /// False (nothing changed) for an empty range.
  bool SetView(talvex::TRange x, talvex::TRange y);
  void ResetView();

  const std::vector<int>& Selection() const noexcept { return selection_; }
  void ToggleSelection(int item);
  bool ClearSelection();

  /// The font of the figure's texts: the same family wherever it is drawn,
  /// so that a file from the command line matches the desktop's.
  static QFont FigureFont(double points);

  /// Draws the whole figure into `area`; `onScreen` lets many markers be
  /// stamped from one picture (the same look, faster).
  TDrawnFigure Draw(QPainter& painter, const QRectF& area, bool onScreen) const;
  void DrawFigure(QPainter& painter, const QRectF& area) const override;

 private:
  struct TLayout;
  TLayout Arrange(QPainter& painter, const QRectF& area) const;
  /// The layout with room for a legend beside the plot (its width) or
  /// under it (its height); 0: none.
  void ArrangeOnce(QPainter& painter, TLayout& layout, double legendWidth,
                   double legendBelow) const;
  void DrawContent(QPainter& painter, const TLayout& layout, bool onScreen) const;
  void DrawAxes(QPainter& painter, const TLayout& layout) const;
  void DrawLabels(QPainter& painter, const TLayout& layout, TDrawnFigure& drawn) const;
  void DrawLegend(QPainter& painter, const TLayout& layout) const;

  TFigureScene scene_;
  talvex::TRange viewX_;
  talvex::TRange viewY_;
  bool home_ = true;
  bool labelAll_ = false;
  QString title_;
  QString xTitle_;
  QString yTitle_;
  double fontSize_ = 9.0;
  std::vector<int> selection_;
};

}  // namespace talvex::drawing
