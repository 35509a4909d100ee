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
#include "analysis/computed_components.h"
#include "analysis/jackknife.h"
#include "analysis/missing_cells.h"
#include "analysis/pca_imputation.h"
#include "analysis/reimputed_samples.h"
#include "analysis/report_sections.h"
#include "analysis/run_fault_cause.h"
#include "numeric/float_faults.h"
#include "numeric/principal_axes.h"
#include "numeric/probability.h"
#include "numeric/statistics.h"
#include "numeric/wide_principal_axes.h"

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

bool IsFloatingPointFault(const Exception& e) {
  return dynamic_cast<const EInvalidOp*>(&e) != nullptr ||
         dynamic_cast<const EZeroDivide*>(&e) != nullptr ||
         dynamic_cast<const EOverflow*>(&e) != nullptr;
}

// The steps of the run, in the listing's order; each writes its lines as
// soon as it has computed them. `stage` follows the run into the jackknife.
class TRunSteps {
 public:
  TRunSteps(const TRunRequest& request, const TDataMatrix& data, TReportListing& listing,
            RunStage& stage)
      : request_(request),
        data_(data),
        listing_(listing),
        stage_(stage),
        options_(request.options),
        method_(options_.method),
        n_(data.objectCount),
        p_(data.variableCount),
        k_(request.factorCount),
        labels_(data.variableLabels) {}

  // The driver: the full sample, then the jackknife. On success the results
  // go to `results`; on failure it stays as it was.
  void Run(TAnalysisResults& results) {
    Header();
    BasicStatistics();
    TransformData();
    StartJackknife();
    Dispersion();
    Decomposition();
    Scores();
    Correlations();
    Allometry();
    Jackknife();
    run_.tables.imputation = std::move(imputation_);
    results = std::move(run_);
  }

 private:
  void Step(const char* step) {
    if (request_.observer != nullptr) request_.observer->StepStarted(step);
  }

  void Header() {
    ClearFloatFaults();
    listing_.Clear();
    if (k_ < 1 || k_ > p_)
      throw Exception("The number of factors must be between 1 and " + std::to_string(p_));
    // The header names how many cells were imputed, and with how many
    // components, so the imputation comes first.
    ImputeMissingCells();
    std::vector<std::string> notes = data_.notes;
    if (imputation_) notes.push_back(ImputationNote(imputation_->summary));
    AppendHeader(listing_, FormatTime(request_.startTime, "%Y-%m-%d"),
                 FormatTime(request_.startTime, "%H:%M:%S"), InputName(), data_.title, p_, n_,
                 notes);
    if (Wide()) AppendWideNote(listing_, k_, p_);
    // The working copy of the data, objects in rows.
    x_ = DataColumns(data_);
    run_.tables.options = options_;
    run_.tables.factorCount = k_;
  }

  // The listing's input file name: the file's absolute path, or the name
  // of data that came from no file.
  std::string InputName() const {
    if (request_.dataFromFile) return AbsolutePath(request_.dataFileName);
    return request_.dataName.empty() ? PastedDataName : request_.dataName;
  }

  // Data with missing cells: the imputation runs on the data as the
  // analysis sees them, transformed, on a copy of its own. Where the
  // transformation faults, nothing is imputed, and the run stops at the
  // transformation as it would without missing cells.
  void ImputeMissingCells() {
    if (!data_.HasMissing()) return;
    CheckImputable(data_, options_.maxMissingShare);
    missing_ = TMissingCells(data_.missing, n_, p_);
    completed_ = DataColumns(data_);
    FillMissingCells(completed_, 1.0);
    try {
      talvex::TransformData(completed_, n_, p_, options_.transformation);
    } catch (const Exception&) {
      ClearFloatFaults();
      completed_ = TFloatMatrix(0, 0);
      return;
    }
    Step("Imputation");
    TImputationResult imputation;
    imputation.summary = talvex::ImputeMissingCells(completed_, missing_, method_,
                                                    options_.imputeComponents, cells_);
    imputation.values = data_.values;
    for (const TSize i : missing_.Rows()) {
      for (std::size_t c = missing_.First(i); c < missing_.Last(i); ++c) {
        const TSize j = missing_.Column(c);
        imputation.values.Data()[std::size_t(i) * p_ + j] = Untransformed(cells_[c]);
      }
    }
    CheckFloatFaults();
    imputation_ = std::move(imputation);
  }

  // A cell's value in the data's own units.
  double Untransformed(double value) const {
    switch (options_.transformation) {
      case DataTransform::TransformDecimal:
        return std::pow(10.0, value);
      case DataTransform::TransformNatural:
        return std::exp(value);
      default:
        return value;
    }
  }

