// Orientation of the size axis and the allometric coefficients.
#include "analysis/allometry.h"

#include <cassert>
#include <cmath>

namespace talvex {

double SizeAxisOrientation(std::span<const double> sizeAxis) {
  double sum = 0.0;
  for (const double coefficient : sizeAxis) sum += coefficient;
  return sum < 0.0 ? -1.0 : 1.0;
}

void AllometricCoefficients(std::span<const double> sizeAxis, double orientation,
                            std::span<double> macs) {
  assert(macs.size() == sizeAxis.size());
  const double isometric = std::sqrt(1.0 / double(sizeAxis.size()));
  for (std::size_t j = 0; j < sizeAxis.size(); ++j) macs[j] = orientation * sizeAxis[j] / isometric;
}

}  // namespace talvex
