// The byte cursor of the data reader.
#include "input/data_scanner.h"

#include <algorithm>

namespace talvex {

namespace {

constexpr char EndOfFileMark = '\x1A';

bool IsControlOrBlank(char c) noexcept { return static_cast<unsigned char>(c) <= 0x20; }

}  // namespace

TDataScanner::TDataScanner(std::string_view text)
    : text_(text.substr(0, text.find(EndOfFileMark))) {}

std::string_view TDataScanner::NextLine() noexcept {
  const std::size_t start = position_;
  const std::size_t end = text_.find_first_of("\r\n", start);
  if (end == std::string_view::npos) {
    position_ = text_.size();
    return text_.substr(start);
  }
  position_ = end + 1;
  if (text_[end] == '\r' && position_ < text_.size() && text_[position_] == '\n') ++position_;
  return text_.substr(start, end - start);
}

bool TDataScanner::SkipToItem() noexcept {
  while (position_ < text_.size() && IsControlOrBlank(text_[position_])) ++position_;
  return position_ < text_.size();
}

std::string TDataScanner::NextLabel() {
  std::string label;
  while (position_ < text_.size()) {
    const char c = text_[position_++];
    if (c == ' ' || c == '\r' || c == '\t' || c == '\n') break;
    if (!IsControlOrBlank(c)) label += c;
  }
  return label;
}

std::string_view TDataScanner::NextValueRun() noexcept {
  const std::size_t start = position_;
  const std::size_t limit = std::min(text_.size(), start + MaxValueLength);
  while (position_ < limit && !IsControlOrBlank(text_[position_])) ++position_;
  return text_.substr(start, position_ - start);
}

std::string_view TrimControls(std::string_view line) noexcept {
  while (!line.empty() && IsControlOrBlank(line.front())) line.remove_prefix(1);
  while (!line.empty() && IsControlOrBlank(line.back())) line.remove_suffix(1);
  return line;
}

}  // namespace talvex
