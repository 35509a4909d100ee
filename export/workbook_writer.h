// An xlsx workbook written directly: the content types, the package and
// workbook relationships, a small style sheet, the workbook and one part per
// sheet, zipped. Texts are inline strings; numbers are the shortest text that
// reads back as the same double, in the C notation whatever the locale. Any
// number of sheets, each a grid of texts and numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <utility>

namespace talvex {

/// Most rows and columns of an xlsx sheet.
inline constexpr std::size_t XlsxMaxRows = 1048576;
inline constexpr std::size_t XlsxMaxColumns = 16384;

/// The cell name of a 0-based row and column: (0, 0) is "A1", (1, 27) "AB2".
std::string XlsxCellName(std::size_t row, std::size_t column);

/// One sheet of a TWorkbookWriter. Cells are added in reading order, row after
/// row and left to right within a row (xlsx readers want them so); a cell not
/// added stays empty.
class TWorksheet {
 public:
  explicit TWorksheet(std::string name) : name_(std::move(name)) {}

  const std::string& Name() const noexcept { return name_; }

  /// A text cell at 0-based `row`, `column`. The text is the core's 8-bit text
  /// (Utf8FromEightBit decides how it reads); characters XML cannot hold
  /// become U+FFFD. Raises Exception when the cell lies beyond the sheet.
  void AddText(std::size_t row, std::size_t column, std::string_view text);
  /// A number cell; a value that is not finite, which a sheet cannot hold as
  /// a number, becomes the text "Nan", "+Inf" or "-Inf".
  void AddNumber(std::size_t row, std::size_t column, double value);

 private:
  friend class TWorkbookWriter;
  /// The sheet's part (xl/worksheets/sheetN.xml).
  std::string Xml() const;
  void StartCell(std::size_t row, std::size_t column);

  std::string name_;
  std::string rows_;            // the <row> elements so far, the last one still open
  std::size_t nextRow_ = 0;     // rows before it are complete
  std::size_t nextColumn_ = 0;  // in the open row
  bool rowOpen_ = false;
  std::size_t lastColumn_ = 0;  // the widest row's last column, for the dimension
};

/// A workbook of one or more sheets, in the order added.
class TWorkbookWriter {
 public:
  /// Appends a sheet and returns it (the reference stays valid). Raises
  /// Exception when the name is not a sheet name xlsx accepts (1 to 31
  /// characters, none of : \ / ? * [ ], not beginning or ending with ', not
  /// the name of another sheet in any case).
  TWorksheet& AddSheet(std::string name);

  /// The workbook as the bytes of an xlsx file. At least one sheet.
  std::string Bytes() const;

  /// Writes Bytes() to `path`, replacing it whole or not at all. Raises
  /// EInOutError when the file cannot be written.
  void Write(const std::string& path) const;

 private:
  std::deque<TWorksheet> sheets_;
};

}  // namespace talvex
