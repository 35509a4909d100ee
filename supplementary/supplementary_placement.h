// TSupplementaryPlacement: the arithmetic that puts the supplementary items
// on one sample's axes, the full sample's or a reduced sample's.
//
// Every item is one row of p numbers, divided by the sample's standard
// deviations under correlations, times the sample's axes:
//   an object:   its transformed values less the sample's means;
//   a group:     the mean of its members' transformed values less the means
//                (a group's mean score is the score of its members' mean);
//   a variable:  its centred cross-products with the active variables; the
//                product is its covariance with the component's scores, and
//                dividing by sqrt(SSy (n - 1) eigenvalue) makes it their
//                correlation (the scores' variance is the eigenvalue).
// A reduced sample's means, sums of squares and cross-products are the full
// sample's with the left-out object taken away (O(p) per item), so no
// reduced data set is formed.
//
// Cost per sample: (m + g + q) p for the rows, one BLAS product of
// (m + g + q) x p by p x k, and (m + g + q) k to sign and order its columns.
#pragma once

#include <vector>

#include "numeric/dispersion_method.h"
#include "numeric/float_matrix.h"
#include "supplementary/supplementary_input.h"

namespace talvex {

class TSupplementaryPlacement {
 public:
  /// `x`: the analysed (transformed) active data, n x p, as the run has them;
  /// `means` and `deviations` their column means and standard deviations as
  /// the run formed them. Both must outlive the placement only for this call.
  TSupplementaryPlacement(const TPreparedSupplementary& items, const TFloatMatrix& x,
                          const double* means, const double* deviations, TSize k,
                          DispersionMethod method);

  /// The number of placed values: (m + g + q) k, item r and axis a at
  /// a * Items() + r (objects, then the groups of each grouping in turn,
  /// then the variables).
  std::size_t Items() const noexcept { return rows_; }
  std::size_t Size() const noexcept { return rows_ * k_; }
  TSize AxisCount() const noexcept { return k_; }

  /// The full sample: `axes` p x k (axis a at (a - 1) * p), `eigenvalues` k.
  void Full(const double* axes, const double* eigenvalues, double* out);

  /// The sample without active object `left` (1..n): `axes` p x k as the
  /// decomposition returned them; shown axis a is sources[a - 1] (1..k)
  /// times signs[a - 1], with eigenvalue eigenvalues[a - 1]. A value the
  /// sample leaves undefined (a group with no member left, an axis without
  /// variance) comes out as NaN. May raise floating-point status flags.
  void Reduced(TSize left, const double* axes, const double* eigenvalues, const TSize* sources,
               const double* signs, double* out);

 private:
  void Place(const double* axes, const double* eigenvalues, const TSize* sources,
             const double* signs, const double* scales, double count, double* out);

  const TPreparedSupplementary& items_;
  TSize n_, p_, k_;
  DispersionMethod method_;
  std::size_t rows_ = 0;
  std::vector<double> means_, deviations_, squares_;  // p: the full sample's
  std::vector<double> centred_;                       // n x p, row-major: x - mean
  std::vector<double> objects_;                       // m x p: x - mean
  std::vector<double> groupSums_;                     // g x p: sums of x - mean over members
  std::vector<double> groupCounts_;                   // g: members
  std::vector<int> groupOf_;             // per grouping, per active object: its row or -1
  std::vector<double> crossProducts_;    // q x p
  std::vector<double> variableSquares_;  // q
  std::vector<double> variableCentred_;  // q x n: y - mean
  // Per sample.
  std::vector<double> rowsBlock_;                    // (m + g + q) x p, column-major
  std::vector<double> product_;                      // (m + g + q) x k, column-major
  std::vector<double> scales_, shift_, sumSquares_;  // p, p, q
  std::vector<char> groupMember_;                    // g: the left-out object is a member
};

}  // namespace talvex
