// Text routines of the fixed-width report, the reader and the export.
#include "base/text_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "base/eight_bit_text.h"

namespace talvex {

namespace {

// FixedText works on this many significant decimal digits of the value.
constexpr int SignificantDigits = 18;
constexpr int MaxDecimals = 7;

}  // namespace

std::string ChooseText(bool flag, const std::string& a, const std::string& b) {
  return flag ? a : b;
}

std::size_t DisplayWidth(std::string_view s) noexcept {
  if (!IsUtf8(s)) return s.size();
  // In valid UTF-8 every code point has exactly one byte that is not 10xxxxxx.
  return static_cast<std::size_t>(std::count_if(
      s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string PadLeft(const std::string& s, char ch, int width) {
  const std::size_t shown = DisplayWidth(s);
  if (width <= 0 || shown >= static_cast<std::size_t>(width)) return s;
  return std::string(static_cast<std::size_t>(width) - shown, ch) + s;
}

std::string PadRight(const std::string& s, char ch, int width) {
  const std::size_t shown = DisplayWidth(s);
  if (width <= 0 || shown >= static_cast<std::size_t>(width)) return s;
  return s + std::string(static_cast<std::size_t>(width) - shown, ch);
}

std::string FixedText(std::uint8_t decimals, double x) {
  if (std::isnan(x)) return "nan";  // never "-nan": the sign of a NaN means nothing
  if (std::isinf(x)) return x < 0 ? "-inf" : "inf";
  const int shown = std::min<int>(decimals, MaxDecimals);

  // The value as d1.d2...d18 x 10^exponent, correctly rounded from the double.
  char buffer[40];
  const auto conversion = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(x),
                                        std::chars_format::scientific, SignificantDigits - 1);
  std::string digits;
  const char* p = buffer;
  for (; *p != 'e'; ++p) {
    if (*p != '.') digits += *p;
  }
  int exponent = 0;
  const char* exponentText = p + 1;
  if (*exponentText == '+') ++exponentText;  // to_chars writes e+20 and e-08
  std::from_chars(exponentText, conversion.ptr, exponent);

  // Keep the digits down to the 10^-shown place; the next digit decides the rounding,
  // half away from zero. `kept` may be negative (all digits lie below that place) or
  // above 18 (the place lies beyond the known digits, which are then followed by zeros).
  const int kept = exponent + shown + 1;
  std::string magnitude;  // the digits of |x| * 10^shown after rounding, an integer
  if (kept <= 0) {
    magnitude = (kept == 0 && digits[0] >= '5') ? "1" : "0";
  } else if (kept >= SignificantDigits) {
    magnitude = digits + std::string(static_cast<std::size_t>(kept - SignificantDigits), '0');
  } else {
    magnitude = digits.substr(0, static_cast<std::size_t>(kept));
    if (digits[static_cast<std::size_t>(kept)] >= '5') {
      auto it = magnitude.rbegin();
      for (; it != magnitude.rend() && *it == '9'; ++it) *it = '0';
      if (it == magnitude.rend()) {
        magnitude.insert(magnitude.begin(), '1');
      } else {
        ++*it;
      }
    }
  }
  // At least one integer digit in front of the point.
  if (magnitude.size() <= static_cast<std::size_t>(shown)) {
    magnitude.insert(0, static_cast<std::size_t>(shown) + 1 - magnitude.size(), '0');
  }

  std::string text;
  if (std::signbit(x)) text += '-';  // the sign of the value, even when the digits round to zero
  const std::size_t integerDigits = magnitude.size() - static_cast<std::size_t>(shown);
  text.append(magnitude, 0, integerDigits);
  if (shown > 0) {
    text += '.';
    text.append(magnitude, integerDigits, std::string::npos);
  }
  return text;
}

std::string RepeatChar(char ch, int n) {
  if (n <= 0) return std::string();
  return std::string(static_cast<std::size_t>(n), ch);
}

std::string Blanks(int n) { return RepeatChar(' ', n); }

std::string RemoveChar(char ch, const std::string& s) {
  std::string result = s;
  std::erase(result, ch);
  return result;
}

std::string FieldOf(const std::string& s, char delimiter, std::uint8_t n) {
  if (n == 0) return std::string();
  std::size_t start = 0;
  for (unsigned count = 1; count < n; ++count) {
    const std::size_t q = s.find(delimiter, start);
    if (q == std::string::npos) return std::string();  // fewer than n fields
    start = q + 1;
  }
  const std::size_t end = s.find(delimiter, start);
  return s.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

}  // namespace talvex
