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
    const double* full = fullAxes.Column(TSize(a + 1));
    const double* reduced = reducedAxes.data() + a * p;
    const double dot = DotProduct(full, reduced, p);
    signs[a] = dot < 0.0 ? -1.0 : 1.0;
    if (!dots.empty()) dots[a] = dot;
  }
}

}  // namespace talvex
