// The figure's layout and drawing: titles that fit, ranges with room for
// the markers, a legend where it covers nothing, and labels placed so that
// each names its own point.
#include "drawing/figure_drawing.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

#include "figures/label_placement.h"
#include "figures/legend_place.h"

namespace talvex::drawing {

namespace {

// Sizes in points (1/72 inch), converted for each device.
constexpr double OuterMargin = 6.0;
constexpr double TickLength = 4.0;
constexpr double TextGap = 3.0;
constexpr double ArrowHead = 7.0;
constexpr double ErrorBarCap = 3.0;
constexpr double LegendSwatch = 16.0;
constexpr double LegendPad = 4.0;
// A legend wider than this share of the figure goes under the plot, not beside it.
constexpr double LegendBesideShare = 0.3;
constexpr double LineMarkerRadius = 3.2;
constexpr double LeaderWidth = 0.5;
// Room beyond the outermost markers in the plot's own view, in points.
constexpr double EdgeRoom = 3.0;
// A title too long for its room is set smaller down to this share of its
// size before it is shortened.
constexpr double SmallestTitleScale = 0.75;
// From this many points on, the screen stamps a pre-drawn marker instead of
// drawing each one: the same picture, many times faster.
constexpr std::size_t StampFrom = 1000;
// Segments of the unit circle as an obstacle to labels.
constexpr int CircleSegments = 72;

const QColor LeaderColour(110, 110, 110);

double PixelsPerPoint(const QPainter& painter) {
  const QPaintDevice* device = painter.device();
  return device ? device->logicalDpiX() / 72.0 : 96.0 / 72.0;
}

QPolygonF MarkerPolygon(talvex::TMarkerShape shape, double r) {
  QPolygonF polygon;
  for (const talvex::TPlotPoint& v : talvex::MarkerOutline(shape, r)) polygon << QPointF(v.x, v.y);
  return polygon;
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

talvex::TPlotPoint Point(QPointF p) { return {p.x(), p.y()}; }
talvex::TLabelBox Box(const QRectF& r) { return {r.left(), r.top(), r.width(), r.height()}; }
QRectF Rect(const talvex::TLabelBox& b) { return QRectF(b.left, b.top, b.width, b.height); }

// A title set in `font` within `room` pixels: one line; else two lines
// split at the blank that balances them; else the same a little smaller;
// else shortened with an ellipsis.
struct TFittedTitle {
  TDrawnFigure::TTitle title;
  QFont font;
};

TFittedTitle FitTitle(const QString& text, const QFont& font, const QPaintDevice* device,
                      double room) {
  TFittedTitle fitted;
  fitted.title.room = room;
  if (text.isEmpty()) return fitted;
  for (double scale = 1.0; scale >= SmallestTitleScale - 1e-9; scale -= 0.05) {
    QFont f = font;
    f.setPointSizeF(font.pointSizeF() * scale);
    const QFontMetricsF metrics(f, const_cast<QPaintDevice*>(device));
    const double whole = metrics.horizontalAdvance(text);
    fitted.font = f;
    if (whole <= room) {
      fitted.title.lines = QStringList{text};
      fitted.title.widest = whole;
      return fitted;
    }
    double best = room + 1;
    QStringList bestLines;
    for (qsizetype at = text.indexOf(QLatin1Char(' ')); at > 0;
         at = text.indexOf(QLatin1Char(' '), at + 1)) {
      const QString first = text.left(at).trimmed();
      const QString second = text.mid(at + 1).trimmed();
      const double widest =
          std::max(metrics.horizontalAdvance(first), metrics.horizontalAdvance(second));
      if (widest < best) {
        best = widest;
        bestLines = QStringList{first, second};
      }
    }
    if (best <= room) {
      fitted.title.lines = bestLines;
      fitted.title.widest = best;
      return fitted;
    }
  }
  const QFontMetricsF metrics(fitted.font, const_cast<QPaintDevice*>(device));
  const QString elided = metrics.elidedText(text, Qt::ElideRight, std::max(room, 0.0));
  fitted.title.lines = QStringList{elided};
  fitted.title.widest = metrics.horizontalAdvance(elided);
  fitted.title.elided = true;
  return fitted;
}

double TitleHeight(const TFittedTitle& fitted, const QPaintDevice* device) {
  if (fitted.title.lines.isEmpty()) return 0.0;
  return QFontMetricsF(fitted.font, const_cast<QPaintDevice*>(device)).height() *
         double(fitted.title.lines.size());
}

// The lines of a title centred in `box`, one under the other.
void DrawTitleLines(QPainter& painter, const QRectF& box, const TFittedTitle& fitted) {
  if (fitted.title.lines.isEmpty()) return;
  painter.setFont(fitted.font);
  const double lineHeight = QFontMetricsF(fitted.font, painter.device()).height();
  double top = box.center().y() - lineHeight * double(fitted.title.lines.size()) / 2;
  for (const QString& line : fitted.title.lines) {
    painter.drawText(QRectF(box.left(), top, box.width(), lineHeight), Qt::AlignCenter, line);
    top += lineHeight;
  }
}

struct TLegendEntry {
  QString text;
  const TScenePointSet* set = nullptr;
  const TScenePolyline* line = nullptr;
  const TSceneRule* rule = nullptr;
  bool errorBar = false;
};

}  // namespace

struct TFigureDrawing::TLayout {
  double ppt = 1.0;  // device pixels per point
  QFont font;
  QFont titleFont;
  QRectF area;
  QRectF plot;
  talvex::TRange x;
  talvex::TRange y;
  talvex::TTicks xTicks;
  talvex::TTicks yTicks;
  TFittedTitle title;
  TFittedTitle xTitle;
  TFittedTitle yTitle;
  TFittedTitle note;
  QRectF titleBox;
  QRectF noteBox;
  QRectF xTitleBox;
  QRectF yTitleBox;           // before rotation: its width runs along the axis
  double markerRadius = 0.0;  // the largest marker's, pixels

