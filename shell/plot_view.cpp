// The result plots on a Qt chart.
#include "shell/plot_view.h"

#include <QChart>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QLineSeries>
#include <QPainter>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "shell/plot_text.h"
#include "shell/point_marks.h"

namespace {

const QColor ScoresColour(0, 0, 255);
const QColor VectorsColour(255, 0, 0);
const QColor EigenvaluesColour(0, 128, 0);
const QColor ScreeLineColour(0, 0, 255);
constexpr qreal ScatterMarkerSize = 8;
constexpr qreal ScreeMarkerSize = 9;
constexpr int TitlePixelSize = 11;
constexpr int AxisTitlePixelSize = 11;
constexpr int AxisLabelPixelSize = 10;
// More than this many component numbers on the scree plot's axis would
// crowd; the step then grows 1, 2, 5, 10, ...
constexpr int MaxScreeTicks = 12;

QFont ArialPixels(int pixels) {
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(pixels);
  return font;
}

void StyleAxis(QValueAxis& axis) {
  axis.setLinePen(QPen(Qt::black, 1));
  axis.setGridLineVisible(false);
  axis.setMinorGridLineVisible(false);
  axis.setMinorTickCount(0);
  axis.setLabelsFont(ArialPixels(AxisLabelPixelSize));
  axis.setLabelsColor(Qt::black);
  axis.setTitleFont(ArialPixels(AxisTitlePixelSize));
  axis.setTitleBrush(Qt::black);
}

QScatterSeries* NewScatter(const QColor& fill, const QColor& outline, qreal size) {
  auto* series = new QScatterSeries;
  series->setMarkerShape(QScatterSeries::MarkerShapeCircle);
  series->setMarkerSize(size);
  series->setColor(fill);
  series->setBorderColor(outline);
  series->setPen(QPen(outline, 1));
  return series;
}

QStringList ValueTexts(const QList<QPointF>& points) {
  QStringList texts;
  texts.reserve(points.size());
  for (const QPointF& point : points) texts.append(MarkValueText(point.x()));
  return texts;
}

// 1, 2, 5, 10, 20, 50, ... : the smallest such step that keeps at most
// MaxScreeTicks numbers on an axis of `count` components.
int ScreeTickStep(int count) {
  for (int decade = 1;; decade *= 10)
    for (const int factor : {1, 2, 5})
      if (count / (factor * decade) <= MaxScreeTicks) return factor * decade;
}

}  // namespace

TPlotView::TPlotView(QWidget* parent) : QChartView(parent) {
  auto* chart = new QChart;
  chart->setBackgroundBrush(Qt::white);
  chart->setBackgroundRoundness(0);
  chart->setDropShadowEnabled(false);
  chart->legend()->hide();
  chart->setTitleFont(ArialPixels(TitlePixelSize));
  chart->setTitleBrush(Qt::black);
  chart->setMargins(QMargins(4, 4, 12, 4));
  chart->layout()->setContentsMargins(0, 0, 0, 0);

  axisX_ = new QValueAxis;
  axisY_ = new QValueAxis;
  StyleAxis(*axisX_);
  StyleAxis(*axisY_);
  chart->addAxis(axisX_, Qt::AlignBottom);
  chart->addAxis(axisY_, Qt::AlignLeft);

  scores_ = NewScatter(ScoresColour, ScoresColour, ScatterMarkerSize);
  vectors_ = NewScatter(VectorsColour, VectorsColour, ScatterMarkerSize);
  scree_ = new QLineSeries;
  scree_->setPen(QPen(ScreeLineColour, 1));
  screeMarkers_ = NewScatter(Qt::white, EigenvaluesColour, ScreeMarkerSize);
  for (QXYSeries* series : std::initializer_list<QXYSeries*>{scores_, vectors_, scree_, screeMarkers_}) {
    chart->addSeries(series);
    series->attachAxis(axisX_);
    series->attachAxis(axisY_);
    series->setVisible(false);
  }
  setChart(chart);
  setRenderHint(QPainter::Antialiasing);
  setBackgroundBrush(Qt::white);

  scoresMarks_ = new TPointMarks(chart, scores_);
  vectorsMarks_ = new TPointMarks(chart, vectors_);
  screeMarks_ = new TPointMarks(chart, screeMarkers_);
  // The scree plot always carries its component numbers.
  screeMarks_->SetShown(true);
}

