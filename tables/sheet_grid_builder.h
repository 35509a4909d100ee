// TSheetGridBuilder: cells placed by sheet row and column into a cell grid,
// under the sheet-size caps, the gaps a workbook leaves filled with empty
// cells only where a later cell of the row needs them. Repeated cells and
// rows share their text: only references are repeated.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "tables/cell_grid.h"

namespace talvex {

class TSheetGridBuilder {
 public:
  /// Bytes of text a sheet may hold in all, repeats counted once.
  static constexpr std::uint64_t MaxSheetTextBytes = std::uint64_t(256) << 20;

  TSheetGridBuilder();
  /// Starts sheet row `row` (1-based); the previous row is finished first.
  void StartRow(std::uint64_t row);
  /// Keeps `text` for cells of the sheet (see TCellGrid::Keep); `column` is
  /// 1-based, for the message.
  TCellRef Keep(std::string_view text, std::uint64_t column);
  /// Puts `cell` at 1-based `column` of the current row, `repeat` times.
  /// Raises EDataRefused "Sheet too large" beyond the caps.
  void Put(std::uint64_t column, TCellRef cell, std::uint64_t repeat = 1);
  /// Finishes the current row, kept `repeat` times when it has text.
  void EndRow(std::uint64_t repeat = 1);
  /// Drops every row so far (another sheet is read instead).
  void Clear();
  TCellGrid Take();

 private:
  bool RowHasText() const;

  TCellGrid grid_{"row"};
  std::uint64_t place_ = 0;
  std::vector<TCellRef> row_;
  bool open_ = false;
  std::uint64_t cells_ = 0;  // cells of the sheet, repeated ones counted
};

}  // namespace talvex
