// Where a run's supplementary objects come from, for every front end alike:
// rows of the data picked by the value of a column (or by label), and the
// objects of other files measured on the same variables. The command line's
// --supplementary-rows and --supplementary, and the desktop's row choice in
// the import dialog and File > Add Supplementary Objects..., all go through
// here, so that the same choice places the same objects and the run record
// says the same of them.
//
// Messages: those of the readers, and ESupplementaryRefused
// (supplementary/supplementary_split.h): "No such column", "No object has
// that value", "All objects are supplementary", "Fewer than two active
// objects", "Missing value in a supplementary object", "Supplementary file
// lacks a variable".
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tables/table_import.h"
#include "talvex/talvex.h"

namespace talvex {

/// Rows of the data made supplementary: those whose text in `column` is one
/// of `values`. The column is the data's group column (by its heading, or
/// "group"), the labels ("label", or the labels' heading) or a column of the
/// table read beside the data.
struct TSupplementaryRows {
  std::string column;  // empty: no rows are picked
  std::vector<std::string> values;

  bool Empty() const { return column.empty(); }
};

/// The options that read the table again with `column` beside the data,
/// when the table (as `report` describes it, read with `options`) has that
/// column and the data do not carry it (it is not the labels, the group nor
/// a column marked supplementary); nothing when the data as read serve.
std::optional<TImportOptions> PickColumnReading(const TImportOptions& options,
                                                const TImportReport& report,
                                                const std::string& column);

/// The texts rows can be picked by in `column` of `data` (`labelsColumn`:
/// the labels' heading), each once, in the order of first appearance, empty
/// texts left out; none when the data carry no such column.
std::vector<std::string> PickableValues(const TDataMatrix& data, const std::string& labelsColumn,
                                        const std::string& column);

/// Makes `run.supplementary` anew from `run.matrix` as read (call it before
/// AddSupplementaryObjects) and records the pick in `run.source`: the rows `rows` picks leave the
/// data and become supplementary objects; the columns read beside the data become supplementary
/// variables (numbers) or qualitative ones (texts), except the column rows are picked by when the
/// source lists it among no supplementary columns (it was read only to pick by). Nothing is changed
/// when it raises.
void PickSupplementaryRows(TRunData& run, const TSupplementaryRows& rows);

/// Reads a file of supplementary objects: a table by its extension (its
/// roles detected, one complete object enough; missing values and their
/// markers as `dataTable` says for the data), anything else as a data-matrix
/// file.
TDataMatrix ReadSupplementaryObjects(const std::string& path, const TImportOptions& dataTable);

/// Adds the objects of `file`, read from `path`, to `run.supplementary`,
/// their values matched to `run.matrix`'s variables by name; `run.source`
/// records the file (as an absolute path) and the objects it placed. Call it
/// after PickSupplementaryRows, on the active data. Nothing is changed when
/// it raises.
void AddSupplementaryObjects(TRunData& run, const TDataMatrix& file, const std::string& path);

}  // namespace talvex
