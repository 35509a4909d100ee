// TPlotView: the report window's chart, the three result plots drawn with Qt
// Charts. It holds the series and their marks for the window's lifetime and
// draws what it is given; reading the results is the report window's work.
#pragma once

#include <QChartView>
#include <QList>
#include <QPointF>
#include <QStringList>

class QValueAxis;
class TPointSeries;

/// Which plot the chart shows (kept by the chart as the last plot shown).
enum class PlotKind { ScoresPlot = 0, VectorsPlot = 1, ScreePlot = 2 };

class TPlotView : public QChartView {
  Q_OBJECT

 public:
  explicit TPlotView(QWidget* parent = nullptr);

  PlotKind Kind() const noexcept { return kind_; }
  void SetKind(PlotKind kind) noexcept { kind_ = kind; }

  /// Fills the scores (ScoresPlot) or vector-coefficients (VectorsPlot)
  /// series with `points` in order, makes it the only active series and sets
  /// the titles. `names` label the points when marks show names.
  void ShowScatter(PlotKind kind, const QList<QPointF>& points, const QStringList& names,
                   const QString& xTitle, const QString& yTitle, const QString& title);
  /// Fills the eigenvalue line with `points` ((k, eigenvalue k)) and makes it
  /// the only active series, with its titles.
  void ShowScree(const QList<QPointF>& points);

  /// The series that `kind` shows: Series1 (scores), Series2 (vector
  /// coefficients), Series3 (eigenvalues).
  TPointSeries& Series(PlotKind kind) const;
  QValueAxis* AxisX() const noexcept { return axisX_; }
  QValueAxis* AxisY() const noexcept { return axisY_; }

  /// Marks of the scatter plots show the points' names instead of X values.
  void SetMarksUseNames(bool useNames);

  /// The chart as shown on screen, same size, white background.
  QImage RenderBitmap();
  /// Draws the chart into `target` of `painter`, scaled to fit with its
  /// proportions kept (for printing and vector files).
  void RenderInto(QPainter& painter, const QRectF& target);

 private:
  void SetScatterRange(const QList<QPointF>& points);
  void SetScreeRange(const QList<QPointF>& points);

  PlotKind kind_ = PlotKind::ScoresPlot;
  QValueAxis* axisX_;
  QValueAxis* axisY_;
  TPointSeries* scores_;
  TPointSeries* vectors_;
  TPointSeries* scree_;
};
