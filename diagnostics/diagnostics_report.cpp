// Writing the diagnostics report.
#include "diagnostics/diagnostics_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "analysis/listing_fields.h"
#include "base/text_format.h"
#include "diagnostics/imputation_section.h"
#include "diagnostics/report_fields.h"

namespace talvex {

namespace {

std::string Count(std::size_t x, int width) { return PadLeft(std::to_string(x), ' ', width); }

std::string Label(const std::vector<std::string>& labels, TSize index, int width) {
  const std::string label = index - 1 < labels.size() ? labels[index - 1] : std::to_string(index);
  return PadRight(label, ' ', width);
}

void Warnings(TReportListing& out, const TDiagnostics& d) {
  ReportTitle(out, "Warnings");
  if (d.warnings.empty()) out.Append("None: no shown axis was exchanged in any reduced sample.");
  for (const std::string& warning : d.warnings) out.Append("* " + warning + ".");
  out.AppendEmpty();
}

void Exchanges(TReportListing& out, const TDiagnostics& d) {
  ReportTitle(out, "Axis exchanges");
  out.Append("A reduced sample exchanged an axis when another axis matches the full-sample");
  out.Append("axis better, or when its |cosine| with it is below 0.9.");
  out.AppendEmpty();
  out.Append("Axis  Exchanged  Lowest |cos|  With");
  for (TSize a = 1; a <= d.axisCount; ++a) {
    double lowest = 1.0;
    for (TSize i = 1; i <= d.objectCount; ++i) lowest = std::min(lowest, d.cosines[d.At(i, a)]);
    const TAxisExchanges& e = d.exchanges[a - 1];
    std::string with;
    for (TSize b = 1; b <= d.axisCount; ++b) {
      if (b != a && e.withAxis[b] != 0)
        with += " axis " + std::to_string(b) + ": " + std::to_string(e.withAxis[b]) + ";";
    }
    if (e.withAxis[BeyondShownAxes] != 0)
      with += std::string(" ") + BeyondText(d) + ": " +
              std::to_string(e.withAxis[BeyondShownAxes]) + ";";
    if (e.withAxis[a] != 0) with += " turned: " + std::to_string(e.withAxis[a]) + ";";
    if (!with.empty()) with.pop_back();
    out.Append(Count(a, 4) + Count(e.exchanged, 11) + ReportNumber(lowest, 4, 14) +
               (with.empty() ? "" : " " + with));
  }
  out.AppendEmpty();
  out.Append("Reduced samples whose axes the one-to-one match reordered: " +
             std::to_string(d.reorderedSamples) + " of " + std::to_string(d.objectCount));
  out.AppendEmpty();
}

void SideBySide(TReportListing& out, const TDiagnostics& d, const TDataMatrix& data) {
  ReportTitle(out, "Jackknife as listed and with axes matched before aligning signs");
  out.Append("JK Eigenvalues");
  out.Append("   i    Listed        SE    Matched        SE");
  for (TSize c = 1; c <= d.variableCount; ++c) {
    const TJackknifeStatistic& s = d.specified.eigenvalues[c - 1];
    const TJackknifeStatistic& m = d.matched.eigenvalues[c - 1];
    out.Append(Count(c, 4) + ReportNumber(s.estimate, 6) + ReportNumber(s.standardError, 6) + " " +
               ReportNumber(m.estimate, 6) + ReportNumber(m.standardError, 6));
  }
  out.AppendEmpty();
  out.Append("JK Eigenvectors");
  for (TSize a = 1; a <= d.axisCount; ++a) {
    out.Append("Axis " + std::to_string(a) + "          Listed        SE    Matched        SE");
    for (TSize j = 1; j <= d.variableCount; ++j) {
      const std::size_t at = std::size_t(a - 1) * d.variableCount + (j - 1);
      const TJackknifeStatistic& s = d.specified.vectors[at];
      const TJackknifeStatistic& m = d.matched.vectors[at];
      out.Append(Label(data.variableLabels, j, 12) + ReportNumber(s.estimate, 4) +
                 ReportNumber(s.standardError, 4) + " " + ReportNumber(m.estimate, 4) +
                 ReportNumber(m.standardError, 4));
    }
    out.AppendEmpty();
  }
  if (!d.specified.macs.empty()) {
    out.Append("JK MAC's");
    out.Append("Variable          Listed        SE    Matched        SE");
    for (TSize j = 1; j <= d.variableCount; ++j) {
      const TJackknifeStatistic& s = d.specified.macs[j - 1];
      const TJackknifeStatistic& m = d.matched.macs[j - 1];
      out.Append(Label(data.variableLabels, j, 12) + ReportNumber(s.estimate, 4) +
                 ReportNumber(s.standardError, 4) + " " + ReportNumber(m.estimate, 4) +
                 ReportNumber(m.standardError, 4));
    }
    out.AppendEmpty();
  }
}

void Intervals(TReportListing& out, const TDiagnostics& d, const TDataMatrix& data) {
  ReportTitle(out, "95% confidence intervals");
  out.Append("Estimate +/- t(" + std::to_string(d.objectCount - 1) +
             ", 0.975) * SE, t = " + ReportNumber(d.tQuantile, 6, 0) +
             " (Student's t); estimates " + (d.matchAxes ? "with matched axes." : "as listed."));
  if (d.determinedAxes < d.variableCount)
    out.Append("From axis " + std::to_string(d.determinedAxes + 1) +
               " on the reduced samples do not determine the jackknife: no intervals (nan).");
  out.AppendEmpty();
  const TJackknifeResults& e = d.Estimates();
  out.Append("Eigenvalues");
  out.Append("   i  Estimate     Lower     Upper");
  for (TSize c = 1; c <= d.variableCount; ++c) {
    const TInterval& v = d.eigenvalueIntervals[c - 1];
    out.Append(Count(c, 4) + ReportNumber(e.eigenvalues[c - 1].estimate, 6) +
               ReportNumber(v.lower, 6) + ReportNumber(v.upper, 6));
  }
  out.AppendEmpty();
  out.Append("Eigenvectors");
  for (TSize a = 1; a <= d.axisCount; ++a) {
    out.Append("Axis " + std::to_string(a) + "        Estimate     Lower     Upper");
    for (TSize j = 1; j <= d.variableCount; ++j) {
      const std::size_t at = std::size_t(a - 1) * d.variableCount + (j - 1);
      const TInterval& v = d.vectorIntervals[at];
      out.Append(Label(data.variableLabels, j, 12) + ReportNumber(e.vectors[at].estimate, 4) +
                 ReportNumber(v.lower, 4) + ReportNumber(v.upper, 4));
    }
    out.AppendEmpty();
  }
}

void Allometry(TReportListing& out, const TDiagnostics& d, const TDataMatrix& data) {
  if (d.allometry.empty()) return;
  ReportTitle(out, "Allometry: the MAC's against isometry (1)");
  out.Append("Variable           MAC     Lower     Upper  P 1-sided  P 2-sided  Verdict at 5%");
  const TJackknifeResults& e = d.Estimates();
  for (TSize j = 1; j <= d.variableCount; ++j) {
    const TAllometryTest& t = d.allometry[j - 1];
    out.Append(Label(data.variableLabels, j, 12) + ReportNumber(e.macs[j - 1].estimate, 4) +
               ReportNumber(t.interval.lower, 4) + ReportNumber(t.interval.upper, 4) +
               ReportNumber(t.oneSided, 4, 11) + ReportNumber(t.twoSided, 4, 11) + "  " +
               VerdictText(t.verdict));
  }
  out.AppendEmpty();
}

void Influence(TReportListing& out, const TDiagnostics& d, const TDataMatrix& data) {
  ReportTitle(out, "Influence of each object");
  out.Append("dL: the jackknife's influence of the object on a shown eigenvalue,");
  out.Append("(n - 1) (mean of the reduced values - value without the object), divided by its");
  out.Append("root mean square over all objects (positive: the object adds to the eigenvalue).");
  out.Append("Influence: the largest |dL|. Threshold: " + ReportNumber(d.influenceThreshold, 1, 0) +
             ", three times the root mean square.");
  out.Append("angle: degrees between the full-sample axis and the reduced one.");
  std::string left;
  for (TInfluenceExclusion why :
       {TInfluenceExclusion::NoSpread, TInfluenceExclusion::Tied, TInfluenceExclusion::Exchanged}) {
    std::vector<TSize> axes;
    for (TSize a = 1; a <= d.axisCount; ++a)
      if (d.influenceExcluded[a - 1] == why) axes.push_back(a);
    if (!axes.empty())
      left += (left.empty() ? "" : "; ") + AxisRanges(axes) + " (" + ExclusionText(why) + ")";
  }
  out.Append("Eigenvalues left out: " + (left.empty() ? std::string("none") : left) + ".");
  out.AppendEmpty();
  std::string heading = "   #  Object      Influence";
  for (TSize a = 1; a <= d.axisCount; ++a) heading += PadLeft("dL" + std::to_string(a), ' ', 9);
  for (TSize a = 1; a <= d.axisCount; ++a) heading += PadLeft("angle" + std::to_string(a), ' ', 9);
  out.Append(heading);
  TSize beyond = 0;
  for (TSize rank = 1; rank <= d.objectCount; ++rank) {
    const TSize i = d.influenceRanking[rank - 1];
    const bool over = d.influence[i - 1] > d.influenceThreshold;
    if (over) ++beyond;
    if (rank > MostInfluentialShown && !over) break;
    std::string row = Count(i, 4) + "  " + Label(data.objectLabels, i, 10) +
                      ReportNumber(d.influence[i - 1], 4, 11) + (over ? "*" : " ");
    for (TSize a = 1; a <= d.axisCount; ++a) {
      const double u = d.eigenvalueInfluence[d.At(i, a)];
      row += std::isnan(u) ? PadLeft("-", ' ', 9) : ReportNumber(u, 3, 9);
    }
    for (TSize a = 1; a <= d.axisCount; ++a) row += ReportNumber(d.angles[d.At(i, a)], 2, 9);
    out.Append(row);
  }
  out.AppendEmpty();
  out.Append(std::to_string(beyond) + " of " + std::to_string(d.objectCount) +
             " objects beyond the threshold (marked *).");
}

}  // namespace

TReportListing DiagnosticsReport(const TDiagnostics& d, const TDataMatrix& data,
                                 const TRunRecord* record, const TImputationResult* imputation) {
  TReportListing out;
  out.Append("TALVEX - Diagnostics of the jackknife");
  out.AppendEmpty();
  if (record != nullptr) {
    // How the results were made, as All Results' "Run" table has it.
    const auto fields = RunRecordFields(*record);
    std::size_t width = 0;
    for (const auto& field : fields) width = std::max(width, field.first.size());
    for (const auto& [field, value] : fields)
      out.Append(field + std::string(width - field.size(), ' ') + "  " + value);
    out.AppendEmpty();
  }
  if (imputation != nullptr) AppendImputationSection(out, data, *imputation);
  if (!d.available) {
    out.Append("No diagnostics: they come from the jackknife, which did not run.");
    return out;
  }
  if (!d.estimates) throw std::logic_error("diagnostics made without the jackknife's estimates");
  out.Append("Objects " + std::to_string(d.objectCount) + ", variables " +
             std::to_string(d.variableCount) + ", axes shown " + std::to_string(d.axisCount) +
             "; match axes before aligning signs: " + (d.matchAxes ? "on" : "off"));
  out.AppendEmpty();
  Warnings(out, d);
  Exchanges(out, d);
  SideBySide(out, d, data);
  Intervals(out, d, data);
  Allometry(out, d, data);
  Influence(out, d, data);
  return out;
}

}  // namespace talvex
