// The plot canvas: layout, drawing and the mouse.
#include "shell/figure_canvas.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "figures/label_placement.h"

namespace {

// Sizes in points (1/72 inch), converted for each device.
constexpr double OuterMargin = 6.0;
constexpr double TickLength = 4.0;
constexpr double TextGap = 3.0;
constexpr double ArrowHead = 7.0;
constexpr double ErrorBarCap = 3.0;
constexpr double LegendSwatch = 16.0;
// How close (widget pixels) the pointer must come to a point to hover or select it.
constexpr double PickRadius = 6.0;
// A press that moves less than this (widget pixels) is a click, not a drag.
constexpr double DragThreshold = 3.0;
// Wheel zoom per notch (120 units).
constexpr double ZoomPerNotch = 1.2;
// From this many points on, the screen stamps a pre-drawn marker instead of
// drawing each one: the same picture, many times faster.
constexpr std::size_t StampFrom = 1000;

double PixelsPerPoint(const QPainter& painter) {
  const QPaintDevice* device = painter.device();
  return device ? device->logicalDpiX() / 72.0 : 96.0 / 72.0;
}

QPolygonF MarkerPolygon(talvex::TMarkerShape shape, double r) {
  const double h = r * std::sqrt(3.0) / 2.0;
  switch (shape) {
    case talvex::TMarkerShape::Square:
      return QPolygonF({{-r * 0.85, -r * 0.85},
                        {r * 0.85, -r * 0.85},
                        {r * 0.85, r * 0.85},
                        {-r * 0.85, r * 0.85}});
    case talvex::TMarkerShape::TriangleUp:
      return QPolygonF({{0, -r}, {h, r / 2}, {-h, r / 2}});
    case talvex::TMarkerShape::TriangleDown:
      return QPolygonF({{0, r}, {h, -r / 2}, {-h, -r / 2}});
    case talvex::TMarkerShape::Diamond:
      return QPolygonF({{0, -r}, {r, 0}, {0, r}, {-r, 0}});
    case talvex::TMarkerShape::Star: {
      QPolygonF star;
      for (int i = 0; i < 10; ++i) {
        const double radius = i % 2 == 0 ? r * 1.1 : r * 0.45;
        const double angle = -M_PI / 2 + i * M_PI / 5;
        star << QPointF(radius * std::cos(angle), radius * std::sin(angle));
      }
      return star;
    }
    default:
      return QPolygonF();
  }
}

// One marker centred on `at`, radius `r` device pixels, with the painter's
// pen and brush (the open shapes use only the pen).
void DrawMarker(QPainter& painter, talvex::TMarkerShape shape, QPointF at, double r) {
  switch (shape) {
    case talvex::TMarkerShape::Circle:
      painter.drawEllipse(at, r, r);
      return;
    case talvex::TMarkerShape::Cross:
      painter.drawLine(at + QPointF(-r, -r), at + QPointF(r, r));
      painter.drawLine(at + QPointF(-r, r), at + QPointF(r, -r));
      return;
    case talvex::TMarkerShape::Plus:
      painter.drawLine(at + QPointF(-r, 0), at + QPointF(r, 0));
      painter.drawLine(at + QPointF(0, -r), at + QPointF(0, r));
      return;
    default:
      painter.drawPolygon(MarkerPolygon(shape, r).translated(at));
  }
}

QPen MarkerPen(const TScenePointSet& set, double ppt) {
  const bool open =
      set.shape == talvex::TMarkerShape::Cross || set.shape == talvex::TMarkerShape::Plus;
  return QPen(set.outline, (open ? 1.6 : 0.8) * ppt);
}

// Ticks on [low, high] about `target` in number; component numbers only as
// whole numbers.
talvex::TTicks AxisTicks(const talvex::TRange& range, int target, bool integers) {
  talvex::TTicks ticks = talvex::NiceTicks(range.low, range.high, target);
  if (integers && ticks.step < 1.0) {
    ticks.step = 1.0;
    ticks.values.clear();
    for (double v = std::ceil(range.low); v <= range.high; v += 1.0) ticks.values.push_back(v);
  }
  return ticks;
}

}  // namespace

