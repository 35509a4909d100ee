// A run through the core's entry point: the state is loaded, run with the
// diagnostics and frozen into the outcome.
#include "talvex/talvex.h"

#include <utility>

#include "diagnostics/diagnostics_run.h"
#include "supplementary/supplementary_collector.h"
#include "supplementary/supplementary_run.h"

namespace talvex {

namespace {

void CheckFactorCount(TSize factorCount, TSize variableCount) {
  if (factorCount > variableCount)
    throw Exception("The number of factors must be between 1 and " + std::to_string(variableCount));
}

// What is refused before a run starts, and the supplementary items made
// ready for it. Bad supplementary input is refused before the run, which it
// never changes.
TPreparedSupplementary CheckedData(const TRunData& data, const TRunOptions& options) {
  const TDataMatrix& matrix = data.matrix;
  if (!matrix.groups.empty() && matrix.groups.size() != matrix.objectCount)
    throw Exception("Groups must be given for every object");
  if (!matrix.missing.empty() && matrix.missing.size() != matrix.valueCount)
    throw Exception("The missing-value mask must have one flag per value");
  return PrepareSupplementary(matrix, data.supplementary, options.analysis.transformation);
}

}  // namespace

void CheckRunData(const TRunData& data, const TRunOptions& options) {
  CheckedData(data, options);
  CheckFactorCount(options.factorCount, data.matrix.variableCount);
}

TAnalysis& TAnalysis::Compute(TRunData data, const TRunOptions& options, const TRunHooks& hooks) {
  auto outcome = std::make_shared<TRunOutcome>();
  TAnalysisState& state = outcome->state_;
  const TPreparedSupplementary supplementary = CheckedData(data, options);
  // The groups come with the data, named by their column where a column gave them.
  const TDataMatrix& matrix = data.matrix;
  if (matrix.groups.empty()) data.source.groupsFromLabels = false;
  std::optional<TSupplementaryCollector> collector;
  if (!supplementary.Empty()) collector.emplace(supplementary, options.diagnostics.matchAxes);
  state.LoadData(std::move(data.matrix), data.path, std::move(data.source));
  if (options.factorCount != 0) {
    CheckFactorCount(options.factorCount, state.Data().variableCount);
    state.SetFactorCount(static_cast<long long>(options.factorCount));
  }
  TReportListing& listing = hooks.listing != nullptr ? *hooks.listing : outcome->listing_;
  outcome->diagnostics_ =
      RunWithDiagnostics(state, options.analysis, listing, options.diagnostics, hooks.observer,
                         options.threads, collector ? &*collector : nullptr);
  outcome->supplementary_ = PlaceSupplementary(supplementary, state.Data(), state.Results(),
                                               collector ? &*collector : nullptr);
  if (hooks.listing != nullptr) {
    for (const std::string& line : hooks.listing->Lines()) outcome->listing_.Append(line);
  }
  outcome_ = std::move(outcome);
  return *this;
}

}  // namespace talvex
