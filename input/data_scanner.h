// TDataScanner: the cursor over a data-matrix file's bytes. It hands out the
// leading lines (a carriage return, a carriage return and line feed, or a line
// feed alone ends a line), then the labels and the values, which are not
// line-oriented.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace talvex {

class TDataScanner {
 public:
  /// A value is a run of at most this many characters; a longer run is cut and
  /// its remainder is the next value.
  static constexpr std::size_t MaxValueLength = 64;

  /// `text` must outlive the scanner. Nothing after a byte 0x1A is seen.
  explicit TDataScanner(std::string_view text);

  bool AtEnd() const noexcept { return position_ == text_.size(); }
  std::size_t BytesLeft() const noexcept { return text_.size() - position_; }

  /// The next line without its line end. Precondition: !AtEnd().
  std::string_view NextLine() noexcept;

  /// Skips characters 0x00 to 0x20; false when nothing else remains.
  bool SkipToItem() noexcept;

  /// The next label: characters 0x21 to 0xFF up to a blank, tab, carriage return
  /// or line feed (which is consumed); other control characters inside it are
  /// dropped. Precondition: SkipToItem() returned true.
  std::string NextLabel();

  /// The next run of characters above 0x20, at most MaxValueLength long.
  /// Precondition: SkipToItem() returned true.
  std::string_view NextValueRun() noexcept;

 private:
  std::string_view text_;
  std::size_t position_ = 0;
};

/// `line` without characters 0x00 to 0x20 at either end.
std::string_view TrimControls(std::string_view line) noexcept;

}  // namespace talvex
