// Tables in: delimited text (csv, tsv, txt), workbooks (xlsx, ods) and text
// pasted from a spreadsheet, turned into the same TDataMatrix a data-matrix
// file gives, with the objects' groups and a report of what was detected and
// what was left out. A table that cannot be read never changes anything: the
// result is built aside and handed back whole.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/run_record.h"
#include "input/data_matrix.h"
#include "numeric/sizes.h"
#include "tables/cell_grid.h"

namespace talvex {

/// What to do with an object that has a missing value in a used variable.
enum class TMissingPolicy {
  Refuse,  // the table is refused; the message names the first missing cell
  Omit,    // the object is left out (listwise); the report lists which
  Impute,  // the object is kept and the data carry a mask of its missing cells;
           // the run imputes them (analysis/pca_imputation.h)
};

/// What a column of the table is for.
enum class TColumnRole { Labels, Group, Variable, Ignore, Supplementary };

/// What the user says of a table. Everything left unset is detected.
struct TImportOptions {
  std::optional<char> separator;     // ',', ';', '\t' or ' ' (blanks, runs count as one)
  std::optional<bool> decimalComma;  // "1,5" is one and a half
  std::optional<bool> header;        // the first row names the columns
  std::string
      sheet;  // workbooks: a sheet's name, else its 1-based number; "#N": the N-th; empty: first
  // Columns by name or 1-based number. Empty: detected; "-": none.
  std::string labelsColumn;
  std::string groupColumn;
  std::vector<std::string> variables;  // empty: every numeric column not given another role
  /// Columns read beside the data but kept out of the analysis: numbers
  /// (supplementary variables) or texts (qualitative ones); their cells go
  /// to the data's extraColumns. A missing number follows `missing`.
  std::vector<std::string> supplementaryColumns;
  /// The table holds supplementary objects, placed on another table's axes:
  /// one object is enough ("No complete object" when none is complete).
  bool supplementaryObjects = false;
  TMissingPolicy missing = TMissingPolicy::Refuse;
  std::vector<std::string> missingMarkers = DefaultMissingMarkers();
};

/// One column as the import saw it.
struct TImportColumn {
  std::string name;  // from the header row, or "VAR1", "VAR2", ... without one
  TColumnRole role = TColumnRole::Ignore;
  bool numeric = false;  // every non-missing cell is a number
  TSize missingCount = 0;
  std::string identifier;  // numeric: why it looks like an identifier (see IdentifierReason)
};

/// What was read, detected and decided: for the import dialog, --check and
/// the listing's header.
struct TImportReport {
  std::string format;    // "csv", "xlsx", "ods", "clipboard", ...
  std::string encoding;  // "UTF-8", "UTF-16LE", "UTF-16BE" or "Windows-1252" (text formats)
  char separator = 0;    // text formats
  bool decimalComma = false;
  bool header = false;
  std::vector<std::string> sheetNames;  // workbooks, in file order
  std::string sheet;                    // the sheet read
  std::vector<TImportColumn> columns;
  std::vector<std::vector<std::string>> preview;  // the first rows as text (header included)
  TSize rowCount = 0;                             // data rows (without the header)
  std::vector<TSize> omittedRows;                 // 1-based data rows left out
  std::vector<std::string> omittedLabels;         // their labels, or their places
  std::vector<std::string> omittedNames;          // their labels, or OBJ and their data row
  std::vector<std::string> omittedPlaces;         // "line 5", "row 5"
  std::vector<std::size_t> variableColumns;       // 0-based, in the order of the data's variables
  TSize missingCells = 0;                         // cells kept missing, to be imputed
  TSize groupCount = 0;
  /// What the reader decided that the user may want to know (the sheet read,
  /// a first row that could have been read either way): the data's notes
  /// begin with these.
  std::vector<std::string> notes;

  /// "147 objects, 4 variables, 3 groups; 3 objects with missing values left out"
  std::string Summary() const;
};

/// Whether `path` names a table rather than a data-matrix file, by its
/// extension (.csv, .tsv, .txt, .xlsx, .ods, .xls; any letter case).
bool IsTableFile(const std::string& path);

/// Reads the table at `path` into a data matrix: object labels, variable
/// labels, values, groups (empty without a group column) and the notes of
/// what was left out; the title is the file's name without its folder.
/// Objects without a label are named "OBJ" and their data row (the header
/// not counted), so that a name stays with its row whatever is left out.
/// `report`, when given, receives what was detected even when the table is
/// refused (so a dialog can show the columns). Raises EDataRefused for a
/// table that cannot be analysed (its Detail() names the file, the sheet,
/// the row and the column, and why), EInOutError when the file cannot be
/// read. The file is read a block at a time: "Table too large" beyond 1 GiB
/// (a device that never ends included), "Not a text table" or "Not a
/// workbook file" at the first block when it plainly is none.
TDataMatrix ImportTable(const std::string& path, const TImportOptions& options,
                        TImportReport* report = nullptr);

/// The same for a table's bytes in memory; `format` is the extension
/// without its dot ("csv", "xlsx", "ods", ...). The title is left empty.
TDataMatrix ImportTableBytes(std::string_view bytes, const std::string& format,
                             const TImportOptions& options, TImportReport* report = nullptr);

/// The same for text copied from a spreadsheet (tab separated, usually).
TDataMatrix ImportTableText(std::string_view text, const TImportOptions& options,
                            TImportReport* report = nullptr);

/// The same for a table whose cells a program made (a data frame handed over
/// by a script): the grid's rows as they stand, with their places. The
/// format reported is "cells"; the title is left empty.
TDataMatrix ImportTableGrid(const TCellGrid& grid, const TImportOptions& options,
                            TImportReport* report = nullptr);

/// Groups taken from object labels: each label's text before `separator` when
/// one is given and occurs in it, otherwise before its trailing digits
/// ("setosa01" -> "setosa"); a label that would give nothing is its own group.
std::vector<std::string> GroupsFromLabels(const std::vector<std::string>& labels,
                                          std::optional<char> separator = std::nullopt);

}  // namespace talvex
