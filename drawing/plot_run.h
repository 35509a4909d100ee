// TPlotRun: a completed run as the plots read it. The windows stay open
// while the user loads other data or runs again; each holds the run it
// shows through the shared, immutable outcome, so nothing it draws can
// change under it and nothing of the run is copied. Beside the outcome it
// holds what belongs to the plots alone: the number of components shown
// (which the user may change after the run) and the scree plot's parallel
// analysis, computed on request and kept for every window of the run.
#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "talvex/talvex.h"

namespace talvex::drawing {

class TPlotRun {
 public:
  /// The plots of `outcome` (not null) showing `factorCount` components.
  TPlotRun(std::shared_ptr<const talvex::TRunOutcome> outcome, talvex::TSize factorCount);

  const std::shared_ptr<const talvex::TRunOutcome>& Outcome() const noexcept { return outcome_; }
  /// The data as loaded (the analysis transforms them itself).
  const talvex::TDataMatrix& Data() const noexcept { return outcome_->Data(); }
  const talvex::TAnalysisResults& Results() const noexcept { return outcome_->Results(); }
  talvex::TSize FactorCount() const noexcept { return factorCount_; }
  /// The diagnostics, when the jackknife ran; null otherwise.
  const talvex::TDiagnostics* Diagnostics() const noexcept;
  /// The supplementary items placed on the axes, when the run had any;
  /// null otherwise.
  const talvex::TSupplementaryResults* Supplementary() const noexcept;

  /// The parallel analysis' percentile lines, once computed.
  const std::optional<std::vector<double>>& ParallelAnalysis() const noexcept {
    return parallelAnalysis_;
  }
  void SetParallelAnalysis(std::optional<std::vector<double>> lines) {
    parallelAnalysis_ = std::move(lines);
  }

  talvex::TSize ObjectCount() const noexcept { return Results().scores.Rows(); }
  talvex::TSize VariableCount() const noexcept { return Results().eigenvalues.Length(); }
  /// The components the results hold scores and coefficients for.
  talvex::TSize ComponentCount() const noexcept;
  /// The components the scatter plots offer: the count asked for, and the
  /// second one as well when one was asked for and the results hold it.
  talvex::TSize OfferedComponents() const noexcept;
  const talvex::TAnalysisOptions& Options() const noexcept { return Results().tables.options; }
  /// The jackknife's estimates, when the run made them.
  const talvex::TJackknifeResults* Jackknife() const noexcept;

  /// Object i's or variable j's name (1-based), or its number when unnamed.
  QString ObjectName(talvex::TSize i) const;
  QString VariableName(talvex::TSize j) const;

 private:
  std::shared_ptr<const talvex::TRunOutcome> outcome_;
  talvex::TSize factorCount_ = 0;
  std::optional<std::vector<double>> parallelAnalysis_;
};

/// The components the scatter plots offer for `factorCount` asked for of
/// `available` computed: the count, and the second one as well when one was
/// asked for and there is a second.
talvex::TSize OfferedComponents(talvex::TSize factorCount, talvex::TSize available) noexcept;

}  // namespace talvex::drawing
