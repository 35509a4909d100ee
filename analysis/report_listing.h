// TReportListing: the text report of an analysis run, an ordered list of
// lines without terminators. A run clears it and only appends whole lines, so
// a run that stops keeps exactly the lines written before the fault.
//
// A listing may instead hand its lines on as they come (PassOn), for a
// program that only writes them out: the listing of a thousand variables is
// some 70 MB, which then need not be held at all.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace talvex {

class TReportListing {
 public:
  using TWriter = std::function<void(std::string_view)>;

  void Clear() {
    lines_.clear();
    pending_.clear();
  }
  void Append(std::string line);
  void AppendEmpty() { Append({}); }

  /// The lines held; none of those handed on.
  const std::vector<std::string>& Lines() const noexcept { return lines_; }
  bool Empty() const noexcept { return lines_.empty() && !passedOn_; }

  /// The lines joined, each followed by `lineEnd` (CR LF for saved reports).
  std::string Text(std::string_view lineEnd = "\n") const;

  /// From now on each line, followed by `lineEnd`, goes to `write` in pieces
  /// of about a megabyte instead of being held; the lines held so far go
  /// first. `write` is called on the appending thread.
  void PassOn(std::string_view lineEnd, TWriter write);
  /// Hands on what is held back for the next piece.
  void Flush();

 private:
  std::vector<std::string> lines_;
  TWriter write_;
  std::string lineEnd_;
  std::string pending_;
  bool passedOn_ = false;
};

}  // namespace talvex
