// Twisted factorisations in the lanes (see the header). Two sets of four
// lanes run side by side, so that four chains of divisions overlap in the
// factorisations. The lanes are fixed in the code, so every eigenvalue's
// vector has the same bits whichever lane and group it falls in on any
// processor.
#include "numeric/twisted_eigenvectors.h"

#include <cmath>
#include <cstddef>
#include <limits>

#include "numeric/wide_vectors.h"

namespace talvex {

namespace {

/// Sets of lanes per group.
constexpr unsigned LaneSets = 2;

static_assert(TwistedGroup == LaneSets * LaneCount, "one eigenvalue per lane");

/// The lanes of one row: set g holds eigenvalues g * LaneCount onwards.
struct TRow {
  TLanes set[LaneSets];
};

inline TRow LoadRow(const double* from) {
  TRow row;
  for (unsigned g = 0; g < LaneSets; ++g) row.set[g] = LoadLanes(from + g * LaneCount);
  return row;
}

inline void StoreRow(double* to, const TRow& row) {
  for (unsigned g = 0; g < LaneSets; ++g) StoreLanes(to + g * LaneCount, row.set[g]);
}

}  // namespace

TALVEX_WIDE_VECTORS void TwistedEigenvectors(const double* diagonal, const double* coupling,
                                             TSize n, const double* lambdas, double pivotFloor,
                                             double* const* z, double* work, double* residuals) {
  const double* a = diagonal;
  const double* b = coupling;
  // Pivots and multipliers of row i at [i * TwistedGroup], one lane per eigenvalue.
  double* D = work;
  double* L = work + std::size_t(n) * TwistedGroup;
  double* R = work + 2 * std::size_t(n) * TwistedGroup;
  double* U = work + 3 * std::size_t(n) * TwistedGroup;
  auto at = [](double* rows, TSize i) { return rows + std::size_t(i) * TwistedGroup; };
  const TRow lambda = LoadRow(lambdas);
  const TLanes floor = BroadcastLanes(pivotFloor);
  TRow down, up;
  for (unsigned g = 0; g < LaneSets; ++g) {
    down.set[g] = FloorMagnitudes(BroadcastLanes(a[0]) - lambda.set[g], floor);
    up.set[g] = FloorMagnitudes(BroadcastLanes(a[n - 1]) - lambda.set[g], floor);
  }
  StoreRow(at(D, 0), down);
  StoreRow(at(R, n - 1), up);
  // Both sweeps in one loop: independent chains of divisions overlap.
  for (TSize i = 0; i + 1 < n; ++i) {
    const TLanes below = BroadcastLanes(b[i]);
    const TLanes nextA = BroadcastLanes(a[i + 1]);
    const TSize k = n - 2 - i;
    const TLanes above = BroadcastLanes(b[k]);
    const TLanes thisA = BroadcastLanes(a[k]);
    TRow l, u;
    for (unsigned g = 0; g < LaneSets; ++g) {
      l.set[g] = below / down.set[g];
      u.set[g] = above / up.set[g];
      down.set[g] = FloorMagnitudes((nextA - lambda.set[g]) - l.set[g] * below, floor);
      up.set[g] = FloorMagnitudes((thisA - lambda.set[g]) - u.set[g] * above, floor);
    }
    StoreRow(at(L, i), l);
    StoreRow(at(D, i + 1), down);
    StoreRow(at(U, k), u);
    StoreRow(at(R, k), up);
  }
  TRow smallest, twist;
  for (unsigned g = 0; g < LaneSets; ++g) {
    smallest.set[g] = BroadcastLanes(std::numeric_limits<double>::infinity());
    twist.set[g] = BroadcastLanes(0.0);
  }
  for (TSize i = 0; i < n; ++i) {
    const TRow d = LoadRow(at(D, i)), r = LoadRow(at(R, i));
    const TLanes row = BroadcastLanes(double(i));
    for (unsigned g = 0; g < LaneSets; ++g) {
      TLanes gamma = d.set[g] + r.set[g] - (BroadcastLanes(a[i]) - lambda.set[g]);
      gamma = gamma < 0.0 ? -gamma : gamma;
      twist.set[g] = gamma < smallest.set[g] ? row : twist.set[g];
      smallest.set[g] = gamma < smallest.set[g] ? gamma : smallest.set[g];
    }
  }
  // The vectors in the lanes too, row i at X[i * TwistedGroup] (D is free
  // now): upward from each lane's twist, then downward from it. A lane
  // outside its part of a sweep holds zero, so the products there stay finite.
  double* X = D;
  const TLanes zero = BroadcastLanes(0.0), one = BroadcastLanes(1.0);
  TRow x;
  for (unsigned g = 0; g < LaneSets; ++g) x.set[g] = zero;
  for (TSize i = n; i-- > 0;) {
    const TLanes row = BroadcastLanes(double(i));
    const TRow multipliers = i + 1 < n ? LoadRow(at(L, i)) : TRow{};
    for (unsigned g = 0; g < LaneSets; ++g) {
      const TLanes product = i + 1 < n ? -multipliers.set[g] * x.set[g] : zero;
      x.set[g] = row == twist.set[g] ? one : (row < twist.set[g] ? product : zero);
    }
    StoreRow(at(X, i), x);
  }
  TRow sumOfSquares;
  for (unsigned g = 0; g < LaneSets; ++g) {
    x.set[g] = zero;
    sumOfSquares.set[g] = zero;
  }
  for (TSize i = 0; i < n; ++i) {
    const TLanes row = BroadcastLanes(double(i));
    const TRow multipliers = i > 0 ? LoadRow(at(U, i - 1)) : TRow{};
    const TRow upward = LoadRow(at(X, i));
    for (unsigned g = 0; g < LaneSets; ++g) {
      const TLanes product = i > 0 ? -multipliers.set[g] * x.set[g] : zero;
      x.set[g] = row > twist.set[g] ? product : upward.set[g];
      sumOfSquares.set[g] += x.set[g] * x.set[g];
    }
    StoreRow(at(X, i), x);
  }
  TRow length;
  for (unsigned g = 0; g < LaneSets; ++g)
    for (unsigned t = 0; t < LaneCount; ++t) length.set[g][t] = std::sqrt(sumOfSquares.set[g][t]);
  // The twist's element is 1, so every length is at least 1 and its
  // reciprocal finite.
  if (n > FastArithmeticAbove) {
    TRow reciprocal;
    for (unsigned g = 0; g < LaneSets; ++g) reciprocal.set[g] = one / length.set[g];
    for (TSize i = 0; i < n; ++i) {
      TRow xi = LoadRow(at(X, i));
      for (unsigned g = 0; g < LaneSets; ++g) xi.set[g] = xi.set[g] * reciprocal.set[g];
      StoreRow(at(X, i), xi);
    }
  } else {
    for (TSize i = 0; i < n; ++i) {
      TRow xi = LoadRow(at(X, i));
      for (unsigned g = 0; g < LaneSets; ++g) xi.set[g] = xi.set[g] / length.set[g];
      StoreRow(at(X, i), xi);
    }
  }

  // The largest element of |(T - lambda I) x| per lane, and the columns out.
  TRow residual;
  for (unsigned g = 0; g < LaneSets; ++g) residual.set[g] = zero;
  for (TSize i = 0; i < n; ++i) {
    const TRow xi = LoadRow(at(X, i));
    const TRow xAbove = i > 0 ? LoadRow(at(X, i - 1)) : TRow{};
    const TRow xBelow = i + 1 < n ? LoadRow(at(X, i + 1)) : TRow{};
    for (unsigned g = 0; g < LaneSets; ++g) {
      TLanes row = (BroadcastLanes(a[i]) - lambda.set[g]) * xi.set[g];
      if (i > 0) row += BroadcastLanes(b[i - 1]) * xAbove.set[g];
      if (i + 1 < n) row += BroadcastLanes(b[i]) * xBelow.set[g];
      row = row < 0.0 ? -row : row;
      residual.set[g] = row > residual.set[g] ? row : residual.set[g];
      for (unsigned t = 0; t < LaneCount; ++t) z[g * LaneCount + t][i] = xi.set[g][t];
    }
  }
  StoreRow(residuals, residual);
}

}  // namespace talvex