  std::vector<TLegendEntry> legend;
  QSizeF legendSize;
  QRectF legendBox;
  int legendColumns = 1;
  double legendCell = 0.0;  // one entry's width

  QPointF Map(QPointF data) const {
    const double sx = x.high > x.low ? (data.x() - x.low) / (x.high - x.low) : 0.5;
    const double sy = y.high > y.low ? (data.y() - y.low) / (y.high - y.low) : 0.5;
    return QPointF(plot.left() + sx * plot.width(), plot.bottom() - sy * plot.height());
  }
  double ScaleX(double dx) const { return dx / (x.high - x.low) * plot.width(); }
  double ScaleY(double dy) const { return dy / (y.high - y.low) * plot.height(); }
};

namespace {

// Every mark drawn in the plot area other than the point markers, in
// pixels: the pieces of lines, outlines, error bars, arrows and reference
// lines, and the bars and line markers as boxes. The zero lines are light
// guides that labels may cross.
template <typename TLayoutT>
talvex::TLabelObstacles DrawnMarks(const TFigureScene& scene, const TLayoutT& layout) {
  talvex::TLabelObstacles marks;
  const double ppt = layout.ppt;
  const auto add = [&](QPointF a, QPointF b) { marks.segments.push_back({Point(a), Point(b)}); };
  for (const TScenePolyline& line : scene.lines) {
    for (std::size_t k = 1; k < line.points.size(); ++k)
      add(layout.Map(line.points[k - 1]), layout.Map(line.points[k]));
    if (line.closed && line.points.size() > 2)
      add(layout.Map(line.points.back()), layout.Map(line.points.front()));
    if (line.markers) {
      const double r = LineMarkerRadius * ppt;
      for (const QPointF& p : line.points) {
        const QPointF c = layout.Map(p);
        marks.boxes.push_back({c.x() - r, c.y() - r, 2 * r, 2 * r});
      }
    }
  }
  for (const TSceneBar& bar : scene.bars)
    marks.boxes.push_back(Box(QRectF(layout.Map(QPointF(bar.x - bar.width / 2, bar.height)),
                                     layout.Map(QPointF(bar.x + bar.width / 2, 0)))
                                  .normalized()));
  for (const TSceneRule& rule : scene.rules) {
    const double py = layout.Map(QPointF(0, rule.y)).y();
    add(QPointF(layout.plot.left(), py), QPointF(layout.plot.right(), py));
  }
  const double cap = ErrorBarCap * ppt;
  for (const TSceneErrorBar& bar : scene.errorBars) {
    const QPointF c = layout.Map(bar.centre);
    if (bar.dx > 0) {
      const double w = layout.ScaleX(bar.dx);
      add(c - QPointF(w, 0), c + QPointF(w, 0));
      add(c + QPointF(-w, -cap), c + QPointF(-w, cap));
      add(c + QPointF(w, -cap), c + QPointF(w, cap));
    }
    if (bar.dy > 0) {
      const double h = layout.ScaleY(bar.dy);
      add(c - QPointF(0, h), c + QPointF(0, h));
      add(c + QPointF(-cap, -h), c + QPointF(cap, -h));
      add(c + QPointF(-cap, h), c + QPointF(cap, h));
    }
  }
  const QPointF origin = layout.Map(QPointF(0, 0));
  for (const TSceneArrow& arrow : scene.arrows) add(origin, layout.Map(arrow.tip));
  if (scene.unitCircle) {
    for (int k = 0; k < CircleSegments; ++k) {
      const double a0 = 2 * std::numbers::pi * k / CircleSegments;
      const double a1 = 2 * std::numbers::pi * (k + 1) / CircleSegments;
      add(layout.Map(QPointF(std::cos(a0), std::sin(a0))),
          layout.Map(QPointF(std::cos(a1), std::sin(a1))));
    }
  }
  return marks;
}

}  // namespace

void TFigureDrawing::SetScene(TFigureScene scene, bool keepView) {
  if (scene.items.size() != scene_.items.size()) selection_.clear();
  scene_ = std::move(scene);
  if (!keepView) {
    viewX_ = scene_.xRange;
    viewY_ = scene_.yRange;
    home_ = true;
  } else if (home_) {
    // The marks changed (regions, error bars): the plot's own view follows.
    viewX_ = scene_.xRange;
    viewY_ = scene_.yRange;
  }
}

void TFigureDrawing::SetTitles(const QString& title, const QString& xTitle, const QString& yTitle) {
  title_ = title;
  xTitle_ = xTitle;
  yTitle_ = yTitle;
}

QString TFigureDrawing::Title() const { return title_.isEmpty() ? scene_.title : title_; }
QString TFigureDrawing::XTitle() const { return xTitle_.isEmpty() ? scene_.xTitle : xTitle_; }
QString TFigureDrawing::YTitle() const { return yTitle_.isEmpty() ? scene_.yTitle : yTitle_; }

void TFigureDrawing::SetFontSize(double points) { fontSize_ = std::clamp(points, 4.0, 48.0); }

bool TFigureDrawing::SetView(talvex::TRange x, talvex::TRange y) {
  if (!(x.high > x.low) || !(y.high > y.low)) return false;
  viewX_ = x;
  viewY_ = y;
  home_ = false;
  return true;
}

void TFigureDrawing::ResetView() {
  viewX_ = scene_.xRange;
  viewY_ = scene_.yRange;
  home_ = true;
}

void TFigureDrawing::ToggleSelection(int item) {
  if (item < 0 || std::size_t(item) >= scene_.items.size()) return;
  const auto found = std::find(selection_.begin(), selection_.end(), item);
  if (found == selection_.end())
    selection_.push_back(item);
  else
    selection_.erase(found);
}

bool TFigureDrawing::ClearSelection() {
  if (selection_.empty()) return false;
  selection_.clear();
  return true;
}

QFont TFigureDrawing::FigureFont(double points) {
  QFont font;
  font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"),
                    QStringLiteral("Arial"), QStringLiteral("Helvetica")});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(points);
  return font;
}

