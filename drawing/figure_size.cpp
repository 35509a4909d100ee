// The figure's size in its units, inches and pixels.
#include "drawing/figure_size.h"

#include <cmath>

namespace talvex::drawing {

namespace {

constexpr double CentimetresPerInch = 2.54;

// How many of `unit` make one inch at `dpi`.
double UnitsPerInch(TLengthUnit unit, int dpi) {
  switch (unit) {
    case TLengthUnit::Centimetres:
      return CentimetresPerInch;
    case TLengthUnit::Inches:
      return 1.0;
    case TLengthUnit::Pixels:
      return dpi;
  }
  return 1.0;
}

// A side in whole pixels; NaN and absurd values fall outside the limits
// instead of overflowing.
int PixelSide(double pixels) {
  if (!(pixels > 0)) return 0;
  if (pixels > 4.0 * MaxFigureSide) return 4 * MaxFigureSide;
  return int(std::lround(pixels));
}

}  // namespace

QSizeF FigureInches(const TFigureSize& size) {
  const double perInch = UnitsPerInch(size.unit, size.dpi);
  return {size.width / perInch, size.height / perInch};
}

QSize FigurePixelSize(const TFigureSize& size) {
  if (size.unit == TLengthUnit::Pixels) return {PixelSide(size.width), PixelSide(size.height)};
  const QSizeF inches = FigureInches(size);
  return {PixelSide(inches.width() * size.dpi), PixelSide(inches.height() * size.dpi)};
}

TFigureSize FigureSizeIn(const TFigureSize& size, TLengthUnit unit) {
  if (unit == size.unit) return size;
  const QSizeF inches = FigureInches(size);
  const double perInch = UnitsPerInch(unit, size.dpi);
  return {inches.width() * perInch, inches.height() * perInch, unit, size.dpi};
}

QString FigureSizeProblem(const TFigureSize& size) {
  if (size.dpi < MinFigureDpi || size.dpi > MaxFigureDpi)
    return QStringLiteral("The resolution must be from %1 to %2 dpi")
        .arg(MinFigureDpi)
        .arg(MaxFigureDpi);
  const QSize pixels = FigurePixelSize(size);
  if (pixels.width() < MinFigureSide || pixels.height() < MinFigureSide)
    return QStringLiteral("The figure must be at least %1 pixels wide and high").arg(MinFigureSide);
  if (pixels.width() > MaxFigureSide || pixels.height() > MaxFigureSide)
    return QStringLiteral("The figure may be at most %1 x %1 pixels").arg(MaxFigureSide);
  return {};
}

QString LengthUnitKey(TLengthUnit unit) {
  switch (unit) {
    case TLengthUnit::Centimetres:
      return QStringLiteral("cm");
    case TLengthUnit::Inches:
      return QStringLiteral("in");
    case TLengthUnit::Pixels:
      return QStringLiteral("px");
  }
  return {};
}

bool LengthUnitFromKey(const QString& key, TLengthUnit& unit) {
  for (const TLengthUnit candidate :
       {TLengthUnit::Centimetres, TLengthUnit::Inches, TLengthUnit::Pixels}) {
    if (key.compare(LengthUnitKey(candidate), Qt::CaseInsensitive) == 0) {
      unit = candidate;
      return true;
    }
  }
  return false;
}

}  // namespace talvex::drawing
