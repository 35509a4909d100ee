// Text routines of the fixed-width report, the reader and the export: padding,
// runs of a character, fixed-point numbers, character removal, field splitting,
// and the display width that lets UTF-8 labels line up like 8-bit ones.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace talvex {

/// a when flag is true, otherwise b.
std::string ChooseText(bool flag, const std::string& a, const std::string& b);
/// The columns s takes in a fixed-pitch listing: its code points when the
/// whole of s is valid UTF-8, otherwise its bytes (8-bit text, one character a
/// byte, as before UTF-8 was kept). A combining mark counts as a code point of
/// its own, so a decomposed accent makes a column look one narrower.
std::size_t DisplayWidth(std::string_view s) noexcept;
/// s with ch prepended until its DisplayWidth is at least width (never shortens).
std::string PadLeft(const std::string& s, char ch, int width);
/// s with ch appended until its DisplayWidth is at least width (never shortens).
std::string PadRight(const std::string& s, char ch, int width);
/// x in fixed-point with min(decimals, 7) decimals, "." as the point; rounded
/// half away from zero from its 18-significant-digit form. A "-" stands in front
/// of every negative value (also -0.0 and values that round to zero). Every
/// finite magnitude stays in fixed-point (beyond 18 significant digits the
/// integer digits are zeros); NaN gives "nan", infinities "inf" and "-inf".
std::string FixedText(std::uint8_t decimals, double x);
/// n copies of ch; empty for n <= 0.
std::string RepeatChar(char ch, int n);
/// n blanks; empty for n <= 0.
std::string Blanks(int n);
/// s without any occurrence of ch.
std::string RemoveChar(char ch, const std::string& s);
/// The n-th field of s split at every delimiter (empty fields kept), or an
/// empty text when s has fewer than n fields or n = 0. s may have any length.
std::string FieldOf(const std::string& s, char delimiter, std::uint8_t n);

}  // namespace talvex
