// The jackknife's joint region of a point on two axes.
#include "figures/jackknife_ellipse.h"

#include <cmath>
#include <numbers>

namespace talvex {

std::optional<TEllipse> JackknifeEllipse(TPlotPoint centre, double varX, double varY, double cov,
                                         TSize n, double level) {
  if (n < 3 || !std::isfinite(varX) || !std::isfinite(varY) || !std::isfinite(cov) ||
      !std::isfinite(centre.x) || !std::isfinite(centre.y) || varX < 0 || varY < 0)
    return std::nullopt;
  // Eigenvalues of the symmetric 2 x 2 matrix, the larger first.
  const double mean = (varX + varY) / 2;
  const double half = std::hypot((varX - varY) / 2, cov);
  const double major = mean + half;
  double minor = mean - half;
  if (minor < -1e-12 * major) return std::nullopt;
  if (minor < 0) minor = 0;
  const double m = double(n) - 2;
  const double c = 2 * (double(n) - 1) / m * F2Quantile(m, level);
  TEllipse ellipse;
  ellipse.centre = centre;
  ellipse.semiMajor = std::sqrt(c * major);
  ellipse.semiMinor = std::sqrt(c * minor);
  // The major axis: the eigenvector of the larger eigenvalue.
  ellipse.angle = half == 0 ? 0.0 : std::atan2(major - varX, cov);
  if (ellipse.angle > std::numbers::pi / 2) ellipse.angle -= std::numbers::pi;
  return ellipse;
}

}  // namespace talvex
