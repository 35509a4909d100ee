// What every table import must give, shared by the table readers' fuzz
// targets: a matrix whose counts, labels, groups and values agree with each
// other and with the report; without imputation no mask; with it, a mask
// of one flag per value whose missing cells hold 0, counted in the report,
// and no object left out. The imputation's own checks must then accept the
// data or refuse them with the program's own exception.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "analysis/missing_cells.h"
#include "tables/table_import.h"

namespace talvex::fuzzing {

inline void Require(bool condition) {
  if (!condition) std::abort();
}

/// At least two objects and one variable, a label for each (no object's
/// empty), groups for all objects or none, every value finite, and every
/// row read either an object or left out.
inline void RequireConsistentTable(const TDataMatrix& matrix, const TImportReport& report) {
  Require(matrix.objectCount >= 2 && matrix.variableCount >= 1);
  Require(std::uint64_t{matrix.objectCount} * matrix.variableCount == matrix.valueCount);
  Require(matrix.objectLabels.size() == matrix.objectCount);
  Require(matrix.variableLabels.size() == matrix.variableCount);
  Require(matrix.groups.empty() || matrix.groups.size() == matrix.objectCount);
  Require(matrix.values.Length() == matrix.valueCount);
  for (std::size_t k = 0; k < matrix.valueCount; ++k)
    Require(std::isfinite(matrix.values.Data()[k]));
  Require(report.rowCount == matrix.objectCount + report.omittedRows.size());
  for (const auto& label : matrix.objectLabels) Require(!label.empty());
}

inline void RequireConsistentMask(const TDataMatrix& matrix, const TImportReport& report,
                                  TMissingPolicy policy) {
  if (policy != TMissingPolicy::Impute) {
    Require(matrix.missing.empty());
    Require(report.missingCells == 0);
    return;
  }
  Require(report.omittedRows.empty());
  Require(matrix.missing.empty() || matrix.missing.size() == matrix.valueCount);
  Require(matrix.missing.empty() == (report.missingCells == 0));
  Require(matrix.MissingCount() == report.missingCells);
  for (std::size_t k = 0; k < matrix.missing.size(); ++k) {
    Require(matrix.missing[k] <= 1);
    if (matrix.missing[k] != 0) Require(matrix.values.Data()[k] == 0.0);
  }
  try {
    CheckImputable(matrix, DefaultMaxMissingShare);
    if (matrix.HasMissing()) {
      const TMissingCells cells(matrix.missing, matrix.objectCount, matrix.variableCount);
      Require(cells.Count() == report.missingCells);
    }
  } catch (const Exception&) {
  }
}

}  // namespace talvex::fuzzing
