// The eigenvalues and the wanted eigenvectors of the jackknife's tridiagonal
// form, with the form first split at negligible couplings. A dispersion
// matrix of rank r < p (more variables than objects, or constant variables)
// reduces to a T whose rows past the rank are rounding noise, many of them
// with eigenvalues equal to rounding: their twisted vectors would all be the
// same vector. Split into blocks, each eigenvalue's vector is found in its
// own block, zero elsewhere, and eigenvalues of different blocks need no
// separating at all. Indices are 0-based: coupling[i] joins rows i and i+1.
#pragma once

#include <cstddef>
#include <vector>

#include "numeric/decomposition_path.h"
#include "numeric/sizes.h"

namespace talvex {

/// A coupling at most this many units of roundoff per row of T, times the
/// largest row sum of |T|, is set to zero: a change of T no larger than the
/// rounding the Householder reduction itself commits (of order n eps |A|).
constexpr double SplitRoundoffPerRow = 0x1p-52;

/// values := the n eigenvalues of (diagonal, coupling), descending; columns
/// 0..count-1 of Z (count 1..n, room for n columns) := the unit eigenvectors
/// of the first count. Without a negligible coupling this is
/// TridiagonalEigenvalues then TridiagonalEigenvectors, bit for bit; with
/// one, coupling is changed where it is negligible and each block is solved
/// on its own. Returns TFallbackCause::None, or why the results have no
/// meaning; path as TridiagonalEigenvectors sets it (a block of one row
/// counts as one twisted vector).
TFallbackCause TridiagonalEigenpairs(const double* diagonal, double* coupling, TSize n, TSize count,
                                     double* values, double* Z, std::size_t ldz,
                                     TDecompositionPath& path);

/// TridiagonalEigenpairs in its two stages, so that two matrices' eigenvalues
/// can be found together: the split is made on construction (coupling is
/// changed there), then Values, then Vectors with the same values.
class TTridiagonalSolver {
 public:
  TTridiagonalSolver(const double* diagonal, double* coupling, TSize n);

  /// values := the n eigenvalues, descending; TFallbackCause::None or why
  /// they have no meaning (then Vectors must not be called).
  TFallbackCause Values(double* values);

  /// Values of two matrices at once (TridiagonalEigenvaluesOfTwo), the same
  /// bits as each alone. True when both succeeded; otherwise the flags are
  /// clear and each is to be solved alone with Values.
  static bool ValuesOfTwo(TTridiagonalSolver& first, double* firstValues,
                          TTridiagonalSolver& second, double* secondValues);

  /// The unit eigenvectors of the first count values into Z, as
  /// TridiagonalEigenpairs: values as Values left them.
  TFallbackCause Vectors(TSize count, const double* values, double* Z, std::size_t ldz,
                         TDecompositionPath& path);

 private:
  struct TBlockValue {
    double value;
    TSize block;
    TSize local;  // its rank among the block's values, descending
  };

  /// Whether the matrix is solved whole (no negligible coupling).
  bool Whole() const { return starts_.size() == 2 && norm_ != 0.0; }
  /// Each block's values, descending, then all of them in one order; ties
  /// keep the order of the blocks.
  void OrderBlockValues(double* values);

  const double* diagonal_;
  double* coupling_;
  TSize n_;
  double norm_;
  std::vector<TSize> starts_;  // first row of each block, then n
  std::vector<double> blockValues_;
  std::vector<TBlockValue> order_;
};

}  // namespace talvex
