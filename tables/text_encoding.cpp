// UTF-8 validation and the Windows-1252 fallback.
#include "tables/text_encoding.h"

#include <cstdint>

namespace talvex {

namespace {

// Windows-1252 at 0x80..0x9F; 0 where the code page assigns nothing.
constexpr char16_t HighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* end = p + bytes.size();
  while (p < end) {
    const unsigned char c = *p;
    if (c < 0x80) {
      ++p;
      continue;
    }
    int more = 0;
    unsigned char low = 0x80, high = 0xBF;  // bounds of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
      more = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      more = 2;
      if (c == 0xE0) low = 0xA0;   // overlong
      if (c == 0xED) high = 0x9F;  // surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
      more = 3;
      if (c == 0xF0) low = 0x90;   // overlong
      if (c == 0xF4) high = 0x8F;  // beyond U+10FFFF
    } else {
      return false;
    }
    if (end - p <= more) return false;
    if (p[1] < low || p[1] > high) return false;
    for (int k = 2; k <= more; ++k) {
      if ((p[k] & 0xC0) != 0x80) return false;
    }
    p += more + 1;
  }
  return true;
}

std::string DecodeWindows1252(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  for (const char byte : bytes) {
    const auto c = static_cast<unsigned char>(byte);
    if (c < 0x80) {
      out += byte;
    } else if (c < 0xA0 && HighControls[c - 0x80] != 0) {
      AppendUtf8(out, HighControls[c - 0x80]);
    } else {
      AppendUtf8(out, c);
    }
  }
  return out;
}

TDecodedText DecodeTableText(std::string_view bytes) {
  constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
  if (bytes.substr(0, ByteOrderMark.size()) == ByteOrderMark) bytes.remove_prefix(3);
  if (IsValidUtf8(bytes)) return {std::string(bytes), "UTF-8"};
  return {DecodeWindows1252(bytes), "Windows-1252"};
}

}  // namespace talvex
