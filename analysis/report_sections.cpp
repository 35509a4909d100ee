// The report listing's layout: fixed-width fields, rules and headings.
#include "analysis/report_sections.h"

#include "analysis/listing_fields.h"
#include "base/text_format.h"

namespace talvex {

namespace {

// Label of a table row: at least `width` characters; a longer label shifts the row.
std::string RowLabel(const std::string& label, int width = 8) {
  return PadRight(label, ' ', width) + " ";
}

// The labels of a table's rows, each formed once for the tables that repeat them.
std::vector<std::string> RowLabels(const TLabels& labels) {
  std::vector<std::string> rows;
  rows.reserve(labels.size());
  for (const std::string& label : labels) rows.push_back(RowLabel(label));
  return rows;
}

// A row of the jackknife's coefficient tables: the label, then the estimate,
// its standard error and P.
std::string StatisticRow(const std::string& label, const TJackknifeStatistic& s) {
  std::string row;
  row.reserve(label.size() + 30);
  row += label;
  AppendFloatField(row, s.estimate, 10, 4);
  AppendFloatField(row, s.standardError, 10, 4);
  AppendFloatField(row, s.probability, 10, 4);
  return row;
}

}  // namespace

void AppendHeader(TReportListing& listing, const std::string& date, const std::string& time,
                  const std::string& inputFileName, const std::string& title, TSize p, TSize n,
                  const std::vector<std::string>& notes) {
  listing.Append("TALVEX - Quorvane");
  listing.AppendEmpty();
  listing.Append("Date of analysis - " + date);
  listing.Append("Time of analysis - " + time);
  listing.Append(RepeatChar('-', 70));
  listing.AppendEmpty();
  listing.Append("Input file name  - " + inputFileName);
  listing.AppendEmpty();
  listing.Append(title);
  listing.AppendEmpty();
  if (!notes.empty()) {
    for (const std::string& note : notes) listing.Append(note);
    listing.AppendEmpty();
  }
  listing.Append("Number of variables    = " + std::to_string(p));
  listing.Append("Number of observations = " + std::to_string(n));
  listing.AppendEmpty();
}

void AppendBasicStatistics(TReportListing& listing, const TLabels& variableLabels,
                           const TFloatVector& means, const TFloatVector& sds) {
  listing.Append("Basic statistics for variables");
  listing.AppendEmpty();
  listing.Append("Variable                      Mean    Std. Dev.");
  listing.Append(RepeatChar('-', 25) + Blanks(4) + RepeatChar('-', 6) + Blanks(3) +
                 RepeatChar('-', 9));
  for (TSize j = 1; j <= variableLabels.size(); ++j) {
    listing.Append(PadRight(variableLabels[j - 1], ' ', 25) + Blanks(4) +
                   PadLeft(FixedText(2, means.GetValue(j)), ' ', 6) + Blanks(3) +
                   PadLeft(FixedText(2, sds.GetValue(j)), ' ', 9) + Blanks(3));
  }
  listing.AppendEmpty();
}

void AppendLowerTriangle(TReportListing& listing, const TLabels& variableLabels,
                         const TFloatMatrix& d) {
  for (TSize a = 1; a <= variableLabels.size(); ++a) {
    std::string row = RowLabel(variableLabels[a - 1]);
    for (TSize b = 1; b <= a; ++b) {
      AppendFloatField(row, d.GetValue(a, b), 10, 5);
      row += ' ';
    }
    listing.Append(std::move(row));
  }
  listing.AppendEmpty();
}

void AppendTrace(TReportListing& listing, double trace, double averageRoot) {
  listing.Append("Trace = " + FixedText(7, trace));
  listing.Append("Average root = " + FixedText(7, averageRoot));
  listing.AppendEmpty();
}

void AppendEigenvalueTable(TReportListing& listing, const std::vector<TEigenvalueRow>& rows) {
  listing.Append("Eigenvalues");
  listing.AppendEmpty();
  listing.Append("i  Eigenvalue   % Variance  % Cumulative");
  for (const TEigenvalueRow& row : rows) {
    listing.Append(std::to_string(row.rank) + " " + FloatField(row.eigenvalue, 10, 6) + Blanks(3) +
                   FloatField(row.percent, 10, 4) + Blanks(3) +
                   FloatField(row.cumulativePercent, 10, 4));
  }
  listing.AppendEmpty();
}

void AppendLabelledTable(TReportListing& listing, const std::string& heading, const TLabels& labels,
                         const TFloatMatrix& m, TSize k, int decimals) {
  listing.Append(heading);
  listing.AppendEmpty();
  for (TSize r = 1; r <= labels.size(); ++r) {
    std::string row = RowLabel(labels[r - 1]);
    for (TSize c = 1; c <= k; ++c) {
      AppendFloatField(row, m.GetValue(r, c), 10, decimals);
      row += ' ';
    }
    listing.Append(std::move(row));
  }
  listing.AppendEmpty();
}

void AppendAllometricCoefficients(TReportListing& listing, const TLabels& variableLabels,
                                  const TFloatVector& macs) {
  listing.Append("Multivariate Allometric Coefficients");
  listing.AppendEmpty();
  for (TSize j = 1; j <= variableLabels.size(); ++j)
    listing.Append(RowLabel(variableLabels[j - 1]) + FloatField(macs.GetValue(j), 10, 4));
  listing.AppendEmpty();
}

void AppendJackknifeSections(TReportListing& listing, const TLabels& variableLabels,
                             const TJackknifeResults& jackknife) {
  const TSize p = TSize(variableLabels.size());
  listing.Append("Jackknifed statistics");
  listing.AppendEmpty();
  listing.Append("JK Eigenvalues");
  listing.AppendEmpty();
  listing.Append("i" + Blanks(2) + "Eigenvalue" + Blanks(8) + "SE" + Blanks(10) + "P");
  for (TSize m = 1; m <= jackknife.eigenvalues.size(); ++m) {
    std::string row = std::to_string(m) + " " +
                      FloatField(jackknife.eigenvalues[m - 1].estimate, 10, 6) + Blanks(4);
    row += FloatField(jackknife.eigenvalues[m - 1].standardError, 10, 8);
    row += FloatField(jackknife.eigenvalues[m - 1].probability, 10, 4);
    listing.Append(std::move(row));
  }
  listing.AppendEmpty();

  listing.Append("JK Eigenvectors");
  listing.AppendEmpty();
  const std::vector<std::string> rowLabels = RowLabels(variableLabels);
  for (TSize a = 1; a <= jackknife.axisCount; ++a) {
    listing.Append(Blanks(13) + "Axis " + std::to_string(a) + Blanks(6) + "SE" + Blanks(9) + "P");
    for (TSize j = 1; j <= p; ++j)
      listing.Append(
          StatisticRow(rowLabels[j - 1], jackknife.vectors[std::size_t(a - 1) * p + j - 1]));
    listing.AppendEmpty();
  }

  if (jackknife.macs.empty()) return;
  listing.Append("JK MAC's");
  listing.AppendEmpty();
  listing.Append(Blanks(15) + "MAC" + Blanks(7) + "SE" + Blanks(9) + "P");
  for (TSize j = 1; j <= p; ++j)
    listing.Append(StatisticRow(rowLabels[j - 1], jackknife.macs[j - 1]));
}

}  // namespace talvex
