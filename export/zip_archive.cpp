// Zip container reading and writing; see zip_archive.h.
#include "export/zip_archive.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

#include "numeric/exception.h"

namespace talvex {
namespace {

constexpr std::uint32_t LocalHeaderSignature = 0x04034b50;
constexpr std::uint32_t CentralHeaderSignature = 0x02014b50;
constexpr std::uint32_t EndSignature = 0x06054b50;
constexpr std::size_t LocalHeaderSize = 30;
constexpr std::size_t CentralHeaderSize = 46;
constexpr std::size_t EndSize = 22;
constexpr std::uint16_t MethodStored = 0;
constexpr std::uint16_t MethodDeflated = 8;
constexpr std::uint16_t VersionNeeded = 20;  // deflate

[[noreturn]] void Damaged() { throw Exception("Damaged zip archive"); }

class TReader {
 public:
  explicit TReader(std::string_view bytes) : bytes_(bytes) {}
  std::uint16_t Word(std::size_t at) const {
    Need(at, 2);
    return std::uint16_t(Byte(at) | Byte(at + 1) << 8);
  }
  std::uint32_t Long(std::size_t at) const {
    Need(at, 4);
    return std::uint32_t(Word(at)) | std::uint32_t(Word(at + 2)) << 16;
  }
  std::string_view Slice(std::size_t at, std::size_t size) const {
    Need(at, size);
    return bytes_.substr(at, size);
  }
  std::size_t Size() const { return bytes_.size(); }

 private:
  unsigned Byte(std::size_t at) const { return static_cast<unsigned char>(bytes_[at]); }
  void Need(std::size_t at, std::size_t size) const {
    if (at > bytes_.size() || size > bytes_.size() - at) Damaged();
  }
  std::string_view bytes_;
};

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

std::string Inflate(std::string_view packed, std::size_t size) {
  std::string out(size, '\0');
  z_stream stream{};
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) Damaged();
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
  stream.avail_in = uInt(packed.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = uInt(out.size());
  const int status = inflate(&stream, Z_FINISH);
  const bool complete = status == Z_STREAM_END && stream.total_out == size;
  inflateEnd(&stream);
  if (!complete) Damaged();
  return out;
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

std::vector<TZipEntry> ReadZipArchive(std::string_view bytes) {
  const TReader in(bytes);
  if (in.Size() < EndSize) Damaged();
  // The end record sits at the end, behind a comment of at most 65535 bytes.
  std::size_t end = in.Size() - EndSize;
  const std::size_t lowest = end > 0xFFFF ? end - 0xFFFF : 0;
  while (in.Long(end) != EndSignature) {
    if (end == lowest) Damaged();
    --end;
  }
  const std::uint16_t count = in.Word(end + 10);
  std::size_t at = in.Long(end + 16);

  std::vector<TZipEntry> entries;
  entries.reserve(count);
  for (std::uint16_t i = 0; i < count; ++i) {
    if (in.Long(at) != CentralHeaderSignature) Damaged();
    const std::uint16_t flags = in.Word(at + 8);
    const std::uint16_t method = in.Word(at + 10);
    const std::uint32_t crc = in.Long(at + 16);
    const std::uint32_t packedSize = in.Long(at + 20);
    const std::uint32_t size = in.Long(at + 24);
    const std::uint16_t nameLength = in.Word(at + 28);
    const std::size_t skip = std::size_t(in.Word(at + 30)) + in.Word(at + 32);
    const std::uint32_t offset = in.Long(at + 42);
    constexpr auto Zip64 = std::numeric_limits<std::uint32_t>::max();
    if ((flags & 1) != 0 || packedSize == Zip64 || size == Zip64 || offset == Zip64) Damaged();

    TZipEntry entry;
    entry.name = in.Slice(at + CentralHeaderSize, nameLength);
    entry.dosTime = in.Word(at + 12);
    entry.dosDate = in.Word(at + 14);
    if (in.Long(offset) != LocalHeaderSignature) Damaged();
    const std::size_t dataStart =
        offset + LocalHeaderSize + in.Word(offset + 26) + std::size_t(in.Word(offset + 28));
    const std::string_view packed = in.Slice(dataStart, packedSize);
    if (method == MethodStored) {
      if (packedSize != size) Damaged();
      entry.data = packed;
    } else if (method == MethodDeflated) {
      entry.data = Inflate(packed, size);
    } else {
      Damaged();
    }
    if (Crc(entry.data) != crc) Damaged();
    entries.push_back(std::move(entry));
    at += CentralHeaderSize + nameLength + skip;
  }
  return entries;
}

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
