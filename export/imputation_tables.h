// The full results' tables of a run whose missing cells were imputed: how
// (S, how it was chosen, the sweeps and the last change, the reduced
// samples), the completed data in the data's own units, and a mask of the
// imputed cells, so that a sheet, a CSV file or a JSON reader can tell an
// imputed value from a measured one.
#pragma once

#include <vector>

#include "analysis/pca_imputation.h"
#include "export/all_results.h"
#include "input/data_matrix.h"

namespace talvex {

/// Appends "Imputation" (field and value), "Completed data" (object, group
/// when the data have groups, one column per variable) and "Imputed cells"
/// (object, then 1 for an imputed cell and 0 for a measured one per
/// variable) to `tables`.
void AppendImputationTables(std::vector<TResultTable>& tables, const TDataMatrix& data,
                            const TImputationResult& imputation);

}  // namespace talvex
