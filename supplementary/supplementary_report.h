// The supplementary items as text, for the diagnostics report: the
// supplementary objects' scores, the groups' mean scores and the
// supplementary variables' correlations, each with its jackknife.
#pragma once

#include "analysis/report_listing.h"
#include "supplementary/supplementary_results.h"

namespace talvex {

/// Appends the supplementary items' section to `report`; nothing when the
/// results are not available.
void AppendSupplementaryReport(TReportListing& report, const TSupplementaryResults& results);

}  // namespace talvex
