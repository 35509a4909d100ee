// Arrow scaling: the same factor for every arrow, so their lengths and the
// angles between them keep their meaning.
#include "figures/biplot_scaling.h"

#include <algorithm>
#include <cmath>

namespace talvex {

namespace {

double LargestLength(const std::vector<TPlotPoint>& points) {
  double largest = 0.0;
  for (const TPlotPoint& p : points) {
    const double length = std::hypot(p.x, p.y);
    if (std::isfinite(length)) largest = std::max(largest, length);
  }
  return largest;
}

}  // namespace

double ArrowScale(const std::vector<TPlotPoint>& scores,
                  const std::vector<TPlotPoint>& coefficients, double fraction) {
  const double scoreReach = LargestLength(scores);
  const double arrowReach = LargestLength(coefficients);
  if (scoreReach == 0.0 || arrowReach == 0.0) return 1.0;
  return fraction * scoreReach / arrowReach;
}

}  // namespace talvex
