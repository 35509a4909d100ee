// RunWithDiagnostics: an analysis run with the jackknife's reduced samples
// collected and turned into diagnostics. The front ends call this instead of
// TAnalysisState::Run when they want the diagnostics; the listing and the
// results are exactly those of a run without them.
#pragma once

#include "analysis/analysis_state.h"
#include "diagnostics/diagnostics.h"

namespace talvex {

/// Runs as state.Run(options, listing, observer, threads) and returns the
/// run's diagnostics (not available when the jackknife is off). A failed or
/// cancelled run raises as Run does and leaves the state as it was. `also`,
/// when given, receives the reduced samples too, after the diagnostics.
TDiagnostics RunWithDiagnostics(TAnalysisState& state, const TAnalysisOptions& options,
                                TReportListing& listing,
                                const TDiagnosticsOptions& diagnosticsOptions = {},
                                TRunObserver* observer = nullptr, unsigned threads = 0,
                                TJackknifeCollector* also = nullptr);

}  // namespace talvex