  // Missing cells hold `value` (1: every logarithm takes it without a fault).
  void FillMissingCells(TFloatMatrix& x, double value) const {
    for (const TSize i : missing_.Rows())
      for (std::size_t c = missing_.First(i); c < missing_.Last(i); ++c)
        x.Column(missing_.Column(c) + 1)[i] = value;
  }

  void BasicStatistics() {
    Step("Basic statistics");
    TFloatVector means(p_);
    if (data_.HasMissing()) {
      // The raw data's statistics are those of the values measured.
      std::vector<double> known, deviations;
      KnownMeansAndDeviations(x_, missing_, known, deviations);
      for (TSize j = 1; j <= p_; ++j) {
        means.SetValue(j, known[j - 1]);
        sds_.SetValue(j, deviations[j - 1]);
      }
      CheckFloatFaults();
    } else {
      ColumnMeansAndDeviations(x_, n_, p_, means, sds_);
    }
    AppendBasicStatistics(listing_, labels_, means, sds_);
    run_.tables.means = means;
    run_.tables.deviations = sds_;
  }

  void TransformData() {
    if (!options_.Transformed()) {
      listing_.Append("Raw data");
    } else {
      listing_.Append(std::string("Data log (") +
                      (options_.transformation == DataTransform::TransformDecimal ? "10" : "e") +
                      ")" + " transformed");
    }
    listing_.AppendEmpty();
    if (data_.HasMissing()) FillMissingCells(x_, 1.0);
    if (options_.Transformed()) talvex::TransformData(x_, n_, p_, options_.transformation);
    if (imputation_) {
      x_ = completed_;
      if (options_.jackknife)
        reimputed_.emplace(x_, missing_, cells_, imputation_->summary.components, method_);
    }
    if (options_.Transformed() || imputation_) {
      // The correlations with the components divide by the spread of the data analysed.
      TFloatVector means(p_);
      ColumnMeansAndDeviations(x_, n_, p_, means, sds_);
    }
  }

  // Under correlations the reduced samples need nothing of the full sample's
  // decomposition: the jackknife's workers start on them now, while this
  // thread decomposes the full sample and writes its tables. Where that
  // fails (no memory for the workers), the full-sample results still come
  // first: the jackknife is started again, and fails, at its turn.
  // Beyond the exact scheme the jackknife's preparation (the full sample's
  // sums of the reduced samples) is a step of its own, which may be long and
  // is followed and cancelled as it goes.
  void StartJackknife() {
    if (!options_.jackknife) return;
    if (Wide()) Step("Jackknife preparation");
    try {
      jackknife_.emplace(JackknifeData(), JackknifeSettings());
    } catch (const ERunCancelled&) {
      throw;
    } catch (...) {
      ClearFloatFaults();
    }
  }

  void Dispersion() {
    listing_.Append("Statistics based on the entire sample");
    listing_.AppendEmpty();
    listing_.Append(method_ == DispersionMethod::Covariance ? "Covariance matrix"
                                                            : "Correlation matrix");
    listing_.AppendEmpty();
    if (Wide()) {
      // p (p + 1) / 2 numbers would be 50 million at 10,000 variables, and
      // the matrix itself 800 MB: neither is made.
      AppendWideDispersionNote(listing_, p_);
      return;
    }
    Step("Dispersion matrix");
    dispersion_ = TFloatMatrix(p_, p_);
    DispersionMatrix(x_, n_, p_, dispersion_, method_);
    AppendLowerTriangle(listing_, labels_, dispersion_);
    run_.tables.dispersion = dispersion_;  // the decomposition works in its own copy
  }

  void Decomposition() {
    Step("Eigen-decomposition");
    if (Wide()) {
      WideDecomposition();
      return;
    }
    run_.eigenvalues = TFloatVector(p_);
    run_.eigenvectors = TFloatMatrix(p_, p_);
    TFloatVector offDiag(p_);
    PrincipalAxesOf(dispersion_, p_, run_.trace, offDiag, run_.eigenvalues, run_.eigenvectors);
    ListDecomposition();
  }

  // The trace, the eigenvalues and the shown axes' coefficients.
  void ListDecomposition() {
    const double averageRoot = VectorMean(run_.eigenvalues, p_);
    CheckFloatFaults();
    AppendTrace(listing_, run_.trace, averageRoot);
    AppendEigenvalueTable(
        listing_,
        EigenvalueRows(run_.eigenvalues, k_,
                       FactorThreshold(options_.factorRule, method_, averageRoot), run_.trace));
    AppendLabelledTable(listing_, "Eigenvectors", labels_, run_.eigenvectors, k_, 4);
  }