struct TFigureCanvas::TLayout {
  double ppt = 1.0;  // device pixels per point
  QFont font;
  QFont titleFont;
  QRectF area;
  QRectF plot;
  talvex::TRange x;
  talvex::TRange y;
  talvex::TTicks xTicks;
  talvex::TTicks yTicks;
  QRectF titleBox;
  QRectF xTitleBox;
  QRectF yTitleBox;  // before rotation: its width runs along the axis

  QPointF Map(QPointF data) const {
    const double sx = x.high > x.low ? (data.x() - x.low) / (x.high - x.low) : 0.5;
    const double sy = y.high > y.low ? (data.y() - y.low) / (y.high - y.low) : 0.5;
    return QPointF(plot.left() + sx * plot.width(), plot.bottom() - sy * plot.height());
  }
  double ScaleX(double dx) const { return dx / (x.high - x.low) * plot.width(); }
  double ScaleY(double dy) const { return dy / (y.high - y.low) * plot.height(); }
};

TFigureCanvas::TFigureCanvas(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(200, 150);
}

void TFigureCanvas::SetScene(TFigureScene scene, bool keepView) {
  if (scene.items.size() != scene_.items.size()) selection_.clear();
  scene_ = std::move(scene);
  if (!keepView) {
    viewX_ = scene_.xRange;
    viewY_ = scene_.yRange;
  }
  update();
}

void TFigureCanvas::SetLabelAll(bool all) {
  labelAll_ = all;
  update();
}

void TFigureCanvas::SetTitles(const QString& title, const QString& xTitle, const QString& yTitle) {
  title_ = title;
  xTitle_ = xTitle;
  yTitle_ = yTitle;
  update();
}

QString TFigureCanvas::Title() const { return title_.isEmpty() ? scene_.title : title_; }
QString TFigureCanvas::XTitle() const { return xTitle_.isEmpty() ? scene_.xTitle : xTitle_; }
QString TFigureCanvas::YTitle() const { return yTitle_.isEmpty() ? scene_.yTitle : yTitle_; }

void TFigureCanvas::SetFontSize(double points) {
  fontSize_ = std::clamp(points, 4.0, 48.0);
  update();
}

void TFigureCanvas::SetView(talvex::TRange x, talvex::TRange y) {
  if (!(x.high > x.low) || !(y.high > y.low)) return;
  viewX_ = x;
  viewY_ = y;
  update();
}

void TFigureCanvas::ResetView() { SetView(scene_.xRange, scene_.yRange); }

void TFigureCanvas::ZoomAt(QPointF at, double factor) {
  if (!(factor > 0) || plotArea_.isEmpty()) return;
  // The data point under the pointer stays where it is.
  const double fx = (at.x() - plotArea_.left()) / plotArea_.width();
  const double fy = (plotArea_.bottom() - at.y()) / plotArea_.height();
  const double cx = drawnX_.low + fx * (drawnX_.high - drawnX_.low);
  const double cy = drawnY_.low + fy * (drawnY_.high - drawnY_.low);
  auto scaled = [factor](const talvex::TRange& r, double c) {
    return talvex::TRange{c - (c - r.low) / factor, c + (r.high - c) / factor};
  };
  SetView(scaled(drawnX_, cx), scaled(drawnY_, cy));
}

void TFigureCanvas::PanBy(QPointF pixels) {
  if (plotArea_.isEmpty()) return;
  const double dx = pixels.x() / plotArea_.width() * (drawnX_.high - drawnX_.low);
  const double dy = pixels.y() / plotArea_.height() * (drawnY_.high - drawnY_.low);
  SetView({drawnX_.low - dx, drawnX_.high - dx}, {drawnY_.low + dy, drawnY_.high + dy});
}

