// The jackknife in parts through the entry point: the full sample by
// Compute, the range of reduced samples by the analysis library.
#include "talvex/jackknife_parts.h"

#include "analysis/allometry.h"
#include "analysis/analysed_data.h"
#include "diagnostics/diagnostics_collector.h"
#include "numeric/student_t.h"

namespace talvex {

TJackknifePart ComputeJackknifePart(TRunData data, const TRunOptions& options, TSize first,
                                    TSize last, const TRunHooks& hooks) {
  // A part would decompose its reduced samples with the cells as stored,
  // not imputed again as a whole run does: a wrong result, so none.
  if (data.matrix.HasMissing())
    throw Exception(
        "The jackknife in parts is not available for data with missing values to impute: "
        "run the jackknife in one piece");
  TRunOptions fullSample = options;
  fullSample.analysis.jackknife = false;
  fullSample.diagnostics.estimates = false;
  TAnalysis analysis;
  analysis.Compute(std::move(data), fullSample, {.observer = hooks.observer});
  const TRunOutcome& outcome = *analysis.Outcome();
  const TDataMatrix& matrix = outcome.Data();
  const TAnalysisResults& results = outcome.Results();
  const TAnalysisOptions& analysisOptions = options.analysis;
  const TFloatMatrix x = AnalysedData(matrix, analysisOptions.transformation);
  double orientation = 1.0;
  if (analysisOptions.WithAllometry())
    orientation = SizeAxisOrientation(
        std::span<const double>(results.eigenvectors.Column(1), matrix.variableCount));
  const TJackknifeInput input{
      {x, matrix.objectCount, matrix.variableCount, outcome.FactorCount(), analysisOptions.method},
      results.eigenvalues,
      results.eigenvectors,
      analysisOptions.WithAllometry()
          ? std::optional<TJackknifeAllometry>({results.tables.macs, orientation})
          : std::nullopt};
  if (hooks.observer != nullptr) hooks.observer->StepStarted("Jackknife");
  return RunJackknifePart(input, first, last,
                          {.threads = options.threads, .observer = hooks.observer});
}

TMergedJackknife MergeJackknifeParts(std::span<const TJackknifePart* const> parts,
                                     const TDiagnosticsOptions& options) {
  TDiagnosticsCollector collector(options.estimates);
  TMergedJackknife merged;
  merged.jackknife = MergeJackknifeParts(parts, &collector);
  const TJackknifePart& one = *parts.front();
  merged.diagnostics = ComputeDiagnostics(collector, one.eigenvalues, merged.jackknife, options);
  return merged;
}

TMergedJackknife MergeJackknifeParts(std::span<const TJackknifePart> parts,
                                     const TDiagnosticsOptions& options) {
  std::vector<const TJackknifePart*> each;
  each.reserve(parts.size());
  for (const TJackknifePart& part : parts) each.push_back(&part);
  return MergeJackknifeParts(std::span<const TJackknifePart* const>(each), options);
}

std::vector<std::pair<double, double>> JackknifeIntervals(
    const std::vector<TJackknifeStatistic>& statistics, TSize objectCount) {
  const double t = StudentTQuantile95(std::int32_t(objectCount - 1));
  std::vector<std::pair<double, double>> intervals;
  intervals.reserve(statistics.size());
  for (const TJackknifeStatistic& s : statistics)
    intervals.emplace_back(s.estimate - t * s.standardError, s.estimate + t * s.standardError);
  return intervals;
}

}  // namespace talvex
