// The two cubic stages of the jackknife's eigen-decomposition: the forward
// Householder reduction to tridiagonal form and the transformations back
// through its reflections (forming Q, or applying it to the vectors of T).
// The matrix is column-major and the reduction runs forward over the lower
// triangle: reflection j takes column j below the diagonal, which is
// contiguous, and is kept there scaled so that P(j) = I - v v^T (|v|^2 = 2).
#include "numeric/blocked_reflections.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "numeric/principal_axes.h"
#include "numeric/wide_vectors.h"

namespace talvex {

namespace {

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

/// Columns first..last-1 of X (leading dimension ldx), rows r0..n-1, by
/// pairs; an odd last column is paired with `spare`, n zeros that stay zero.
void ApplyBlockToColumns(double* X, std::size_t ldx, TSize first, TSize last, TSize n, TSize r0,
                         const double* panel, const double* T, double* spare) {
  TSize c = first;
  for (; c + 1 < last; c += 2)
    ApplyBlockToColumnPair(X + c * ldx, X + (c + 1) * ldx, r0, n, panel, n, T);
  if (c < last) ApplyBlockToColumnPair(X + c * ldx, spare, r0, n, panel, n, T);
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

}  // namespace

void ReduceLowerBlocked(double* A, std::size_t ld, TSize n, double* diagonal, double* coupling) {
  // The update of step j is applied during step j + 1's pass; before the
  // first step there is none (w = q = 0).
  std::vector<double> zeros(n), pendingQ(n), y(n);
  const double* w = zeros.data();
  const double* q = zeros.data();
  for (TSize j = 0; j + 2 < n; ++j) {
    double* column = A + j * ld;
    UpdateColumn(column, j, n, w, q);
    diagonal[j] = column[j];
    double scale = 0.0;
    for (TSize r = j + 1; r < n; ++r) scale += std::fabs(column[r]);
    if (scale == 0.0) {
      coupling[j] = 0.0;  // already reduced; v = 0 leaves P(j) = I
    } else {
      double h = 0.0;
      for (TSize r = j + 1; r < n; ++r) {
        column[r] = column[r] / scale;
        h += column[r] * column[r];
      }
      const double f = column[j + 1];
      const double g = -TransferSign(std::sqrt(h), f);
      coupling[j] = scale * g;
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
    diagonal[n - 2] = A[(n - 2) * ld + n - 2];
    coupling[n - 2] = A[(n - 2) * ld + n - 1];
  }
  if (n >= 1) diagonal[n - 1] = A[(n - 1) * ld + n - 1];
}

// The columns of Q beyond a group are still those of the identity when the
// group is applied, so only the columns after its first reflection change.
void FormReflectionProduct(double* A, std::size_t ld, TSize n) {
  const TSize reflections = n >= 3 ? n - 2 : 0;
  for (TSize c = reflections + 1; c < n; ++c) SetUnitColumn(A + c * ld, c, n);
  ForEachGroupLastFirst(
      A, ld, n, [&](TSize lo, TSize hi, const double* panel, const double* T, double* spare) {
        for (TSize c = lo + 1; c <= hi; ++c) SetUnitColumn(A + c * ld, c, n);
        ApplyBlockToColumns(A, ld, lo + 1, n, n, lo + 1, panel, T, spare);
      });
  if (n >= 1) SetUnitColumn(A, 0, n);
}

void ApplyReflectionProduct(const double* A, std::size_t ld, TSize n, double* X, std::size_t ldx,
                            TSize columns) {
  ForEachGroupLastFirst(A, ld, n,
                        [&](TSize lo, TSize, const double* panel, const double* T, double* spare) {
                          ApplyBlockToColumns(X, ldx, 0, columns, n, lo + 1, panel, T, spare);
                        });
}

void ReverseColumns(double* A, std::size_t ld, TSize n) {
  for (TSize c = 0; c < n / 2; ++c)
    std::swap_ranges(A + c * ld, A + c * ld + n, A + (n - 1 - c) * ld);
}

}  // namespace talvex
