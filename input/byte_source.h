// TByteSource: where the data reader takes its bytes from, a block at a time,
// so that a file is never held whole (a pipe or a device may not end).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

namespace talvex {

class TByteSource {
 public:
  virtual ~TByteSource() = default;
  /// Copies up to `size` next bytes into `into`; 0 only at the end.
  /// Raises EInOutError when the bytes cannot be read.
  virtual std::size_t Read(char* into, std::size_t size) = 0;
  /// All the bytes the source will deliver, when it knows in advance.
  virtual std::optional<std::uint64_t> Size() const = 0;
};

/// Bytes already in memory; `text` must outlive the source.
class TMemorySource : public TByteSource {
 public:
  explicit TMemorySource(std::string_view text) noexcept : text_(text) {}
  std::size_t Read(char* into, std::size_t size) override {
    const std::size_t count = text_.copy(into, size);
    text_.remove_prefix(count);
    return count;
  }
  std::optional<std::uint64_t> Size() const override { return size_; }

 private:
  std::string_view text_;
  std::uint64_t size_ = text_.size();
};

}  // namespace talvex
