// The diagnostics report of a completed run, the same text for every front
// end: the jackknife's diagnostics, then the imputation of missing cells
// and the supplementary items, each when the run had them.
#pragma once

#include "analysis/report_listing.h"
#include "talvex/talvex.h"

namespace talvex {

/// Whether the run has anything for the diagnostics report to say.
bool HasDiagnosticsReport(const TRunOutcome& outcome) noexcept;

/// The report's lines.
TReportListing OutcomeDiagnosticsReport(const TRunOutcome& outcome);

}  // namespace talvex
