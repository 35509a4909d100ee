// A table's bytes as UTF-8; see text_encoding.h.
#include "tables/text_encoding.h"

#include "base/eight_bit_text.h"

namespace talvex {

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view Utf16Le = "\xFF\xFE";
constexpr std::string_view Utf16Be = "\xFE\xFF";
// Bytes looked at to recognise UTF-16 without a byte-order mark.
constexpr std::size_t Utf16Sample = 256;

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// UTF-16 to UTF-8; an unpaired surrogate or an odd last byte becomes U+FFFD.
std::string Utf8FromUtf16(std::string_view bytes, bool bigEndian) {
  std::string out;
  out.reserve(bytes.size() / 2 + bytes.size() / 8);
  const auto unit = [&](std::size_t i) -> char32_t {
    const auto a = static_cast<unsigned char>(bytes[i]);
    const auto b = static_cast<unsigned char>(bytes[i + 1]);
    return bigEndian ? char32_t((a << 8) | b) : char32_t((b << 8) | a);
  };
  std::size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    const char32_t u = unit(i);
    if (u >= 0xD800 && u < 0xDC00 && i + 3 < bytes.size()) {
      const char32_t low = unit(i + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    AppendUtf8(out, u >= 0xD800 && u < 0xE000 ? 0xFFFD : u);
  }
  if (i < bytes.size()) AppendUtf8(out, 0xFFFD);
  return out;
}

// Without a mark: which half of the units is 0 in the first bytes, if one is.
int Utf16Order(std::string_view bytes) {
  const std::size_t n = std::min(bytes.size(), Utf16Sample) & ~std::size_t(1);
  if (n < 4) return 0;
  std::size_t evenZero = 0, oddZero = 0;
  for (std::size_t i = 0; i < n; i += 2) {
    evenZero += bytes[i] == '\0';
    oddZero += bytes[i + 1] == '\0';
  }
  const std::size_t units = n / 2;
  if (oddZero == units && evenZero == 0) return 1;  // little-endian ASCII
  if (evenZero == units && oddZero == 0) return 2;  // big-endian ASCII
  return 0;
}

}  // namespace

bool LooksLikeUtf16(std::string_view bytes) {
  return bytes.substr(0, 2) == Utf16Le || bytes.substr(0, 2) == Utf16Be || Utf16Order(bytes) != 0;
}

std::string_view DecodeTableText(std::string_view bytes, std::string& storage,
                                 std::string& encoding) {
  if (bytes.substr(0, 2) == Utf16Le || bytes.substr(0, 2) == Utf16Be) {
    const bool big = bytes.substr(0, 2) == Utf16Be;
    encoding = big ? "UTF-16BE" : "UTF-16LE";
    storage = Utf8FromUtf16(bytes.substr(2), big);
    return storage;
  }
  if (const int order = Utf16Order(bytes)) {
    encoding = order == 2 ? "UTF-16BE" : "UTF-16LE";
    storage = Utf8FromUtf16(bytes, order == 2);
    return storage;
  }
  if (bytes.substr(0, ByteOrderMark.size()) == ByteOrderMark) bytes.remove_prefix(3);
  if (IsUtf8(bytes)) {
    encoding = "UTF-8";
    return bytes;
  }
  encoding = "Windows-1252";
  storage = Utf8FromEightBit(bytes);
  return storage;
}

TDecodedText DecodeTableText(std::string_view bytes) {
  TDecodedText decoded;
  const std::string_view text = DecodeTableText(bytes, decoded.text, decoded.encoding);
  if (text.data() != decoded.text.data()) decoded.text = std::string(text);
  return decoded;
}

}  // namespace talvex
