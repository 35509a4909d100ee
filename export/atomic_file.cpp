// Temporary-file-and-rename writing; see atomic_file.h.
#include "export/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <random>
#include <system_error>
#include <utility>

#include "base/exception.h"
#include "export/write_fault_seam.h"

namespace talvex {
namespace {

// Large enough that a write call per buffer costs nothing next to formatting.
constexpr std::size_t BufferSize = 64 * 1024;
// Attempts at a fresh temporary name before giving up; a clash is already
// unlikely once.
constexpr int NameAttempts = 100;

// Longest file name most file systems take (NAME_MAX); the temporary name
// shortens the target's name to stay within it.
constexpr std::size_t MaxNameLength = 255;
constexpr std::size_t TempNameExtra = 14;  // "." + "." + 8 random characters + ".tmp"

// The temporary files being written, for RemoveTemporaryFilesNow, which a
// signal handler calls: fixed storage and lock-free atomics only.
constexpr int LiveSlotCount = 64;
enum TSlotState : int { SlotFree, SlotClaimed, SlotLive };
struct TLiveSlot {
  std::atomic<int> state{SlotFree};
  char path[PATH_MAX];
};
TLiveSlot liveSlots[LiveSlotCount];
static_assert(std::atomic<int>::is_always_lock_free);

// Returns the slot index, or -1 when the path cannot be held (best effort:
// such a file is still removed on every ordinary path, only not on a signal).
int RegisterLive(const std::string& path) noexcept {
  if (path.size() >= PATH_MAX) return -1;
  for (int i = 0; i < LiveSlotCount; ++i) {
    int expected = SlotFree;
    if (liveSlots[i].state.compare_exchange_strong(expected, SlotClaimed)) {
      path.copy(liveSlots[i].path, path.size());
      liveSlots[i].path[path.size()] = '\0';
      liveSlots[i].state.store(SlotLive, std::memory_order_release);
      return i;
    }
  }
  return -1;
}

void UnregisterLive(int slot) noexcept {
  if (slot >= 0) liveSlots[slot].state.store(SlotFree, std::memory_order_release);
}

std::mutex faultMutex;
std::optional<TWriteFault> armedFault;
std::atomic<bool> faultArmed{false};

std::optional<TWriteFault> CurrentFault() {
  if (!faultArmed.load(std::memory_order_acquire)) return std::nullopt;
  std::lock_guard lock(faultMutex);
  return armedFault;
}

std::string Reason(int error) { return std::error_code(error, std::generic_category()).message(); }

[[noreturn]] void FailCreate(const std::string& path, const std::string& reason) {
  throw EInOutError("Cannot create file " + path + ": " + reason);
}

std::string RandomSuffix() {
  static constexpr char Alphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937_64 generator{std::random_device{}() ^
                                         (std::uint64_t(::getpid()) << 32)};
  std::string suffix(8, ' ');
  for (char& c : suffix) c = Alphabet[generator() % (sizeof Alphabet - 1)];
  return suffix;
}

void SyncFolderOf(const std::string& file) {
  const auto slash = file.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : file.substr(0, slash + 1);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;  // the rename has happened; durability of the folder is best effort
  ::fsync(fd);
  ::close(fd);
}

// Where a chain of symbolic links ends when its last file is missing.
std::string DanglingLinkTarget(const std::string& link) {
  std::string path = link;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    char target[PATH_MAX];
    const ssize_t length = ::readlink(path.c_str(), target, sizeof target - 1);
    if (length <= 0) return path;
    const std::string next(target, static_cast<std::size_t>(length));
    const auto slash = path.rfind('/');
    path = next[0] == '/' || slash == std::string::npos ? next : path.substr(0, slash + 1) + next;
  }
  return path;
}

}  // namespace

TAtomicFile::TAtomicFile(std::string path) : path_(std::move(path)), target_(path_) {
  if (path_.empty()) FailCreate(path_, Reason(ENOENT));

  // Replacing a symbolic link would cut it; replace the file it names, or
  // make it when it is not there yet (as writing through the link would).
  struct stat linkInfo {};
  if (::lstat(path_.c_str(), &linkInfo) == 0 && S_ISLNK(linkInfo.st_mode)) {
    if (char* resolved = ::realpath(path_.c_str(), nullptr)) {
      target_ = resolved;
      std::free(resolved);
    } else {
      target_ = DanglingLinkTarget(path_);
    }
  }

  struct stat info {};
  const bool exists = ::stat(target_.c_str(), &info) == 0;
  if (exists) {
    if (S_ISDIR(info.st_mode)) FailCreate(path_, Reason(EISDIR));
    // A device or pipe cannot be replaced by renaming, and renaming over it
    // would destroy the node.
    if (!S_ISREG(info.st_mode)) FailCreate(path_, "Not a regular file");
    // Renaming would get round a read-only file; keep its protection.
    if (::access(target_.c_str(), W_OK) != 0) FailCreate(path_, Reason(errno));
  }

  const auto slash = target_.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : target_.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? target_ : target_.substr(slash + 1);
  // A name near the limit would overflow it with the temporary's additions.
  const std::string stem = base.substr(0, MaxNameLength - TempNameExtra);
  for (int attempt = 0; attempt < NameAttempts; ++attempt) {
    std::string candidate = folder + "." + stem + "." + RandomSuffix() + ".tmp";
    fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ >= 0) {
      tempPath_ = std::move(candidate);
      liveSlot_ = RegisterLive(tempPath_);
      break;
    }
    if (errno != EEXIST) FailCreate(path_, Reason(errno));
  }
  if (fd_ < 0) FailCreate(path_, Reason(EEXIST));
  if (exists) ::fchmod(fd_, info.st_mode & 07777);  // keep the replaced file's permissions
}

