// An analysis run that collects the jackknife's reduced samples.
#include "diagnostics/diagnostics_run.h"

#include "analysis/collector_pair.h"
#include "diagnostics/diagnostics_collector.h"

namespace talvex {

TDiagnostics RunWithDiagnostics(TAnalysisState& state, const TAnalysisOptions& options,
                                TReportListing& listing,
                                const TDiagnosticsOptions& diagnosticsOptions,
                                TRunObserver* observer, unsigned threads,
                                TJackknifeCollector* also) {
  TDiagnosticsCollector collector(diagnosticsOptions.estimates);
  TCollectorPair both(collector, also != nullptr ? *also : collector);
  TJackknifeCollector* fed =
      also != nullptr ? static_cast<TJackknifeCollector*>(&both) : &collector;
  state.Run(options, listing, observer, threads, options.jackknife ? fed : nullptr,
            diagnosticsOptions.matchAxes);
  return ComputeDiagnostics(collector, state.Results(), diagnosticsOptions);
}

}  // namespace talvex
