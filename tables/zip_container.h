// TZipContainer: the zip archive a workbook is stored in, opened from memory
// through libzip, its members streamed out under a cap on what they inflate
// to, so that a zip bomb is refused instead of filling the memory.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

struct zip;

namespace talvex {

class TZipContainer {
 public:
  /// Inflated bytes a workbook may hold in all, over every member read:
  /// far beyond any sheet a person analyses, far below the memory of a
  /// machine that would run the analysis.
  static constexpr std::uint64_t MaxInflatedBytes = std::uint64_t(512) << 20;

  /// Opens the archive in `bytes`, which must outlive the container. Raises
  /// EDataRefused "Not a workbook file" when the bytes are not a zip archive
  /// (Detail: libzip's reason, or that they are a legacy xls workbook),
  /// "Damaged workbook" for a zip archive that is truncated or has bytes
  /// appended, "Encrypted workbook" for a password-protected xlsx (a
  /// compound document with encryption information).
  explicit TZipContainer(std::string_view bytes);
  ~TZipContainer();
  TZipContainer(const TZipContainer&) = delete;
  TZipContainer& operator=(const TZipContainer&) = delete;

  /// Whether the archive holds `member` (letter case ignored).
  bool Has(const std::string& member) const;

  /// Hands the inflated bytes of `member` to `consume`, a block at a time.
  /// Raises EDataRefused "Damaged workbook" when the member is missing or
  /// cannot be inflated, "Workbook too large" beyond MaxInflatedBytes.
  void Stream(const std::string& member, const std::function<void(std::string_view)>& consume);

 private:
  zip* archive_ = nullptr;
  std::uint64_t inflated_ = 0;
};

}  // namespace talvex
