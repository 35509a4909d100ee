// Record bodies of the spreadsheet file; see biff_records.h.
#include "export/biff_records.h"

#include <cassert>

namespace talvex {

void TBOF::WriteBody(TLittleEndianWriter& writer) const {
  writer.WriteWord(0x0000);
  writer.WriteWord(0x0010);
  writer.WriteWord(0x0000);
}

void TDimension::WriteBody(TLittleEndianWriter& writer) const {
  writer.WriteWord(firstRow);
  writer.WriteWord(rowLimit);
  writer.WriteWord(firstCol);
  writer.WriteWord(colLimit);
}

std::array<std::uint8_t, 3> AttributeBytes(const TCellAttributes& attributes) {
  const auto has = [&](TCellAttribute flag) { return attributes.test(std::size_t(flag)); };
  std::array<std::uint8_t, 3> bytes{};
  if (has(TCellAttribute::Hidden)) bytes[0] += 0x80;
  if (has(TCellAttribute::Locked)) bytes[0] += 0x40;
  if (has(TCellAttribute::Shaded)) bytes[2] += 0x80;
  if (has(TCellAttribute::BottomBorder)) bytes[2] += 0x40;
  if (has(TCellAttribute::TopBorder)) bytes[2] += 0x20;
  if (has(TCellAttribute::RightBorder)) bytes[2] += 0x10;
  if (has(TCellAttribute::LeftBorder)) bytes[2] += 0x08;
  if (has(TCellAttribute::AlignLeft)) {
    bytes[2] += 1;
  } else if (has(TCellAttribute::AlignCenter)) {
    bytes[2] += 2;
  } else if (has(TCellAttribute::AlignRight)) {
    bytes[2] += 3;
  }
  if (has(TCellAttribute::AlignFill)) bytes[2] += 4;
  return bytes;
}

void TCell::WriteHead(TLittleEndianWriter& writer) const {
  writer.WriteWord(row);  // the row comes first in the file
  writer.WriteWord(col);
  for (std::uint8_t b : attributes) writer.WriteByte(b);
}

void TDoubleCell::WriteBody(TLittleEndianWriter& writer) const {
  WriteHead(writer);
  writer.WriteDouble(value);
}

void TStrCell::WriteBody(TLittleEndianWriter& writer) const {
  assert(text.size() <= MaxLength);
  WriteHead(writer);
  writer.WriteByte(std::uint8_t(text.size()));
  writer.WriteText(text);
}

}  // namespace talvex
