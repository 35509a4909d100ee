// TDataScanner: the cursor over a data-matrix file's bytes. It hands out the
// leading lines (a carriage return, a carriage return and line feed, or a line
// feed alone ends a line), then the labels and the values, which are not
// line-oriented. It takes the bytes from its source a block at a time and
// holds no more than one block and the item being read, and it counts lines
// so that a refusal can say where it happened.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "input/byte_source.h"

namespace talvex {

class TDataScanner {
 public:
  /// A value is a run of at most this many characters; a longer run is an
  /// error the reader reports (NextValueRun hands out one character more).
  static constexpr std::size_t MaxValueLength = 64;

  /// `source` must outlive the scanner. Nothing after a byte 0x1A is seen; a
  /// UTF-8 byte-order mark at the very start is skipped.
  explicit TDataScanner(TByteSource& source);

  bool AtEnd() { return Peek() < 0; }
  /// Bytes taken from the source so far (the byte-order mark included).
  std::uint64_t Consumed() const noexcept { return consumed_; }
  /// Bytes the source still holds after the cursor, when it knows.
  std::optional<std::uint64_t> BytesLeft() const;
  /// The line the cursor stands on, from 1.
  std::uint64_t Line() const noexcept { return lineEnds_ + 1; }

  /// The next line without its line end, cut after `maxLength` characters
  /// (the rest of such a line stays unread). Precondition: !AtEnd().
  std::string NextLine(std::size_t maxLength);

  /// Skips characters 0x00 to 0x20; false when nothing else remains.
  bool SkipToItem();

  /// The next label: characters 0x21 to 0xFF up to a blank, tab, carriage return
  /// or line feed (which is consumed); other control characters inside it are
  /// dropped. Stops after `maxLength` characters, leaving the rest unread.
  /// Precondition: SkipToItem() returned true.
  std::string NextLabel(std::size_t maxLength);

  /// The next run of characters above 0x20, at most MaxValueLength + 1 long:
  /// a run of that length is too long to be a value. Precondition:
  /// SkipToItem() returned true.
  const std::string& NextValueRun();

 private:
  int Peek() {
    if (position_ == end_ && !Fill()) return -1;
    return static_cast<unsigned char>(buffer_[position_]);
  }
  void Advance() noexcept;
  bool Fill();

  TByteSource& source_;
  std::vector<char> buffer_;
  std::size_t position_ = 0;
  std::size_t end_ = 0;
  bool ended_ = false;  // the source is exhausted or a 0x1A was met
  std::uint64_t consumed_ = 0;
  std::uint64_t lineEnds_ = 0;
  bool afterCarriageReturn_ = false;
  std::string value_;
};

/// `line` without characters 0x00 to 0x20 at either end.
std::string_view TrimControls(std::string_view line) noexcept;

}  // namespace talvex
