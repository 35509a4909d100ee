// The analysis run, step by step; each step appends its lines to the listing
// as soon as it has computed them.
#include "analysis/analysis_run.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "analysis/allometry.h"
#include "analysis/analysed_data.h"
#include "analysis/jackknife.h"
#include "analysis/report_sections.h"
#include "analysis/run_fault_cause.h"
#include "numeric/float_faults.h"
#include "numeric/principal_axes.h"
#include "numeric/probability.h"
#include "numeric/statistics.h"

namespace talvex {

std::string FormatTime(std::chrono::system_clock::time_point when, const char* format) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  std::tm local{};
  localtime_r(&seconds, &local);
  char text[32];
  std::strftime(text, sizeof text, format, &local);
  return text;
}

namespace {

std::string AbsolutePath(const std::string& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? path : absolute.lexically_normal().string();
}

double FactorThreshold(FactorRule rule, DispersionMethod method, double averageRoot) {
  switch (rule) {
    case FactorRule::FactorsKaiser:
      return method == DispersionMethod::Correlation ? 1.0 : averageRoot;
    case FactorRule::FactorsJoliffe:
      return 0.7 * averageRoot;
    default:
      return 0.0;
  }
}

// The rows of the eigenvalue table: each i in 1..k whose eigenvalue reaches
// the threshold, with its share of the trace. A trace of 0 (every variable
// constant) faults here, before any row is written.
std::vector<TEigenvalueRow> EigenvalueRows(const TFloatVector& eigenvalues, TSize k,
                                           double threshold, double trace) {
  std::vector<TEigenvalueRow> rows;
  double cumulative = 0.0;
  for (TSize i = 1; i <= k; ++i) {
    const double value = eigenvalues.GetValue(i);
    if (!(value >= threshold)) continue;
    cumulative += value;
    rows.push_back({i, value, value * 100 / trace, cumulative * 100 / trace});
  }
  CheckFloatFaults();
  return rows;
}

void Step(const TRunRequest& request, const char* step) {
  if (request.observer != nullptr) request.observer->StepStarted(step);
}

bool IsFloatingPointFault(const Exception& e) {
  return dynamic_cast<const EInvalidOp*>(&e) != nullptr ||
         dynamic_cast<const EZeroDivide*>(&e) != nullptr ||
         dynamic_cast<const EOverflow*>(&e) != nullptr;
}

// The steps of the run; `stage` follows it into the jackknife.
void RunSteps(const TRunRequest& request, const TDataMatrix& data, TAnalysisResults& results,
              TReportListing& listing, RunStage& stage) {
  const TAnalysisOptions options = request.options;
  const DispersionMethod method = options.method;
  const TSize n = data.objectCount;
  const TSize p = data.variableCount;
  const TSize k = request.factorCount;
  const TLabels& variableLabels = data.variableLabels;

  ClearFloatFaults();
  listing.Clear();
  if (k < 1 || k > p)
    throw Exception("The number of factors must be between 1 and " + std::to_string(p));

  AppendHeader(listing, FormatTime(request.startTime, "%Y-%m-%d"),
               FormatTime(request.startTime, "%H:%M:%S"),
               request.dataFromFile ? AbsolutePath(request.dataFileName) : PastedDataName,
               data.title, p, n, data.notes);

  // The working copy of the data, objects in rows.
  TFloatMatrix x = DataColumns(data);

  TAnalysisResults run;
  TResultTables& tables = run.tables;
  tables.options = options;
  tables.factorCount = k;

  Step(request, "Basic statistics");
  TFloatVector sds(p);
  {
    TFloatVector means(p);
    ColumnMeansAndDeviations(x, n, p, means, sds);
    AppendBasicStatistics(listing, variableLabels, means, sds);
    tables.means = means;
    tables.deviations = sds;
  }

  if (!options.Transformed()) {
    listing.Append("Raw data");
  } else {
    listing.Append(std::string("Data log (") +
                   (options.transformation == DataTransform::TransformDecimal ? "10" : "e") + ")" +
                   " transformed");
  }
  listing.AppendEmpty();
  if (options.Transformed()) {
    TransformData(x, n, p, options.transformation);
    // The correlations with the components divide by the spread of the data analysed.
    TFloatVector means(p);
    ColumnMeansAndDeviations(x, n, p, means, sds);
  }

  // Under correlations the reduced samples need nothing of the full sample's
  // decomposition: the jackknife's workers start on them now, while this
  // thread decomposes the full sample and writes its tables.
  const TJackknifeSettings settings{
      .threads = request.threads, .observer = request.observer, .collector = request.collector};
  // Where that fails (no memory for the workers), the full-sample results
  // still come first: the jackknife is started again, and fails, at its turn.
  const TJackknifeData jackknifeData{x, n, p, k, method};
  std::optional<TJackknifeRun> jackknife;
  if (options.jackknife) {
    try {
      jackknife.emplace(jackknifeData, settings);
    } catch (...) {
      ClearFloatFaults();
    }
  }

  run.eigenvalues = TFloatVector(p);
  run.eigenvectors = TFloatMatrix(p, p);
  run.scores = TFloatMatrix(n, p);
  TFloatVector offDiag(p);
  TFloatMatrix d(p, p);

  listing.Append("Statistics based on the entire sample");
  listing.AppendEmpty();
  listing.Append(method == DispersionMethod::Covariance ? "Covariance matrix"
                                                        : "Correlation matrix");
  listing.AppendEmpty();
  Step(request, "Dispersion matrix");
  DispersionMatrix(x, n, p, d, method);
  AppendLowerTriangle(listing, variableLabels, d);
  tables.dispersion = d;  // the decomposition works in d

  Step(request, "Eigen-decomposition");
  PrincipalAxes(n, p, x, method, d, run.trace, offDiag, run.eigenvalues, run.eigenvectors);
  const double averageRoot = VectorMean(run.eigenvalues, p);
  CheckFloatFaults();
  AppendTrace(listing, run.trace, averageRoot);

  AppendEigenvalueTable(
      listing, EigenvalueRows(run.eigenvalues, k,
                              FactorThreshold(options.factorRule, method, averageRoot), run.trace));
  AppendLabelledTable(listing, "Eigenvectors", variableLabels, run.eigenvectors, k, 4);

  Step(request, "Component scores");
  // A score plot needs two axes: with one component shown, the second
  // column is computed as well, so the plot never shows a column of zeros.
  ComponentScores(n, p, std::min(p, std::max<TSize>(k, 2)), run.scores, run.eigenvectors, x,
                  method);
  AppendLabelledTable(listing, "Principal Component Scores", data.objectLabels, run.scores, k, 3);

  {
    TFloatMatrix correlations(p, k);
    ComponentCorrelations(p, k, method, run.eigenvalues, sds, run.eigenvectors, correlations);
    AppendLabelledTable(listing, "Correlations between components and original variables",
                        variableLabels, correlations, k, 4);
    tables.correlations = std::move(correlations);
  }

  const bool allometry = options.WithAllometry();
  double macOrientation = 1.0;
  TFloatVector macs(allometry ? p : 0);
  if (allometry) {
    const std::span<const double> sizeAxis(run.eigenvectors.Column(1), p);
    macOrientation = SizeAxisOrientation(sizeAxis);
    AllometricCoefficients(sizeAxis, macOrientation, std::span(macs.Data(), p));
    macs.Extend(p);
    CheckFloatFaults();
    AppendAllometricCoefficients(listing, variableLabels, macs);
    tables.macs = macs;
  }

  if (options.jackknife) {
    stage = RunStage::Jackknife;
    Step(request, "Jackknife");
    const TJackknifeInput input{
        .data = x,
        .objectCount = n,
        .variableCount = p,
        .axisCount = k,
        .method = method,
        .eigenvalues = run.eigenvalues,
        .eigenvectors = run.eigenvectors,
        .allometry =
            allometry ? std::optional<TJackknifeAllometry>({macs, macOrientation}) : std::nullopt,
    };
    if (!jackknife) jackknife.emplace(jackknifeData, settings);
    tables.jackknife = jackknife->Finish(input);
    AppendJackknifeSections(listing, variableLabels, *tables.jackknife);
  }

  results = std::move(run);
}

}  // namespace

void RunAnalysis(const TRunRequest& request, const TDataMatrix& data, TAnalysisResults& results,
                 TReportListing& listing) {
  RunStage stage = RunStage::FullSample;
  try {
    RunSteps(request, data, results, listing, stage);
  } catch (Exception& fault) {
    // The message stays the one the arithmetic raised; what the data show of
    // the cause goes beside it. Failing to find a cause must not replace it.
    if (IsFloatingPointFault(fault)) {
      try {
        fault.SetDetail(RunFaultCause(data, request.options, stage));
      } catch (...) {
      }
    }
    throw;
  }
}

}  // namespace talvex
