// The full results of an outcome, through the one export that writes them.
#include "talvex/all_results.h"

namespace talvex {

namespace {

TCompletedRun CompletedRun(const TRunOutcome& outcome) {
  return {outcome.Data(), outcome.Results(), outcome.Record()};
}

}  // namespace

std::vector<TResultTable> OutcomeTables(const TRunOutcome& outcome) {
  return AllResultTables(CompletedRun(outcome), outcome.Diagnostics(), &outcome.Supplementary());
}

std::vector<std::string> SaveAllResults(const std::string& path, const TRunOutcome& outcome) {
  return WriteAllResults(path, CompletedRun(outcome), outcome.Diagnostics(),
                         &outcome.Supplementary());
}

}  // namespace talvex
