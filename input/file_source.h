// TFileSource: a data file opened for block-wise reading, closed on every
// path. A regular file delivers the bytes it had when it was opened (a file
// that keeps growing is not followed); a pipe or a device delivers what it
// gives until its end, and the reader decides how much it takes.
#pragma once

#include <string>

#include "input/byte_source.h"

namespace talvex {

class TFileSource : public TByteSource {
 public:
  /// Opens `path`. Raises EInOutError with the messages of ReadFileBytes
  /// ("File not found", "Invalid filename", "File access denied", ...).
  explicit TFileSource(const std::string& path);
  ~TFileSource() override;
  TFileSource(const TFileSource&) = delete;
  TFileSource& operator=(const TFileSource&) = delete;

  std::size_t Read(char* into, std::size_t size) override;
  /// The size of a regular file when opened; unknown for pipes and devices.
  std::optional<std::uint64_t> Size() const override { return size_; }

 private:
  int fd_ = -1;
  std::optional<std::uint64_t> size_;
  std::uint64_t delivered_ = 0;
};

}  // namespace talvex
