// The full results of an outcome, through the one export that writes them.
#include "talvex/all_results.h"

namespace talvex {

std::vector<TResultTable> OutcomeTables(const TRunOutcome& outcome) {
  return AllResultTables(outcome.State(), outcome.Diagnostics(), &outcome.Supplementary());
}

std::vector<std::string> SaveAllResults(const std::string& path, const TRunOutcome& outcome) {
  return WriteAllResults(path, outcome.State(), outcome.Diagnostics(), &outcome.Supplementary());
}

}  // namespace talvex
