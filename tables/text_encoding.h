// Decoding the bytes of a text table into UTF-8: a byte-order mark is
// dropped, UTF-16 (what some spreadsheets call "Unicode text") is decoded,
// and the rest is decoded as every 8-bit text of the program is (valid UTF-8
// kept as it is, anything else read as Windows-1252, the code page
// spreadsheets on Western systems save in).
#pragma once

#include <string>
#include <string_view>

namespace talvex {

struct TDecodedText {
  std::string text;      // UTF-8, without a byte-order mark
  std::string encoding;  // "UTF-8" or "Windows-1252"
};

/// The text of a table's bytes, decoded as above. Bytes in UTF-16 (with a
/// byte-order mark, or without one when every other byte of the first
/// lines is 0) are decoded from it ("UTF-16LE", "UTF-16BE").
TDecodedText DecodeTableText(std::string_view bytes);

/// The same without a copy where none is needed: the text is `bytes` less a
/// byte-order mark when they are UTF-8, otherwise the decoded text kept in
/// `storage`. `encoding` receives the encoding's name.
std::string_view DecodeTableText(std::string_view bytes, std::string& storage,
                                 std::string& encoding);

/// Whether `bytes` look like UTF-16: a byte-order mark, or a 0 in every
/// other byte of the first ones.
bool LooksLikeUtf16(std::string_view bytes);

}  // namespace talvex
