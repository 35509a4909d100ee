// The panel reduction (see the header). 0-based, column-major; reflection j
// is kept in column j below the diagonal scaled so that P(j) = I - v v^T,
// and W's column t holds q_t with A(t+1) = A(t) - v_t q_t^T - q_t v_t^T.
#include "numeric/panel_reduction.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "numeric/blas_products.h"
#include "numeric/blocked_reflections.h"
#include "numeric/lane_dot.h"
#include "numeric/principal_axes.h"
#include "numeric/wide_vectors.h"

namespace talvex {

namespace {

/// x[r] := x[r] - sum over s < t of (V_s[r] a[s] + Q_s[r] b[s]) for rows
/// first..n-1, V_s column s of V (leading dimension ldv), Q_s of Q (ldq): the
/// panel's pending updates of a column, or its corrections of a product.
/// Four blocks of rows at a time, so that four chains of additions overlap;
/// each row's sum runs over s in order all the same.
TALVEX_WIDE_VECTORS void SubtractPanelCombination(double* __restrict x, TSize first, TSize n,
                                                  const double* __restrict V, std::size_t ldv,
                                                  const double* __restrict Q, std::size_t ldq,
                                                  TSize t, const double* a, const double* b) {
  TSize r = first;
  for (; r + 4 * LaneCount <= n; r += 4 * LaneCount) {
    TLanes sum0 = BroadcastLanes(0.0), sum1 = sum0, sum2 = sum0, sum3 = sum0;
    for (TSize s = 0; s < t; ++s) {
      const double* vs = V + s * ldv + r;
      const double* qs = Q + s * ldq + r;
      const TLanes as = BroadcastLanes(a[s]), bs = BroadcastLanes(b[s]);
      sum0 += LoadLanes(vs) * as + LoadLanes(qs) * bs;
      sum1 += LoadLanes(vs + LaneCount) * as + LoadLanes(qs + LaneCount) * bs;
      sum2 += LoadLanes(vs + 2 * LaneCount) * as + LoadLanes(qs + 2 * LaneCount) * bs;
      sum3 += LoadLanes(vs + 3 * LaneCount) * as + LoadLanes(qs + 3 * LaneCount) * bs;
    }
    StoreLanes(x + r, LoadLanes(x + r) - sum0);
    StoreLanes(x + r + LaneCount, LoadLanes(x + r + LaneCount) - sum1);
    StoreLanes(x + r + 2 * LaneCount, LoadLanes(x + r + 2 * LaneCount) - sum2);
    StoreLanes(x + r + 3 * LaneCount, LoadLanes(x + r + 3 * LaneCount) - sum3);
  }
  for (; r + LaneCount <= n; r += LaneCount) {
    TLanes sum = BroadcastLanes(0.0);
    for (TSize s = 0; s < t; ++s)
      sum += LoadLanes(V + s * ldv + r) * BroadcastLanes(a[s]) +
             LoadLanes(Q + s * ldq + r) * BroadcastLanes(b[s]);
    StoreLanes(x + r, LoadLanes(x + r) - sum);
  }
  for (; r < n; ++r) {
    double sum = 0.0;
    for (TSize s = 0; s < t; ++s) sum += V[s * ldv + r] * a[s] + Q[s * ldq + r] * b[s];
    x[r] = x[r] - sum;
  }
}

/// byV[s] := V_s . v and byQ[s] := Q_s . v over rows first..n-1, s < t.
/// Two columns s at a time, so that four chains of additions overlap; each
/// dot product is summed in the same order all the same.
TALVEX_WIDE_VECTORS void PanelDots(const double* __restrict v, TSize first, TSize n,
                                   const double* __restrict V, std::size_t ldv,
                                   const double* __restrict Q, std::size_t ldq, TSize t,
                                   double* byV, double* byQ) {
  TSize s = 0;
  for (; s + 2 <= t; s += 2) {
    const double* vs = V + s * ldv;
    const double* qs = Q + s * ldq;
    const double* vt = vs + ldv;
    const double* qt = qs + ldq;
    TLanes sumV = BroadcastLanes(0.0), sumQ = sumV, nextV = sumV, nextQ = sumV;
    TSize r = first;
    for (; r + LaneCount <= n; r += LaneCount) {
      const TLanes vr = LoadLanes(v + r);
      sumV += LoadLanes(vs + r) * vr;
      sumQ += LoadLanes(qs + r) * vr;
      nextV += LoadLanes(vt + r) * vr;
      nextQ += LoadLanes(qt + r) * vr;
    }
    double tailV = 0.0, tailQ = 0.0, nextTailV = 0.0, nextTailQ = 0.0;
    for (; r < n; ++r) {
      tailV += vs[r] * v[r];
      tailQ += qs[r] * v[r];
      nextTailV += vt[r] * v[r];
      nextTailQ += qt[r] * v[r];
    }
    byV[s] = SumOfLanes(sumV) + tailV;
    byQ[s] = SumOfLanes(sumQ) + tailQ;
    byV[s + 1] = SumOfLanes(nextV) + nextTailV;
    byQ[s + 1] = SumOfLanes(nextQ) + nextTailQ;
  }
  for (; s < t; ++s) {
    const double* vs = V + s * ldv;
    const double* qs = Q + s * ldq;
    TLanes sumV = BroadcastLanes(0.0), sumQ = sumV;
    TSize r = first;
    for (; r + LaneCount <= n; r += LaneCount) {
      const TLanes vr = LoadLanes(v + r);
      sumV += LoadLanes(vs + r) * vr;
      sumQ += LoadLanes(qs + r) * vr;
    }
    double tailV = 0.0, tailQ = 0.0;
    for (; r < n; ++r) {
      tailV += vs[r] * v[r];
      tailQ += qs[r] * v[r];
    }
    byV[s] = SumOfLanes(sumV) + tailV;
    byQ[s] = SumOfLanes(sumQ) + tailQ;
  }
}

/// x[r] := x[r] / divisor for rows first..n-1, as a product with the
/// reciprocal (see FastArithmeticAbove); a divisor so small that its
/// reciprocal would overflow divides.
TALVEX_WIDE_VECTORS void DivideByReciprocalInLanes(double* __restrict x, TSize first, TSize n,
                                                   double divisor) {
  if (!(std::fabs(divisor) >= std::numeric_limits<double>::min())) {
    for (TSize r = first; r < n; ++r) x[r] = x[r] / divisor;
    return;
  }
  const double reciprocal = 1.0 / divisor;
  for (TSize r = first; r < n; ++r) x[r] = x[r] * reciprocal;
}

/// The reflection of column j below the diagonal (the scheme of
/// ReduceLowerBlocked): coupling := T[j+1][j], and v, scaled to |v|^2 = 2,
/// in place of the column; v = 0 when the column is already reduced.
double Reflect(double* column, TSize j, TSize n) {
  const double scale = AbsoluteSum(column + j + 1, n - j - 1);
  if (scale == 0.0) return 0.0;
  DivideByReciprocalInLanes(column, j + 1, n, scale);
  double h = DotProduct(column + j + 1, column + j + 1, n - j - 1);
  const double f = column[j + 1];
  const double g = -TransferSign(std::sqrt(h), f);
  h -= f * g;
  column[j + 1] = f - g;
  const double length = std::sqrt(h);
  DivideByReciprocalInLanes(column, j + 1, n, length);
  return scale * g;
}

/// Reduces columns j0..j0+PanelWidth-1 with the trailing matrix as it was at
/// the panel's start; W (leading dimension n) receives the q of each.
// The share of the 4/3 n^3 operations of the reduction done once its first
// `columns` columns are reduced: 1 - (the trailing order / n)^3.
double ReducedShare(TSize columns, TSize n) {
  const double left = double(n - columns) / double(n);
  return 1.0 - left * left * left;
}

void ReducePanel(double* A, std::size_t ld, TSize n, TSize j0, double* W, double* diagonal,
                 double* coupling, std::vector<double>& y, const TCheckpoint& checkpoint) {
  const double* V = A + j0 * ld;  // the panel's reflections, column s = reflection j0 + s
  double byV[PanelWidth], byQ[PanelWidth];
  for (TSize t = 0; t < PanelWidth; ++t) {
    const TSize j = j0 + t;
    double* column = A + j * ld;
    // The panel's earlier updates, which the column has not received.
    for (TSize s = 0; s < t; ++s) {
      byV[s] = W[s * n + j];
      byQ[s] = V[s * ld + j];
    }
    SubtractPanelCombination(column, j, n, V, ld, W, n, t, byV, byQ);
    diagonal[j] = column[j];
    coupling[j] = Reflect(column, j, n);
    const double* v = column;

    // y = A(t) v = A v - sum over s of (v_s (q_s . v) + q_s (v_s . v)).
    MultiplySymmetricLower(n - j - 1, A + (j + 1) * ld + j + 1, ld, v + j + 1, y.data() + j + 1);
    PanelDots(v, j + 1, n, V, ld, W, n, t, byV, byQ);
    SubtractPanelCombination(y.data(), j + 1, n, V, ld, W, n, t, byQ, byV);
    const double half = DotProduct(v + j + 1, y.data() + j + 1, n - j - 1) / 2.0;
    double* q = W + std::size_t(t) * n;
    std::fill(q, q + j + 1, 0.0);
    for (TSize r = j + 1; r < n; ++r) q[r] = y[r] - half * v[r];
    if (checkpoint) checkpoint(ReducedShare(j + 1, n));
  }
}

}  // namespace

void ReduceLowerPanels(double* A, std::size_t ld, TSize n, double* diagonal, double* coupling,
                       const TCheckpoint& checkpoint) {
  std::vector<double> W(std::size_t(n) * PanelWidth), y(n);
  TSize j0 = 0;
  for (; n - j0 > PanelCrossover; j0 += PanelWidth) {
    ReducePanel(A, ld, n, j0, W.data(), diagonal, coupling, y, checkpoint);
    const TSize next = j0 + PanelWidth;
    SubtractSymmetricRank2k(n - next, PanelWidth, A + j0 * ld + next, ld, W.data() + next, n,
                            A + next * ld + next, ld);
  }
  ReduceLowerBlocked(A + j0 * ld + j0, ld, n - j0, diagonal + j0, coupling + j0);
}

}  // namespace talvex
