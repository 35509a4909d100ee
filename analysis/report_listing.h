// TReportListing: the text report of an analysis run, an ordered list of
// lines without terminators. A run clears it and only appends whole lines, so
// a run that stops keeps exactly the lines written before the fault.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace talvex {

class TReportListing {
 public:
  void Clear() { lines_.clear(); }
  void Append(std::string line) { lines_.push_back(std::move(line)); }
  void AppendEmpty() { lines_.emplace_back(); }

  const std::vector<std::string>& Lines() const noexcept { return lines_; }
  bool Empty() const noexcept { return lines_.empty(); }

  /// The lines joined, each followed by `lineEnd` (CR LF for saved reports).
  std::string Text(std::string_view lineEnd = "\n") const;

 private:
  std::vector<std::string> lines_;
};

}  // namespace talvex
