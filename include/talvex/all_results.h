// Every table of a completed run, as --results writes them and a script
// reads them: the run record, basic statistics, dispersion matrix,
// eigenvalues, eigenvectors, scores, correlations, allometry and, with the
// jackknife, its tables (estimate, SE, P, 95% interval), the influence and
// the axis exchanges.
//
// Messages: those of WriteAllResults (export/all_results.h).
#pragma once

#include <string>
#include <vector>

#include "export/all_results.h"
#include "talvex/talvex.h"

namespace talvex {

/// The tables of `outcome`, in the order the files hold them.
std::vector<TResultTable> OutcomeTables(const TRunOutcome& outcome);

/// Writes the tables to `path`: "*.xlsx", "*.json" or a folder (a path ending
/// in '/'). Returns the files of an earlier run that a folder no longer holds.
std::vector<std::string> SaveAllResults(const std::string& path, const TRunOutcome& outcome);

}  // namespace talvex
