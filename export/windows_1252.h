// Windows-1252, the 8-bit character set that spreadsheet programs assume for
// the text of a BIFF file without a code page and that most 8-bit data files
// on Western systems are written in: the conversions between it and UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace talvex {

/// Each byte of `text` as the UTF-8 form of its Windows-1252 character; the
/// five bytes 1252 leaves unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) become
/// the code points of the same value, as in Latin-1.
std::string Utf8FromWindows1252(std::string_view text);

/// `utf8` (precondition: valid UTF-8) with each code point as its
/// Windows-1252 byte, and '?' for one that 1252 cannot show (a combining
/// mark included: the character set has no way to attach it).
std::string Windows1252FromUtf8(std::string_view utf8);

}  // namespace talvex
