// The jackknife's eigen-decomposition (see the header). The matrix is
// column-major and the reduction runs forward over the lower triangle:
// reflection j takes column j below the diagonal, which is contiguous, and is
// kept there scaled so that P(j) = I - v v^T (|v|^2 = 2).
#include "numeric/blocked_principal_axes.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "numeric/container_checks.h"
#include "numeric/float_faults.h"
#include "numeric/principal_axes.h"
#include "numeric/statistics.h"
#include "numeric/wide_vectors.h"

namespace talvex {

namespace {

/// QL sweeps allowed for the whole matrix, as in principal_axes.cpp.
constexpr unsigned long SweepsPerEigenvalue = 30;

/// Reflections combined into one pass over each column of Q. Four keep the
/// reflection vectors and one column in the first-level cache at p = 1000
/// and fill the lanes' accumulators without spilling.
constexpr TSize WyBlock = 4;

/// Columns c and c+1 of the trailing block (rows from the diagonal down):
/// the pending rank-two update a -= q w^T + w q^T of the previous step, then
/// the columns' terms of y = A v: y[r] += a[r] v[c] below the diagonal and
/// y[c] += a[c] v[c] plus the sum of a[r] v[r] below it. One pass, so each
/// column is read once per step, and a pair shares the traffic of y.
TALVEX_WIDE_VECTORS void UpdateAndMultiplyColumns(double* __restrict a0, double* __restrict a1,
                                                  TSize c, TSize n, const double* __restrict w,
                                                  const double* __restrict q,
                                                  const double* __restrict v,
                                                  double* __restrict y) {
  const TSize c1 = c + 1;
  const double w0 = w[c], q0 = q[c], v0 = v[c];
  const double w1 = w[c1], q1 = q[c1], v1 = v[c1];
  // The triangle on the diagonal: a0[c], a0[c+1], a1[c+1].
  const double d0 = a0[c] - (q[c] * w0 + w[c] * q0);
  const double x0 = a0[c1] - (q[c1] * w0 + w[c1] * q0);
  const double d1 = a1[c1] - (q[c1] * w1 + w[c1] * q1);
  a0[c] = d0;
  a0[c1] = x0;
  a1[c1] = d1;
  double tail0 = x0 * v[c1];
  double tail1 = 0.0;
  y[c1] += x0 * v0;
  const TLanes W0 = BroadcastLanes(w0), Q0 = BroadcastLanes(q0), V0 = BroadcastLanes(v0);
  const TLanes W1 = BroadcastLanes(w1), Q1 = BroadcastLanes(q1), V1 = BroadcastLanes(v1);
  TLanes dot0 = BroadcastLanes(0.0), dot1 = dot0;
  TSize r = c + 2;
  for (; r + LaneCount <= n; r += LaneCount) {
    const TLanes qr = LoadLanes(q + r), wr = LoadLanes(w + r), vr = LoadLanes(v + r);
    const TLanes x = LoadLanes(a0 + r) - (qr * W0 + wr * Q0);
    const TLanes z = LoadLanes(a1 + r) - (qr * W1 + wr * Q1);
    StoreLanes(a0 + r, x);
    StoreLanes(a1 + r, z);
    StoreLanes(y + r, LoadLanes(y + r) + (x * V0 + z * V1));
    dot0 += x * vr;
    dot1 += z * vr;
  }
  for (; r < n; ++r) {
    const double x = a0[r] - (q[r] * w0 + w[r] * q0);
    const double z = a1[r] - (q[r] * w1 + w[r] * q1);
    a0[r] = x;
    a1[r] = z;
    y[r] += x * v0 + z * v1;
    tail0 += x * v[r];
    tail1 += z * v[r];
  }
  y[c] += d0 * v0 + (SumOfLanes(dot0) + tail0);
  y[c1] += d1 * v1 + (SumOfLanes(dot1) + tail1);
}

/// The last column of the trailing block when its width is odd.
void UpdateAndMultiplyLastColumn(double* a, TSize c, const double* w, const double* q,
                                 const double* v, double* y) {
  a[c] = a[c] - (q[c] * w[c] + w[c] * q[c]);
  y[c] += a[c] * v[c];
}

/// Rows from..n-1 of column c: the pending update alone.
void UpdateColumn(double* a, TSize c, TSize n, const double* w, const double* q) {
  for (TSize r = c; r < n; ++r) a[r] = a[r] - (q[r] * w[c] + w[r] * q[c]);
}

/// x := (I - V T V^T) x and y likewise over rows r0..n-1, V the WyBlock
/// columns of `panel` (leading dimension ldp, zero outside each reflection's
/// rows) and T upper triangular, row-major. Two columns share every load of
/// the reflection vectors.
TALVEX_WIDE_VECTORS void ApplyBlockToColumnPair(double* __restrict x, double* __restrict y,
                                                TSize r0, TSize n, const double* __restrict panel,
                                                std::size_t ldp, const double* __restrict T) {
  const double* v0 = panel;
  const double* v1 = panel + ldp;
  const double* v2 = panel + 2 * ldp;
  const double* v3 = panel + 3 * ldp;
  const TLanes zero = BroadcastLanes(0.0);
  TLanes sx0 = zero, sx1 = zero, sx2 = zero, sx3 = zero;
  TLanes sy0 = zero, sy1 = zero, sy2 = zero, sy3 = zero;
  TSize r = r0;
  for (; r + LaneCount <= n; r += LaneCount) {
    const TLanes xr = LoadLanes(x + r), yr = LoadLanes(y + r);
    const TLanes u0 = LoadLanes(v0 + r), u1 = LoadLanes(v1 + r);
    const TLanes u2 = LoadLanes(v2 + r), u3 = LoadLanes(v3 + r);
    sx0 += u0 * xr;
    sy0 += u0 * yr;
    sx1 += u1 * xr;
    sy1 += u1 * yr;
    sx2 += u2 * xr;
    sy2 += u2 * yr;
    sx3 += u3 * xr;
    sy3 += u3 * yr;
  }
  double tx[WyBlock] = {}, ty[WyBlock] = {};
  for (TSize k = r; k < n; ++k) {
    tx[0] += v0[k] * x[k];
    ty[0] += v0[k] * y[k];
    tx[1] += v1[k] * x[k];
    ty[1] += v1[k] * y[k];
    tx[2] += v2[k] * x[k];
    ty[2] += v2[k] * y[k];
    tx[3] += v3[k] * x[k];
    ty[3] += v3[k] * y[k];
  }
  const double ax[WyBlock] = {SumOfLanes(sx0) + tx[0], SumOfLanes(sx1) + tx[1],
                              SumOfLanes(sx2) + tx[2], SumOfLanes(sx3) + tx[3]};
  const double ay[WyBlock] = {SumOfLanes(sy0) + ty[0], SumOfLanes(sy1) + ty[1],
                              SumOfLanes(sy2) + ty[2], SumOfLanes(sy3) + ty[3]};
  double bx[WyBlock], by[WyBlock];
  for (TSize i = 0; i < WyBlock; ++i) {
    double sumX = 0.0, sumY = 0.0;
    for (TSize t = i; t < WyBlock; ++t) {
      sumX += T[i * WyBlock + t] * ax[t];
      sumY += T[i * WyBlock + t] * ay[t];
    }
    bx[i] = sumX;
    by[i] = sumY;
  }
  const TLanes X0 = BroadcastLanes(bx[0]), X1 = BroadcastLanes(bx[1]);
  const TLanes X2 = BroadcastLanes(bx[2]), X3 = BroadcastLanes(bx[3]);
  const TLanes Y0 = BroadcastLanes(by[0]), Y1 = BroadcastLanes(by[1]);
  const TLanes Y2 = BroadcastLanes(by[2]), Y3 = BroadcastLanes(by[3]);
  for (r = r0; r + LaneCount <= n; r += LaneCount) {
    const TLanes u0 = LoadLanes(v0 + r), u1 = LoadLanes(v1 + r);
    const TLanes u2 = LoadLanes(v2 + r), u3 = LoadLanes(v3 + r);
    StoreLanes(x + r, LoadLanes(x + r) - (u0 * X0 + u1 * X1 + u2 * X2 + u3 * X3));
    StoreLanes(y + r, LoadLanes(y + r) - (u0 * Y0 + u1 * Y1 + u2 * Y2 + u3 * Y3));
  }
  for (; r < n; ++r) {
    x[r] = x[r] - (v0[r] * bx[0] + v1[r] * bx[1] + v2[r] * bx[2] + v3[r] * bx[3]);
    y[r] = y[r] - (v0[r] * by[0] + v1[r] * by[1] + v2[r] * by[2] + v3[r] * by[3]);
  }
}

/// Columns first..n-1 of X (leading dimension ldx), rows r0..n-1, by pairs;
/// an odd last column is paired with `spare`, n zeros that stay zero.
void ApplyBlockToColumns(double* X, std::size_t ldx, TSize first, TSize n, TSize r0,
                         const double* panel, const double* T, double* spare) {
  TSize c = first;
  for (; c + 1 < n; c += 2)
    ApplyBlockToColumnPair(X + c * ldx, X + (c + 1) * ldx, r0, n, panel, n, T);
  if (c < n) ApplyBlockToColumnPair(X + c * ldx, spare, r0, n, panel, n, T);
}

/// The triangular factor of P(lo) P(lo+1) ... = I - V T V^T (forward
/// accumulation, every reflection with tau = 1): T[i][t] = -sum over
/// l = i..t-1 of T[i][l] (v_l . v_t).
void TriangularFactor(const double* panel, std::size_t ldp, TSize r0, TSize n, double* T) {
  std::fill(T, T + WyBlock * WyBlock, 0.0);
  for (TSize t = 0; t < WyBlock; ++t) {
    T[t * WyBlock + t] = 1.0;
    double z[WyBlock] = {};
    for (TSize l = 0; l < t; ++l)
      for (TSize r = r0; r < n; ++r) z[l] += panel[l * ldp + r] * panel[t * ldp + r];
    for (TSize i = 0; i < t; ++i) {
      double sum = 0.0;
      for (TSize l = i; l < t; ++l) sum += T[i * WyBlock + l] * z[l];
      T[i * WyBlock + t] = -sum;
    }
  }
}

void SetUnitColumn(double* column, TSize c, TSize n) {
  std::fill(column, column + n, 0.0);
  column[c] = 1.0;
}

/// Calls apply(lo, hi, panel, T, spare) for the groups of reflections lo..lo+3 (the
/// first group may be shorter), last group first, with the group's vectors
/// copied into panel (zero outside their rows), T their triangular factor and
/// spare a column of zeros for ApplyBlockToColumns.
template <typename F>
void ForEachGroupLastFirst(const double* A, std::size_t ld, TSize n, F&& apply) {
  const TSize reflections = n >= 3 ? n - 2 : 0;
  std::vector<double> panel(WyBlock * std::size_t(n));
  std::vector<double> spare(n);
  double T[WyBlock * WyBlock];
  for (TSize hi = reflections; hi > 0;) {
    const TSize lo = hi >= WyBlock ? hi - WyBlock : 0;
    std::fill(panel.begin(), panel.end(), 0.0);
    for (TSize j = lo; j < hi; ++j) {
      const double* from = A + j * ld;
      std::copy(from + j + 1, from + n, panel.data() + (j - lo) * n + j + 1);
    }
    TriangularFactor(panel.data(), n, lo + 1, n, T);
    apply(lo, hi, panel.data(), T, spare.data());
    hi = lo;
  }
}

/// Q = P(0) P(1) ... P(n-3) in place of the reflections. The columns of Q
/// beyond a group are still those of the identity when the group is applied,
/// so only the columns after its first reflection change.
void FormReflectionProduct(double* A, std::size_t ld, TSize n) {
  const TSize reflections = n >= 3 ? n - 2 : 0;
  for (TSize c = reflections + 1; c < n; ++c) SetUnitColumn(A + c * ld, c, n);
  ForEachGroupLastFirst(
      A, ld, n, [&](TSize lo, TSize hi, const double* panel, const double* T, double* spare) {
        for (TSize c = lo + 1; c <= hi; ++c) SetUnitColumn(A + c * ld, c, n);
        ApplyBlockToColumns(A, ld, lo + 1, n, lo + 1, panel, T, spare);
      });
  if (n >= 1) SetUnitColumn(A, 0, n);
}

/// X := Q X (n x n, leading dimension ldx), Q = P(0) ... P(n-3) from the
/// reflections stored in A.
void ApplyReflectionProduct(const double* A, std::size_t ld, TSize n, double* X, std::size_t ldx) {
  ForEachGroupLastFirst(A, ld, n,
                        [&](TSize lo, TSize, const double* panel, const double* T, double* spare) {
                          ApplyBlockToColumns(X, ldx, 0, n, lo + 1, panel, T, spare);
                        });
}

/// Forward reduction: the diagonal into dd, the off-diagonal into ee with
/// ee[j] coupling rows j-1 and j (ee[0] = 0), the reflections left in the
/// lower triangle of A.
void ReduceLower(double* A, std::size_t ld, TSize n, double* dd, double* ee) {
  // The update of step j is applied during step j + 1's pass; before the
  // first step there is none (w = q = 0).
  std::vector<double> zeros(n), pendingQ(n), y(n);
  const double* w = zeros.data();
  const double* q = zeros.data();
  for (TSize j = 0; j + 2 < n; ++j) {
    double* column = A + j * ld;
    UpdateColumn(column, j, n, w, q);
    dd[j] = column[j];
    double scale = 0.0;
    for (TSize r = j + 1; r < n; ++r) scale += std::fabs(column[r]);
    if (scale == 0.0) {
      ee[j + 1] = 0.0;  // already reduced; v = 0 leaves P(j) = I
    } else {
      double h = 0.0;
      for (TSize r = j + 1; r < n; ++r) {
        column[r] = column[r] / scale;
        h += column[r] * column[r];
      }
      const double f = column[j + 1];
      const double g = -TransferSign(std::sqrt(h), f);
      ee[j + 1] = scale * g;
      h -= f * g;
      column[j + 1] = f - g;
      const double length = std::sqrt(h);
      for (TSize r = j + 1; r < n; ++r) column[r] = column[r] / length;
    }

    std::fill(y.begin() + j + 1, y.end(), 0.0);
    TSize c = j + 1;
    for (; c + 1 < n; c += 2)
      UpdateAndMultiplyColumns(A + c * ld, A + (c + 1) * ld, c, n, w, q, column, y.data());
    if (c < n) UpdateAndMultiplyLastColumn(A + c * ld, c, w, q, column, y.data());
    double half = 0.0;
    for (TSize r = j + 1; r < n; ++r) half += column[r] * y[r];
    half = half / 2.0;
    for (TSize r = j + 1; r < n; ++r) pendingQ[r] = y[r] - half * column[r];
    w = column;
    q = pendingQ.data();
  }
  for (TSize c = n >= 2 ? n - 2 : 0; c < n; ++c) UpdateColumn(A + c * ld, c, n, w, q);
  if (n >= 2) {
    dd[n - 2] = A[(n - 2) * ld + n - 2];
    ee[n - 1] = A[(n - 2) * ld + n - 1];
  }
  if (n >= 1) {
    dd[n - 1] = A[(n - 1) * ld + n - 1];
    ee[0] = 0.0;
  }
}

/// Q formed from the reflections, then T and the columns of Q reversed alike
/// into the orientation of Tridiagonalize, whose last row is reduced first:
/// the QL iteration works from the top down and needs a sixth to a fifth
/// fewer rotations this way.
void FormReversedQ(double* A, std::size_t ld, TSize n, double* dd, double* ee) {
  FormReflectionProduct(A, ld, n);
  std::reverse(dd, dd + n);
  if (n >= 2) std::reverse(ee + 1, ee + n);
  for (TSize c = 0; c < n / 2; ++c)
    std::swap_ranges(A + c * ld, A + c * ld + n, A + (n - 1 - c) * ld);
}

/// Unit eigenvectors z[t] of the tridiagonal T (diagonal a, a[i] coupled to
/// a[i+1] by b[i + 1]) for its eigenvalues lambdas[t], four at a time in the
/// lanes, by the twisted factorisation of T - lambda I: the LDL^T pivots from
/// the top and the UDU^T pivots from the bottom meet at the row k where the
/// pair's combined pivot gamma_k is smallest, and z with z_k = 1 solves
/// (T - lambda I) z = gamma_k e_k by products alone. A pivot below pivmin is
/// replaced by -pivmin (a change of T of that size). residuals[t] := the
/// largest element of |(T - lambda I) z[t]|. work: 16n.
TALVEX_WIDE_VECTORS void TwistedEigenvectors(const double* a, const double* b, TSize n,
                                             const double* lambdas, double pivmin, double* const* z,
                                             double* work, double* residuals) {
  // Pivots and multipliers of row i at [i * LaneCount], one lane per eigenvalue.
  double* D = work;
  double* L = work + std::size_t(n) * LaneCount;
  double* R = work + 2 * std::size_t(n) * LaneCount;
  double* U = work + 3 * std::size_t(n) * LaneCount;
  auto at = [](double* rows, TSize i) { return rows + std::size_t(i) * LaneCount; };
  const TLanes lambda = LoadLanes(lambdas);
  const TLanes floor = BroadcastLanes(pivmin);
  TLanes down = FloorMagnitudes(BroadcastLanes(a[0]) - lambda, floor);
  TLanes up = FloorMagnitudes(BroadcastLanes(a[n - 1]) - lambda, floor);
  StoreLanes(at(D, 0), down);
  StoreLanes(at(R, n - 1), up);
  // Both sweeps in one loop: two independent chains of divisions overlap.
  for (TSize i = 0; i + 1 < n; ++i) {
    const TLanes below = BroadcastLanes(b[i + 1]);
    const TLanes l = below / down;
    down = FloorMagnitudes((BroadcastLanes(a[i + 1]) - lambda) - l * below, floor);
    StoreLanes(at(L, i), l);
    StoreLanes(at(D, i + 1), down);
    const TSize k = n - 2 - i;
    const TLanes above = BroadcastLanes(b[k + 1]);
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
    if (i > 0) row += BroadcastLanes(b[i]) * LoadLanes(at(X, i - 1));
    if (i + 1 < n) row += BroadcastLanes(b[i + 1]) * LoadLanes(at(X, i + 1));
    row = row < 0.0 ? -row : row;
    residual = row > residual ? row : residual;
    for (unsigned t = 0; t < LaneCount; ++t) z[t][i] = xi[t];
  }
  StoreLanes(residuals, residual);
}

/// The eigenvalues of the tridiagonal matrix with diagonal d and off-diagonal
/// e (e[i] coupling i-1 and i) into d, by the root-free QL iteration of Pal,
/// Walker and Kahan on the squared off-diagonal: the same shifts and
/// deflation as TridiagonalQL, with one division in the chain of each
/// rotation where the rotation itself needs a square root and two. The
/// matrix is scaled by a power of two near its largest element so that the
/// squares neither overflow nor underflow. False, with d of no meaning, when
/// the sweep bound is reached.
bool RootFreeEigenvalues(double* d, const double* e, TSize n) {
  if (n <= 1) return true;
  double largest = 0.0;
  for (TSize i = 0; i < n; ++i) largest = std::max(largest, std::fabs(d[i]));
  for (TSize i = 1; i < n; ++i) largest = std::max(largest, std::fabs(e[i]));
  if (largest == 0.0) return true;
  int exponent = 0;
  std::frexp(largest, &exponent);
  std::vector<double> squares(n, 0.0);  // squares[i] couples i and i+1
  for (TSize i = 0; i < n; ++i) d[i] = std::ldexp(d[i], -exponent);
  for (TSize i = 0; i + 1 < n; ++i) {
    const double x = std::ldexp(e[i + 1], -exponent);
    squares[i] = x * x;
  }
  constexpr double Eps2 = 0x1p-53 * 0x1p-53;
  unsigned long sweepsLeft = SweepsPerEigenvalue * n;
  for (TSize l = 0; l < n;) {
    TSize m = l;
    for (; m + 1 < n; ++m)
      if (squares[m] <= Eps2 * std::fabs(d[m] * d[m + 1])) break;
    if (m + 1 < n) squares[m] = 0.0;
    if (m == l) {
      ++l;  // d[l] has converged
      continue;
    }
    if (sweepsLeft-- == 0) return false;
    const double root = std::sqrt(squares[l]);
    double sigma = (d[l + 1] - d[l]) / (2.0 * root);
    const double r = std::sqrt(sigma * sigma + 1.0);
    sigma = d[l] - root / (sigma + TransferSign(r, sigma));
    double c = 1.0, s = 0.0;
    double gamma = d[m] - sigma;
    double p = gamma * gamma;
    for (TSize i = m; i-- > l;) {
      const double bb = squares[i];
      const double sum = p + bb;
      if (i + 1 != m) squares[i + 1] = s * sum;
      const double oldC = c;
      c = p / sum;
      s = bb / sum;
      const double oldGamma = gamma;
      const double alpha = d[i];
      gamma = c * (alpha - sigma) - s * oldGamma;
      d[i + 1] = oldGamma + (alpha - gamma);
      p = c != 0.0 ? (gamma * gamma) / c : oldC * bb;
    }
    squares[l] = s * p;
    d[l] = sigma + gamma;
  }
  for (TSize i = 0; i < n; ++i) d[i] = std::ldexp(d[i], exponent);
  return true;
}

/// Relative gap between neighbouring eigenvalues below which their twisted
/// vectors are not trusted to be orthogonal to rounding (their error is
/// about the residual over the gap) and are resolved together as a cluster;
/// the residual above which a vector is not trusted at all; both relative to
/// the largest row sum of T. Clusters of more than MaxCluster eigenvalues are
/// left to the QL rotations.
constexpr double GapLimit = 1e-6;
constexpr double ResidualLimit = 1e-13;
constexpr TSize MaxCluster = 16;

/// Largest element of |(T - lambda I) x|.
double TridiagonalResidual(const double* a, const double* b, TSize n, double lambda,
                           const double* x) {
  double residual = 0.0;
  for (TSize i = 0; i < n; ++i) {
    double row = (a[i] - lambda) * x[i];
    if (i > 0) row += b[i] * x[i - 1];
    if (i + 1 < n) row += b[i + 1] * x[i + 1];
    residual = std::max(residual, std::fabs(row));
  }
  return residual;
}

double Dot(const double* x, const double* y, TSize n) {
  double sum = 0.0;
  for (TSize i = 0; i < n; ++i) sum += x[i] * y[i];
  return sum;
}

/// The vectors of a cluster of close eigenvalues j0..j1-1, whose twisted
/// vectors are in those columns of z: an orthonormal basis of their span
/// (Gram-Schmidt, twice), then the Rayleigh-Ritz step, the eigenvectors of
/// B = Q^T T Q turning the basis into the vectors. That resolves the vectors
/// inside the cluster as finely as the QL rotations would, which the twisted
/// factorisations alone cannot. False where the span collapses (two twisted
/// vectors nearly parallel, as for eigenvalues equal to rounding).
bool ResolveCluster(const double* a, const double* b, TSize n, TSize j0, TSize j1,
                    TFloatMatrix& z) {
  const TSize s = j1 - j0;
  auto column = [&](TSize j) { return z.Column(j + 1); };
  for (int pass = 0; pass < 2; ++pass) {
    for (TSize j = j0; j < j1; ++j) {
      double* x = column(j);
      for (TSize i = j0; i < j; ++i) {
        const double* q = column(i);
        const double projection = Dot(q, x, n);
        for (TSize r = 0; r < n; ++r) x[r] = x[r] - projection * q[r];
      }
      const double length = std::sqrt(Dot(x, x, n));
      if (!(length > 1e-3)) return false;
      for (TSize r = 0; r < n; ++r) x[r] = x[r] / length;
    }
  }
  TFloatMatrix projected(s, s), basis(s, s), turned(n, s);
  std::vector<double> product(n);
  for (TSize l = 0; l < s; ++l) {
    const double* x = column(j0 + l);
    for (TSize i = 0; i < n; ++i) {
      double row = a[i] * x[i];
      if (i > 0) row += b[i] * x[i - 1];
      if (i + 1 < n) row += b[i + 1] * x[i + 1];
      product[i] = row;
    }
    for (TSize k = 0; k <= l; ++k) {
      const double entry = Dot(column(j0 + k), product.data(), n);
      projected.SetValue(k + 1, l + 1, entry);
      projected.SetValue(l + 1, k + 1, entry);
    }
  }
  TFloatVector off(s), values(s);
  double trace = 0.0;
  PrincipalAxesOf(projected, s, trace, off, values, basis);
  for (TSize l = 0; l < s; ++l) {
    double* into = turned.Column(l + 1);
    for (TSize k = 0; k < s; ++k) {
      const double w = basis.GetValue(k + 1, l + 1);
      const double* x = column(j0 + k);
      for (TSize r = 0; r < n; ++r) into[r] += w * x[r];
    }
  }
  for (TSize l = 0; l < s; ++l) std::copy_n(turned.Column(l + 1), n, column(j0 + l));
  return true;
}

/// The unit eigenvectors of T (diagonal a, off-diagonal b as ReduceLower
/// leaves them) for the descending eigenvalues into the columns of z; false,
/// with z of no meaning, where a cluster is too large or collapses, a
/// residual is too large or a step faulted, so that the caller can take the
/// QL rotations instead.
bool TridiagonalVectors(const double* a, const double* b, TSize n, const double* values,
                        TFloatMatrix& z) {
  double norm = 0.0;
  for (TSize i = 0; i < n; ++i) {
    double row = std::fabs(a[i]);
    if (i > 0) row += std::fabs(b[i]);
    if (i + 1 < n) row += std::fabs(b[i + 1]);
    norm = std::max(norm, row);
  }
  if (norm == 0.0) return false;
  const double pivmin = std::numeric_limits<double>::epsilon() * norm;
  std::vector<double> work(4 * std::size_t(n) * LaneCount);
  // A last group of fewer than four repeats its last eigenvalue into a spare
  // column that is then dropped.
  std::vector<double> spare(n), residuals(n + LaneCount);
  for (TSize j = 0; j < n; j += LaneCount) {
    double lambdas[LaneCount];
    double* columns[LaneCount];
    for (TSize t = 0; t < LaneCount; ++t) {
      const bool inside = j + t < n;
      lambdas[t] = values[inside ? j + t : n - 1];
      columns[t] = inside ? z.Column(j + t + 1) : spare.data();
    }
    TwistedEigenvectors(a, b, n, lambdas, pivmin, columns, work.data(), residuals.data() + j);
  }
  // A fault of the factorisations is theirs to answer for, before the
  // clusters' own decompositions check the flags.
  if (TakeFloatFaults()) return false;
  z.Extend(n, n);
  for (TSize j0 = 0; j0 < n;) {
    TSize j1 = j0 + 1;
    while (j1 < n && !(values[j1 - 1] - values[j1] >= GapLimit * norm)) ++j1;
    if (j1 - j0 > MaxCluster) return false;
    if (j1 - j0 > 1) {
      if (!ResolveCluster(a, b, n, j0, j1, z)) return false;
      for (TSize j = j0; j < j1; ++j)
        residuals[j] = TridiagonalResidual(a, b, n, values[j], z.Column(j + 1));
    }
    j0 = j1;
  }
  if (TakeFloatFaults()) return false;
  for (TSize j = 0; j < n; ++j)
    if (!(residuals[j] <= ResidualLimit * norm)) return false;
  return true;
}

}  // namespace

void ReduceToTridiagonalBlocked(TFloatMatrix& a, TSize n, TFloatVector& d, TFloatVector& e) {
  detail::RequireReadable(a, n, n);
  detail::RequireWritable(d, n);
  detail::RequireWritable(e, n);
  double* A = a.Column(1);
  const std::size_t ld = a.MaxRows();
  ReduceLower(A, ld, n, d.Data(), e.Data());
  FormReversedQ(A, ld, n, d.Data(), e.Data());
  d.Extend(n);
  e.Extend(n);
  CheckFloatFaults();
}

void BlockedPrincipalAxesOf(TFloatMatrix& work, TSize p, double& trace, TFloatVector& offDiag,
                            TFloatVector& eigenvalues, TFloatMatrix& eigenvectors) {
  detail::RequireReadable(work, p, p);
  detail::RequireWritable(offDiag, p);
  detail::RequireWritable(eigenvalues, p);
  detail::RequireWritable(eigenvectors, p, p);
  trace = MatrixTrace(work, p);
  double* A = work.Column(1);
  const std::size_t ld = work.MaxRows();
  double* dd = eigenvalues.Data();
  double* ee = offDiag.Data();
  ReduceLower(A, ld, p, dd, ee);
  eigenvalues.Extend(p);
  offDiag.Extend(p);
  CheckFloatFaults();

  // The eigenvalues alone by QL (in the reversed orientation it prefers),
  // then each eigenvector of T by a twisted factorisation, then back through
  // the reflections: no rotation ever touches a p x p matrix.
  const std::vector<double> diagonal(dd, dd + p), offDiagonal(ee, ee + p);
  std::reverse(dd, dd + p);
  if (p >= 2) std::reverse(ee + 1, ee + p);
  const bool converged = RootFreeEigenvalues(dd, ee, p) && !TakeFloatFaults();
  std::sort(dd, dd + p, std::greater<double>());
  if (converged && TridiagonalVectors(diagonal.data(), offDiagonal.data(), p, dd, eigenvectors)) {
    ApplyReflectionProduct(A, ld, p, eigenvectors.Column(1), eigenvectors.MaxRows());
    SignedUnitAxes(eigenvectors, p, eigenvectors);
    return;
  }
  std::copy(diagonal.begin(), diagonal.end(), dd);
  std::copy(offDiagonal.begin(), offDiagonal.end(), ee);
  FormReversedQ(A, ld, p, dd, ee);
  TridiagonalQL(eigenvalues, offDiag, p, work);
  SortEigenpairs(eigenvalues, work, p);
  SignedUnitAxes(work, p, eigenvectors);
}

}  // namespace talvex