void TFigureCanvas::ToggleSelection(int item) {
  if (item < 0 || std::size_t(item) >= scene_.items.size()) return;
  const auto found = std::find(selection_.begin(), selection_.end(), item);
  if (found == selection_.end())
    selection_.push_back(item);
  else
    selection_.erase(found);
  update();
  emit SelectionChanged();
}

void TFigureCanvas::ClearSelection() {
  if (selection_.empty()) return;
  selection_.clear();
  update();
  emit SelectionChanged();
}

QPointF TFigureCanvas::ToPixels(QPointF data) const {
  TLayout layout;
  layout.plot = plotArea_;
  layout.x = drawnX_;
  layout.y = drawnY_;
  return layout.Map(data);
}

int TFigureCanvas::ItemAt(QPointF at) const {
  if (plotArea_.isEmpty() || !plotArea_.contains(at)) return -1;
  int best = -1;
  double bestDistance = PickRadius * PickRadius;
  for (std::size_t i = 0; i < scene_.items.size(); ++i) {
    const QPointF p = ToPixels(scene_.items[i].at) - at;
    const double d = p.x() * p.x() + p.y() * p.y();
    if (d <= bestDistance) {
      bestDistance = d;
      best = int(i);
    }
  }
  return best;
}

QString TFigureCanvas::HoverText(int item) const {
  if (item < 0 || std::size_t(item) >= scene_.items.size()) return QString();
  const TSceneItem& it = scene_.items[std::size_t(item)];
  QString text = it.name;
  if (!it.group.isEmpty()) text += QStringLiteral(" (%1)").arg(it.group);
  if (!it.details.isEmpty()) text += QLatin1Char('\n') + it.details;
  return text;
}

TFigureCanvas::TLayout TFigureCanvas::Arrange(QPainter& painter, const QRectF& area) const {
  TLayout layout;
  layout.ppt = PixelsPerPoint(painter);
  layout.area = area;
  layout.font = QFont(painter.font().family());
  layout.font.setPointSizeF(fontSize_);
  layout.titleFont = layout.font;
  layout.titleFont.setPointSizeF(fontSize_ + 2);
  layout.titleFont.setBold(true);
  const double ppt = layout.ppt;
  const QFontMetricsF metrics(layout.font, painter.device());
  const QFontMetricsF titleMetrics(layout.titleFont, painter.device());

  const double margin = OuterMargin * ppt;
  const double gap = TextGap * ppt;
  const double top = area.top() + margin + (Title().isEmpty() ? 0 : titleMetrics.height() + gap);
  const double bottom = area.bottom() - margin - metrics.height() - gap - TickLength * ppt -
                        (XTitle().isEmpty() ? 0 : metrics.height() + gap);
  // The widest tick label decides the left margin; it depends on the y
  // range, which for equal aspect depends on the plot's size: two passes.
  double left = area.left() + margin + metrics.height() + gap + metrics.horizontalAdvance("-0.00") +
                TickLength * ppt + gap;
  const double right = area.right() - margin - metrics.horizontalAdvance("00") / 2;
  for (int pass = 0; pass < 2; ++pass) {
    layout.plot = QRectF(QPointF(left, top), QPointF(right, bottom));
    if (layout.plot.width() < 10 || layout.plot.height() < 10)
      layout.plot = QRectF(area.center(), QSizeF(10, 10));
    layout.x = viewX_;
    layout.y = viewY_;
    if (scene_.equalAspect)
      talvex::EqualAspect(layout.x, layout.y, layout.plot.width(), layout.plot.height());
    const int xTarget = std::clamp(int(layout.plot.width() / (60 * ppt)), 3, 12);
    const int yTarget = std::clamp(int(layout.plot.height() / (36 * ppt)), 3, 12);
    layout.xTicks = AxisTicks(layout.x, xTarget, scene_.integerTicksX);
    layout.yTicks = AxisTicks(layout.y, yTarget, false);
    double widest = 0;
    for (double v : layout.yTicks.values)
      widest = std::max(widest, metrics.horizontalAdvance(QString::fromStdString(
                                    talvex::TickLabel(v, layout.yTicks.step))));
    left = area.left() + margin + (YTitle().isEmpty() ? 0 : metrics.height() + gap) + widest + gap +
           TickLength * ppt;
  }
  layout.titleBox = QRectF(area.left(), area.top() + margin, area.width(), titleMetrics.height());
  layout.xTitleBox = QRectF(layout.plot.left(), area.bottom() - margin - metrics.height(),
                            layout.plot.width(), metrics.height());
  layout.yTitleBox =
      QRectF(area.left() + margin, layout.plot.top(), metrics.height(), layout.plot.height());
  return layout;
}

