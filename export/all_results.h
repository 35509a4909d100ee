// "All Results": every table of a run in one place, for spreadsheets and
// scripts. The tables are built once (AllResultTables) and written in the
// format the path chooses: an xlsx workbook with one sheet per table, a
// folder of labelled CSV files, or JSON.
#pragma once

#include <string>
#include <vector>

#include "analysis/analysis_state.h"
#include "diagnostics/diagnostics.h"
#include "supplementary/supplementary_results.h"

namespace talvex {

/// A cell: text, or a number when `text` is empty and isNumber is set.
struct TResultCell {
  bool isNumber = false;
  double number = 0.0;
  std::string text;
};

/// One table: a name (the sheet, the CSV file's stem, the JSON table's
/// name), its column headings and its rows.
struct TResultTable {
  std::string name;
  std::vector<std::string> headings;
  std::vector<std::vector<TResultCell>> rows = {};
};

/// What the tables are made of: the data, results and record of one
/// completed run (a run outcome's, or a state's through CompletedRun).
struct TCompletedRun {
  const TDataMatrix& data;
  const TAnalysisResults& results;
  const TRunRecord& record;
};

/// The last run of `state`; raises Exception "No results: run the analysis
/// first" when it has none.
TCompletedRun CompletedRun(const TAnalysisState& state);

/// The tables of a completed run, in this order: the run record (field and
/// value), basic statistics, dispersion matrix, eigenvalues (with % and
/// cumulative %), eigenvectors, scores (object labels, groups when the data
/// have them), component-variable correlations,
/// MACs (with allometry) and, when the diagnostics are available, the
/// jackknife tables (estimate, SE, P, 95% interval), the influence table and
/// the axis-exchange counts; then, when given and available, the
/// supplementary items' tables (export/supplementary_tables.h).
std::vector<TResultTable> AllResultTables(const TCompletedRun& run, const TDiagnostics& diagnostics,
                                          const TSupplementaryResults* supplementary = nullptr);

/// Writes AllResultTables to `path`: "*.xlsx" a workbook, "*.json" JSON
/// (shortest round-trip numbers; NaN and infinities as null, said in
/// "notes"), a path ending in '/' a folder of CSV files (created when
/// missing; every file written aside and put in place only when all are,
/// then the files of AllResultsFileNames that the run did not write
/// removed, so that the folder holds one run's tables; texts that a
/// spreadsheet would take for a formula neutralised, see CsvText). Returns
/// the files removed. Raises EUnknownExportFormat for any other path and
/// EInOutError when a file cannot be written.
std::vector<std::string> WriteAllResults(const std::string& path, const TCompletedRun& run,
                                         const TDiagnostics& diagnostics,
                                         const TSupplementaryResults* supplementary = nullptr);

/// The names of every file a results folder may hold.
std::vector<std::string> AllResultsFileNames();

/// Raises Exception "Too many rows or columns for an xlsx sheet in PATH
/// (...)" when the results of a run of this size would not fit an xlsx
/// workbook's sheets; any other path fits.
void CheckAllResultsFit(const std::string& path, TSize objectCount, TSize variableCount,
                        TSize factorCount, bool jackknife);

/// Whether WriteAllResults accepts `path`; raises EUnknownExportFormat if not.
void CheckAllResultsPath(const std::string& path);

}  // namespace talvex
