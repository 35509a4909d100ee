// The full-results tables of the supplementary items: one row per item and
// shown axis, with the full sample's value and the jackknife's estimate, SE
// and 95% interval (empty cells, null in JSON, without a jackknife).
#pragma once

#include <vector>

#include "export/all_results.h"
#include "supplementary/supplementary_results.h"

namespace talvex {

/// "Supplementary scores", "Supplementary variables" and "Group means", each
/// only when it has rows.
void AppendSupplementaryTables(std::vector<TResultTable>& tables,
                               const TSupplementaryResults& supplementary);

}  // namespace talvex
