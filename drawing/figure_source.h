// TFigureSource: what the plot windows draw. The export, the clipboard and the
// printer draw the same figure through it at any size and resolution.
#pragma once

class QPainter;
class QRectF;

namespace talvex::drawing {

class TFigureSource {
 public:
  virtual ~TFigureSource() = default;
  /// Draws the whole figure (title, axes, legend, content) into `area` of `painter`. Fonts are
  /// given in points and line widths / marker sizes in points times the device's logical DPI / 72,
  /// so the figure looks the same on screen, in a 300-dpi PNG, an SVG and a PDF.
  virtual void DrawFigure(QPainter& painter, const QRectF& area) const = 0;
};

}  // namespace talvex::drawing
