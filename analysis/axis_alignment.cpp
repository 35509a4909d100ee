// Signs that turn leave-one-out axes towards the full-sample axes.
#include "analysis/axis_alignment.h"

#include <cassert>

#include "numeric/lane_dot.h"

namespace talvex {

void AxisAlignmentSigns(const TFloatMatrix& fullAxes, std::span<const double> reducedAxes, TSize p,
                        std::span<double> signs, std::span<double> dots) {
  assert(reducedAxes.size() >= signs.size() * p);
  assert(dots.empty() || dots.size() >= signs.size());
  for (std::size_t a = 0; a < signs.size(); ++a) {
    double dot = 0.0;
    signs[a] = AxisAlignmentSign(fullAxes.Column(TSize(a + 1)), reducedAxes.data() + a * p, p, dot);
    if (!dots.empty()) dots[a] = dot;
  }
}

double AxisAlignmentSign(const double* fullAxis, const double* reducedAxis, TSize p, double& dot) {
  dot = DotProduct(fullAxis, reducedAxis, p);
  return dot < 0.0 ? -1.0 : 1.0;
}

}  // namespace talvex
