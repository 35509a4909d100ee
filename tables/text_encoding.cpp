// A table's bytes as UTF-8; see text_encoding.h.
#include "tables/text_encoding.h"

#include "numeric/eight_bit_text.h"

namespace talvex {

TDecodedText DecodeTableText(std::string_view bytes) {
  constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
  if (bytes.substr(0, ByteOrderMark.size()) == ByteOrderMark) bytes.remove_prefix(3);
  if (IsUtf8(bytes)) return {std::string(bytes), "UTF-8"};
  return {Utf8FromEightBit(bytes), "Windows-1252"};
}

}  // namespace talvex