void TFigureDrawing::ArrangeOnce(QPainter& painter, TLayout& layout, double legendWidth,
                                 double legendBelow) const {
  const double ppt = layout.ppt;
  const QRectF& area = layout.area;
  const QPaintDevice* device = painter.device();
  const QFontMetricsF metrics(layout.font, painter.device());
  const double margin = OuterMargin * ppt;
  const double gap = TextGap * ppt;

  layout.title = FitTitle(Title(), layout.titleFont, device, area.width() - 2 * margin);
  const double titleHeight = TitleHeight(layout.title, device);
  layout.note = FitTitle(scene_.note, layout.font, device, area.width() - 2 * margin);
  const double noteHeight = TitleHeight(layout.note, device);
  const double top = area.top() + margin + titleHeight + noteHeight +
                     (titleHeight + noteHeight > 0 ? gap : 0.0) + metrics.height() / 2;
  // The y title's room is the plot's height and the x title's its width,
  // which depend on how many lines the titles take: two passes.
  double xTitleHeight = XTitle().isEmpty() ? 0.0 : metrics.height();
  double yTitleWidth = YTitle().isEmpty() ? 0.0 : metrics.height();
  double widest = metrics.horizontalAdvance(QStringLiteral("-0.00"));
  const double right = area.right() - margin - metrics.horizontalAdvance(QStringLiteral("00")) / 2 -
                       (legendWidth > 0 ? legendWidth + gap : 0.0);
  for (int pass = 0; pass < 3; ++pass) {
    const double bottom = area.bottom() - margin - metrics.height() - gap - TickLength * ppt -
                          (xTitleHeight > 0 ? xTitleHeight + gap : 0.0) -
                          (legendBelow > 0 ? legendBelow + gap : 0.0);
    const double left = area.left() + margin + (yTitleWidth > 0 ? yTitleWidth + gap : 0.0) +
                        widest + gap + TickLength * ppt;
    layout.plot = QRectF(QPointF(left, top), QPointF(right, bottom));
    if (layout.plot.width() < 10 || layout.plot.height() < 10)
      layout.plot = QRectF(area.center(), QSizeF(10, 10));
    layout.x = viewX_;
    layout.y = viewY_;
    if (home_) {
      // The plot's own view: room for the outermost markers' rims.
      const double room = layout.markerRadius + EdgeRoom * ppt;
      const auto widen = [room](talvex::TRange& r, double pixels) {
        const double share = std::min(room / pixels, 0.2);
        const double span = (r.high - r.low) / (1 - 2 * share);
        const double extra = (span - (r.high - r.low)) / 2;
        r.low -= extra;
        r.high += extra;
      };
      widen(layout.x, layout.plot.width());
      widen(layout.y, layout.plot.height());
    }
    if (scene_.equalAspect)
      talvex::EqualAspect(layout.x, layout.y, layout.plot.width(), layout.plot.height());
    const int xTarget = std::clamp(int(layout.plot.width() / (60 * ppt)), 3, 12);
    const int yTarget = std::clamp(int(layout.plot.height() / (36 * ppt)), 3, 12);
    layout.xTicks = AxisTicks(layout.x, xTarget, scene_.integerTicksX);
    layout.yTicks = AxisTicks(layout.y, yTarget, false);
    widest = 0;
    for (double v : layout.yTicks.values)
      widest = std::max(widest, metrics.horizontalAdvance(QString::fromStdString(
                                    talvex::TickLabel(v, layout.yTicks.step))));
    layout.xTitle = FitTitle(XTitle(), layout.font, device, layout.plot.width());
    layout.yTitle = FitTitle(YTitle(), layout.font, device, layout.plot.height());
    xTitleHeight = TitleHeight(layout.xTitle, device);
    yTitleWidth = TitleHeight(layout.yTitle, device);
  }
  layout.titleBox = QRectF(area.left(), area.top() + margin, area.width(), titleHeight);
  layout.noteBox = QRectF(area.left(), area.top() + margin + titleHeight, area.width(), noteHeight);
  layout.xTitleBox =
      QRectF(layout.plot.left(),
             area.bottom() - margin - xTitleHeight - (legendBelow > 0 ? legendBelow + gap : 0.0),
             layout.plot.width(), xTitleHeight);
  layout.yTitleBox =
      QRectF(area.left() + margin, layout.plot.top(), yTitleWidth, layout.plot.height());
}

