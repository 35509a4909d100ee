// The diagnostics report of an outcome.
#include "talvex/outcome_report.h"

#include "diagnostics/diagnostics_report.h"
#include "supplementary/supplementary_report.h"

namespace talvex {

bool HasDiagnosticsReport(const TRunOutcome& outcome) noexcept {
  return outcome.Diagnostics().available || outcome.Supplementary().available ||
         outcome.Results().tables.imputation.has_value();
}

TReportListing OutcomeDiagnosticsReport(const TRunOutcome& outcome) {
  const auto& imputation = outcome.Results().tables.imputation;
  TReportListing report = DiagnosticsReport(outcome.Diagnostics(), outcome.Data(),
                                            &outcome.Record(), imputation ? &*imputation : nullptr);
  AppendSupplementaryReport(report, outcome.Supplementary());
  return report;
}

}  // namespace talvex
