// The imputation in the diagnostics report.
#include "diagnostics/imputation_section.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "base/text_format.h"

namespace talvex {

namespace {

std::string General(double x) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", x);
  return text;
}

std::string Name(const std::vector<std::string>& labels, TSize index) {
  return index - 1 < labels.size() ? labels[index - 1] : std::to_string(index);
}

}  // namespace

void AppendImputationSection(TReportListing& out, const TDataMatrix& data,
                             const TImputationResult& imputation) {
  const TImputationSummary& s = imputation.summary;
  out.Append("Imputation of missing values");
  out.AppendEmpty();
  out.Append("Regularised iterative PCA: " + std::to_string(s.missingCount) +
             " missing values, S = " + std::to_string(s.components) +
             (s.chosen ? " (chosen by generalised cross-validation)" : " (given)") + ".");
  if (s.chosen) {
    std::string line = "GCV by S:";
    for (std::size_t c = 0; c < s.gcv.size(); ++c)
      line += " " + std::to_string(c) + ": " + (std::isfinite(s.gcv[c]) ? General(s.gcv[c]) : "-");
    out.Append(line);
  }
  out.Append(std::string(s.converged ? "Converged" : "Not converged") + " after " +
             std::to_string(s.iterations) + " sweeps; last change " + General(s.finalChange) +
             " standard deviations (tolerance " + General(ImputationTolerance) + ").");
  if (s.reducedSamples > 0) {
    out.Append("The jackknife imputed each of its " + std::to_string(s.reducedSamples) +
               " reduced samples again: at most " + std::to_string(s.reducedMostIterations) +
               " sweeps, " + std::to_string(s.reducedNotConverged) +
               " stopped at the iteration limit.");
  }
  out.AppendEmpty();
  out.Append("Objects with imputed values (* imputed), in the data's own units:");
  const TSize p = data.variableCount;
  std::string heading = PadRight("Object", ' ', 12);
  for (TSize j = 1; j <= p; ++j) heading += " " + PadLeft(Name(data.variableLabels, j), ' ', 12);
  out.Append(heading);
  for (TSize i = 1; i <= data.objectCount; ++i) {
    std::string row = PadRight(Name(data.objectLabels, i), ' ', 12);
    bool any = false;
    for (TSize j = 1; j <= p; ++j) {
      const std::size_t at = std::size_t(i - 1) * p + j - 1;
      const bool imputed = at < data.missing.size() && data.missing[at] != 0;
      any = any || imputed;
      row += " " + PadLeft(General(imputation.values.Data()[at]) + (imputed ? "*" : " "), ' ', 12);
    }
    if (any) out.Append(row);
  }
  out.AppendEmpty();
}

}  // namespace talvex
