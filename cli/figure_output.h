// talvex-cli's figures (--figure): the desktop's plots, drawn by the same
// library at the size and resolution asked for, without a display.
#pragma once

#include <ostream>

#include "analysis/analysis_state.h"
#include "cli/cli_options.h"
#include "diagnostics/diagnostics.h"
#include "supplementary/supplementary_results.h"

namespace talvex {

/// Raises EFigureExport (the size dialog's words) for a figure size or
/// resolution that cannot be drawn; nothing when there are no figures.
void CheckFigureSize(const TCliOptions& options);

/// Raises Exception("the figures' components must be between 1 and N") when
/// --figure-components names a component the run does not offer.
void CheckFigureComponents(const TCliOptions& options, TSize factorCount, TSize variableCount);

/// Draws every --figure of the completed run in `state` and writes it,
/// each file whole or not at all. A figure that cannot be written
/// (EFigureExport, EInOutError) is told on `err` and the others are still
/// written; returns false when any failed.
bool WriteFigures(const TCliOptions& options, const TAnalysisState& state,
                  const TDiagnostics& diagnostics, std::ostream& err,
                  const TSupplementaryResults* supplementary = nullptr);

}  // namespace talvex
