// TPlotCanvas: shows a plot's drawing (TFigureDrawing) and lets the user
// explore it: wheel zoom about the pointer, drag to pan, Reset View, the
// hovered point's or arrow's name, group and values, and a click that
// selects (and labels) a point. The same drawing serves the files and the
// printer (TFigureSource).
#pragma once

#include <QWidget>
#include <vector>

#include "drawing/figure_drawing.h"
#include "drawing/figure_scene.h"
#include "drawing/figure_source.h"
#include "figures/axis_ticks.h"

namespace talvex::desktop {

class TPlotCanvas : public QWidget, public drawing::TFigureSource {
  Q_OBJECT

 public:
  explicit TPlotCanvas(QWidget* parent = nullptr);

  /// Shows `scene`. With `keepView` the zoom and pan stay (the same plot
  /// redrawn with other marks); otherwise the view is the scene's own.
  /// The selection is kept when the scene has the same items.
  void SetScene(drawing::TFigureScene scene, bool keepView);
  const drawing::TFigureScene& Scene() const noexcept { return drawing_.Scene(); }
  /// What the window, the files and the printer draw.
  const drawing::TFigureDrawing& Drawing() const noexcept { return drawing_; }

  /// Every point labelled (labels that would overlap are left out), or only
  /// the selected ones.
  void SetLabelAll(bool all);
  bool LabelAll() const noexcept { return drawing_.LabelAll(); }

  /// The user's own title texts; empty texts give the scene's.
  void SetTitles(const QString& title, const QString& xTitle, const QString& yTitle);
  QString Title() const;
  QString XTitle() const;
  QString YTitle() const;
  /// The font size of the axis texts in points (the title is 2 points larger).
  void SetFontSize(double points);
  double FontSize() const noexcept { return drawing_.FontSize(); }

  /// The view: the data ranges asked for (the equal-aspect plots widen one
  /// of them to fit the window's shape when drawn).
  talvex::TRange ViewX() const noexcept { return drawing_.ViewX(); }
  talvex::TRange ViewY() const noexcept { return drawing_.ViewY(); }
  void SetView(talvex::TRange x, talvex::TRange y);
  void ResetView();
  /// Zooms by `factor` (> 1 magnifies) about the widget point `at`.
  void ZoomAt(QPointF at, double factor);
  /// Moves the view by a widget-pixel distance.
  void PanBy(QPointF pixels);

  /// Selected items (indices into the scene's items); a selected item is
  /// always labelled.
  const std::vector<int>& Selection() const noexcept { return drawing_.Selection(); }
  void ToggleSelection(int item);
  void ClearSelection();

  /// The item under the widget point `at` (within a few pixels), or -1.
  int ItemAt(QPointF at) const;
  /// The text shown when the pointer rests on `item`.
  QString HoverText(int item) const;
  /// The text shown when the pointer rests at `at`: the nearest point's or
  /// arrow head's (the variable's name), or nothing.
  QString HoverTextAt(QPointF at) const;
  /// The labels shown in the last drawing, with their places (widget pixels).
  struct TShownLabel {
    int item;
    QRectF box;
  };
  const std::vector<TShownLabel>& ShownLabels() const noexcept { return shownLabels_; }
  /// The plot area of the last drawing and its ranges as drawn.
  QRectF PlotArea() const noexcept { return drawn_.plot; }
  talvex::TRange DrawnX() const noexcept { return drawn_.x; }
  talvex::TRange DrawnY() const noexcept { return drawn_.y; }
  /// Where a data point stands in the last drawing (widget pixels).
  QPointF ToPixels(QPointF data) const;

  void DrawFigure(QPainter& painter, const QRectF& area) const override;
  /// The last drawing on screen.
  const drawing::TDrawnFigure& Drawn() const noexcept { return drawn_; }

 signals:
  void SelectionChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  drawing::TFigureDrawing drawing_;
  // Of the last drawing on screen, for the mouse.
  drawing::TDrawnFigure drawn_;
  std::vector<TShownLabel> shownLabels_;

  QPointF pressAt_;
  QPointF lastDragAt_;
  bool pressed_ = false;
  bool dragged_ = false;
};

}  // namespace talvex::desktop