void TFigureCanvas::DrawAxes(QPainter& painter, const TLayout& layout) const {
  const double ppt = layout.ppt;
  const QRectF& plot = layout.plot;
  painter.setFont(layout.font);
  const QFontMetricsF metrics(layout.font, painter.device());
  painter.setPen(QPen(Qt::black, 0.8 * ppt));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(plot);
  for (double v : layout.xTicks.values) {
    const double px = layout.Map(QPointF(v, layout.y.low)).x();
    painter.drawLine(QPointF(px, plot.bottom()), QPointF(px, plot.bottom() + TickLength * ppt));
    const QString text = QString::fromStdString(talvex::TickLabel(v, layout.xTicks.step));
    const double w = metrics.horizontalAdvance(text);
    painter.drawText(QRectF(px - w / 2 - 1, plot.bottom() + (TickLength + TextGap) * ppt, w + 2,
                            metrics.height()),
                     Qt::AlignCenter, text);
  }
  for (double v : layout.yTicks.values) {
    const double py = layout.Map(QPointF(layout.x.low, v)).y();
    painter.drawLine(QPointF(plot.left() - TickLength * ppt, py), QPointF(plot.left(), py));
    const QString text = QString::fromStdString(talvex::TickLabel(v, layout.yTicks.step));
    const double right = plot.left() - (TickLength + TextGap) * ppt;
    painter.drawText(QRectF(right - 1000, py - metrics.height() / 2, 1000, metrics.height()),
                     Qt::AlignRight | Qt::AlignVCenter, text);
  }
  painter.drawText(layout.xTitleBox, Qt::AlignCenter, XTitle());
  painter.save();
  const QRectF& box = layout.yTitleBox;
  painter.translate(box.left(), box.bottom());
  painter.rotate(-90);
  painter.drawText(QRectF(0, 0, box.height(), box.width()), Qt::AlignCenter, YTitle());
  painter.restore();
  painter.setFont(layout.titleFont);
  painter.drawText(layout.titleBox, Qt::AlignCenter, Title());
}

