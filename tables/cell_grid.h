// TCellGrid: a table as its cells' text, row by row, whatever file it came
// from; the place of each row (a line of a text file, a row of a sheet) is
// kept so that a refusal can point at it.
//
// The text lives once in the grid and each cell refers to it, so that a cell
// repeated by a workbook, or one shared string used by many cells, costs a
// reference and not a copy: a hostile file of a few hundred bytes cannot make
// gigabytes of text. A cell of a text table costs its bytes and 8 more.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talvex {

/// Where a cell's text lies in the grid's text, and whether a workbook
/// stored it as a number (written with a decimal point whatever the locale).
struct TCellRef {
  std::uint32_t offset = 0;
  std::uint32_t size : 31 = 0;
  std::uint32_t storedNumber : 1 = 0;
};

struct TGridRow {
  std::uint64_t place = 0;  // 1-based line or sheet row
  std::size_t first = 0;    // its first cell in TCellGrid::cells
  std::size_t count = 0;    // cells it holds; those beyond are empty
};

class TCellGrid {
 public:
  /// Bytes of text a cell may hold: far beyond any label or value, and the
  /// most a spreadsheet cell takes.
  static constexpr std::size_t MaxCellBytes = 32767;

  explicit TCellGrid(const char* place = "line") : placeName(place) {}

  const char* placeName;       // what a row's `place` counts: "line" or "row"
  std::vector<TGridRow> rows;  // rows without any text are not kept
  std::vector<TCellRef> cells;

  /// The text of `column` (0-based) of row `row`; empty beyond its cells.
  std::string_view Cell(std::size_t row, std::size_t column) const {
    const TGridRow& r = rows[row];
    if (column >= r.count) return {};
    return Text(cells[r.first + column]);
  }
  /// The text `ref` refers to.
  std::string_view Text(TCellRef ref) const {
    return std::string_view(text_).substr(ref.offset, ref.size);
  }
  /// Whether a workbook stored the cell as a number.
  bool IsStoredNumber(std::size_t row, std::size_t column) const {
    const TGridRow& r = rows[row];
    return column < r.count && cells[r.first + column].storedNumber;
  }
  /// The number the cell writes: a stored number with its point, a text
  /// cell with the decimal mark the table uses.
  std::optional<double> Number(std::size_t row, std::size_t column, bool decimalComma) const;
  /// The cells of a row as strings (for tests and previews).
  std::vector<std::string> RowCells(std::size_t row) const;
  /// The cell count of the widest row.
  std::size_t Width() const;

  /// Keeps `text` in the grid and returns a reference to it, to be used by
  /// any number of cells. Raises EDataRefused "Cell text too long" beyond
  /// MaxCellBytes (Detail: the row's `place` and the 0-based `column`) and
  /// "Table too large" when the grid's text would pass its cap.
  TCellRef Keep(std::string_view text, std::uint64_t place, std::size_t column);
  /// The most bytes of text the grid keeps in all.
  void SetMaxTextBytes(std::uint64_t bytes) { maxText_ = bytes; }
  /// Room for `bytes` of text at once (a text table's, known in advance).
  void ReserveText(std::size_t bytes) { text_.reserve(bytes); }

 private:
  std::string text_;
  std::uint64_t maxText_ = std::uint64_t(1) << 30;
};

}  // namespace talvex
