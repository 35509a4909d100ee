// TMissingCells: the missing cells of an n x p data matrix, listed row by row
// (the rows of the compressed sparse row layout), so that an imputation sweep
// visits only the objects that have any and, in each, only their cells. The
// imputation keeps the current values of the cells in a vector of its own in
// this order, so that a reduced sample can hold its own values while the
// observed ones are shared.
//
// Messages CheckImputable raises (Exception, the Detail naming the object or
// the variable and the counts):
//   "Every value of an object is missing"
//   "Every value of a variable is missing"
//   "Fewer than two values of a variable are known"
//   "Too many missing values"
//   "Imputation is available up to 255 variables"
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/analysis_options.h"
#include "input/data_matrix.h"
#include "numeric/float_matrix.h"
#include "numeric/sizes.h"

namespace talvex {

class TMissingCells {
 public:
  TMissingCells() = default;
  /// From one flag per value of an n x p matrix, row-major (1: missing).
  TMissingCells(const std::vector<std::uint8_t>& mask, TSize n, TSize p);

  TSize ObjectCount() const noexcept { return n_; }
  TSize VariableCount() const noexcept { return p_; }
  /// The number of missing cells in all.
  std::size_t Count() const noexcept { return columns_.size(); }
  /// Cells first..last - 1 belong to object `row` (0-based).
  std::size_t First(TSize row) const noexcept { return rowStart_[row]; }
  std::size_t Last(TSize row) const noexcept { return rowStart_[row + 1]; }
  /// The 0-based variable of cell `cell`.
  TSize Column(std::size_t cell) const noexcept { return columns_[cell]; }
  /// The variables of all cells, in order.
  const std::vector<TSize>& Columns() const noexcept { return columns_; }
  /// The 0-based objects that have a missing cell, in order.
  const std::vector<TSize>& Rows() const noexcept { return rows_; }

 private:
  TSize n_ = 0;
  TSize p_ = 0;
  std::vector<std::size_t> rowStart_;  // n + 1
  std::vector<TSize> columns_;
  std::vector<TSize> rows_;
};

/// The mean of the known values of each column of `x` (n x p, objects in
/// rows), centred once more as every mean of the analysis is, and their
/// standard deviation (divisor count - 1), 0-based.
void KnownMeansAndDeviations(const TFloatMatrix& x, const TMissingCells& missing,
                             std::vector<double>& means, std::vector<double>& deviations);

/// Refuses data whose missing cells cannot be imputed: an object or a
/// variable with every value missing, a variable with fewer than two known
/// values, more than `maxShare` of the cells missing, or more than
/// ExactSchemeVariables variables (each sweep decomposes the p x p
/// dispersion matrix, which wide data never form).
void CheckImputable(const TDataMatrix& data, double maxShare);

}  // namespace talvex
