// Zip container writing; see zip_archive.h.
#include "export/zip_archive.h"

#include <zlib.h>

#include <algorithm>
#include <limits>
#include <string_view>

#include "base/exception.h"

namespace talvex {
namespace {

constexpr std::uint32_t LocalHeaderSignature = 0x04034b50;
constexpr std::uint32_t CentralHeaderSignature = 0x02014b50;
constexpr std::uint32_t EndSignature = 0x06054b50;
constexpr std::uint16_t MethodDeflated = 8;
constexpr std::uint16_t VersionNeeded = 20;  // deflate

void PutWord(std::string& out, std::uint32_t w) {
  out.push_back(char(w & 0xFF));
  out.push_back(char(w >> 8 & 0xFF));
}
void PutLong(std::string& out, std::uint32_t l) {
  PutWord(out, l & 0xFFFF);
  PutWord(out, l >> 16);
}

std::uint32_t Crc(std::string_view data) {
  uLong crc = crc32(0L, Z_NULL, 0);
  // zlib takes 32-bit lengths; feed it in pieces.
  while (!data.empty()) {
    const auto piece = std::min<std::size_t>(data.size(), 1u << 30);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(data.data()), uInt(piece));
    data.remove_prefix(piece);
  }
  return std::uint32_t(crc);
}

std::string Deflate(std::string_view data) {
  z_stream stream{};
  if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) !=
      Z_OK) {
    throw EAllocateFailed();
  }
  std::string out(deflateBound(&stream, uLong(data.size())), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = uInt(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = uInt(out.size());
  const int status = deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  if (status != Z_STREAM_END) throw EAllocateFailed();
  return out;
}

}  // namespace

std::string WriteZipArchive(const std::vector<TZipEntry>& entries) {
  constexpr auto Limit = std::numeric_limits<std::uint32_t>::max();
  if (entries.size() > 0xFFFF) throw Exception("Too many members for a zip archive");
  std::string out;
  std::string directory;
  for (const TZipEntry& entry : entries) {
    if (entry.data.size() >= Limit) throw Exception("Workbook too large for a zip archive");
    const std::string packed = Deflate(entry.data);
    const std::uint32_t crc = Crc(entry.data);
    if (packed.size() >= Limit || out.size() >= Limit || entry.name.size() > 0xFFFF) {
      throw Exception("Workbook too large for a zip archive");
    }
    const auto offset = std::uint32_t(out.size());
    const auto writeCommon = [&](std::string& to) {
      PutWord(to, VersionNeeded);
      PutWord(to, 0);  // flags
      PutWord(to, MethodDeflated);
      PutWord(to, entry.dosTime);
      PutWord(to, entry.dosDate);
      PutLong(to, crc);
      PutLong(to, std::uint32_t(packed.size()));
      PutLong(to, std::uint32_t(entry.data.size()));
      PutWord(to, std::uint32_t(entry.name.size()));
      PutWord(to, 0);  // extra field
    };
    PutLong(out, LocalHeaderSignature);
    writeCommon(out);
    out += entry.name;
    out += packed;

    PutLong(directory, CentralHeaderSignature);
    PutWord(directory, VersionNeeded);  // made by
    writeCommon(directory);
    PutWord(directory, 0);  // comment
    PutWord(directory, 0);  // disk
    PutWord(directory, 0);  // internal attributes
    PutLong(directory, 0);  // external attributes
    PutLong(directory, offset);
    directory += entry.name;
  }
  if (out.size() >= Limit || directory.size() >= Limit) {
    throw Exception("Workbook too large for a zip archive");
  }
  const auto directoryOffset = std::uint32_t(out.size());
  out += directory;
  PutLong(out, EndSignature);
  PutWord(out, 0);
  PutWord(out, 0);
  PutWord(out, std::uint32_t(entries.size()));
  PutWord(out, std::uint32_t(entries.size()));
  PutLong(out, std::uint32_t(directory.size()));
  PutLong(out, directoryOffset);
  PutWord(out, 0);
  return out;
}

}  // namespace talvex
