// The scaling of a biplot's variable arrows to its score cloud.
#pragma once

#include <vector>

#include "figures/plot_point.h"

namespace talvex {

/// The factor s that scales the variables' arrows (eigenvector coefficients
/// on the two shown components) so that the longest arrow is `fraction` of
/// the largest distance of a score from the origin; 1 when either set is all
/// zero. Points with a non-finite coordinate are left out.
double ArrowScale(const std::vector<TPlotPoint>& scores,
                  const std::vector<TPlotPoint>& coefficients, double fraction = 0.8);

}  // namespace talvex
