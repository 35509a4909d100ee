// A test-only reader of the zip archives the workbook writer produces, written
// from the format's description and independent of the writer: the members in
// central-directory order, inflated and checked against their CRC.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace talvex::testing {

using TZipMembers = std::vector<std::pair<std::string, std::string>>;  // name, data

inline TZipMembers ReadZip(std::string_view bytes) {
  const auto fail = [](const char* why) -> std::uint32_t {
    throw std::runtime_error(std::string("bad zip archive: ") + why);
  };
  const auto u16 = [&](std::size_t at) -> std::uint32_t {
    if (at + 2 > bytes.size()) return fail("truncated");
    return std::uint8_t(bytes[at]) | std::uint32_t(std::uint8_t(bytes[at + 1])) << 8;
  };
  const auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };

  // No archive comment: the end record is the last 22 bytes.
  if (bytes.size() < 22) fail("too short");
  const std::size_t end = bytes.size() - 22;
  if (u32(end) != 0x06054b50) fail("no end record");
  const std::uint32_t count = u16(end + 10);
  if (u16(end + 8) != count) fail("entry counts differ");
  std::size_t at = u32(end + 16);
  if (at + u32(end + 12) != end) fail("central directory size");

  TZipMembers members;
  for (std::uint32_t k = 0; k < count; ++k) {
    if (u32(at) != 0x02014b50) fail("central header signature");
    const std::uint32_t method = u16(at + 10);
    const std::uint32_t crc = u32(at + 16);
    const std::uint32_t packedSize = u32(at + 20);
    const std::uint32_t size = u32(at + 24);
    const std::uint32_t nameLength = u16(at + 28);
    const std::size_t offset = u32(at + 42);
    std::string name(bytes.substr(at + 46, nameLength));
    if (u32(offset) != 0x04034b50) fail("local header signature");
    if (bytes.substr(offset + 30, u16(offset + 26)) != name) fail("local name differs");
    if (u32(offset + 14) != crc || u32(offset + 18) != packedSize) fail("local header differs");
    const std::size_t dataStart = offset + 30 + u16(offset + 26) + u16(offset + 28);
    if (dataStart + packedSize > bytes.size()) fail("member beyond the archive");

    std::string data(size, '\0');
    if (method == 0) {
      data = bytes.substr(dataStart, packedSize);
    } else if (method == 8) {
      z_stream stream{};
      if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) fail("inflateInit2");
      stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data() + dataStart));
      stream.avail_in = packedSize;
      stream.next_out = reinterpret_cast<Bytef*>(data.data());
      stream.avail_out = size;
      const int status = inflate(&stream, Z_FINISH);
      const bool complete = status == Z_STREAM_END && stream.total_out == size;
      inflateEnd(&stream);
      if (!complete) fail("inflate");
    } else {
      fail("unknown method");
    }
    if (crc32(0, reinterpret_cast<const Bytef*>(data.data()), uInt(data.size())) != crc) {
      fail("crc");
    }
    members.emplace_back(std::move(name), std::move(data));
    at += 46 + nameLength + u16(at + 30) + u16(at + 32);
  }
  return members;
}

/// The data of the member `name`; throws when there is none.
inline std::string ZipMember(const TZipMembers& members, const std::string& name) {
  for (const auto& [memberName, data] : members) {
    if (memberName == name) return data;
  }
  throw std::runtime_error("no member " + name);
}

}  // namespace talvex::testing
