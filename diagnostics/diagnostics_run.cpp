// An analysis run that collects the jackknife's reduced samples.
#include "diagnostics/diagnostics_run.h"

#include "diagnostics/diagnostics_collector.h"

namespace talvex {

TDiagnostics RunWithDiagnostics(TAnalysisState& state, const TAnalysisOptions& options,
                                TReportListing& listing,
                                const TDiagnosticsOptions& diagnosticsOptions,
                                TRunObserver* observer, unsigned threads) {
  TDiagnosticsCollector collector(diagnosticsOptions.estimates);
  state.Run(options, listing, observer, threads, options.jackknife ? &collector : nullptr,
            diagnosticsOptions.matchAxes);
  return ComputeDiagnostics(collector, state.Results(), diagnosticsOptions);
}

}  // namespace talvex
