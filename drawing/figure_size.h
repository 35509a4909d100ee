// TFigureSize: the size of an exported figure as a user states it for a
// journal (17 x 12 cm at 300 dpi), and what it comes to in pixels, inches and
// points. The size is physical, so the screen's scale never changes it.
#pragma once

#include <QSize>
#include <QSizeF>
#include <QString>

namespace talvex::drawing {

enum class TLengthUnit { Centimetres, Inches, Pixels };

struct TFigureSize {
  double width = 17.0;
  double height = 12.0;
  TLengthUnit unit = TLengthUnit::Centimetres;
  int dpi = 300;  // the raster's resolution; with Pixels, it gives the physical size
};

/// The resolutions a figure may have, in dots per inch.
constexpr int MinFigureDpi = 30;
constexpr int MaxFigureDpi = 2400;
/// The raster's sides in pixels: below 16 there is no room for a plot; above
/// 10,000 the image alone needs 400 MB (10,000 x 10,000 at 4 bytes a pixel).
constexpr int MinFigureSide = 16;
constexpr int MaxFigureSide = 10000;

/// The figure's physical size in inches.
QSizeF FigureInches(const TFigureSize& size);
/// The raster's size: each side in inches times the DPI, to the nearest
/// pixel (17 x 12 cm at 300 dpi is 2008 x 1417); with Pixels, the sides as
/// given, to the nearest pixel.
QSize FigurePixelSize(const TFigureSize& size);
/// The same physical size stated in `unit` (unrounded, so that converting
/// back gives the original numbers up to rounding).
TFigureSize FigureSizeIn(const TFigureSize& size, TLengthUnit unit);
/// Why the figure cannot be made at this size, or an empty string when it
/// can: a resolution outside MinFigureDpi..MaxFigureDpi, or a side outside
/// MinFigureSide..MaxFigureSide pixels.
QString FigureSizeProblem(const TFigureSize& size);

/// The unit's short name ("cm", "in", "px"), as the settings file stores it.
QString LengthUnitKey(TLengthUnit unit);
/// The unit of a short name; false when `key` names none (any letter case).
bool LengthUnitFromKey(const QString& key, TLengthUnit& unit);

}  // namespace talvex::drawing
