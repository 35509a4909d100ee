// Where the data of a run come from, for every front end alike: a file read
// as the command line reads it (a table by its extension, anything else as a
// data-matrix file), or values a program holds (a script's arrays), which go
// through the same table import so that missing values, labels and groups
// follow the same rules and messages.
//
// Messages: those of the data-matrix reader (input/data_reader.h) and of
// the table import (tables/table_import.h), and
//   "The values do not fill <n> objects by <p> variables"
//   "The labels do not match the values" (object labels, variable names or
//   groups of the wrong length; Detail() says which)
#pragma once

#include <span>
#include <string>
#include <vector>

#include "tables/table_import.h"
#include "talvex/talvex.h"

namespace talvex {

/// Reads the file at `path`: a table (IsTableFile) with `table`'s options,
/// anything else as a data-matrix file (the options are not used). `report`,
/// when given, receives what the table import detected.
TRunData ReadRunData(const std::string& path, const TImportOptions& table = {},
                     TImportReport* report = nullptr);

/// Values held by a program: n objects by p variables.
struct TValueTable {
  TSize objectCount = 0;
  TSize variableCount = 0;
  /// n * p values; NaN is a missing value.
  std::span<const double> values;
  /// Whether `values` runs along the objects first (column-major, as a data
  /// frame keeps its columns) rather than along the variables.
  bool columnMajor = false;
  std::vector<std::string> objectLabels;   // n, or empty: OBJ1, OBJ2, ...
  std::vector<std::string> variableNames;  // p, or empty: VAR1, VAR2, ...
  std::vector<std::string> groups;         // n, or empty: no groups
  std::string groupName;                   // the groups' heading; "Group" when empty
  std::string title;                       // the listing's title
  /// What the listing ("Input file name") and the run record call the data,
  /// which come from no file; empty: "(pasted data)".
  std::string name;
};

/// The data of `table`, imported as a table with a header row, a labels
/// column and a group column would be: missing values are refused (the
/// message names the row, the object and the variable) or the objects that
/// have them left out, as `missing` says. Rows are named "row" and their
/// 1-based number in the table.
TRunData RunDataOfValues(const TValueTable& table, TMissingPolicy missing,
                         TImportReport* report = nullptr);

}  // namespace talvex
