// Joining the report's lines into one text.
#include "analysis/report_listing.h"

namespace talvex {

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

}  // namespace talvex