TFigureDrawing::TLayout TFigureDrawing::Arrange(QPainter& painter, const QRectF& area) const {
  TLayout layout;
  layout.ppt = PixelsPerPoint(painter);
  const double ppt = layout.ppt;
  layout.area = area;
  layout.font = FigureFont(fontSize_);
  layout.titleFont = FigureFont(fontSize_ + 2);
  layout.titleFont.setBold(true);
  layout.markerRadius = LineMarkerRadius * ppt;
  for (const TScenePointSet& set : scene_.pointSets)
    if (!set.items.empty()) layout.markerRadius = std::max(layout.markerRadius, set.size / 2 * ppt);

  // The legend's entries and size.
  for (const TScenePointSet& set : scene_.pointSets)
    if (!set.legend.isEmpty()) layout.legend.push_back({set.legend, &set, nullptr, nullptr, false});
  for (const TScenePolyline& line : scene_.lines)
    if (!line.legend.isEmpty())
      layout.legend.push_back({line.legend, nullptr, &line, nullptr, false});
  for (const TSceneRule& rule : scene_.rules)
    if (!rule.legend.isEmpty())
      layout.legend.push_back({rule.legend, nullptr, nullptr, &rule, false});
  if (!scene_.errorBarLegend.isEmpty())
    layout.legend.push_back({scene_.errorBarLegend, nullptr, nullptr, nullptr, true});
  double legendWidth = 0.0;
  if (!layout.legend.empty()) {
    const QFontMetricsF metrics(layout.font, painter.device());
    QFont bold = layout.font;
    bold.setBold(true);
    const QFontMetricsF boldMetrics(bold, painter.device());
    double textWidth = scene_.legendTitle.isEmpty()
                           ? 0.0
                           : boldMetrics.horizontalAdvance(scene_.legendTitle) -
                                 LegendSwatch * ppt - LegendPad * ppt;
    for (const TLegendEntry& entry : layout.legend)
      textWidth = std::max(textWidth, metrics.horizontalAdvance(entry.text));
    const double pad = LegendPad * ppt;
    const double rowHeight = std::max(metrics.height(), 8 * ppt);
    const double rows = double(layout.legend.size()) + (scene_.legendTitle.isEmpty() ? 0 : 1);
    layout.legendCell = pad * 2 + LegendSwatch * ppt + textWidth + 2;
    layout.legendSize = QSizeF(pad + layout.legendCell, pad * 2 + rowHeight * rows);
    legendWidth = layout.legendSize.width();
  }

  ArrangeOnce(painter, layout, 0.0, 0.0);
  if (layout.legend.empty()) return layout;
  // In the first corner of the plot that holds no marker and no mark;
  // otherwise beside the plot, which gives it the room.
  const auto corner = [&]() -> std::optional<talvex::TLabelBox> {
    std::vector<talvex::TPlotPoint> markers;
    markers.reserve(scene_.items.size() + scene_.numbers.size());
    for (const TSceneItem& item : scene_.items) markers.push_back(Point(layout.Map(item.at)));
    talvex::TLabelObstacles marks = DrawnMarks(scene_, layout);
    for (const TSceneArrow& arrow : scene_.arrows) markers.push_back(Point(layout.Map(arrow.tip)));
    return talvex::FreeLegendCorner(
        Box(layout.plot), {layout.legendSize.width(), layout.legendSize.height()}, LegendPad * ppt,
        markers, layout.markerRadius + LegendPad * ppt, marks);
  }();
  if (corner) {
    layout.legendBox = Rect(*corner);
    return layout;
  }
  // Beside the plot while that leaves it most of the width; otherwise under
  // it, in as many columns as the width holds.
  if (legendWidth <= LegendBesideShare * area.width()) {
    ArrangeOnce(painter, layout, legendWidth, 0.0);
    layout.legendBox =
        QRectF(QPointF(layout.plot.right() + TextGap * ppt, layout.plot.top()), layout.legendSize);
    return layout;
  }
  const double pad = LegendPad * ppt;
  const double margin = OuterMargin * ppt;
  const std::size_t count = layout.legend.size();
  layout.legendColumns = int(std::clamp<double>(
      std::floor((area.width() - 2 * margin - pad) / layout.legendCell), 1.0, double(count)));
  const double rowHeight = std::max(QFontMetricsF(layout.font, painter.device()).height(), 8 * ppt);
  const double rows =
      std::ceil(double(count) / layout.legendColumns) + (scene_.legendTitle.isEmpty() ? 0 : 1);
  layout.legendSize =
      QSizeF(pad + layout.legendCell * layout.legendColumns, pad * 2 + rowHeight * rows);
  ArrangeOnce(painter, layout, 0.0, layout.legendSize.height());
  layout.legendBox = QRectF(QPointF(area.center().x() - layout.legendSize.width() / 2,
                                    area.bottom() - margin - layout.legendSize.height()),
                            layout.legendSize);
  return layout;
}

