// TListingOutput: where talvex-cli's listing goes, written while the run
// makes it. The listing of a thousand variables is some 70 MB in a million
// lines; handed on in pieces as they come, none of it is held. Standard
// output gets the platform's line ends; a report file gets CR LF and is
// replaced whole or not at all; a device or a pipe named as the report is
// written straight through.
#pragma once

#include <exception>
#include <fstream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "analysis/report_listing.h"
#include "export/atomic_file.h"

namespace talvex {

class TListingOutput {
 public:
  /// `report`: a path, or empty or "-" for `out`.
  TListingOutput(const std::string& report, std::ostream& out);
  ~TListingOutput();

  TListingOutput(const TListingOutput&) = delete;
  TListingOutput& operator=(const TListingOutput&) = delete;

  /// Makes `listing` hand its lines on to this output from now on.
  void Attach(TReportListing& listing);

  /// Writes what the listing still holds back and completes the output (the
  /// report file takes its place). A failure to write, at any time during
  /// the run or now, is raised here: the run itself is never stopped by it.
  void Finish(TReportListing& listing);

 private:
  void Write(std::string_view text);

  std::string report_;
  std::ostream& out_;
  enum class Kind { StandardOutput, Stream, File } kind_;
  std::optional<std::ofstream> stream_;
  std::optional<TAtomicFile> file_;
  std::exception_ptr failure_;
};

}  // namespace talvex
