// The plot canvas: the drawing on screen and the mouse.
#include "shell/plots/plot_canvas.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace talvex::desktop {

namespace {

// How close (widget pixels) the pointer must come to a point to hover or select it.
constexpr double PickRadius = 6.0;
// A press that moves less than this (widget pixels) is a click, not a drag.
constexpr double DragThreshold = 3.0;
// Wheel zoom per notch (120 units).
constexpr double ZoomPerNotch = 1.2;

}  // namespace

TPlotCanvas::TPlotCanvas(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(200, 150);
}

void TPlotCanvas::SetScene(drawing::TFigureScene scene, bool keepView) {
  drawing_.SetScene(std::move(scene), keepView);
  update();
}

void TPlotCanvas::SetLabelAll(bool all) {
  drawing_.SetLabelAll(all);
  update();
}

void TPlotCanvas::SetTitles(const QString& title, const QString& xTitle, const QString& yTitle) {
  drawing_.SetTitles(title, xTitle, yTitle);
  update();
}

QString TPlotCanvas::Title() const { return drawing_.Title(); }
QString TPlotCanvas::XTitle() const { return drawing_.XTitle(); }
QString TPlotCanvas::YTitle() const { return drawing_.YTitle(); }

void TPlotCanvas::SetFontSize(double points) {
  drawing_.SetFontSize(points);
  update();
}

void TPlotCanvas::SetView(talvex::TRange x, talvex::TRange y) {
  if (drawing_.SetView(x, y)) update();
}

void TPlotCanvas::ResetView() {
  drawing_.ResetView();
  update();
}

void TPlotCanvas::ZoomAt(QPointF at, double factor) {
  const QRectF& plotArea = drawn_.plot;
  if (!(factor > 0) || plotArea.isEmpty()) return;
  // The data point under the pointer stays where it is.
  const double fx = (at.x() - plotArea.left()) / plotArea.width();
  const double fy = (plotArea.bottom() - at.y()) / plotArea.height();
  const double cx = drawn_.x.low + fx * (drawn_.x.high - drawn_.x.low);
  const double cy = drawn_.y.low + fy * (drawn_.y.high - drawn_.y.low);
  auto scaled = [factor](const talvex::TRange& r, double c) {
    return talvex::TRange{c - (c - r.low) / factor, c + (r.high - c) / factor};
  };
  SetView(scaled(drawn_.x, cx), scaled(drawn_.y, cy));
}

void TPlotCanvas::PanBy(QPointF pixels) {
  const QRectF& plotArea = drawn_.plot;
  if (plotArea.isEmpty()) return;
  const double dx = pixels.x() / plotArea.width() * (drawn_.x.high - drawn_.x.low);
  const double dy = pixels.y() / plotArea.height() * (drawn_.y.high - drawn_.y.low);
  SetView({drawn_.x.low - dx, drawn_.x.high - dx}, {drawn_.y.low + dy, drawn_.y.high + dy});
}

void TPlotCanvas::ToggleSelection(int item) {
  if (item < 0 || std::size_t(item) >= Scene().items.size()) return;
  drawing_.ToggleSelection(item);
  update();
  emit SelectionChanged();
}

void TPlotCanvas::ClearSelection() {
  if (!drawing_.ClearSelection()) return;
  update();
  emit SelectionChanged();
}

QPointF TPlotCanvas::ToPixels(QPointF data) const {
  const QRectF& plot = drawn_.plot;
  const talvex::TRange& x = drawn_.x;
  const talvex::TRange& y = drawn_.y;
  const double sx = x.high > x.low ? (data.x() - x.low) / (x.high - x.low) : 0.5;
  const double sy = y.high > y.low ? (data.y() - y.low) / (y.high - y.low) : 0.5;
  return QPointF(plot.left() + sx * plot.width(), plot.bottom() - sy * plot.height());
}

