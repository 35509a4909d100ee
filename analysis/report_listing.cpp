// Joining the report's lines into one text, or handing them on in pieces.
#include "analysis/report_listing.h"

#include <utility>

namespace talvex {

namespace {

constexpr std::size_t PieceBytes = std::size_t(1) << 20;

}  // namespace

void TReportListing::Append(std::string line) {
  if (!write_) {
    lines_.push_back(std::move(line));
    return;
  }
  passedOn_ = true;
  pending_ += line;
  pending_ += lineEnd_;
  if (pending_.size() >= PieceBytes) Flush();
}

std::string TReportListing::Text(std::string_view lineEnd) const {
  std::size_t size = 0;
  for (const std::string& line : lines_) size += line.size() + lineEnd.size();
  std::string text;
  text.reserve(size);
  for (const std::string& line : lines_) {
    text += line;
    text += lineEnd;
  }
  return text;
}

void TReportListing::PassOn(std::string_view lineEnd, TWriter write) {
  write_ = std::move(write);
  lineEnd_ = lineEnd;
  std::vector<std::string> held = std::move(lines_);
  lines_.clear();
  for (std::string& line : held) Append(std::move(line));
}

void TReportListing::Flush() {
  if (!write_ || pending_.empty()) return;
  write_(pending_);
  pending_.clear();
}

}  // namespace talvex