void TFigureDrawing::DrawAxes(QPainter& painter, const TLayout& layout) const {
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
  DrawTitleLines(painter, layout.xTitleBox, layout.xTitle);
  painter.save();
  const QRectF& box = layout.yTitleBox;
  painter.translate(box.left(), box.bottom());
  painter.rotate(-90);
  DrawTitleLines(painter, QRectF(0, 0, box.height(), box.width()), layout.yTitle);
  painter.restore();
  DrawTitleLines(painter, layout.titleBox, layout.title);
  DrawTitleLines(painter, layout.noteBox, layout.note);
}

void TFigureDrawing::DrawContent(QPainter& painter, const TLayout& layout, bool onScreen) const {
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
      for (const QPointF& p : polygon)
        painter.drawEllipse(p, LineMarkerRadius * ppt, LineMarkerRadius * ppt);
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
    if (onScreen && set.items.size() >= StampFrom) {
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
    painter.setPen(QPen(arrow.colour, 1.2 * ppt, arrow.style));
    painter.drawLine(from, to);
    painter.setPen(QPen(arrow.colour, 1.2 * ppt));
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

void TFigureDrawing::DrawLabels(QPainter& painter, const TLayout& layout,
                                TDrawnFigure& drawn) const {
  painter.save();
  painter.setFont(layout.font);
  const QFontMetricsF metrics(layout.font, painter.device());
  const double ppt = layout.ppt;

  // Every text that names something, in one placement: the points, then
  // the arrows' names, then the numbers (percent bars).
  const std::size_t itemCount = scene_.items.size();
  const std::size_t arrowCount = scene_.arrows.size();
  const std::size_t count = itemCount + arrowCount + scene_.numbers.size();
  const auto anchorOf = [&](std::size_t i) {
    if (i < itemCount) return layout.Map(scene_.items[i].at);
    if (i < itemCount + arrowCount) return layout.Map(scene_.arrows[i - itemCount].tip);
    return layout.Map(scene_.numbers[i - itemCount - arrowCount].at);
  };
  const auto textOf = [&](std::size_t i) -> const QString& {
    if (i < itemCount) return scene_.items[i].mark;
    if (i < itemCount + arrowCount) return scene_.arrows[i - itemCount].label;
    return scene_.numbers[i - itemCount - arrowCount].text;
  };
  // Priority: the variables' names, the points the plot singles out, the
  // reader's selection, the numbers, then every other point when asked. The
  // first three are names the reader must see: they search the farthest.
  std::vector<std::size_t> order;
  std::vector<bool> queued(count, false);
  const auto queue = [&](std::size_t i) {
    if (queued[i]) return;
    queued[i] = true;
    order.push_back(i);
  };
  for (std::size_t a = 0; a < arrowCount; ++a) queue(itemCount + a);
  std::vector<std::size_t> singled;
  for (std::size_t i = 0; i < itemCount; ++i)
    if (scene_.items[i].singledOut) singled.push_back(i);
  std::stable_sort(singled.begin(), singled.end(), [&](std::size_t a, std::size_t b) {
    return scene_.items[a].singledRank < scene_.items[b].singledRank;
  });
  for (std::size_t i : singled) queue(i);
  for (int i : selection_)
    if (i >= 0 && std::size_t(i) < itemCount) queue(std::size_t(i));
  const std::size_t mustRead = order.size();
  for (std::size_t i = 0; i < itemCount; ++i)
    if (scene_.items[i].alwaysLabelled) queue(i);
  for (std::size_t k = itemCount + arrowCount; k < count; ++k) queue(k);
  if (labelAll_)
    for (std::size_t i = 0; i < itemCount; ++i) queue(i);

  std::vector<talvex::TPlotPoint> anchors(count);
  std::vector<talvex::TPlotPoint> sizes(count);
  for (std::size_t i = 0; i < count; ++i) anchors[i] = Point(anchorOf(i));
  // Labels are placed by the ink of their text, not by the font's line box:
  // the line box's room for accents and descenders would leave a visible gap
  // between a touching label and its point.
  std::vector<QRectF> ink(count);
  std::vector<std::size_t> placeable;
  std::size_t thorough = 0;  // of placeable, the names that must be read
  for (std::size_t k = 0; k < order.size(); ++k) {
    const std::size_t i = order[k];
    if (!layout.plot.contains(anchorOf(i)) || textOf(i).isEmpty()) continue;
    placeable.push_back(i);
    if (k < mustRead) ++thorough;
    ink[i] = metrics.tightBoundingRect(textOf(i)).adjusted(-1, -1, 1, 1);
    sizes[i] = {ink[i].width(), ink[i].height()};
  }
  if (!placeable.empty()) {
    talvex::TLabelObstacles marks = DrawnMarks(scene_, layout);
    if (!layout.legendBox.isEmpty()) marks.boxes.push_back(Box(layout.legendBox));
    // Each point's label touches the outline of its own marker.
    std::vector<talvex::TMarkerReach> reaches(count, talvex::CircleReach(layout.markerRadius));
    for (const TScenePointSet& set : scene_.pointSets) {
      const talvex::TMarkerReach reach =
          talvex::MarkerReach(talvex::MarkerOutline(set.shape, set.size / 2 * ppt));
      for (int item : set.items)
        if (item >= 0 && std::size_t(item) < itemCount) reaches[std::size_t(item)] = reach;
    }
    const std::vector<talvex::TPlacedLabel> placed = talvex::PlaceLabels(
        anchors, sizes, placeable, Box(layout.plot), layout.markerRadius, marks, thorough, reaches);
    for (std::size_t i : placeable) {
      const talvex::TPlacedLabel& label = placed[i];
      if (!label.shown) continue;
      const QRectF box = Rect(label.box);
      const QColor colour = i >= itemCount && i < itemCount + arrowCount
                                ? scene_.arrows[i - itemCount].colour
                                : QColor(Qt::black);
      if (label.leader) {
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(QPen(LeaderColour, LeaderWidth * ppt));
        painter.drawLine(QPointF(label.leaderFrom.x, label.leaderFrom.y),
                         QPointF(label.leaderTo.x, label.leaderTo.y));
      }
      painter.setPen(colour);
      painter.drawText(box.topLeft() - ink[i].topLeft(), textOf(i));
      drawn.labels.push_back({i < itemCount ? int(i) : -1, textOf(i), box, label.leader,
                              QPointF(label.leaderFrom.x, label.leaderFrom.y),
                              QPointF(label.leaderTo.x, label.leaderTo.y)});
    }
  }
  painter.restore();
}

void TFigureDrawing::DrawLegend(QPainter& painter, const TLayout& layout) const {
  if (layout.legend.empty()) return;
  const double ppt = layout.ppt;
  painter.save();
  const QFontMetricsF metrics(layout.font, painter.device());
  const double pad = LegendPad * ppt;
  const double swatch = LegendSwatch * ppt;
  const double rowHeight = std::max(metrics.height(), 8 * ppt);
  const QRectF& box = layout.legendBox;
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(QPen(QColor(160, 160, 160), 0.6 * ppt));
  painter.setBrush(QColor(255, 255, 255, 225));
  painter.drawRect(box);
  double y = box.top() + pad;
  if (!scene_.legendTitle.isEmpty()) {
    QFont bold = layout.font;
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(box.left() + pad, y, box.width() - 2 * pad, rowHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, scene_.legendTitle);
    y += rowHeight;
  }
  painter.setFont(layout.font);
  const double firstRow = y;
  for (std::size_t k = 0; k < layout.legend.size(); ++k) {
    const TLegendEntry& entry = layout.legend[k];
    const double left =
        box.left() + pad + double(k % std::size_t(layout.legendColumns)) * layout.legendCell;
    y = firstRow + double(k / std::size_t(layout.legendColumns)) * rowHeight;
    const QPointF centre(left + swatch / 2, y + rowHeight / 2);
    if (entry.set) {
      painter.setPen(MarkerPen(*entry.set, ppt));
      painter.setBrush(entry.set->fill);
      DrawMarker(painter, entry.set->shape, centre, entry.set->size / 2 * ppt);
    } else if (entry.line || entry.rule) {
      QColor colour = entry.line ? entry.line->colour : entry.rule->colour;
      if (entry.line && entry.line->legendColour.isValid()) colour = entry.line->legendColour;
      const Qt::PenStyle style = entry.line ? entry.line->style : entry.rule->style;
      const double width = entry.line ? entry.line->width : 1.0;
      painter.setPen(QPen(colour, width * ppt, style));
      painter.setBrush(Qt::NoBrush);
      if (entry.line && entry.line->closed) {
        painter.drawEllipse(centre, swatch / 2 - ppt, rowHeight / 2 - ppt);
      } else {
        painter.drawLine(centre - QPointF(swatch / 2, 0), centre + QPointF(swatch / 2, 0));
      }
      if (entry.line && entry.line->markers) {
        painter.setPen(QPen(entry.line->markerOutline, ppt));
        painter.setBrush(entry.line->markerFill);
        painter.drawEllipse(centre, LineMarkerRadius * ppt, LineMarkerRadius * ppt);
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
    painter.drawText(
        QRectF(left + pad + swatch, y, layout.legendCell - pad * 2 - swatch, rowHeight),
        Qt::AlignLeft | Qt::AlignVCenter, entry.text);
  }
  painter.restore();
}

TDrawnFigure TFigureDrawing::Draw(QPainter& painter, const QRectF& area, bool onScreen) const {
  TDrawnFigure drawn;
  painter.save();
  painter.fillRect(area, Qt::white);
  const TLayout layout = Arrange(painter, area);
  DrawContent(painter, layout, onScreen);
  DrawLegend(painter, layout);
  DrawLabels(painter, layout, drawn);
  DrawAxes(painter, layout);
  drawn.plot = layout.plot;
  drawn.x = layout.x;
  drawn.y = layout.y;
  drawn.legend = layout.legendBox;
  drawn.title = layout.title.title;
  drawn.xTitle = layout.xTitle.title;
  drawn.yTitle = layout.yTitle.title;
  painter.restore();
  return drawn;
}

void TFigureDrawing::DrawFigure(QPainter& painter, const QRectF& area) const {
  Draw(painter, area, false);
}

}  // namespace talvex::drawing
