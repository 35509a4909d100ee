// The sections of the report listing, character for character: each function
// appends one section's lines. The analysis run calls them as it computes.
#pragma once

#include <string>
#include <vector>

#include "analysis/jackknife.h"
#include "analysis/report_listing.h"
#include "numeric/float_matrix.h"
#include "numeric/float_vector.h"

namespace talvex {

using TLabels = std::vector<std::string>;

/// Banner, date and time ("YYYY-MM-DD", "HH:MM:SS"), input file, title, counts.
/// `notes` (what an import left out) stand after the title's empty line, one
/// line each and an empty line after them; without notes nothing is added.
void AppendHeader(TReportListing& listing, const std::string& date, const std::string& time,
                  const std::string& inputFileName, const std::string& title, TSize p, TSize n,
                  const std::vector<std::string>& notes = {});

void AppendBasicStatistics(TReportListing& listing, const TLabels& variableLabels,
                           const TFloatVector& means, const TFloatVector& sds);

/// Row a: label, then d[a][1..a] as "%10.5f" fields each followed by a blank.
/// Beyond 255 variables, after the header: the number of components shown
/// and how the default was chosen.
void AppendWideNote(TReportListing& listing, TSize k, TSize p);

/// Beyond 255 variables, in place of the dispersion matrix's lower triangle.
void AppendWideDispersionNote(TReportListing& listing, TSize p);

void AppendLowerTriangle(TReportListing& listing, const TLabels& variableLabels,
                         const TFloatMatrix& d);

void AppendTrace(TReportListing& listing, double trace, double averageRoot);

/// A row of the eigenvalue table: the eigenvalue's rank and its share of the trace.
struct TEigenvalueRow {
  TSize rank = 0;
  double eigenvalue = 0.0;
  double percent = 0.0;
  double cumulativePercent = 0.0;
};

/// The heading, the rows as given and an empty line.
void AppendEigenvalueTable(TReportListing& listing, const std::vector<TEigenvalueRow>& rows);

/// A heading, an empty line, one row per label with columns 1..k of `m` as
/// "%10.<decimals>f" fields each followed by a blank, and an empty line.
void AppendLabelledTable(TReportListing& listing, const std::string& heading, const TLabels& labels,
                         const TFloatMatrix& m, TSize k, int decimals);

void AppendAllometricCoefficients(TReportListing& listing, const TLabels& variableLabels,
                                  const TFloatVector& macs);

void AppendJackknifeSections(TReportListing& listing, const TLabels& variableLabels,
                             const TJackknifeResults& jackknife);

}  // namespace talvex