void TFigureCanvas::DrawContent(QPainter& painter, const TLayout& layout) const {
  const double ppt = layout.ppt;
  painter.save();
  painter.setClipRect(layout.plot);
  painter.setRenderHint(QPainter::Antialiasing, true);

  if (scene_.zeroLines) {
    painter.setPen(QPen(QColor(170, 170, 170), 0.6 * ppt));
    if (layout.x.low < 0 && layout.x.high > 0) {
      const double px = layout.Map(QPointF(0, 0)).x();
      painter.drawLine(QPointF(px, layout.plot.top()), QPointF(px, layout.plot.bottom()));
    }
    if (layout.y.low < 0 && layout.y.high > 0) {
      const double py = layout.Map(QPointF(0, 0)).y();
      painter.drawLine(QPointF(layout.plot.left(), py), QPointF(layout.plot.right(), py));
    }
  }
  for (const TSceneBar& bar : scene_.bars) {
    painter.setPen(QPen(bar.fill.darker(140), 0.6 * ppt));
    painter.setBrush(bar.fill);
    painter.drawRect(QRectF(layout.Map(QPointF(bar.x - bar.width / 2, bar.height)),
                            layout.Map(QPointF(bar.x + bar.width / 2, 0)))
                         .normalized());
  }
  if (scene_.unitCircle) {
    painter.setPen(QPen(QColor(120, 120, 120), 0.8 * ppt));
    painter.setBrush(Qt::NoBrush);
    const QPointF centre = layout.Map(QPointF(0, 0));
    painter.drawEllipse(centre, layout.ScaleX(1.0), layout.ScaleY(1.0));
  }
  for (const TSceneRule& rule : scene_.rules) {
    painter.setPen(QPen(rule.colour, 1.0 * ppt, rule.style));
    const double py = layout.Map(QPointF(0, rule.y)).y();
    painter.drawLine(QPointF(layout.plot.left(), py), QPointF(layout.plot.right(), py));
  }
  for (const TScenePolyline& line : scene_.lines) {
    QPolygonF polygon;
    polygon.reserve(qsizetype(line.points.size()));
    for (const QPointF& p : line.points) polygon << layout.Map(p);
    painter.setPen(QPen(line.colour, line.width * ppt, line.style));
    painter.setBrush(line.closed ? QBrush(line.fill) : QBrush(Qt::NoBrush));
    if (line.closed)
      painter.drawPolygon(polygon);
    else
      painter.drawPolyline(polygon);
    if (line.markers) {
      painter.setPen(QPen(line.markerOutline, 1.0 * ppt));
      painter.setBrush(line.markerFill);
      for (const QPointF& p : polygon) painter.drawEllipse(p, 3.2 * ppt, 3.2 * ppt);
    }
  }
  for (const TSceneErrorBar& bar : scene_.errorBars) {
    painter.setPen(QPen(bar.colour, 0.8 * ppt));
    const QPointF c = layout.Map(bar.centre);
    const double cap = ErrorBarCap * ppt;
    if (bar.dx > 0) {
      const double w = layout.ScaleX(bar.dx);
      painter.drawLine(QPointF(c.x() - w, c.y()), QPointF(c.x() + w, c.y()));
      painter.drawLine(QPointF(c.x() - w, c.y() - cap), QPointF(c.x() - w, c.y() + cap));
      painter.drawLine(QPointF(c.x() + w, c.y() - cap), QPointF(c.x() + w, c.y() + cap));
    }
    if (bar.dy > 0) {
      const double h = layout.ScaleY(bar.dy);
      painter.drawLine(QPointF(c.x(), c.y() - h), QPointF(c.x(), c.y() + h));
      painter.drawLine(QPointF(c.x() - cap, c.y() - h), QPointF(c.x() + cap, c.y() - h));
      painter.drawLine(QPointF(c.x() - cap, c.y() + h), QPointF(c.x() + cap, c.y() + h));
    }
  }
  // Points: screen drawings of many points stamp one pre-drawn marker.
  for (const TScenePointSet& set : scene_.pointSets) {
    const double r = set.size / 2 * layout.ppt;
    const QPen pen = MarkerPen(set, ppt);
    if (drawingOnScreen_ && set.items.size() >= StampFrom) {
      const qreal ratio = painter.device()->devicePixelRatioF();
      const int side = int(std::ceil((2 * r + 4) * ratio));
      QImage stamp(side, side, QImage::Format_ARGB32_Premultiplied);
      stamp.setDevicePixelRatio(ratio);
      stamp.fill(Qt::transparent);
      {
        QPainter stampPainter(&stamp);
        stampPainter.setRenderHint(QPainter::Antialiasing, true);
        stampPainter.setPen(pen);
        stampPainter.setBrush(set.fill);
        DrawMarker(stampPainter, set.shape, QPointF(side / ratio / 2, side / ratio / 2), r);
      }
      const double half = side / ratio / 2;
      for (int i : set.items) {
        const QPointF p = layout.Map(scene_.items[std::size_t(i)].at);
        painter.drawImage(QPointF(p.x() - half, p.y() - half), stamp);
      }
      continue;
    }
    painter.setPen(pen);
    painter.setBrush(set.fill);
    for (int i : set.items)
      DrawMarker(painter, set.shape, layout.Map(scene_.items[std::size_t(i)].at), r);
  }
  // Selected points are ringed.
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(Qt::black, 1.2 * ppt));
  for (int i : selection_) {
    painter.drawEllipse(layout.Map(scene_.items[std::size_t(i)].at), 5.5 * ppt, 5.5 * ppt);
  }
  for (const TSceneArrow& arrow : scene_.arrows) {
    const QPointF from = layout.Map(QPointF(0, 0));
    const QPointF to = layout.Map(arrow.tip);
    painter.setPen(QPen(arrow.colour, 1.2 * ppt));
    painter.drawLine(from, to);
    const QPointF d = to - from;
    const double length = std::hypot(d.x(), d.y());
    if (length > 1e-9) {
      const QPointF u = d / length;
      const QPointF n(-u.y(), u.x());
      const double head = std::min(ArrowHead * ppt, length);
      painter.setBrush(arrow.colour);
      painter.drawPolygon(
          QPolygonF({to, to - u * head + n * head * 0.4, to - u * head - n * head * 0.4}));
    }
  }
  painter.restore();
}

