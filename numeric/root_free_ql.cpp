// Root-free QL (Pal, Walker and Kahan) on the squared off-diagonal: the same
// shifts and deflation as TridiagonalQL, with one division in the chain of
// each rotation where the rotation itself needs a square root and two.
#include "numeric/root_free_ql.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "numeric/float_faults.h"
#include "numeric/principal_axes.h"
#include "numeric/ql_sweep_bound.h"

namespace talvex {

namespace {

/// The split test compares a squared off-diagonal with the product of its
/// two diagonal neighbours, so its tolerance is the unit roundoff squared.
constexpr double SquaredRoundoff = 0x1p-53 * 0x1p-53;

/// The eigenvalues of (d, coupling) into d. The matrix is scaled by a power
/// of two near its largest element so that the squares neither overflow nor
/// underflow. False when the sweep bound is reached.
bool RootFreeEigenvalues(double* d, const double* coupling, TSize n) {
  if (n <= 1) return true;
  double largest = 0.0;
  for (TSize i = 0; i < n; ++i) largest = std::max(largest, std::fabs(d[i]));
  for (TSize i = 0; i + 1 < n; ++i) largest = std::max(largest, std::fabs(coupling[i]));
  if (largest == 0.0) return true;
  int exponent = 0;
  std::frexp(largest, &exponent);
  std::vector<double> squares(n, 0.0);  // squares[i] joins i and i+1
  for (TSize i = 0; i < n; ++i) d[i] = std::ldexp(d[i], -exponent);
  for (TSize i = 0; i + 1 < n; ++i) {
    const double x = std::ldexp(coupling[i], -exponent);
    squares[i] = x * x;
  }
  unsigned long sweepsLeft = SweepsPerEigenvalue * n;
  for (TSize l = 0; l < n;) {
    TSize m = l;
    for (; m + 1 < n; ++m)
      if (squares[m] <= SquaredRoundoff * std::fabs(d[m] * d[m + 1])) break;
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
    // The rotation's c = p / sum and s = bb / sum enter gamma and the next p
    // only through numerators: gamma = G / sum and p' = gamma^2 / c = gamma
    // (G / p), G = p (alpha - sigma) - bb gamma'. The two divisions of a step
    // then run side by side instead of one after the other, which shortens
    // the chain from one step to the next by a third. c itself is formed
    // only where p = 0, as the previous step's, for p' = c bb.
    double s = 0.0;
    double gamma = d[m] - sigma;
    double p = gamma * gamma;
    double previousP = 1.0, previousSum = 1.0;  // c = 1 before the first step
    for (TSize i = m; i-- > l;) {
      const double bb = squares[i];
      const double sum = p + bb;
      if (i + 1 != m) squares[i + 1] = s * sum;
      s = bb / sum;
      const double oldGamma = gamma;
      const double alpha = d[i];
      const double numerator = p * (alpha - sigma) - bb * oldGamma;
      gamma = numerator / sum;
      d[i + 1] = oldGamma + (alpha - gamma);
      const double nextP = p != 0.0 ? gamma * (numerator / p) : (previousP / previousSum) * bb;
      previousP = p;
      previousSum = sum;
      p = nextP;
    }
    squares[l] = s * p;
    d[l] = sigma + gamma;
  }
  for (TSize i = 0; i < n; ++i) d[i] = std::ldexp(d[i], exponent);
  return true;
}

}  // namespace

TFallbackCause TridiagonalEigenvalues(const double* diagonal, const double* coupling, TSize n,
                                      double* values) {
  // Reversed into the orientation of Tridiagonalize, whose last row is
  // reduced first: QL works from the top down and needs a sixth to a fifth
  // fewer sweeps this way.
  std::reverse_copy(diagonal, diagonal + n, values);
  const std::vector<double> reversed(std::make_reverse_iterator(coupling + (n >= 1 ? n - 1 : 0)),
                                     std::make_reverse_iterator(coupling));
  TFallbackCause cause = TFallbackCause::None;
  if (!RootFreeEigenvalues(values, reversed.data(), n)) {
    cause = TFallbackCause::EigenvaluesNotConverged;
  } else if (TakeFloatFaults()) {
    cause = TFallbackCause::EigenvalueFault;
  }
  std::sort(values, values + n, std::greater<double>());
  return cause;
}

}  // namespace talvex