TPointMarks& TPlotView::Marks(PlotKind kind) const {
  switch (kind) {
    case PlotKind::ScoresPlot: return *scoresMarks_;
    case PlotKind::VectorsPlot: return *vectorsMarks_;
    case PlotKind::ScreePlot: break;
  }
  return *screeMarks_;
}

void TPlotView::SetMarksUseNames(bool useNames) {
  scoresMarks_->SetUseNames(useNames);
  vectorsMarks_->SetUseNames(useNames);
}

void TPlotView::ShowScatter(PlotKind kind, const QList<QPointF>& points, const QStringList& names,
                            const QString& xTitle, const QString& yTitle, const QString& title) {
  QScatterSeries* shown = kind == PlotKind::VectorsPlot ? vectors_ : scores_;
  for (QXYSeries* series : std::initializer_list<QXYSeries*>{scores_, vectors_, scree_, screeMarkers_})
    if (series != shown) series->setVisible(false);
  shown->replace(points);
  Marks(kind).SetTexts(ValueTexts(points), names);
  SetScatterRange(points);
  axisX_->setTitleText(xTitle);
  axisY_->setTitleText(yTitle);
  chart()->setTitle(title);
  shown->setVisible(true);
}

void TPlotView::ShowScree(const QList<QPointF>& points) {
  scores_->setVisible(false);
  vectors_->setVisible(false);
  scree_->replace(points);
  screeMarkers_->replace(points);
  const QStringList texts = ValueTexts(points);
  screeMarks_->SetTexts(texts, texts);
  SetScreeRange(points);
  axisX_->setTitleText(QStringLiteral("Number of Eigenvalues"));
  axisY_->setTitleText(QStringLiteral("Values"));
  chart()->setTitle(QStringLiteral("Plot of Eigenvalues"));
  scree_->setVisible(true);
  screeMarkers_->setVisible(true);
}

void TPlotView::SetScatterRange(const QList<QPointF>& points) {
  axisX_->setTickType(QValueAxis::TicksFixed);
  axisY_->setTickType(QValueAxis::TicksFixed);
  axisX_->setLabelFormat(QString());
  axisY_->setLabelFormat(QString());
  const auto fit = [](QValueAxis& axis, double low, double high) {
    const double span = high - low;
    const double pad = span > 0 ? span * 0.05 : (low != 0 ? std::fabs(low) * 0.1 : 1.0);
    axis.setRange(low - pad, high + pad);
    axis.applyNiceNumbers();
  };
  if (points.isEmpty()) {
    fit(*axisX_, -1, 1);
    fit(*axisY_, -1, 1);
    return;
  }
  const auto [minX, maxX] = std::minmax_element(points.begin(), points.end(),
      [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
  const auto [minY, maxY] = std::minmax_element(points.begin(), points.end(),
      [](const QPointF& a, const QPointF& b) { return a.y() < b.y(); });
  fit(*axisX_, minX->x(), maxX->x());
  fit(*axisY_, minY->y(), maxY->y());
}

void TPlotView::SetScreeRange(const QList<QPointF>& points) {
  const int count = int(points.size());
  axisX_->setTickType(QValueAxis::TicksDynamic);
  axisX_->setTickAnchor(0);
  axisX_->setTickInterval(ScreeTickStep(std::max(count, 1)));
  axisX_->setLabelFormat(QStringLiteral("%d"));
  axisX_->setRange(0, count + 1);

  // Eigenvalues from zero up, with room above the largest for its mark.
  double low = 0;
  double high = 0;
  for (const QPointF& point : points) {
    low = std::min(low, point.y());
    high = std::max(high, point.y());
  }
  axisY_->setTickType(QValueAxis::TicksFixed);
  axisY_->setLabelFormat(QString());
  axisY_->setRange(low, high > low ? high * 1.1 : low + 1);
  axisY_->applyNiceNumbers();
}

QImage TPlotView::RenderBitmap() {
  QImage image(size(), QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  render(&painter);
  return image;
}

void TPlotView::RenderInto(QPainter& painter, const QRectF& target) {
  scene()->render(&painter, target, chart()->geometry(), Qt::KeepAspectRatio);
}