TAtomicFile::~TAtomicFile() { Discard(); }

TAtomicFile::TAtomicFile(TAtomicFile&& other) noexcept
    : path_(std::move(other.path_)),
      target_(std::move(other.target_)),
      tempPath_(std::exchange(other.tempPath_, {})),
      fd_(std::exchange(other.fd_, -1)),
      written_(other.written_),
      buffer_(std::move(other.buffer_)),
      liveSlot_(std::exchange(other.liveSlot_, -1)) {}

TAtomicFile& TAtomicFile::operator=(TAtomicFile&& other) noexcept {
  if (this != &other) {
    Discard();
    path_ = std::move(other.path_);
    target_ = std::move(other.target_);
    tempPath_ = std::exchange(other.tempPath_, {});
    fd_ = std::exchange(other.fd_, -1);
    written_ = other.written_;
    buffer_ = std::move(other.buffer_);
    liveSlot_ = std::exchange(other.liveSlot_, -1);
  }
  return *this;
}

void TAtomicFile::Write(std::string_view bytes) {
  assert(fd_ >= 0 && "write after commit or failure");
  if (buffer_.size() + bytes.size() <= BufferSize) {
    buffer_.append(bytes);
    if (buffer_.size() == BufferSize) FlushBuffer();
    return;
  }
  FlushBuffer();
  if (bytes.size() < BufferSize) {
    buffer_.append(bytes);
    return;
  }
  buffer_ = bytes;  // one large piece: write it straight away
  FlushBuffer();
}

void TAtomicFile::FlushBuffer() {
  const std::optional<TWriteFault> fault = CurrentFault();
  const char* data = buffer_.data();
  std::size_t size = buffer_.size();
  while (size > 0) {
    std::size_t chunk = size;
    if (fault && fault->stage == TWriteFaultStage::Write) {
      if (written_ >= fault->afterBytes) FailWrite(fault->error);
      chunk = std::min<std::uint64_t>(chunk, fault->afterBytes - written_);
    }
    const ssize_t n = ::write(fd_, data, chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      FailWrite(errno);
    }
    data += n;
    size -= std::size_t(n);
    written_ += std::uint64_t(n);
  }
  buffer_.clear();
}

void TAtomicFile::Commit() {
  assert(fd_ >= 0 && "commit after commit or failure");
  FlushBuffer();
  const std::optional<TWriteFault> fault = CurrentFault();
  if (fault && fault->stage == TWriteFaultStage::Sync) FailWrite(fault->error);
  if (::fsync(fd_) != 0) FailWrite(errno);
  const int closing = std::exchange(fd_, -1);
  if (::close(closing) != 0) FailWrite(errno);
  if (fault && fault->stage == TWriteFaultStage::Rename) FailWrite(fault->error);
  if (::rename(tempPath_.c_str(), target_.c_str()) != 0) FailWrite(errno);
  tempPath_.clear();
  UnregisterLive(std::exchange(liveSlot_, -1));
  SyncFolderOf(target_);
}

void TAtomicFile::Discard() noexcept {
  if (fd_ >= 0) ::close(std::exchange(fd_, -1));
  if (!tempPath_.empty()) ::unlink(std::exchange(tempPath_, {}).c_str());
  UnregisterLive(std::exchange(liveSlot_, -1));
  buffer_.clear();
}

void TAtomicFile::FailWrite(int error) {
  Discard();
  throw EInOutError("Cannot write file " + path_ + ": " + Reason(error));
}

void RemoveTemporaryFilesNow() noexcept {
  for (TLiveSlot& slot : liveSlots) {
    if (slot.state.load(std::memory_order_acquire) == SlotLive) ::unlink(slot.path);
  }
}

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
  TAtomicFile file(path);
  file.Write(bytes);
  file.Commit();
}

TScopedWriteFault::TScopedWriteFault(const TWriteFault& fault) {
  std::lock_guard lock(faultMutex);
  armedFault = fault;
  faultArmed.store(true, std::memory_order_release);
}

TScopedWriteFault::~TScopedWriteFault() {
  std::lock_guard lock(faultMutex);
  armedFault.reset();
  faultArmed.store(false, std::memory_order_release);
}

}  // namespace talvex
