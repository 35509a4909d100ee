// The records of a single-sheet BIFF file: the beginning of file (BOF), the
// sheet's dimensions, and number and label cells. Each record knows its id
// and writes its own body; TDispatcher frames the bodies with id and length.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <string>

#include "export/little_endian_writer.h"

namespace talvex {

/// Something that writes a record body.
class TMyPersistent {
 public:
  virtual ~TMyPersistent() = default;
  virtual void WriteBody(TLittleEndianWriter& writer) const = 0;
};

/// A record with its BIFF identifier.
class TData : public TMyPersistent {
 public:
  std::uint16_t recordId = 0;

 protected:
  explicit TData(std::uint16_t id) noexcept : recordId(id) {}
};

/// Beginning of file: version 0x0010 of a worksheet stream.
class TBOF : public TData {
 public:
  TBOF() noexcept : TData(0x0809) {}
  void WriteBody(TLittleEndianWriter& writer) const override;
};

/// The sheet's extent. Always 0, 1000, 0, 100, whatever cells the sheet holds:
/// readers take the cells as they come.
class TDimension : public TData {
 public:
  TDimension() noexcept : TData(0x0000) {}
  void WriteBody(TLittleEndianWriter& writer) const override;

  std::uint16_t firstRow = 0;
  std::uint16_t rowLimit = 1000;
  std::uint16_t firstCol = 0;
  std::uint16_t colLimit = 100;
};

/// The flags a cell may carry, as bit numbers of TCellAttributes.
enum class TCellAttribute {
  Hidden,
  Locked,
  Shaded,
  BottomBorder,
  TopBorder,
  RightBorder,
  LeftBorder,
  AlignLeft,
  AlignCenter,
  AlignRight,
  AlignFill,
};
using TCellAttributes = std::bitset<11>;

/// The three attribute bytes of a cell record: byte 0 hidden and locked,
/// byte 1 (font and number format) always 0, byte 2 shading, borders and
/// alignment, where left alignment wins over centre, and centre over right.
std::array<std::uint8_t, 3> AttributeBytes(const TCellAttributes& attributes);

/// A cell at a 0-based row and column.
class TCell : public TData {
 public:
  std::array<std::uint8_t, 3> attributes{};
  std::uint16_t col = 0;
  std::uint16_t row = 0;

 protected:
  using TData::TData;
  void WriteHead(TLittleEndianWriter& writer) const;  // row, column, attribute bytes
};

/// NUMBER: a double.
class TDoubleCell : public TCell {
 public:
  TDoubleCell() noexcept : TCell(0x0003) {}
  void WriteBody(TLittleEndianWriter& writer) const override;

  double value = 0.0;
};

/// LABEL: bytes of text (8-bit characters, written as held), at most 255.
class TStrCell : public TCell {
 public:
  static constexpr std::size_t MaxLength = 255;

  TStrCell() noexcept : TCell(0x0004) {}
  void WriteBody(TLittleEndianWriter& writer) const override;

  std::string text;
};

}  // namespace talvex