  // The full sample beyond the exact scheme's limit: only the axes shown
  // (and a second for the score plot) are formed.
  void WideDecomposition() {
    TLeadingAxes axes = LeadingPrincipalAxes(x_, n_, p_, method_, ScoreColumns(),
                                             ObservedCheckpoint(request_.observer));
    run_.trace = axes.trace;
    run_.eigenvalues = std::move(axes.eigenvalues);
    run_.eigenvectors = std::move(axes.eigenvectors);
    run_.axesRoute = axes.route;
    ListDecomposition();
  }

  void StopIfAsked() {
    if (request_.observer != nullptr && request_.observer->CancelRequested()) throw ERunCancelled();
  }

  bool Wide() const { return p_ > ExactSchemeVariables; }

  // A score plot needs two axes: with one component shown, the second
  // column is computed as well, so the plot never shows a column of zeros.
  TSize ScoreColumns() const { return ComputedComponents(k_, p_); }

  void Scores() {
    Step("Component scores");
    StopIfAsked();
    run_.scores = TFloatMatrix(n_, Wide() ? ScoreColumns() : p_);
    ComponentScores(n_, p_, ScoreColumns(), run_.scores, run_.eigenvectors, x_, method_);
    AppendLabelledTable(listing_, "Principal Component Scores", data_.objectLabels, run_.scores, k_,
                        3);
  }

  void Correlations() {
    TFloatMatrix correlations(p_, k_);
    ComponentCorrelations(p_, k_, method_, run_.eigenvalues, sds_, run_.eigenvectors, correlations);
    AppendLabelledTable(listing_, "Correlations between components and original variables", labels_,
                        correlations, k_, 4);
    run_.tables.correlations = std::move(correlations);
  }

  void Allometry() {
    if (!options_.WithAllometry()) return;
    macs_ = TFloatVector(p_);
    const std::span<const double> sizeAxis(run_.eigenvectors.Column(1), p_);
    macOrientation_ = SizeAxisOrientation(sizeAxis);
    AllometricCoefficients(sizeAxis, macOrientation_, std::span(macs_.Data(), p_));
    macs_.Extend(p_);
    CheckFloatFaults();
    AppendAllometricCoefficients(listing_, labels_, macs_);
    run_.tables.macs = macs_;
  }

  void Jackknife() {
    if (!options_.jackknife) return;
    stage_ = RunStage::Jackknife;
    Step("Jackknife");
    const TJackknifeInput input{JackknifeData(), run_.eigenvalues, run_.eigenvectors,
                                options_.WithAllometry()
                                    ? std::optional<TJackknifeAllometry>({macs_, macOrientation_})
                                    : std::nullopt};
    if (!jackknife_) jackknife_.emplace(JackknifeData(), JackknifeSettings());
    run_.tables.jackknife = jackknife_->Finish(input);
    if (reimputed_) {
      imputation_->summary.reducedSamples = n_;
      imputation_->summary.reducedNotConverged = reimputed_->NotConverged();
      imputation_->summary.reducedMostIterations = reimputed_->MostIterations();
      imputation_->summary.reducedIterations = reimputed_->TotalIterations();
    }
    AppendJackknifeSections(listing_, labels_, *run_.tables.jackknife);
  }

  TJackknifeData JackknifeData() const { return {x_, n_, p_, k_, method_}; }
  TJackknifeSettings JackknifeSettings() const {
    return {.threads = request_.threads,
            .observer = request_.observer,
            .collector = request_.collector,
            .reimputed = reimputed_ ? &*reimputed_ : nullptr};
  }

  const TRunRequest& request_;
  const TDataMatrix& data_;
  TReportListing& listing_;
  RunStage& stage_;
  const TAnalysisOptions options_;
  const DispersionMethod method_;
  const TSize n_, p_, k_;
  const TLabels& labels_;

  TFloatMatrix x_{0, 0};
  TFloatVector sds_{p_};
  TFloatMatrix dispersion_{0, 0};
  TFloatVector macs_{0};
  double macOrientation_ = 1.0;
  // Missing cells: where they are, their imputed values, the completed
  // analysed data, and the jackknife's re-imputed samples.
  TMissingCells missing_;
  std::vector<double> cells_;
  TFloatMatrix completed_{0, 0};
  std::optional<TImputationResult> imputation_;
  std::optional<TReimputedSamples> reimputed_;
  std::optional<TJackknifeRun> jackknife_;
  TAnalysisResults run_;
};

}  // namespace

void RunAnalysis(const TRunRequest& request, const TDataMatrix& data, TAnalysisResults& results,
                 TReportListing& listing) {
  RunStage stage = RunStage::FullSample;
  try {
    TRunSteps(request, data, listing, stage).Run(results);
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
