// Reading and writing the zip container of an xlsx workbook, so that one
// member (the worksheet) can be reworked after the workbook library has
// written it. Only what such workbooks use: stored or deflated members, no
// encryption, no zip64.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace talvex {

struct TZipEntry {
  std::string name;
  std::string data;  // uncompressed
  std::uint16_t dosTime = 0;
  std::uint16_t dosDate = 0;
};

/// The members of a zip archive in central-directory order. Raises Exception
/// "Damaged zip archive" when the bytes are not such an archive or a
/// member's checksum does not match.
std::vector<TZipEntry> ReadZipArchive(std::string_view bytes);

/// A zip archive of the members, deflated, in the given order.
std::string WriteZipArchive(const std::vector<TZipEntry>& entries);

}  // namespace talvex
