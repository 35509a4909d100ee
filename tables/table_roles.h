// What each column of a table is for: the header, the labels, the group and
// the variables, detected from the cells or given by the user.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "tables/cell_grid.h"
#include "tables/table_import.h"

namespace talvex {

/// The columns' roles as decided; indices are 0-based columns of the grid.
struct TTableLayout {
  static constexpr std::size_t None = static_cast<std::size_t>(-1);
  bool header = false;
  std::size_t labels = None;
  std::size_t group = None;
  std::vector<std::size_t> variables;      // in table order, or in the order the user gave
  std::vector<std::size_t> supplementary;  // columns kept out of the analysis, in table order
};

/// Whether the trimmed `cell` is one of `markers`.
bool IsMissingCell(std::string_view cell, const std::vector<std::string>& markers);

/// Decides the layout of `grid` (at least one row) and writes the columns,
/// their roles and the header into `report`.
/// Detection: a first row with a text above a column of numbers is a header,
/// and so is one whose numbers count up far from the values below them
/// ("label,2020,2021"); when the first row could be either, `report.notes`
/// says which way it was read. The labels are a first column with an empty
/// heading and all its values different (R's row names, whatever they look
/// like), failing that the first text column whose values are all
/// different; the group is the first other text column named like a group
/// (group, species, sex, population, island, ...), failing that the first
/// other text column; every column with numbers is a variable. A column of
/// numbers in another notation, or one given as a variable, is never the
/// labels or the group. Raises EDataRefused with the place in Detail(): "No
/// such column" for an override that names none, "Column given two roles",
/// a supplementary column that is also a variable, the labels or the group,
/// "Numbers in another notation" (a column mostly of numbers with thousands
/// separators or the other decimal mark), "Text in a numeric column" (the
/// first text cell of a variable, or of a column mostly of numbers), "Column
/// without values" (a named column with every cell missing, unless left out
/// by the variables given), "No numeric column".
TTableLayout DecideLayout(const TCellGrid& grid, const TImportOptions& options, bool decimalComma,
                          TImportReport& report);

/// True when `name` reads like a grouping variable's name.
bool IsGroupLikeName(const std::string& name);

}  // namespace talvex
