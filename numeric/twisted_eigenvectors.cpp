// Twisted factorisations in the lanes (see the header). The lanes are fixed
// in the code, so every eigenvalue's vector has the same bits whichever lane
// and group it falls in on any processor.
#include "numeric/twisted_eigenvectors.h"

#include <cmath>
#include <cstddef>
#include <limits>

#include "numeric/wide_vectors.h"

namespace talvex {

static_assert(TwistedGroup == LaneCount, "one eigenvalue per lane");

TALVEX_WIDE_VECTORS void TwistedEigenvectors(const double* diagonal, const double* coupling,
                                             TSize n, const double* lambdas, double pivotFloor,
                                             double* const* z, double* work, double* residuals) {
  const double* a = diagonal;
  const double* b = coupling;
  // Pivots and multipliers of row i at [i * LaneCount], one lane per eigenvalue.
  double* D = work;
  double* L = work + std::size_t(n) * LaneCount;
  double* R = work + 2 * std::size_t(n) * LaneCount;
  double* U = work + 3 * std::size_t(n) * LaneCount;
  auto at = [](double* rows, TSize i) { return rows + std::size_t(i) * LaneCount; };
  const TLanes lambda = LoadLanes(lambdas);
  const TLanes floor = BroadcastLanes(pivotFloor);
  TLanes down = FloorMagnitudes(BroadcastLanes(a[0]) - lambda, floor);
  TLanes up = FloorMagnitudes(BroadcastLanes(a[n - 1]) - lambda, floor);
  StoreLanes(at(D, 0), down);
  StoreLanes(at(R, n - 1), up);
  // Both sweeps in one loop: two independent chains of divisions overlap.
  for (TSize i = 0; i + 1 < n; ++i) {
    const TLanes below = BroadcastLanes(b[i]);
    const TLanes l = below / down;
    down = FloorMagnitudes((BroadcastLanes(a[i + 1]) - lambda) - l * below, floor);
    StoreLanes(at(L, i), l);
    StoreLanes(at(D, i + 1), down);
    const TSize k = n - 2 - i;
    const TLanes above = BroadcastLanes(b[k]);
    const TLanes u = above / up;
    up = FloorMagnitudes((BroadcastLanes(a[k]) - lambda) - u * above, floor);
    StoreLanes(at(U, k), u);
    StoreLanes(at(R, k), up);
  }
  TLanes smallest = BroadcastLanes(std::numeric_limits<double>::infinity());
  TLanes twist = BroadcastLanes(0.0);
  for (TSize i = 0; i < n; ++i) {
    TLanes gamma = LoadLanes(at(D, i)) + LoadLanes(at(R, i)) - (BroadcastLanes(a[i]) - lambda);
    gamma = gamma < 0.0 ? -gamma : gamma;
    twist = gamma < smallest ? BroadcastLanes(double(i)) : twist;
    smallest = gamma < smallest ? gamma : smallest;
  }
  // The vectors in the lanes too, row i at X[i * LaneCount] (D is free now):
  // upward from each lane's twist, then downward from it. A lane outside its
  // part of a sweep holds zero, so the products there stay finite.
  double* X = D;
  const TLanes zero = BroadcastLanes(0.0), one = BroadcastLanes(1.0);
  TLanes x = zero;
  for (TSize i = n; i-- > 0;) {
    const TLanes row = BroadcastLanes(double(i));
    const TLanes product = i + 1 < n ? -LoadLanes(at(L, i)) * x : zero;
    x = row == twist ? one : (row < twist ? product : zero);
    StoreLanes(at(X, i), x);
  }
  x = zero;
  TLanes sumOfSquares = zero;
  for (TSize i = 0; i < n; ++i) {
    const TLanes row = BroadcastLanes(double(i));
    const TLanes product = i > 0 ? -LoadLanes(at(U, i - 1)) * x : zero;
    x = row > twist ? product : LoadLanes(at(X, i));
    StoreLanes(at(X, i), x);
    sumOfSquares += x * x;
  }
  TLanes length;
  for (unsigned t = 0; t < LaneCount; ++t) length[t] = std::sqrt(sumOfSquares[t]);
  for (TSize i = 0; i < n; ++i) StoreLanes(at(X, i), LoadLanes(at(X, i)) / length);

  // The largest element of |(T - lambda I) x| per lane, and the columns out.
  TLanes residual = zero;
  for (TSize i = 0; i < n; ++i) {
    const TLanes xi = LoadLanes(at(X, i));
    TLanes row = (BroadcastLanes(a[i]) - lambda) * xi;
    if (i > 0) row += BroadcastLanes(b[i - 1]) * LoadLanes(at(X, i - 1));
    if (i + 1 < n) row += BroadcastLanes(b[i]) * LoadLanes(at(X, i + 1));
    row = row < 0.0 ? -row : row;
    residual = row > residual ? row : residual;
    for (unsigned t = 0; t < LaneCount; ++t) z[t][i] = xi[t];
  }
  StoreLanes(residuals, residual);
}

}  // namespace talvex
