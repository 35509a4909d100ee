// The result plots on a Qt chart.
#include "shell/plot_view.h"

#include <QChart>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QPainter>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "shell/plot_text.h"
#include "shell/point_series.h"

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

  setChart(chart);
  setRenderHint(QPainter::Antialiasing);
  setBackgroundBrush(Qt::white);

  scores_ = new TPointSeries(chart, axisX_, axisY_);
  scores_->SetMarkers(ScoresColour, ScoresColour, ScatterMarkerSize);
  vectors_ = new TPointSeries(chart, axisX_, axisY_);
  vectors_->SetMarkers(VectorsColour, VectorsColour, ScatterMarkerSize);
  scree_ = new TPointSeries(chart, axisX_, axisY_);
  scree_->SetMarkers(Qt::white, EigenvaluesColour, ScreeMarkerSize);
  scree_->SetLinePen(QPen(ScreeLineColour, 1));
  // The scree plot always carries its component numbers.
  scree_->SetMarksShown(true);
}

TPointSeries& TPlotView::Series(PlotKind kind) const {
  switch (kind) {
    case PlotKind::ScoresPlot:
      return *scores_;
    case PlotKind::VectorsPlot:
      return *vectors_;
    case PlotKind::ScreePlot:
      break;
  }
  return *scree_;
}

void TPlotView::SetMarksUseNames(bool useNames) {
  scores_->SetUseNames(useNames);
  vectors_->SetUseNames(useNames);
}

void TPlotView::ShowScatter(PlotKind kind, const QList<QPointF>& points, const QStringList& names,
                            const QString& xTitle, const QString& yTitle, const QString& title) {
  TPointSeries& shown = Series(kind == PlotKind::VectorsPlot ? kind : PlotKind::ScoresPlot);
  for (TPointSeries* series : {scores_, vectors_, scree_})
    if (series != &shown) series->SetActive(false);
  shown.SetPoints(points, ValueTexts(points), names);
  SetScatterRange(points);
  axisX_->setTitleText(xTitle);
  axisY_->setTitleText(yTitle);
  chart()->setTitle(title);
  shown.SetActive(true);
}

void TPlotView::ShowScree(const QList<QPointF>& points) {
  scores_->SetActive(false);
  vectors_->SetActive(false);
  const QStringList texts = ValueTexts(points);
  scree_->SetPoints(points, texts, texts);
  SetScreeRange(points);
  axisX_->setTitleText(QStringLiteral("Number of Eigenvalues"));
  axisY_->setTitleText(QStringLiteral("Values"));
  chart()->setTitle(QStringLiteral("Plot of Eigenvalues"));
  scree_->SetActive(true);
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
  const auto [minX, maxX] =
      std::minmax_element(points.begin(), points.end(),
                          [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
  const auto [minY, maxY] =
      std::minmax_element(points.begin(), points.end(),
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
