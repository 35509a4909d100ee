// Root-free QL (Pal, Walker and Kahan) on the squared off-diagonal: the same
// shifts and deflation as TridiagonalQL, with one division in the chain of
// each rotation where the rotation itself needs a square root and two.
//
// A step's chain of divisions leaves the divider idle most of the time, so
// two matrices can run side by side: their steps interleave and finish in
// little more time than one. Each matrix's arithmetic is the same whether it
// runs alone or beside another.
#include "numeric/root_free_ql.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "numeric/float_faults.h"
#include "numeric/principal_axes.h"
#include "numeric/ql_sweep_bound.h"
#include "numeric/wide_vectors.h"

namespace talvex {

namespace {

/// The split test compares a squared off-diagonal with the product of its
/// two diagonal neighbours, so its tolerance is the unit roundoff squared.
constexpr double SquaredRoundoff = 0x1p-53 * 0x1p-53;

/// One matrix's iteration: its values in d, its squared off-diagonal, and
/// the sweep under way, rows l..m, at row i.
struct TSweep {
  double* d = nullptr;
  double* squares = nullptr;  // squares[i] joins i and i+1
  TSize n = 0;
  TSize l = 0, m = 0, i = 0;
  double sigma = 0.0, s = 0.0, gamma = 0.0, p = 0.0, previousP = 1.0, previousSum = 1.0;
};

/// The rotation of row i (i from m - 1 down to l). The rotation's c = p / sum
/// and s = bb / sum enter gamma and the next p only through numerators:
/// gamma = G / sum and p' = gamma^2 / c = gamma (G / p), G = p (alpha -
/// sigma) - bb gamma'. The two divisions of a step then run side by side
/// instead of one after the other, which shortens the chain from one step to
/// the next by a third. c itself is formed only where p = 0, as the previous
/// step's, for p' = c bb.
inline void Step(TSweep& w) {
  const TSize i = --w.i;
  const double bb = w.squares[i];
  const double sum = w.p + bb;
  if (i + 1 != w.m) w.squares[i + 1] = w.s * sum;
  w.s = bb / sum;
  const double oldGamma = w.gamma;
  const double alpha = w.d[i];
  const double numerator = w.p * (alpha - w.sigma) - bb * oldGamma;
  w.gamma = numerator / sum;
  w.d[i + 1] = oldGamma + (alpha - w.gamma);
  const double nextP =
      w.p != 0.0 ? w.gamma * (numerator / w.p) : (w.previousP / w.previousSum) * bb;
  w.previousP = w.p;
  w.previousSum = sum;
  w.p = nextP;
}

/// The end of a sweep: its last rotation's results into row l.
inline void EndSweep(TSweep& w) {
  w.squares[w.l] = w.s * w.p;
  w.d[w.l] = w.sigma + w.gamma;
}

/// The first m >= l whose squared off-diagonal is negligible beside its
/// diagonal neighbours (squares[m] <= eps^2 |d[m] d[m + 1]|), or n - 1: four
/// rows at a time in the lanes, with the same comparisons as one by one.
TALVEX_WIDE_VECTORS TSize FirstNegligible(const double* d, const double* squares, TSize l,
                                          TSize n) {
  const TLanes roundoff = BroadcastLanes(SquaredRoundoff);
  TSize m = l;
  for (; m + LaneCount + 1 <= n; m += LaneCount) {
    const TLanes product = LoadLanes(d + m) * LoadLanes(d + m + 1);
    const auto negligible =
        LoadLanes(squares + m) <= roundoff * (product < 0.0 ? -product : product);
    if ((negligible[0] | negligible[1] | negligible[2] | negligible[3]) != 0) break;
  }
  for (; m + 1 < n; ++m)
    if (squares[m] <= SquaredRoundoff * std::fabs(d[m] * d[m + 1])) break;
  return m;
}

/// Moves past the converged rows and starts the next sweep: false when every
/// value has converged. sweepsLeft runs out (set to false in `bounded`) when
/// the matrix takes more sweeps than the bound.
bool StartSweep(TSweep& w, unsigned long& sweepsLeft, bool& bounded) {
  const TSize n = w.n;
  for (TSize l = w.l; l < n;) {
    const TSize m = FirstNegligible(w.d, w.squares, l, n);
    if (m + 1 < n) w.squares[m] = 0.0;
    if (m == l) {
      ++l;  // d[l] has converged
      continue;
    }
    if (sweepsLeft-- == 0) {
      bounded = false;
      return false;
    }
    const double root = std::sqrt(w.squares[l]);
    double sigma = (w.d[l + 1] - w.d[l]) / (2.0 * root);
    const double r = std::sqrt(sigma * sigma + 1.0);
    sigma = w.d[l] - root / (sigma + TransferSign(r, sigma));
    w.l = l;
    w.m = m;
    w.i = m;
    w.sigma = sigma;
    w.s = 0.0;
    w.gamma = w.d[m] - sigma;
    w.p = w.gamma * w.gamma;
    w.previousP = 1.0;  // c = 1 before the first step
    w.previousSum = 1.0;
    return true;
  }
  w.l = n;
  return false;
}

/// One matrix's values: scaled by a power of two near its largest element
/// so that the squares neither overflow nor underflow, iterated, and scaled
/// back.
class TRootFreeRun {
 public:
  TRootFreeRun(double* d, const double* coupling, TSize n) : d_(d), n_(n) {
    sweep_.d = d;
    sweep_.n = n;
    if (n <= 1) return;
    double largest = 0.0;
    for (TSize i = 0; i < n; ++i) largest = std::max(largest, std::fabs(d[i]));
    for (TSize i = 0; i + 1 < n; ++i) largest = std::max(largest, std::fabs(coupling[i]));
    if (largest == 0.0) return;
    std::frexp(largest, &exponent_);
    squares_.assign(n, 0.0);
    for (TSize i = 0; i < n; ++i) d[i] = std::ldexp(d[i], -exponent_);
    for (TSize i = 0; i + 1 < n; ++i) {
      const double x = std::ldexp(coupling[i], -exponent_);
      squares_[i] = x * x;
    }
    sweep_.squares = squares_.data();
    sweepsLeft_ = SweepsPerEigenvalue * n;
    active_ = true;
  }

