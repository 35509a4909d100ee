// Writing the zip container of an xlsx workbook: deflated members, no
// encryption, no zip64 (members and the archive below 4 GiB).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace talvex {

struct TZipEntry {
  std::string name;
  std::string data;  // uncompressed
  std::uint16_t dosTime = 0;
  std::uint16_t dosDate = 0;
};

/// A zip archive of the members, deflated, in the given order.
std::string WriteZipArchive(const std::vector<TZipEntry>& entries);

}  // namespace talvex