void TFigureCanvas::DrawLabels(QPainter& painter, const TLayout& layout) const {
  painter.save();
  painter.setFont(layout.font);
  painter.setPen(Qt::black);
  const QFontMetricsF metrics(layout.font, painter.device());
  const double ppt = layout.ppt;
  const talvex::TLabelBox bounds{layout.plot.left(), layout.plot.top(), layout.plot.width(),
                                 layout.plot.height()};

  // Scree numbers: those that would collide with another are left out.
  if (!scene_.numbers.empty()) {
    std::vector<talvex::TLabelBox> boxes;
    for (const TSceneNumber& number : scene_.numbers) {
      const QPointF p = layout.Map(number.at);
      const double w = metrics.horizontalAdvance(number.text);
      // Above and to the right of the point; to its left at the plot's edge.
      double left = p.x() + 2 * ppt;
      if (left + w > layout.plot.right()) left = p.x() - 2 * ppt - w;
      boxes.push_back({left, p.y() - metrics.height() - 2 * ppt, w, metrics.height()});
    }
    const std::vector<bool> shown = talvex::NonCollidingLabels(boxes);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      const QRectF box(boxes[i].left, boxes[i].top, boxes[i].width, boxes[i].height);
      if (!shown[i] || !layout.plot.contains(box)) continue;
      painter.drawText(QRectF(boxes[i].left, boxes[i].top, boxes[i].width + 1, boxes[i].height),
                       Qt::AlignLeft | Qt::AlignVCenter, scene_.numbers[i].text);
    }
  }

  // Labels kept apart: the arrows' names first (they name the variables),
  // then the selected points, then all points when asked. In the
  // placement's lists the arrows' names follow the points.
  const std::size_t itemCount = scene_.items.size();
  std::vector<std::size_t> order;
  std::vector<bool> wanted(itemCount, false);
  for (std::size_t a = 0; a < scene_.arrows.size(); ++a) order.push_back(itemCount + a);
  for (int i : selection_) {
    order.push_back(std::size_t(i));
    wanted[std::size_t(i)] = true;
  }
  if (labelAll_)
    for (std::size_t i = 0; i < itemCount; ++i)
      if (!wanted[i]) order.push_back(i);
  const std::size_t count = itemCount + scene_.arrows.size();
  auto anchorOf = [&](std::size_t i) {
    return layout.Map(i < itemCount ? scene_.items[i].at : scene_.arrows[i - itemCount].tip);
  };
  auto textOf = [&](std::size_t i) -> const QString& {
    return i < itemCount ? scene_.items[i].mark : scene_.arrows[i - itemCount].label;
  };
  std::vector<talvex::TPlotPoint> anchors(count);
  std::vector<talvex::TPlotPoint> sizes(count);
  for (std::size_t i = 0; i < count; ++i) {
    const QPointF p = anchorOf(i);
    anchors[i] = {p.x(), p.y()};
  }
  std::vector<std::size_t> placeable;
  for (std::size_t i : order) {
    if (!layout.plot.contains(anchorOf(i)) || textOf(i).isEmpty()) continue;
    placeable.push_back(i);
    sizes[i] = {metrics.horizontalAdvance(textOf(i)) + 2, metrics.height()};
  }
  // The screen's labels are kept for the mouse; a file's drawing leaves them.
  if (drawingOnScreen_) shownLabels_.clear();
  if (!placeable.empty()) {
    const std::vector<talvex::TPlacedLabel> placed =
        talvex::PlaceLabels(anchors, sizes, placeable, bounds, 3.0 * ppt);
    for (std::size_t i : placeable) {
      const talvex::TPlacedLabel& label = placed[i];
      if (!label.shown) continue;
      const QRectF box(label.box.left, label.box.top, label.box.width, label.box.height);
      painter.setPen(i < itemCount ? QColor(Qt::black) : scene_.arrows[i - itemCount].colour);
      painter.drawText(box, Qt::AlignCenter, textOf(i));
      if (i < itemCount && drawingOnScreen_) shownLabels_.push_back({int(i), box});
    }
  }
  painter.restore();
}

