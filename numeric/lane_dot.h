// Dot products and absolute sums in vector lanes, for the jackknife's axis
// comparisons and the reflections of its panel reduction: four times the
// speed of one running sum, and the same bits on every x86-64 processor (the
// lanes are fixed in the code).
#pragma once

#include "numeric/sizes.h"

namespace talvex {

/// x . y for vectors of length p: two sets of four lanes over consecutive
/// blocks of eight, then the lanes summed in a fixed order, then the last
/// p mod 4 products in turn. Below four elements this is the plain sum in
/// order.
double DotProduct(const double* x, const double* y, TSize p);

/// |x[0]| + ... + |x[p-1]| in the same lanes and order.
double AbsoluteSum(const double* x, TSize p);

}  // namespace talvex
