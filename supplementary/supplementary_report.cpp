// Writing the supplementary items' section of the diagnostics report.
#include "supplementary/supplementary_report.h"

#include <algorithm>
#include <cmath>

#include "analysis/listing_fields.h"
#include "base/text_format.h"
#include "diagnostics/report_fields.h"

namespace talvex {

namespace {

std::size_t LabelWidth(const std::vector<std::string>& labels) {
  std::size_t width = 11;
  for (const std::string& label : labels) width = std::max(width, label.size());
  return std::min<std::size_t>(width, 30) + 1;
}

// One block per shown axis: a row per item with its value and, after a
// jackknife, the estimate, SE and 95% interval.
void AxisBlocks(TReportListing& out, const TSupplementaryResults& r,
                const std::vector<std::string>& labels,
                const std::vector<TSupplementaryValue>& values, const char* heading, int decimals) {
  const std::size_t width = LabelWidth(labels);
  for (TSize a = 1; a <= r.axisCount; ++a) {
    std::string title =
        PadRight("Axis " + std::to_string(a), ' ', TSize(width)) + PadLeft(heading, ' ', 10);
    if (r.jackknife) title += "  Estimate        SE     Lower     Upper";
    out.Append(title);
    for (std::size_t i = 0; i < labels.size(); ++i) {
      const TSupplementaryValue& v = values[i * r.axisCount + a - 1];
      std::string line = PadRight(labels[i], ' ', TSize(width)) + ReportNumber(v.value, decimals);
      if (r.jackknife)
        line += ReportNumber(v.estimate, decimals) + ReportNumber(v.standardError, decimals) +
                ReportNumber(v.lower, decimals) + ReportNumber(v.upper, decimals);
      out.Append(line);
    }
    out.AppendEmpty();
  }
}

}  // namespace

void AppendSupplementaryReport(TReportListing& out, const TSupplementaryResults& r) {
  if (!r.available) return;
  ReportTitle(out, "Supplementary items");
  out.Append("Placed on the shown axes without taking part in the analysis: the first column");
  out.Append("is the full sample's value.");
  if (r.jackknife) {
    out.Append("Jackknife: each of the " + std::to_string(r.objectCount) +
               " reduced samples places the items with its own means,");
    out.Append(std::string("standard deviations and sign-aligned axes") +
               (r.matchAxes ? " (matched one-to-one first)" : "") +
               "; estimate and SE from the pseudo-values;");
    out.Append("95% interval estimate +/- t(" + std::to_string(r.objectCount - 1) +
               ", 0.975) * SE, t = " + ReportNumber(r.tQuantile, 6, 0) + ".");
  } else {
    out.Append("Without the jackknife there are no standard errors.");
  }
  out.AppendEmpty();
  for (const std::string& warning : r.warnings) out.Append("* " + warning + ".");
  if (!r.warnings.empty()) out.AppendEmpty();

  if (!r.objectLabels.empty()) {
    out.Append("Supplementary objects: scores");
    out.AppendEmpty();
    AxisBlocks(out, r, r.objectLabels, r.scores, "Score", 3);
  }
  for (const TGroupMeans& g : r.groups) {
    out.Append("Group means: " + g.grouping +
               (g.supplementaryColumn ? " (supplementary column)" : " (group column)") +
               ", active and supplementary objects");
    std::vector<std::string> labels;
    for (std::size_t l = 0; l < g.levels.size(); ++l) {
      labels.push_back(g.levels[l] + " (" + std::to_string(g.activeCounts[l]) +
                       (g.supplementaryCounts[l] != 0
                            ? " + " + std::to_string(g.supplementaryCounts[l])
                            : std::string()) +
                       ")");
    }
    out.AppendEmpty();
    AxisBlocks(out, r, labels, g.means, "Mean", 3);
  }
  if (!r.variableLabels.empty()) {
    out.Append("Supplementary variables: correlations with the components");
    out.AppendEmpty();
    AxisBlocks(out, r, r.variableLabels, r.correlations, "r", 4);
  }
}

}  // namespace talvex
