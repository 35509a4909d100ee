// Writing a file so that it is either replaced whole or not at all: the bytes
// go to a temporary file beside the target, which is flushed to disk and then
// renamed over the target. A failure at any step removes the temporary file
// and leaves an existing target exactly as it was. Every file the program
// writes (exports, saved reports, settings) goes through here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace talvex {

/// A file being written in place of `path`. Bytes written go to a temporary
/// file in the same folder (".NAME.XXXXXXXX.tmp", NAME shortened so that the
/// temporary name is no longer than 255 characters); Commit makes them the
/// content of `path`. If the
/// object is destroyed without a successful Commit, the temporary file is
/// removed and `path` is untouched.
///
/// Failures raise EInOutError: "Cannot create file PATH: REASON" when the
/// temporary file cannot be created (no such folder, no permission, an
/// existing target that may not be written), "Cannot write file PATH: REASON"
/// when writing, flushing or renaming fails. REASON is the system's text.
class TAtomicFile {
 public:
  explicit TAtomicFile(std::string path);
  ~TAtomicFile();

  TAtomicFile(const TAtomicFile&) = delete;
  TAtomicFile& operator=(const TAtomicFile&) = delete;
  TAtomicFile(TAtomicFile&& other) noexcept;
  TAtomicFile& operator=(TAtomicFile&& other) noexcept;

  /// Appends bytes (buffered).
  void Write(std::string_view bytes);

  /// Writes what is buffered, flushes the temporary file to disk and renames
  /// it over the target. After a failure the temporary file is gone.
  void Commit();

  /// The target as given.
  const std::string& Path() const noexcept { return path_; }

 private:
  void FlushBuffer();
  void Discard() noexcept;
  [[noreturn]] void FailWrite(int error);

  std::string path_;    // as given, for messages
  std::string target_;  // where the rename goes (a symbolic link's target)
  std::string tempPath_;
  int fd_ = -1;
  std::uint64_t written_ = 0;
  std::string buffer_;
  int liveSlot_ = -1;  // where RemoveTemporaryFilesNow finds tempPath_
};

/// Removes the temporary file of every TAtomicFile still being written, so
/// that a program ended by a signal leaves no half-written file behind.
/// Async-signal-safe: meant for a SIGINT or SIGTERM handler that then ends
/// the program (the objects themselves are not updated).
void RemoveTemporaryFilesNow() noexcept;

/// Replaces the file at `path` with `bytes`, atomically (see TAtomicFile).
void WriteFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace talvex
