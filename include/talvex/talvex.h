// The core's one entry point for a run. A front end (the command line, the
// desktop program, a scripting module) describes a run in three parts and
// reads the fourth:
//
//   TRunData     the data: values, labels, groups, and where they came from;
//   TRunOptions  the choices the run is made with;
//   TAnalysis    computes (Compute), then hands out the outcome;
//   TRunOutcome  what a completed run made: the data analysed, the results,
//                the jackknife, the diagnostics, the listing and the run
//                record. It never changes once made and is shared as
//                std::shared_ptr<const TRunOutcome>, so every reader (a plot
//                window, an export, a script) holds the same run, none a copy.
//
//   talvex::TAnalysis analysis;
//   analysis.Compute(std::move(data), options);
//   const auto outcome = analysis.Outcome();
//   outcome->Results().eigenvalues ...
//
// Messages Compute can raise, besides those of the arithmetic (EInvalidOp,
// EZeroDivide, EOverflow, with the cause the data show as their Detail()),
// the jackknife ("Analysis cancelled", out of memory) and the diagnostics:
//   "The number of factors must be between 1 and <p>"
//   "Groups must be given for every object"
//   "The missing-value mask must have one flag per value"
// those of the supplementary items (supplementary/supplementary_input.h),
// raised before the run starts, and, for data with missing values, those of CheckImputable
// (analysis/missing_cells.h) and ImputeMissingCells.
#pragma once

#include <algorithm>
#include <memory>
#include <optional>
#include <string>

#include "analysis/analysis_options.h"
#include "analysis/analysis_results.h"
#include "analysis/analysis_state.h"
#include "analysis/computed_components.h"
#include "analysis/jackknife.h"
#include "analysis/report_listing.h"
#include "analysis/run_observer.h"
#include "analysis/run_record.h"
#include "diagnostics/diagnostics.h"
#include "input/data_matrix.h"
#include "supplementary/supplementary_data.h"
#include "supplementary/supplementary_results.h"

namespace talvex {

/// The data of a run. `matrix` holds the values, the object and variable
/// labels, the groups (one per object, or none) and the mask of missing
/// values (`matrix.missing`: one flag per value, or none); a run imputes
/// the missing cells (analysis/pca_imputation.h) with the options'
/// `imputeComponents` and `maxMissingShare`.
struct TRunData {
  TDataMatrix matrix = {};
  /// The file as the user named it; the listing prints it as an absolute
  /// path. Pasted data name none (source.kind is PastedData).
  std::string path;
  /// How the data were read, for the run record. Left as it is, the data
  /// came from the data-matrix file at `path`.
  TRunSource source = {};
  /// Objects, variables and groupings placed on the axes without taking part
  /// in the analysis; the listing never shows them.
  TSupplementaryData supplementary = {};
};

/// The choices a run is made with.
struct TRunOptions {
  TAnalysisOptions analysis = {};
  /// Components shown, 1..variableCount; 0: the default, every variable's up
  /// to 255 variables, beyond that 10 or n - 1 when fewer (DefaultFactorCount).
  TSize factorCount = 0;
  /// What the diagnostics compute beside the listing's jackknife.
  TDiagnosticsOptions diagnostics = {};
  /// Jackknife worker threads; 0 uses every core.
  unsigned threads = 0;
};

/// How a caller follows a run while it goes. Both may be left out.
struct TRunHooks {
  /// Told of each step and each left-out object; may cancel the run.
  TRunObserver* observer = nullptr;
  /// Receives the report as it is written, for a caller that shows or writes
  /// it while the run goes (it may hand its lines on); on failure it keeps
  /// the lines written before the fault. The outcome's listing then holds
  /// the lines this listing held at the end. Without it the outcome holds
  /// the listing itself, and a failed run's lines are lost.
  TReportListing* listing = nullptr;
};

/// What one completed run made. Immutable.
class TRunOutcome {
 public:
  const TDataMatrix& Data() const noexcept { return state_.Data(); }
  const TAnalysisResults& Results() const noexcept { return state_.Results(); }
  /// The listing's jackknife; empty when the run had none.
  const std::optional<TJackknifeResults>& Jackknife() const noexcept {
    return state_.Results().tables.jackknife;
  }
  /// The diagnostics of the jackknife (not `available` without it).
  const TDiagnostics& Diagnostics() const noexcept { return diagnostics_; }
  const TReportListing& Listing() const noexcept { return listing_; }
  const TRunRecord& Record() const noexcept { return state_.Record(); }
  TSize FactorCount() const noexcept { return state_.FactorCount(); }
  /// The components the results hold scores and coefficients for: those the
  /// run showed, and a second for the score plot (ComputedComponents,
  /// analysis/computed_components.h). The scores' columns beyond are not
  /// computed (their place holds zeros): a front end that shows more must
  /// run again.
  TSize ComponentCount() const noexcept {
    const TAnalysisResults& results = Results();
    return std::min({ComputedComponents(results.tables.factorCount, results.eigenvalues.Length()),
                     results.scores.Cols(), results.eigenvectors.Cols()});
  }
  /// The supplementary items on the shown axes (not `available` without any).
  const TSupplementaryResults& Supplementary() const noexcept { return supplementary_; }
  /// The same run as the state the exports read.
  const TAnalysisState& State() const noexcept { return state_; }

 private:
  friend class TAnalysis;
  TAnalysisState state_;
  TDiagnostics diagnostics_;
  TReportListing listing_;
  TSupplementaryResults supplementary_;
};

/// One analysis: Compute, then read the outcome.
class TAnalysis {
 public:
  /// Runs the analysis of `data` with `options`. On success the outcome is
  /// replaced by the new run's; on failure the exception reaches the caller
  /// and the outcome of the previous run stays as it was.
  TAnalysis& Compute(TRunData data, const TRunOptions& options, const TRunHooks& hooks = {});

  /// The last completed run's outcome; null before the first.
  const std::shared_ptr<const TRunOutcome>& Outcome() const noexcept { return outcome_; }

 private:
  std::shared_ptr<const TRunOutcome> outcome_;
};

}  // namespace talvex