void TFigureCanvas::DrawLegend(QPainter& painter, const TLayout& layout) const {
  struct TEntry {
    QString text;
    const TScenePointSet* set = nullptr;
    const TScenePolyline* line = nullptr;
    const TSceneRule* rule = nullptr;
    bool errorBar = false;
  };
  std::vector<TEntry> entries;
  for (const TScenePointSet& set : scene_.pointSets)
    if (!set.legend.isEmpty()) entries.push_back({set.legend, &set, nullptr, nullptr, false});
  for (const TScenePolyline& line : scene_.lines)
    if (!line.legend.isEmpty()) entries.push_back({line.legend, nullptr, &line, nullptr, false});
  for (const TSceneRule& rule : scene_.rules)
    if (!rule.legend.isEmpty()) entries.push_back({rule.legend, nullptr, nullptr, &rule, false});
  if (!scene_.errorBarLegend.isEmpty())
    entries.push_back({scene_.errorBarLegend, nullptr, nullptr, nullptr, true});
  if (entries.empty()) return;

  const double ppt = layout.ppt;
  painter.save();
  painter.setFont(layout.font);
  const QFontMetricsF metrics(layout.font, painter.device());
  double textWidth = 0;
  for (const TEntry& entry : entries)
    textWidth = std::max(textWidth, metrics.horizontalAdvance(entry.text));
  const double pad = 4 * ppt;
  const double swatch = LegendSwatch * ppt;
  const double rowHeight = std::max(metrics.height(), 8 * ppt);
  const QSizeF size(pad * 3 + swatch + textWidth, pad * 2 + rowHeight * double(entries.size()));
  const QRectF box(layout.plot.right() - size.width() - pad, layout.plot.top() + pad, size.width(),
                   size.height());
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(QPen(QColor(160, 160, 160), 0.6 * ppt));
  painter.setBrush(QColor(255, 255, 255, 225));
  painter.drawRect(box);
  double y = box.top() + pad;
  for (const TEntry& entry : entries) {
    const QPointF centre(box.left() + pad + swatch / 2, y + rowHeight / 2);
    if (entry.set) {
      painter.setPen(MarkerPen(*entry.set, ppt));
      painter.setBrush(entry.set->fill);
      DrawMarker(painter, entry.set->shape, centre, entry.set->size / 2 * ppt);
    } else if (entry.line || entry.rule) {
      const QColor colour = entry.line ? entry.line->colour : entry.rule->colour;
      const Qt::PenStyle style = entry.line ? entry.line->style : entry.rule->style;
      const double width = entry.line ? entry.line->width : 1.0;
      painter.setPen(QPen(colour, width * ppt, style));
      painter.drawLine(centre - QPointF(swatch / 2, 0), centre + QPointF(swatch / 2, 0));
      if (entry.line && entry.line->markers) {
        painter.setPen(QPen(entry.line->markerOutline, ppt));
        painter.setBrush(entry.line->markerFill);
        painter.drawEllipse(centre, 3.2 * ppt, 3.2 * ppt);
      }
    } else if (entry.errorBar) {
      painter.setPen(QPen(QColor(90, 90, 90), 0.8 * ppt));
      const double h = rowHeight / 2 - 1;
      painter.drawLine(centre - QPointF(0, h), centre + QPointF(0, h));
      painter.drawLine(centre + QPointF(-ErrorBarCap * ppt, -h),
                       centre + QPointF(ErrorBarCap * ppt, -h));
      painter.drawLine(centre + QPointF(-ErrorBarCap * ppt, h),
                       centre + QPointF(ErrorBarCap * ppt, h));
    }
    painter.setPen(Qt::black);
    painter.drawText(QRectF(box.left() + pad * 2 + swatch, y, textWidth + 2, rowHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, entry.text);
    y += rowHeight;
  }
  painter.restore();
}

void TFigureCanvas::DrawFigure(QPainter& painter, const QRectF& area) const {
  painter.save();
  painter.fillRect(area, Qt::white);
  const TLayout layout = Arrange(painter, area);
  DrawContent(painter, layout);
  DrawLabels(painter, layout);
  DrawAxes(painter, layout);
  DrawLegend(painter, layout);
  if (drawingOnScreen_) {
    plotArea_ = layout.plot;
    drawnX_ = layout.x;
    drawnY_ = layout.y;
  }
  painter.restore();
}

void TFigureCanvas::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  drawingOnScreen_ = true;
  DrawFigure(painter, QRectF(rect()));
  drawingOnScreen_ = false;
}

