// TAnalysisState: the program's one loaded data set, its results and the two
// state flags, shared by the desktop program and the CLI. It holds what the
// commands need to agree on: a load replaces the data and resets the results
// and the factor count; a run commits its results only when it completes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/analysis_options.h"
#include "analysis/analysis_results.h"
#include "analysis/analysis_run.h"
#include "analysis/report_listing.h"
#include "analysis/run_record.h"
#include "input/data_matrix.h"

namespace talvex {

class TAnalysisState {
 public:
  /// Reads `path`. A refused or failing load changes nothing (the data,
  /// results and flags stay as they were) and its exception reaches the
  /// caller. On success: new data, empty results (a run sizes what it
  /// computes), the factor count set to DefaultFactorCount (sizes.h),
  /// dataLoaded set and resultsReady cleared.
  void LoadFile(const std::string& path);

  /// Makes `data`, read by the caller from `path` (a table, pasted text),
  /// the loaded data set, as a successful LoadFile would; `source` says how
  /// it was read, for the run record (a data-matrix file at `path` when
  /// left out).
  void LoadData(TDataMatrix data, const std::string& path, TRunSource source = {});

  /// Runs the analysis on the loaded data with the current factor count.
  /// resultsReady is set only when the run completes; a failed or cancelled
  /// run leaves the results and resultsReady as they were. A `collector`
  /// receives the jackknife's reduced samples (diagnostics). A completed
  /// run fills the run record; `matchAxes` is only recorded there (the
  /// diagnostics apply it).
  void Run(const TAnalysisOptions& options, TReportListing& listing,
           TRunObserver* observer = nullptr, unsigned threads = 0,
           TJackknifeCollector* collector = nullptr, bool matchAxes = false);

  /// Gives the loaded objects groups (one per object) or takes them away
  /// (empty). The analysis reads no groups; plots and exports do.
  /// `fromLabels` records that they were taken from the object labels.
  void SetGroups(std::vector<std::string> groups, bool fromLabels = false);

  /// Sets the number of components shown; refuses (returns false, nothing
  /// changed) a count outside 1..variableCount.
  bool SetFactorCount(long long count);

  /// Keeps the parallel-analysis lines computed for the results that had
  /// `resultsStamp`. Refuses (returns false, nothing changed) lines of
  /// results that a load or a run has replaced since, or of another size.
  bool SetParallelAnalysis(std::uint64_t resultsStamp, std::vector<double> percentiles);

  /// Identifies the current results: a new stamp, unique in the program, at
  /// every load and every completed run (copies of a state keep theirs).
  std::uint64_t ResultsStamp() const noexcept { return resultsStamp_; }

  const TDataMatrix& Data() const noexcept { return data_; }
  const TAnalysisResults& Results() const noexcept { return results_; }
  const std::string& DataFileName() const noexcept { return dataFileName_; }
  /// How the loaded data were read.
  const TRunSource& Source() const noexcept { return source_; }
  /// How the current results were made; meaningful while ResultsReady().
  const TRunRecord& Record() const noexcept { return record_; }
  TSize FactorCount() const noexcept { return factorCount_; }
  bool DataLoaded() const noexcept { return dataLoaded_; }
  bool ResultsReady() const noexcept { return resultsReady_; }

 private:
  TDataMatrix data_;
  TAnalysisResults results_;
  std::string dataFileName_;
  TRunSource source_;
  TRunRecord record_;
  TSize factorCount_ = 0;
  std::uint64_t resultsStamp_ = 0;
  bool dataLoaded_ = false;
  bool resultsReady_ = false;
};

}  // namespace talvex
