// The jackknife's update of its running sums.
#include "analysis/pseudo_values.h"

#include "numeric/wide_vectors.h"

namespace talvex {

TALVEX_WIDE_VECTORS void AddPseudoValues(double* __restrict means, double* __restrict squares,
                                         double count, double n, const double* __restrict full,
                                         const double* __restrict reduced, double sign,
                                         std::size_t length) {
  for (std::size_t j = 0; j < length; ++j) {
    const double x = n * full[j] - (n - 1.0) * (sign * reduced[j]);
    const double delta = x - means[j];
    means[j] += delta / count;
    squares[j] += delta * (x - means[j]);
  }
}

}  // namespace talvex