void TFigureCanvas::wheelEvent(QWheelEvent* event) {
  const double notches = event->angleDelta().y() / 120.0;
  if (notches == 0) return;
  ZoomAt(event->position(), std::pow(ZoomPerNotch, notches));
  event->accept();
}

void TFigureCanvas::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  pressed_ = true;
  dragged_ = false;
  pressAt_ = event->position();
  lastDragAt_ = pressAt_;
}

void TFigureCanvas::mouseMoveEvent(QMouseEvent* event) {
  const QPointF at = event->position();
  if (pressed_) {
    if (!dragged_ && QLineF(at, pressAt_).length() >= DragThreshold) {
      dragged_ = true;
      setCursor(Qt::ClosedHandCursor);
    }
    if (dragged_) {
      PanBy(at - lastDragAt_);
      lastDragAt_ = at;
    }
    return;
  }
  const int item = ItemAt(at);
  if (item >= 0)
    QToolTip::showText(event->globalPosition().toPoint(), HoverText(item), this);
  else
    QToolTip::hideText();
}

void TFigureCanvas::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !pressed_) return;
  pressed_ = false;
  if (dragged_) {
    unsetCursor();
    return;
  }
  const int item = ItemAt(event->position());
  if (item >= 0) ToggleSelection(item);
}

void TFigureCanvas::mouseDoubleClickEvent(QMouseEvent* event) {
  if (ItemAt(event->position()) < 0) ResetView();
}

void TFigureCanvas::keyPressEvent(QKeyEvent* event) {
  const QPointF centre = plotArea_.center();
  switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
      ZoomAt(centre, ZoomPerNotch);
      return;
    case Qt::Key_Minus:
      ZoomAt(centre, 1 / ZoomPerNotch);
      return;
    case Qt::Key_Left:
      PanBy(QPointF(plotArea_.width() / 10, 0));
      return;
    case Qt::Key_Right:
      PanBy(QPointF(-plotArea_.width() / 10, 0));
      return;
    case Qt::Key_Up:
      PanBy(QPointF(0, plotArea_.height() / 10));
      return;
    case Qt::Key_Down:
      PanBy(QPointF(0, -plotArea_.height() / 10));
      return;
    case Qt::Key_Escape:
      ClearSelection();
      return;
    default:
      QWidget::keyPressEvent(event);
  }
}
