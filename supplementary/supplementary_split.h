// Where supplementary items come from: rows of the data picked by the value
// of a column (or by label), the columns a table marked supplementary, and a
// second file measured on the same variables. All of it is taken out of, or
// matched against, the data as read, before the run.
//
// Messages (ESupplementaryRefused, with the column, value or file in Detail()):
//   "No such column"                (the column to pick rows by)
//   "No object has that value"      (a value picked that no object has)
//   "All objects are supplementary"
//   "Fewer than two active objects"
//   "Missing value in a supplementary object" (imputation fills active objects only)
//   "Supplementary file lacks a variable"
#pragma once

#include <string>
#include <vector>

#include "input/data_matrix.h"
#include "supplementary/supplementary_data.h"
#include "supplementary/supplementary_input.h"

namespace talvex {

/// The rows of the data that are supplementary: those whose value in
/// `column` is one of `values`. The column is the group column (by its name,
/// or "group"), the labels ("label", or `labelsColumn`, the labels' column
/// in a table) or a column read beside the data (TDataMatrix::extraColumns).
struct TSupplementaryRowPick {
  std::string column;  // empty: no rows are picked
  std::vector<std::string> values;
  /// The column was read only to pick rows by: it becomes no qualitative
  /// supplementary variable.
  bool columnOnlyForPicking = false;
};

/// The text of each object in the column `column` that rows can be picked by
/// (as TSupplementaryRowPick::column finds it), or null when `data` have no
/// such column.
const std::vector<std::string>* PickColumnTexts(const TDataMatrix& data, const std::string& column,
                                                const std::string& labelsColumn = {});

/// Takes the picked rows out of `data` into supplementary objects and turns
/// its extra columns into supplementary variables (numbers) and qualitative
/// ones (texts); `data` keeps the active objects only, and no extra columns.
/// The listing's notes are not touched: the active analysis reads as if the
/// supplementary items were never there. Nothing is changed when it raises.
TSupplementaryData SplitSupplementary(TDataMatrix& data, const TSupplementaryRowPick& pick,
                                      const std::string& labelsColumn = {});

/// Adds the objects of `file` (another data set, named `fileName`) to
/// `objects`, their values matched to `active`'s variables by name (exactly,
/// else ignoring the case of ASCII letters), their groups kept when both
/// have groups.
void AddSupplementaryFile(TSupplementaryObjects& objects, const TDataMatrix& active,
                          const TDataMatrix& file, const std::string& fileName);

}  // namespace talvex
