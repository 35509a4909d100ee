// RunAnalysis: one principal components analysis from the loaded data and the
// options to the results and the report listing, with the optional jackknife.
#pragma once

#include <chrono>
#include <string>

#include "analysis/analysis_options.h"
#include "analysis/analysis_results.h"
#include "analysis/jackknife_collector.h"
#include "analysis/report_listing.h"
#include "analysis/run_observer.h"
#include "input/data_matrix.h"

namespace talvex {

struct TRunRequest {
  TAnalysisOptions options;
  TSize factorCount = 0;     // k: components shown, 1..variableCount
  std::string dataFileName;  // printed as an absolute path
  bool dataFromFile = true;  // false: data from no file, printed as dataName
  std::string dataName;      // data from no file: their name; empty: PastedDataName
  std::chrono::system_clock::time_point startTime = std::chrono::system_clock::now();
  unsigned threads = 0;  // jackknife worker threads; 0: all cores
  TRunObserver* observer = nullptr;
  TJackknifeCollector* collector = nullptr;  // receives the jackknife's reduced samples
};

/// What the listing names as the input file of data from no file that have
/// no name of their own (pasted data).
inline constexpr const char* PastedDataName = "(pasted data)";

/// `when` in local time as strftime's `format` gives it: the listing's date
/// and time, and the run record's.
std::string FormatTime(std::chrono::system_clock::time_point when, const char* format);

/// Clears `listing` and writes the report into it as the computation goes.
/// On success `results` receives the new eigenvalues, eigenvectors, scores,
/// trace and the other tables of the run. On failure (a floating-point fault, a cancelled
/// jackknife, a factor count outside 1..p) the exception reaches the caller, `results` is left
/// exactly as it was, and the listing keeps the lines written before the fault. A floating-point
/// fault keeps its message and carries, as its Detail(), the cause the data show (see
/// RunFaultCause), when there is one.
void RunAnalysis(const TRunRequest& request, const TDataMatrix& data, TAnalysisResults& results,
                 TReportListing& listing);

}  // namespace talvex
