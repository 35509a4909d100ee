// Sheet rows into the grid, with the caps that keep a hostile sheet small.
#include "tables/sheet_grid_builder.h"

#include <utility>

#include "input/data_refused.h"
#include "tables/cell_number.h"
#include "tables/workbook_sheet.h"

namespace talvex {

namespace {

[[noreturn]] void TooLarge(std::string detail) {
  EDataRefused error("Sheet too large");
  error.SetDetail(std::move(detail));
  throw error;
}

bool HasText(const TGridRow& row) {
  for (const std::string& cell : row.cells) {
    if (!TrimBlanks(cell).empty()) return true;
  }
  return false;
}

}  // namespace

void TSheetGridBuilder::StartRow(std::uint64_t row) {
  if (open_) EndRow();
  row_.place = row;
  row_.cells.clear();
  open_ = true;
}

void TSheetGridBuilder::Put(std::uint64_t column, std::string text, std::uint64_t repeat) {
  if (!open_ || repeat == 0) return;
  const std::uint64_t last = column + repeat - 1;
  if (column == 0 || last < column || last > MaxSheetColumns) {
    TooLarge("row " + std::to_string(row_.place) + ": column " + std::to_string(last) + " beyond " +
             std::to_string(MaxSheetColumns));
  }
  if (last > row_.cells.size()) {
    cells_ += last - row_.cells.size();
    if (cells_ > MaxSheetCells) TooLarge("more than " + std::to_string(MaxSheetCells) + " cells");
    row_.cells.resize(last);
  }
  for (std::uint64_t c = column; c < last; ++c) row_.cells[c - 1] = text;
  row_.cells[last - 1] = std::move(text);
}

void TSheetGridBuilder::EndRow(std::uint64_t repeat) {
  if (!open_) return;
  open_ = false;
  if (!HasText(row_)) return;
  const std::uint64_t first = row_.place;
  // Empty rows may run to the sheet's end and beyond; only rows with text count.
  if (first > MaxSheetRows || repeat > MaxSheetRows || first + repeat - 1 > MaxSheetRows) {
    TooLarge("row " + std::to_string(first) + " repeated beyond " + std::to_string(MaxSheetRows));
  }
  // The cells of the repeated rows count against the cap before any is made.
  const std::uint64_t more = (repeat - 1) * row_.cells.size();
  if (cells_ + more > MaxSheetCells)
    TooLarge("more than " + std::to_string(MaxSheetCells) + " cells");
  cells_ += static_cast<std::size_t>(more);
  for (std::uint64_t k = 0; k + 1 < repeat; ++k) {
    grid_.rows.push_back(row_);
    grid_.rows.back().place = first + k;
  }
  row_.place = first + repeat - 1;
  grid_.rows.push_back(std::move(row_));
  row_ = TGridRow();
}

TCellGrid TSheetGridBuilder::Take() {
  if (open_) EndRow();
  return std::move(grid_);
}

}  // namespace talvex
