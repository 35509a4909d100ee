// Drawing a series' point marks over the chart.
#include "shell/point_marks.h"

#include <QChart>
#include <QFontMetricsF>
#include <QPainter>
#include <QXYSeries>

namespace {
constexpr int MarksPixelSize = 10;
constexpr qreal MarkGap = 2;  // between the marker's top and the text
}

TPointMarks::TPointMarks(QChart* chart, QXYSeries* series)
    : QGraphicsObject(chart), chart_(chart), series_(series), font_(QStringLiteral("Arial")) {
  font_.setPixelSize(MarksPixelSize);
  setZValue(100);  // over the series
  setVisible(false);
  connect(chart_, &QChart::geometryChanged, this, [this] { prepareGeometryChange(); });
  connect(chart_, &QChart::plotAreaChanged, this, [this] { update(); });
  connect(series_, &QXYSeries::pointsReplaced, this, [this] { update(); });
  connect(series_, &QXYSeries::visibleChanged, this, [this] { update(); });
}

void TPointMarks::SetTexts(QStringList valueTexts, QStringList nameTexts) {
  values_ = std::move(valueTexts);
  names_ = std::move(nameTexts);
  update();
}

void TPointMarks::SetUseNames(bool useNames) {
  useNames_ = useNames;
  update();
}

void TPointMarks::SetShown(bool shown) {
  shown_ = shown;
  setVisible(shown);
}

QRectF TPointMarks::boundingRect() const { return chart_->rect(); }

void TPointMarks::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
  if (!series_->isVisible()) return;
  const QStringList& texts = Texts();
  const QList<QPointF> points = series_->points();
  const QRectF area = chart_->plotArea();
  const QFontMetricsF metrics(font_);
  const qreal lift = series_->markerSize() / 2 + MarkGap + metrics.descent();
  painter->setFont(font_);
  painter->setPen(Qt::black);
  painter->setClipRect(chart_->rect());
  const qsizetype count = std::min(points.size(), texts.size());
  for (qsizetype i = 0; i < count; ++i) {
    const QPointF at = chart_->mapToPosition(points[i], series_);
    if (!area.contains(at)) continue;
    const QString& text = texts[i];
    painter->drawText(QPointF(at.x() - metrics.horizontalAdvance(text) / 2, at.y() - lift), text);
  }
}
