// Signs that turn leave-one-out axes towards the full-sample axes.
#include "analysis/axis_alignment.h"

#include <cassert>

namespace talvex {

void AxisAlignmentSigns(const TFloatMatrix& fullAxes, std::span<const double> reducedAxes, TSize p,
                        std::span<double> signs) {
  assert(reducedAxes.size() >= signs.size() * p);
  for (std::size_t a = 0; a < signs.size(); ++a) {
    const double* full = fullAxes.Column(TSize(a + 1));
    const double* reduced = reducedAxes.data() + a * p;
    double dot = 0.0;
    for (TSize j = 0; j < p; ++j) dot += full[j] * reduced[j];
    signs[a] = dot < 0.0 ? -1.0 : 1.0;
  }
}

}  // namespace talvex
