// Drawing a result series over the chart's axes.
#include "shell/point_series.h"

#include <QChart>
#include <QFontMetricsF>
#include <QPainter>
#include <QValueAxis>
#include <algorithm>

namespace {
constexpr int MarksPixelSize = 10;
constexpr qreal MarkGap = 2;  // between a marker's top and its mark
}  // namespace

TPointSeries::TPointSeries(QChart* chart, QValueAxis* axisX, QValueAxis* axisY)
    : QGraphicsObject(chart),
      chart_(chart),
      axisX_(axisX),
      axisY_(axisY),
      marksFont_(QStringLiteral("Arial")) {
  marksFont_.setPixelSize(MarksPixelSize);
  setZValue(10);  // over the axes
  connect(chart_, &QChart::geometryChanged, this, [this] { prepareGeometryChange(); });
  connect(chart_, &QChart::plotAreaChanged, this, [this] { update(); });
  connect(axisX_, &QValueAxis::rangeChanged, this, [this] { update(); });
  connect(axisY_, &QValueAxis::rangeChanged, this, [this] { update(); });
}

void TPointSeries::SetPoints(QList<QPointF> points, QStringList valueTexts, QStringList nameTexts) {
  points_ = std::move(points);
  values_ = std::move(valueTexts);
  names_ = std::move(nameTexts);
  update();
}

void TPointSeries::SetMarkers(const QColor& fill, const QColor& outline, qreal size) {
  fill_ = fill;
  outline_ = outline;
  markerSize_ = size;
  update();
}

void TPointSeries::SetLinePen(const QPen& pen) {
  linePen_ = pen;
  update();
}

void TPointSeries::SetActive(bool active) {
  active_ = active;
  update();
}

void TPointSeries::SetMarksShown(bool shown) {
  marksShown_ = shown;
  update();
}

void TPointSeries::SetUseNames(bool useNames) {
  useNames_ = useNames;
  update();
}

QPointF TPointSeries::Position(const QPointF& point) const {
  const QRectF area = chart_->plotArea();
  const double spanX = axisX_->max() - axisX_->min();
  const double spanY = axisY_->max() - axisY_->min();
  return {area.left() + (spanX > 0 ? (point.x() - axisX_->min()) / spanX * area.width() : 0),
          area.bottom() - (spanY > 0 ? (point.y() - axisY_->min()) / spanY * area.height() : 0)};
}

QRectF TPointSeries::boundingRect() const { return chart_->rect(); }

void TPointSeries::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
  if (!active_ || points_.isEmpty()) return;
  QList<QPointF> at;
  at.reserve(points_.size());
  for (const QPointF& point : points_) at.append(Position(point));

  painter->save();
  painter->setRenderHint(QPainter::Antialiasing);
  painter->setClipRect(
      chart_->plotArea().adjusted(-markerSize_, -markerSize_, markerSize_, markerSize_));
  if (linePen_.style() != Qt::NoPen) {
    painter->setPen(linePen_);
    painter->drawPolyline(at.constData(), int(at.size()));
  }
  painter->setPen(QPen(outline_, 1));
  painter->setBrush(fill_);
  const qreal radius = markerSize_ / 2;
  for (const QPointF& centre : at) painter->drawEllipse(centre, radius, radius);

  if (marksShown_) {
    const QStringList& texts = MarkTexts();
    const QFontMetricsF metrics(marksFont_);
    const qreal lift = radius + MarkGap + metrics.descent();
    painter->setClipRect(chart_->rect());
    painter->setFont(marksFont_);
    painter->setPen(Qt::black);
    const QRectF area = chart_->plotArea();
    const qsizetype count = std::min(at.size(), texts.size());
    for (qsizetype i = 0; i < count; ++i) {
      if (!area.contains(at[i])) continue;
      const QString& text = texts[i];
      painter->drawText(QPointF(at[i].x() - metrics.horizontalAdvance(text) / 2, at[i].y() - lift),
                        text);
    }
  }
  painter->restore();
}
