// Block-wise reading of a data file through the system's file descriptors.
#include "input/file_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "base/exception.h"
#include "input/file_bytes.h"

namespace talvex {

namespace {

[[noreturn]] void RaiseInOutError(int errorNumber) {
  throw EInOutError(InOutErrorMessage(errorNumber));
}

}  // namespace

TFileSource::TFileSource(const std::string& path) {
  if (path.find('\0') != std::string::npos) RaiseInOutError(EINVAL);
  if (path.empty()) RaiseInOutError(ENOENT);
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) RaiseInOutError(errno);
  struct stat info {};
  if (::fstat(fd_, &info) != 0) {
    const int error = errno;
    ::close(fd_);
    RaiseInOutError(error);
  }
  if (S_ISDIR(info.st_mode)) {
    ::close(fd_);
    RaiseInOutError(EISDIR);
  }
  if (S_ISREG(info.st_mode)) size_ = std::uint64_t(info.st_size);
}

TFileSource::~TFileSource() {
  if (fd_ >= 0) ::close(fd_);
}

std::size_t TFileSource::Read(char* into, std::size_t size) {
  // A regular file ends where it ended when it was opened.
  if (size_) size = std::size_t(std::min<std::uint64_t>(size, *size_ - delivered_));
  if (size == 0) return 0;
  for (;;) {
    const ssize_t count = ::read(fd_, into, size);
    if (count >= 0) {
      delivered_ += std::uint64_t(count);
      return std::size_t(count);
    }
    if (errno != EINTR) RaiseInOutError(errno);
  }
}

}  // namespace talvex
