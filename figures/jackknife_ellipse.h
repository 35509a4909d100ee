// The joint 95% region of a jackknifed point on two axes: an ellipse from the
// jackknife's variances and covariance of its two coordinates, the
// two-dimensional counterpart of estimate +- t(n - 1, 0.975) SE.
#pragma once

#include <optional>

#include "figures/group_regions.h"
#include "numeric/sizes.h"

namespace talvex {

/// The level ellipse around `centre` of the jackknife covariance
/// [varX cov; cov varY] of n pseudo-values: radii sqrt(c * eigenvalue) with
/// Hotelling's c = 2(n - 1)/(n - 2) F(2, n - 2; level). Nullopt for n < 3,
/// a non-finite value or a covariance that is not positive semi-definite
/// beyond rounding.
std::optional<TEllipse> JackknifeEllipse(TPlotPoint centre, double varX, double varY, double cov,
                                         TSize n, double level = 0.95);

}  // namespace talvex