int TPlotCanvas::ItemAt(QPointF at) const {
  if (drawn_.plot.isEmpty() || !drawn_.plot.contains(at)) return -1;
  int best = -1;
  double bestDistance = PickRadius * PickRadius;
  const std::vector<drawing::TSceneItem>& items = Scene().items;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const QPointF p = ToPixels(items[i].at) - at;
    const double d = p.x() * p.x() + p.y() * p.y();
    if (d <= bestDistance) {
      bestDistance = d;
      best = int(i);
    }
  }
  // An arrow's head nearer than any point is the arrow's, not a point's.
  for (const drawing::TSceneArrow& arrow : Scene().arrows) {
    const QPointF p = ToPixels(arrow.tip) - at;
    if (p.x() * p.x() + p.y() * p.y() < bestDistance) return -1;
  }
  return best;
}

QString TPlotCanvas::HoverText(int item) const {
  const std::vector<drawing::TSceneItem>& items = Scene().items;
  if (item < 0 || std::size_t(item) >= items.size()) return QString();
  const drawing::TSceneItem& it = items[std::size_t(item)];
  QString text = it.name;
  if (!it.group.isEmpty()) text += QStringLiteral(" (%1)").arg(it.group);
  if (!it.details.isEmpty()) text += QLatin1Char('\n') + it.details;
  return text;
}

QString TPlotCanvas::HoverTextAt(QPointF at) const {
  const int item = ItemAt(at);
  if (item >= 0) return HoverText(item);
  if (drawn_.plot.isEmpty() || !drawn_.plot.contains(at)) return QString();
  const drawing::TSceneArrow* nearest = nullptr;
  double bestDistance = PickRadius * PickRadius;
  for (const drawing::TSceneArrow& arrow : Scene().arrows) {
    const QPointF p = ToPixels(arrow.tip) - at;
    const double d = p.x() * p.x() + p.y() * p.y();
    if (d <= bestDistance) {
      bestDistance = d;
      nearest = &arrow;
    }
  }
  return nearest ? nearest->label : QString();
}

void TPlotCanvas::DrawFigure(QPainter& painter, const QRectF& area) const {
  drawing_.DrawFigure(painter, area);
}

void TPlotCanvas::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  drawn_ = drawing_.Draw(painter, QRectF(rect()), true);
  shownLabels_.clear();
  for (const drawing::TDrawnFigure::TLabel& label : drawn_.labels)
    if (label.item >= 0) shownLabels_.push_back({label.item, label.box});
}

void TPlotCanvas::wheelEvent(QWheelEvent* event) {
  const double notches = event->angleDelta().y() / 120.0;
  if (notches == 0) return;
  ZoomAt(event->position(), std::pow(ZoomPerNotch, notches));
  event->accept();
}

void TPlotCanvas::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  pressed_ = true;
  dragged_ = false;
  pressAt_ = event->position();
  lastDragAt_ = pressAt_;
}

void TPlotCanvas::mouseMoveEvent(QMouseEvent* event) {
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
  const QString text = HoverTextAt(at);
  if (!text.isEmpty())
    QToolTip::showText(event->globalPosition().toPoint(), text, this);
  else
    QToolTip::hideText();
}

void TPlotCanvas::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !pressed_) return;
  pressed_ = false;
  if (dragged_) {
    unsetCursor();
    return;
  }
  const int item = ItemAt(event->position());
  if (item >= 0) ToggleSelection(item);
}

void TPlotCanvas::mouseDoubleClickEvent(QMouseEvent* event) {
  if (ItemAt(event->position()) < 0) ResetView();
}

void TPlotCanvas::keyPressEvent(QKeyEvent* event) {
  const QPointF centre = drawn_.plot.center();
  switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
      ZoomAt(centre, ZoomPerNotch);
      return;
    case Qt::Key_Minus:
      ZoomAt(centre, 1 / ZoomPerNotch);
      return;
    case Qt::Key_Left:
      PanBy(QPointF(drawn_.plot.width() / 10, 0));
      return;
    case Qt::Key_Right:
      PanBy(QPointF(-drawn_.plot.width() / 10, 0));
      return;
    case Qt::Key_Up:
      PanBy(QPointF(0, drawn_.plot.height() / 10));
      return;
    case Qt::Key_Down:
      PanBy(QPointF(0, -drawn_.plot.height() / 10));
      return;
    case Qt::Key_Escape:
      ClearSelection();
      return;
    default:
      QWidget::keyPressEvent(event);
  }
}

}  // namespace talvex::desktop
