// TPlotSnapshot: what the plot windows draw, copied from a completed run.
// The windows stay open while the user loads other data or runs again; each
// draws from its own copy, so nothing it shows can change under it, and a
// new run hands the windows a new snapshot.
#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/analysis_results.h"
#include "analysis/analysis_state.h"
#include "diagnostics/diagnostics.h"
#include "input/data_matrix.h"
#include "supplementary/supplementary_results.h"

struct TPlotSnapshot {
  talvex::TDataMatrix data;  // as loaded (the analysis transforms it itself)
  talvex::TAnalysisResults results;
  talvex::TSize factorCount = 0;
  // When the jackknife ran. The scree plot's parallel analysis, made on
  // request, is kept in results.tables for every window of this run.
  std::optional<talvex::TDiagnostics> diagnostics;
  // When the run placed supplementary items.
  std::optional<talvex::TSupplementaryResults> supplementary;

  talvex::TSize ObjectCount() const noexcept { return results.scores.Rows(); }
  talvex::TSize VariableCount() const noexcept { return results.eigenvalues.Length(); }
  /// The components the results hold scores and coefficients for.
  talvex::TSize ComponentCount() const noexcept;
  /// The components the scatter plots offer: the count asked for, and the
  /// second one as well when one was asked for and the results hold it.
  talvex::TSize OfferedComponents() const noexcept;
  const talvex::TAnalysisOptions& Options() const noexcept { return results.tables.options; }
  /// The jackknife's estimates, when the run made them.
  const talvex::TJackknifeResults* Jackknife() const noexcept;

  /// Object i's or variable j's name (1-based), or its number when unnamed.
  QString ObjectName(talvex::TSize i) const;
  QString VariableName(talvex::TSize j) const;
};

/// The snapshot of `state`'s completed run, with `diagnostics` and the
/// `supplementary` items when they are available.
std::shared_ptr<TPlotSnapshot> MakePlotSnapshot(
    const talvex::TAnalysisState& state, const talvex::TDiagnostics* diagnostics,
    const talvex::TSupplementaryResults* supplementary = nullptr);
