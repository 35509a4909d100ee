// The supplementary items of talvex-cli's command line: rows of the data
// picked by a column's value, the columns marked supplementary, and the
// objects of --supplementary files, all taken out of or matched against the
// loaded data before the run.
#pragma once

#include "cli/cli_options.h"
#include "tables/table_import.h"
#include "talvex/talvex.h"

namespace talvex {

/// Fills run.supplementary and leaves run.matrix with the active objects
/// only. `import` is what the data file's import reported (a table), used to
/// find the labels' column and a column to pick rows by that the data do not
/// carry (the table is then read again with it). Raises what the readers
/// raise and ESupplementaryRefused (supplementary/supplementary_split.h).
void LoadSupplementary(const TCliOptions& options, TRunData& run, const TImportReport& import);

/// Whether the command line names supplementary items.
bool HasSupplementaryOptions(const TCliOptions& options);

/// The groups from the object labels, for --groups-from-labels and data
/// without groups; before LoadSupplementary, which may pick rows by them.
void ApplyGroupsFromLabels(const TCliOptions& options, TRunData& run);

/// "50 supplementary objects, 1 supplementary variable": the non-zero counts
/// joined, as the command line tells them.
std::string SupplementaryCounts(std::size_t objects, std::size_t variables);

}  // namespace talvex
