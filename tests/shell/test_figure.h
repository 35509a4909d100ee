// A small figure for the export tests, drawn as a plot window draws: a frame,
// a filled circle, a diagonal line and a line of text, with line widths and
// the font in points, so the figure keeps its look at any resolution.
#pragma once

#include <QFont>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>

#include "drawing/figure_source.h"

namespace talvex::desktop {

class TTestFigure final : public drawing::TFigureSource {
 public:
  /// `mirrored` draws the diagonal the other way, a figure that the image
  /// comparisons must tell apart from the plain one.
  explicit TTestFigure(bool mirrored = false) : mirrored_(mirrored) {}

  void DrawFigure(QPainter& painter, const QRectF& area) const override {
    const double point = painter.device()->logicalDpiX() / 72.0;  // pixels per point
    const double side = std::min(area.width(), area.height());
    const QRectF frame = area.adjusted(0.06 * side, 0.06 * side, -0.06 * side, -0.06 * side);
    painter.save();
    painter.setPen(QPen(Qt::black, 2 * point));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(frame);
    painter.setPen(QPen(QColor(0, 114, 178), 3 * point));
    painter.setBrush(QColor(230, 159, 0));
    painter.drawEllipse(frame.center(), 0.3 * side, 0.3 * side);
    painter.setPen(QPen(QColor(0, 100, 0), 6 * point));
    if (mirrored_)
      painter.drawLine(frame.topLeft(), frame.bottomRight());
    else
      painter.drawLine(frame.bottomLeft(), frame.topRight());
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSizeF(20);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(frame.adjusted(0, 4 * point, 0, 0), Qt::AlignHCenter | Qt::AlignTop,
                     QStringLiteral("Component 1 (62.50%)"));
    painter.restore();
  }

 private:
  bool mirrored_;
};

}  // namespace talvex::desktop
