// The grid's text and its references; see cell_grid.h.
#include "tables/cell_grid.h"

#include <algorithm>

#include "input/data_refused.h"
#include "tables/cell_number.h"

namespace talvex {

std::optional<double> TCellGrid::Number(std::size_t row, std::size_t column,
                                        bool decimalComma) const {
  return ParseCellNumber(Cell(row, column), decimalComma && !IsStoredNumber(row, column));
}

std::vector<std::string> TCellGrid::RowCells(std::size_t row) const {
  std::vector<std::string> out;
  for (std::size_t c = 0; c < rows[row].count; ++c) out.emplace_back(Cell(row, c));
  return out;
}

std::size_t TCellGrid::Width() const {
  std::size_t width = 0;
  for (const TGridRow& row : rows) width = std::max(width, row.count);
  return width;
}

TCellRef TCellGrid::Keep(std::string_view text, std::uint64_t place, std::size_t column) {
  if (text.size() > MaxCellBytes) {
    EDataRefused error("Cell text too long");
    error.SetDetail(std::string(placeName) + " " + std::to_string(place) + ", column " +
                    std::to_string(column + 1) + ": more than " + std::to_string(MaxCellBytes) +
                    " bytes");
    throw error;
  }
  if (text_.size() + text.size() > maxText_) {
    EDataRefused error("Table too large");
    error.SetDetail("more than " + std::to_string(maxText_ >> 20) + " MB of cell text");
    throw error;
  }
  TCellRef ref;
  ref.offset = static_cast<std::uint32_t>(text_.size());
  ref.size = static_cast<std::uint32_t>(text.size()) & 0x7FFFFFFFu;
  text_.append(text);
  return ref;
}

}  // namespace talvex
