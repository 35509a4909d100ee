// Little-endian output of bytes, words, doubles and raw text; see
// little_endian_writer.h.
#include "export/little_endian_writer.h"

#include <bit>
#include <cassert>

namespace talvex {

void TLittleEndianWriter::WriteByte(std::uint8_t b) {
  assert(stream_ != nullptr);
  stream_->put(static_cast<char>(b));
}

void TLittleEndianWriter::WriteWord(std::uint16_t w) {
  WriteByte(std::uint8_t(w & 0xFF));
  WriteByte(std::uint8_t(w >> 8));
}

void TLittleEndianWriter::WriteDouble(double x) {
  std::uint64_t bits = std::bit_cast<std::uint64_t>(x);
  for (int i = 0; i < 8; ++i, bits >>= 8) WriteByte(std::uint8_t(bits & 0xFF));
}

void TLittleEndianWriter::WriteText(std::string_view s) {
  assert(stream_ != nullptr);
  stream_->write(s.data(), std::streamsize(s.size()));
}

}  // namespace talvex
