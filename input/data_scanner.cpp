// The byte cursor of the data reader.
#include "input/data_scanner.h"

#include <cstring>

namespace talvex {

namespace {

constexpr char EndOfFileMark = '\x1A';
constexpr std::size_t BlockSize = 64 * 1024;
constexpr unsigned char ByteOrderMark[] = {0xEF, 0xBB, 0xBF};

bool IsControlOrBlank(int c) noexcept { return c <= 0x20; }

}  // namespace

TDataScanner::TDataScanner(TByteSource& source) : source_(source), buffer_(BlockSize) {
  // Editors on Windows start UTF-8 text with a byte-order mark; it is no
  // part of the data. A pipe may hand out the first bytes one at a time.
  while (end_ < sizeof ByteOrderMark && Fill()) {
  }
  if (end_ >= sizeof ByteOrderMark &&
      std::memcmp(buffer_.data(), ByteOrderMark, sizeof ByteOrderMark) == 0) {
    position_ = sizeof ByteOrderMark;
    consumed_ = sizeof ByteOrderMark;
  }
}

std::optional<std::uint64_t> TDataScanner::BytesLeft() const {
  const std::optional<std::uint64_t> size = source_.Size();
  if (!size) return std::nullopt;
  return *size > consumed_ ? *size - consumed_ : 0;
}

// Appends the next block after what is still unread.
bool TDataScanner::Fill() {
  if (ended_) return false;
  if (position_ == end_) position_ = end_ = 0;
  if (end_ == buffer_.size()) return true;  // full: only the constructor fills ahead
  const std::size_t count = source_.Read(buffer_.data() + end_, buffer_.size() - end_);
  if (count == 0) {
    ended_ = true;
    return position_ < end_;
  }
  const char* mark =
      static_cast<const char*>(std::memchr(buffer_.data() + end_, EndOfFileMark, count));
  if (mark != nullptr) {
    ended_ = true;
    end_ = std::size_t(mark - buffer_.data());
    return position_ < end_;
  }
  end_ += count;
  return true;
}

void TDataScanner::Advance() noexcept {
  const char c = buffer_[position_++];
  ++consumed_;
  if (c == '\r' || (c == '\n' && !afterCarriageReturn_)) ++lineEnds_;
  afterCarriageReturn_ = c == '\r';
}

std::string TDataScanner::NextLine(std::size_t maxLength) {
  std::string line;
  for (int c = Peek(); c >= 0 && line.size() < maxLength; c = Peek()) {
    Advance();
    if (c == '\r') {
      if (Peek() == '\n') Advance();
      break;
    }
    if (c == '\n') break;
    line += char(c);
  }
  return line;
}

bool TDataScanner::SkipToItem() {
  int c = Peek();
  while (c >= 0 && IsControlOrBlank(c)) {
    Advance();
    c = Peek();
  }
  return c >= 0;
}

std::string TDataScanner::NextLabel(std::size_t maxLength) {
  std::string label;
  for (int c = Peek(); c >= 0 && label.size() < maxLength; c = Peek()) {
    Advance();
    if (c == ' ' || c == '\r' || c == '\t' || c == '\n') break;
    if (!IsControlOrBlank(c)) label += char(c);
  }
  return label;
}

const std::string& TDataScanner::NextValueRun() {
  value_.clear();
  for (int c = Peek(); c > 0x20 && value_.size() <= MaxValueLength; c = Peek()) {
    value_ += char(c);
    Advance();
  }
  return value_;
}

std::string_view TrimControls(std::string_view line) noexcept {
  while (!line.empty() && IsControlOrBlank(static_cast<unsigned char>(line.front())))
    line.remove_prefix(1);
  while (!line.empty() && IsControlOrBlank(static_cast<unsigned char>(line.back())))
    line.remove_suffix(1);
  return line;
}

}  // namespace talvex
