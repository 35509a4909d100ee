// TRunRecord: how one result was made. Every completed run fills one, from
// the data's source (file, sheet, roles, left-out rows) and the run's options;
// All Results and the diagnostics report carry it, and it renders the
// talvex-cli command line that makes the same listing and results again.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "analysis/analysis_options.h"
#include "numeric/sizes.h"

namespace talvex {

enum class TSourceKind { DataMatrixFile, TableFile, PastedData };

/// A column of a table as the record names it: by its heading, and by its
/// 1-based number where the heading would not find it again (repeated, or
/// itself a number).
struct TRunColumn {
  std::string name;
  TSize number = 0;
  bool byName = true;

  /// What --labels, --group and --variables are given for this column.
  std::string Reference() const { return byName ? name : std::to_string(number); }
};

/// An object left out of a table for a missing value.
struct TLeftOutObject {
  std::string name;   // the name it would have had (its label, or OBJ and its data row)
  TSize dataRow = 0;  // 1-based, the header not counted
  std::string place;  // where the table shows it: "line 5", "row 5"
};

/// A file of supplementary objects, and the objects it placed.
struct TSupplementaryFile {
  std::string path;                  // absolute
  std::vector<std::string> objects;  // their labels, in the file's order
};

/// Where the data came from and how they were read. A data-matrix file has
/// only `kind` and `path`.
struct TRunSource {
  TSourceKind kind = TSourceKind::DataMatrixFile;
  std::string path;    // absolute; empty for pasted data
  std::string format;  // tables: "csv", "xlsx", "ods", "clipboard", ...
  std::string sheet;   // workbooks: the sheet read
  char separator = 0;  // text tables
  bool decimalComma = false;
  bool header = false;
  bool hasLabels = false;
  TRunColumn labels;
  bool hasGroup = false;
  TRunColumn group;
  std::vector<TRunColumn> variables;
  bool omitMissing = false;                 // objects with missing values left out, not refused
  bool imputeMissing = false;               // missing values kept and imputed, not refused
  std::vector<std::string> missingMarkers;  // as the import used them
  std::vector<TLeftOutObject> leftOut;
  bool groupsFromLabels = false;  // groups taken from the object labels
  // Supplementary items: placed on the axes, no part of the analysis.
  std::vector<TRunColumn> supplementaryColumns;  // tables: columns marked supplementary
  std::string supplementaryRowsColumn;           // rows picked by this column's value
  std::vector<std::string> supplementaryRowsValues;
  std::vector<TSupplementaryFile> supplementaryFiles;  // objects of other files
};

/// The markers of a missing value when the user names none.
const std::vector<std::string>& DefaultMissingMarkers();

struct TRunRecord {
  TRunSource source;
  TAnalysisOptions options;
  TSize factorCount = 0;
  TSize variableCount = 0;
  bool matchAxes = false;  // the diagnostics matched axes before aligning signs
  std::string version;     // the program's
  std::string date;        // as the listing prints it: YYYY-MM-DD
  std::string time;        // HH:MM:SS
};

/// The program's version, as --version prints it.
const char* ProgramVersion();

/// `text` as one word of a POSIX shell, quoted only when it needs to be.
std::string ShellQuote(const std::string& text);

/// The talvex-cli command line that reads the same data with the same roles
/// and runs the same analysis: its listing (but for the date and time) and
/// its All Results (but for the run's date and time) equal the recorded
/// run's. Outputs are not part of it; add --report, --results and the rest.
/// Pasted data have no file: the command names "pasted-data.tsv", where the
/// user saves the cells first.
std::string CommandLine(const TRunRecord& record);

/// The record as field and value, in the order the "Run" table and the
/// diagnostics report show them; the last field is the command line.
std::vector<std::pair<std::string, std::string>> RunRecordFields(const TRunRecord& record);

}  // namespace talvex
