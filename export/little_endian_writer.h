// TByteSink and TLittleEndianWriter: the little-endian byte writer under
// the spreadsheet records. Values go out at the stream's current position,
// least significant byte first, whatever the host's byte order.
#pragma once

#include <cstdint>
#include <ostream>
#include <string_view>

namespace talvex {

/// Holds the output stream (not owned).
class TByteSink {
 public:
  explicit TByteSink(std::ostream* stream = nullptr) noexcept : stream_(stream) {}
  void SetStream(std::ostream* stream) noexcept { stream_ = stream; }
  std::ostream* Stream() const noexcept { return stream_; }

 protected:
  std::ostream* stream_;
};

class TLittleEndianWriter : public TByteSink {
 public:
  using TByteSink::TByteSink;

  void WriteByte(std::uint8_t b);
  void WriteWord(std::uint16_t w);
  /// The 8 bytes of the IEEE 754 double.
  void WriteDouble(double x);
  /// The bytes of s, with neither length nor terminator.
  void WriteText(std::string_view s);
};

}  // namespace talvex