  /// The next sweep, if any; false when done (or bounded).
  bool Next() {
    if (active_ && sweep_.i == sweep_.l && started_) EndSweep(sweep_);
    started_ = true;
    active_ = active_ && StartSweep(sweep_, sweepsLeft_, converged_);
    return active_;
  }

  TSize StepsLeft() const { return sweep_.i - sweep_.l; }
  TSweep& Sweep() { return sweep_; }

  /// False when the sweep bound was reached; otherwise the values scaled back.
  bool Finish() {
    if (!converged_) return false;
    if (exponent_ != 0)
      for (TSize i = 0; i < n_; ++i) d_[i] = std::ldexp(d_[i], exponent_);
    return true;
  }

 private:
  double* d_;
  TSize n_;
  int exponent_ = 0;
  std::vector<double> squares_;
  TSweep sweep_;
  unsigned long sweepsLeft_ = 0;
  bool active_ = false, started_ = false, converged_ = true;
};

/// Runs one matrix alone.
void RunAlone(TRootFreeRun& run) {
  while (run.Next()) {
    TSweep w = run.Sweep();
    while (w.i > w.l) Step(w);
    run.Sweep() = w;
  }
}

/// Runs two matrices, their steps interleaved while both have a sweep under
/// way. The sweeps are copied into locals so that their state stays in
/// registers.
void RunTogether(TRootFreeRun& a, TRootFreeRun& b) {
  bool aActive = a.Next(), bActive = b.Next();
  while (aActive && bActive) {
    TSweep x = a.Sweep(), y = b.Sweep();
    for (TSize k = std::min(a.StepsLeft(), b.StepsLeft()); k > 0; --k) {
      Step(x);
      Step(y);
    }
    a.Sweep() = x;
    b.Sweep() = y;
    if (a.StepsLeft() == 0) aActive = a.Next();
    if (b.StepsLeft() == 0) bActive = b.Next();
  }
  if (aActive) {
    TSweep w = a.Sweep();
    while (w.i > w.l) Step(w);
    a.Sweep() = w;
    RunAlone(a);
  }
  if (bActive) {
    TSweep w = b.Sweep();
    while (w.i > w.l) Step(w);
    b.Sweep() = w;
    RunAlone(b);
  }
}

/// Reversed into the orientation of Tridiagonalize, whose last row is
/// reduced first: QL works from the top down and needs a sixth to a fifth
/// fewer sweeps this way.
std::vector<double> ReversedCoupling(const double* diagonal, const double* coupling, TSize n,
                                     double* values) {
  std::reverse_copy(diagonal, diagonal + n, values);
  return std::vector<double>(std::make_reverse_iterator(coupling + (n >= 1 ? n - 1 : 0)),
                             std::make_reverse_iterator(coupling));
}

}  // namespace

TFallbackCause TridiagonalEigenvalues(const double* diagonal, const double* coupling, TSize n,
                                      double* values) {
  const std::vector<double> reversed = ReversedCoupling(diagonal, coupling, n, values);
  TRootFreeRun run(values, reversed.data(), n);
  RunAlone(run);
  TFallbackCause cause = TFallbackCause::None;
  if (!run.Finish()) {
    cause = TFallbackCause::EigenvaluesNotConverged;  // the flags are left as they are
  } else if (TakeFloatFaults()) {
    cause = TFallbackCause::EigenvalueFault;
  }
  std::sort(values, values + n, std::greater<double>());
  return cause;
}

bool TridiagonalEigenvaluesOfTwo(const TEigenvalueTask& first, const TEigenvalueTask& second) {
  const std::vector<double> reversedFirst =
      ReversedCoupling(first.diagonal, first.coupling, first.n, first.values);
  const std::vector<double> reversedSecond =
      ReversedCoupling(second.diagonal, second.coupling, second.n, second.values);
  TRootFreeRun a(first.values, reversedFirst.data(), first.n);
  TRootFreeRun b(second.values, reversedSecond.data(), second.n);
  RunTogether(a, b);
  const bool converged = a.Finish() & b.Finish();
  // The flags do not tell which matrix raised them.
  if (TakeFloatFaults() || !converged) return false;
  std::sort(first.values, first.values + first.n, std::greater<double>());
  std::sort(second.values, second.values + second.n, std::greater<double>());
  return true;
}

}  // namespace talvex
