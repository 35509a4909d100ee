// The listing written as the run makes it, with the first failure kept.
#include "cli/listing_output.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "base/exception.h"
#include "cli/standard_output.h"

namespace talvex {

namespace {

[[noreturn]] void FailStream(const std::string& path) {
  const int reason = errno != 0 ? errno : EIO;
  throw EInOutError("Cannot write file " + path + ": " +
                    std::error_code(reason, std::generic_category()).message());
}

}  // namespace

TListingOutput::TListingOutput(const std::string& report, std::ostream& out)
    : report_(report), out_(out), kind_(Kind::StandardOutput) {
  if (report.empty() || report == "-") return;
  // A device or a pipe (/dev/null, /dev/stdout, a named pipe) cannot be
  // replaced by renaming.
  std::error_code error;
  const auto type = std::filesystem::status(report, error).type();
  const bool special = !error && type != std::filesystem::file_type::regular &&
                       type != std::filesystem::file_type::not_found;
  kind_ = special ? Kind::Stream : Kind::File;
}

// An unfinished report file is removed by TAtomicFile's own destructor.
TListingOutput::~TListingOutput() = default;

void TListingOutput::Attach(TReportListing& listing) {
  listing.PassOn(kind_ == Kind::StandardOutput ? "\n" : "\r\n",
                 [this](std::string_view text) { Write(text); });
}

void TListingOutput::Write(std::string_view text) {
  if (failure_) return;
  try {
    switch (kind_) {
      case Kind::StandardOutput:
        WriteStandardOutput(out_, text);
        break;
      case Kind::Stream:
        if (!stream_) {
          errno = 0;
          stream_.emplace(report_, std::ios::binary);
        }
        stream_->write(text.data(), std::streamsize(text.size()));
        if (!*stream_) FailStream(report_);
        break;
      case Kind::File:
        if (!file_) file_.emplace(report_);
        file_->Write(text);
        break;
    }
  } catch (...) {
    failure_ = std::current_exception();
  }
}

void TListingOutput::Finish(TReportListing& listing) {
  listing.Flush();
  if (failure_) {
    file_.reset();
    std::rethrow_exception(failure_);
  }
  switch (kind_) {
    case Kind::StandardOutput:
      // An empty listing still checks that standard output can be written.
      WriteStandardOutput(out_, {});
      break;
    case Kind::Stream:
      if (!stream_) stream_.emplace(report_, std::ios::binary);
      stream_->flush();
      if (!*stream_) FailStream(report_);
      break;
    case Kind::File:
      if (!file_) file_.emplace(report_);
      file_->Commit();
      break;
  }
}

}  // namespace talvex
