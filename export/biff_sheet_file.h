// TBiffSheetFile: a single-sheet spreadsheet file written as a bare stream of
// BIFF records (BOF, DIMENSIONS, the cells in the order they were added, EOF).
// The caller adds cells by 1-based column and row, sets FileName and writes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "export/biff_records.h"
#include "export/dispatcher.h"

namespace talvex {

class TBiffSheetFile {
 public:
  /// The closing record of the file: EOF.
  static constexpr std::uint16_t EndOfFileId = 0x000A;

  TBiffSheetFile();
  TBiffSheetFile(const TBiffSheetFile&) = delete;
  TBiffSheetFile& operator=(const TBiffSheetFile&) = delete;

  /// Drops every cell; the sheet is empty again (BOF and DIMENSIONS only).
  void Clear();

  /// A NUMBER cell at the 1-based column and row. Positions are not checked;
  /// two cells at one position are both written, in the order added.
  void AddDoubleCell(std::uint16_t col, std::uint16_t row, const TCellAttributes& attributes,
                     double value);
  /// A LABEL cell. Text that is valid UTF-8 (ASCII included) is stored in
  /// Windows-1252, '?' standing for a character it lacks; other text is taken
  /// to be 8-bit already and stored as it is. Beyond 255 bytes it is cut off,
  /// because the record holds its length in one byte.
  void AddStrCell(std::uint16_t col, std::uint16_t row, const TCellAttributes& attributes,
                  std::string_view text);

  void SetFileName(std::string fileName) { fileName_ = std::move(fileName); }
  const std::string& FileName() const noexcept { return fileName_; }

  /// Writes the file named by FileName, replacing it whole or not at all
  /// (EInOutError on failure). The cells stay, so a second Write without
  /// Clear writes the same file again.
  void Write();

  /// The bytes Write puts in the file.
  std::string Bytes();

  const TDispatcher& Dispatcher() const noexcept { return *dispatcher_; }

 private:
  /// Creates a cell of the given class at the position, with the attribute
  /// bytes, and appends it.
  template <class TCellClass>
  TCellClass& AddCell(std::uint16_t col, std::uint16_t row, const TCellAttributes& attributes);

  std::string fileName_;
  std::unique_ptr<TDispatcher> dispatcher_;
  TBOF* bof_ = nullptr;              // owned by the dispatcher
  TDimension* dimension_ = nullptr;  // owned by the dispatcher
};

}  // namespace talvex
