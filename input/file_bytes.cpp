// Whole-file reading through the C standard I/O, which reports the system's
// error number on every platform we build for.
#include "input/file_bytes.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "base/exception.h"

namespace talvex {

namespace {

struct TFileCloser {
  void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

using TFileHandle = std::unique_ptr<std::FILE, TFileCloser>;

[[noreturn]] void RaiseInOutError(int errorNumber) {
  throw EInOutError(InOutErrorMessage(errorNumber));
}

}  // namespace

std::string InOutErrorMessage(int errorNumber) {
  switch (errorNumber) {
    case ENOENT:
      return "File not found";
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EINVAL:
      return "Invalid filename";
    case EMFILE:
    case ENFILE:
      return "Too many open files";
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
      return "File access denied";
    default:
      return "I/O error " + std::to_string(errorNumber);
  }
}

std::string ReadFileBytes(const std::string& path) {
  if (path.find('\0') != std::string::npos) RaiseInOutError(EINVAL);
  namespace fs = std::filesystem;
  std::error_code statusError;
  const fs::file_status status = fs::status(path, statusError);
  // Some systems open a directory for reading and fail only at the first read.
  if (!statusError && fs::is_directory(status)) RaiseInOutError(EISDIR);

  errno = 0;
  TFileHandle file(std::fopen(path.c_str(), "rb"));
  if (!file) RaiseInOutError(errno);

  std::string bytes;
  // A regular file is read with one call; anything else (a pipe, a file that is
  // still growing) continues in blocks until its end.
  if (!statusError && fs::is_regular_file(status)) {
    std::error_code sizeError;
    const std::uintmax_t size = fs::file_size(path, sizeError);
    if (!sizeError && size > 0) {
      bytes.resize(static_cast<std::size_t>(size));
      bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file.get()));
    }
  }
  char block[65536];
  while (!std::feof(file.get())) {
    errno = 0;
    const std::size_t count = std::fread(block, 1, sizeof block, file.get());
    bytes.append(block, count);
    if (std::ferror(file.get())) RaiseInOutError(errno != 0 ? errno : EIO);
    if (count == 0) break;
  }
  return bytes;
}

}  // namespace talvex
