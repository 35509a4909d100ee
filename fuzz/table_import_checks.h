// What every table import must give of the missing cells, shared by the
// table readers' fuzz targets: without imputation no mask; with it, a mask
// of one flag per value whose missing cells hold 0, counted in the report,
// and no object left out. The imputation's own checks must then accept the
// data or refuse them with the program's own exception.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "analysis/missing_cells.h"
#include "tables/table_import.h"

namespace talvex::fuzzing {

inline void RequireMask(bool condition) {
  if (!condition) std::abort();
}

inline void RequireConsistentMask(const TDataMatrix& matrix, const TImportReport& report,
                                  TMissingPolicy policy) {
  if (policy != TMissingPolicy::Impute) {
    RequireMask(matrix.missing.empty());
    RequireMask(report.missingCells == 0);
    return;
  }
  RequireMask(report.omittedRows.empty());
  RequireMask(matrix.missing.empty() || matrix.missing.size() == matrix.valueCount);
  RequireMask(matrix.missing.empty() == (report.missingCells == 0));
  RequireMask(matrix.MissingCount() == report.missingCells);
  for (std::size_t k = 0; k < matrix.missing.size(); ++k) {
    RequireMask(matrix.missing[k] <= 1);
    if (matrix.missing[k] != 0) RequireMask(matrix.values.Data()[k] == 0.0);
  }
  try {
    CheckImputable(matrix, DefaultMaxMissingShare);
    if (matrix.HasMissing()) {
      const TMissingCells cells(matrix.missing, matrix.objectCount, matrix.variableCount);
      RequireMask(cells.Count() == report.missingCells);
    }
  } catch (const Exception&) {
  }
}

}  // namespace talvex::fuzzing
