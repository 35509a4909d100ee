// The jackknife's running sums of pseudo-values, shared by the listing's
// jackknife and the diagnostics' matched-axes jackknife so that both add
// them in the same order with the same bits.
#pragma once

#include <cstddef>

namespace talvex {

/// Adds the pseudo-values x = n * full[j] - (n - 1) * sign * reduced[j],
/// j < length, of the count-th reduced sample to running means and sums of
/// squared deviations (Welford's update). `sign` is +1 or -1, so
/// sign * reduced[j] is exact. Element by element, so in vector lanes
/// without changing a bit.
void AddPseudoValues(double* means, double* squares, double count, double n, const double* full,
                     const double* reduced, double sign, std::size_t length);

}  // namespace talvex
