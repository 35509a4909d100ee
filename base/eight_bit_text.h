// The one decoding of the 8-bit text that data files give us (titles,
// labels): files written on Linux are usually UTF-8, older ones Windows-1252.
// The exports and the desktop window all decode through here, so a label
// reads the same on screen and in a workbook.
#pragma once

#include <string>
#include <string_view>

namespace talvex {

/// True when `bytes` are well-formed UTF-8 (no overlong forms, surrogates or
/// code points beyond U+10FFFF).
bool IsUtf8(std::string_view bytes);

/// `bytes` as UTF-8: unchanged when they are valid UTF-8, otherwise each byte
/// read as Windows-1252 (0x80..0x9F through its table; the five bytes that
/// table leaves unassigned, 0x81, 0x8D, 0x8F, 0x90 and 0x9D, become U+FFFD,
/// so no control character appears where a letter was meant).
std::string Utf8FromEightBit(std::string_view bytes);

/// `utf8` (precondition: valid UTF-8) with each code point as its
/// Windows-1252 byte, and '?' for one that 1252 cannot show (a combining
/// mark included: the character set has no way to attach it). For formats
/// that hold 8-bit text only.
std::string Windows1252FromUtf8(std::string_view utf8);

}  // namespace talvex
