// The diagnostics report: a plain-text account of the diagnostics of one run,
// separate from the listing (which it never changes). Read by people; the
// full-results exports carry the same numbers for programs.
#pragma once

#include "analysis/pca_imputation.h"
#include "analysis/report_listing.h"
#include "analysis/run_record.h"
#include "diagnostics/diagnostics.h"
#include "input/data_matrix.h"

namespace talvex {

/// Objects listed as the most influential, besides every object beyond the
/// threshold.
inline constexpr TSize MostInfluentialShown = 10;

/// The report's lines: the run record (when given), the warnings, axis
/// exchanges, the listing's jackknife beside the matched-axes one,
/// intervals, allometry and influence. `data` gives the labels. Without
/// diagnostics (no jackknife) a short note. With `imputation` (data whose
/// missing cells were imputed) its account follows the run record.
TReportListing DiagnosticsReport(const TDiagnostics& diagnostics, const TDataMatrix& data,
                                 const TRunRecord* record = nullptr,
                                 const TImputationResult* imputation = nullptr);

}  // namespace talvex
