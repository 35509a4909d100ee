// Decoding the bytes of a text table into UTF-8: a byte-order mark is
// dropped, and the rest is decoded as every 8-bit text of the program is
// (valid UTF-8 kept as it is, anything else read as Windows-1252, the code
// page spreadsheets on Western systems save in).
#pragma once

#include <string>
#include <string_view>

namespace talvex {

struct TDecodedText {
  std::string text;      // UTF-8, without a byte-order mark
  std::string encoding;  // "UTF-8" or "Windows-1252"
};

/// The text of a table's bytes, decoded as above.
TDecodedText DecodeTableText(std::string_view bytes);

}  // namespace talvex
