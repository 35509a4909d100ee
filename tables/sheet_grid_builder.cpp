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

}  // namespace

TSheetGridBuilder::TSheetGridBuilder() { grid_.SetMaxTextBytes(MaxSheetTextBytes); }

bool TSheetGridBuilder::RowHasText() const {
  for (const TCellRef& cell : row_) {
    if (cell.size == 0) continue;
    if (cell.storedNumber) return true;
    if (!TrimBlanks(grid_.Text(cell)).empty()) return true;
  }
  return false;
}

void TSheetGridBuilder::StartRow(std::uint64_t row) {
  if (open_) EndRow();
  place_ = row;
  row_.clear();
  open_ = true;
}

TCellRef TSheetGridBuilder::Keep(std::string_view text, std::uint64_t column) {
  return grid_.Keep(text, place_, column == 0 ? 0 : column - 1);
}

void TSheetGridBuilder::Put(std::uint64_t column, TCellRef cell, std::uint64_t repeat) {
  if (!open_ || repeat == 0) return;
  const std::uint64_t last = column + repeat - 1;
  if (column == 0 || last < column || last > MaxSheetColumns) {
    TooLarge("row " + std::to_string(place_) + ": column " + std::to_string(last) + " beyond " +
             std::to_string(MaxSheetColumns));
  }
  if (last > row_.size()) {
    cells_ += last - row_.size();
    if (cells_ > MaxSheetCells) TooLarge("more than " + std::to_string(MaxSheetCells) + " cells");
    row_.resize(last);
  }
  for (std::uint64_t c = column; c <= last; ++c) row_[c - 1] = cell;
}

void TSheetGridBuilder::EndRow(std::uint64_t repeat) {
  if (!open_) return;
  open_ = false;
  if (!RowHasText()) {
    // Its cells were counted while it was built; an empty row keeps none.
    cells_ -= row_.size();
    return;
  }
  const std::uint64_t first = place_;
  // Empty rows may run to the sheet's end and beyond; only rows with text count.
  if (first > MaxSheetRows || repeat > MaxSheetRows || first + repeat - 1 > MaxSheetRows) {
    TooLarge("row " + std::to_string(first) + " repeated beyond " + std::to_string(MaxSheetRows));
  }
  // The cells of the repeated rows count against the cap: the table built
  // from them holds each one.
  const std::uint64_t more = (repeat - 1) * row_.size();
  if (cells_ + more > MaxSheetCells)
    TooLarge("more than " + std::to_string(MaxSheetCells) + " cells");
  cells_ += more;
  const std::size_t at = grid_.cells.size();
  grid_.cells.insert(grid_.cells.end(), row_.begin(), row_.end());
  for (std::uint64_t k = 0; k < repeat; ++k) grid_.rows.push_back({first + k, at, row_.size()});
  row_.clear();
}

void TSheetGridBuilder::Clear() {
  grid_ = TCellGrid("row");
  grid_.SetMaxTextBytes(MaxSheetTextBytes);
  row_.clear();
  open_ = false;
  cells_ = 0;
}

TCellGrid TSheetGridBuilder::Take() {
  if (open_) EndRow();
  return std::move(grid_);
}

}  // namespace talvex
