// The spreadsheet file component; see biff_sheet_file.h.
#include "export/biff_sheet_file.h"

#include <sstream>

#include "base/eight_bit_text.h"
#include "base/text_format.h"
#include "export/atomic_file.h"

namespace talvex {

TBiffSheetFile::TBiffSheetFile() : dispatcher_(std::make_unique<TDispatcher>()) {
  dispatcher_->endRecordId = EndOfFileId;
  Clear();
}

void TBiffSheetFile::Clear() {
  dispatcher_->Clear();
  bof_ = static_cast<TBOF*>(&dispatcher_->Add(std::make_unique<TBOF>()));
  dimension_ = static_cast<TDimension*>(&dispatcher_->Add(std::make_unique<TDimension>()));
}

template <class TCellClass>
TCellClass& TBiffSheetFile::AddCell(std::uint16_t col, std::uint16_t row,
                                    const TCellAttributes& attributes) {
  auto cell = std::make_unique<TCellClass>();
  cell->col = std::uint16_t(col - 1);
  cell->row = std::uint16_t(row - 1);
  cell->attributes = AttributeBytes(attributes);
  return static_cast<TCellClass&>(dispatcher_->Add(std::move(cell)));
}

void TBiffSheetFile::AddDoubleCell(std::uint16_t col, std::uint16_t row,
                                   const TCellAttributes& attributes, double value) {
  AddCell<TDoubleCell>(col, row, attributes).value = value;
}

void TBiffSheetFile::AddStrCell(std::uint16_t col, std::uint16_t row,
                                const TCellAttributes& attributes, std::string_view text) {
  // The record holds 8-bit text, which spreadsheet programs read as
  // Windows-1252; 8-bit text that is not UTF-8 is taken to be that already.
  const std::string bytes = IsUtf8(text) ? Windows1252FromUtf8(text) : std::string(text);
  AddCell<TStrCell>(col, row, attributes).text = bytes.substr(0, TStrCell::MaxLength);
}

std::string TBiffSheetFile::Bytes() {
  std::ostringstream stream;
  dispatcher_->SetStream(&stream);
  dispatcher_->WriteRecords();
  dispatcher_->SetStream(nullptr);
  return std::move(stream).str();
}

void TBiffSheetFile::Write() { WriteFileAtomically(fileName_, Bytes()); }

}  // namespace talvex
