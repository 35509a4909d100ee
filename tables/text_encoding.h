// Decoding the bytes of a text table into UTF-8: a byte-order mark is
// dropped, valid UTF-8 is kept as it is, anything else is read as
// Windows-1252 (the code page spreadsheets on Western systems save in).
#pragma once

#include <string>
#include <string_view>

namespace talvex {

/// Whether `bytes` is well-formed UTF-8 (no overlong forms, no surrogates,
/// nothing beyond U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

/// `bytes` read as Windows-1252, written as UTF-8. The five codes that
/// Windows-1252 leaves unassigned are taken as the Latin-1 control codes.
std::string DecodeWindows1252(std::string_view bytes);

struct TDecodedText {
  std::string text;      // UTF-8, without a byte-order mark
  std::string encoding;  // "UTF-8" or "Windows-1252"
};

/// The text of a table's bytes, decoded as above.
TDecodedText DecodeTableText(std::string_view bytes);

}  // namespace talvex
