// TSheetGridBuilder: cells placed by sheet row and column into a cell grid,
// under the sheet-size caps, the gaps a workbook leaves filled with empty
// cells only where a later cell of the row needs them.
#pragma once

#include <cstdint>
#include <string>

#include "tables/cell_grid.h"

namespace talvex {

class TSheetGridBuilder {
 public:
  /// Starts sheet row `row` (1-based); the previous row is finished first.
  void StartRow(std::uint64_t row);
  /// Puts `text` at 1-based `column` of the current row, `repeat` times.
  /// Raises EDataRefused "Sheet too large" beyond the caps.
  void Put(std::uint64_t column, std::string text, std::uint64_t repeat = 1);
  /// Finishes the current row, kept `repeat` times when it has text.
  void EndRow(std::uint64_t repeat = 1);
  TCellGrid Take();

 private:
  TCellGrid grid_{"row", {}};
  TGridRow row_;
  bool open_ = false;
  std::size_t cells_ = 0;
};

}  // namespace talvex
