// Test data whose leading eigenvalues stand apart (a common factor, growing
// by `slope` from one variable to the next, and a second one in every
// variable), and the dot product of two axes: for the tests of the wide
// routes, in numeric/ and analysis/.
#pragma once

#include <cmath>
#include <random>

#include "numeric/float_matrix.h"
#include "numeric/sizes.h"

namespace talvex::testing {

inline TFloatMatrix FactorData(TSize n, TSize p, unsigned seed, double slope) {
  std::mt19937 rng(seed);
  std::normal_distribution<double> normal;
  TFloatMatrix x(n, p);
  for (TSize i = 1; i <= n; ++i) {
    const double common = 3.0 * normal(rng), second = 1.5 * normal(rng);
    for (TSize j = 1; j <= p; ++j)
      x.SetValue(i, j,
                 50.0 + (1.0 + slope * j) * common + std::sin(double(j)) * second + normal(rng));
  }
  return x;
}

/// Column ca of a and column cb of b, over their first p rows.
inline double Dot(const TFloatMatrix& a, TSize ca, const TFloatMatrix& b, TSize cb, TSize p) {
  double dot = 0.0;
  for (TSize j = 1; j <= p; ++j) dot += a.GetValue(j, ca) * b.GetValue(j, cb);
  return dot;
}

}  // namespace talvex::testing
