// The export's number form; see scientific_text.h.
//
// The rounding looks at the 16th significant digit of the exact value of the
// double. The first 16 digits of the exact value are taken from its
// correctly rounded 18-digit form, which differs from the truncated digits
// only when the rounding carried into the 16th digit; that shows as "00" in
// digits 17 and 18, and only then (about one value in a hundred) the exact
// decimal expansion is formed, at most 767 significant digits for a double.
#include "export/scientific_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace talvex {
namespace {

// Digits of a double's exact expansion never exceed 767 (2^-1074 has 751);
// room for them, the point, the sign and the exponent.
constexpr int ExactPrecision = 780;

struct TDigits {
  std::array<char, 16> digits;  // the first 16 significant digits, truncated
  int exponent;                 // of the first digit
};

// Splits the scientific text d.ddd...e±x into the first 16 digits and the
// exponent; `more` receives the digits after the 16th.
TDigits SplitScientific(std::string_view text, std::string_view* more) {
  TDigits result{};
  const auto e = text.find('e');
  std::string_view mantissa = text.substr(0, e);
  std::array<char, ExactPrecision + 2> digits{};
  std::size_t count = 0;
  for (char c : mantissa) {
    if (c != '.') digits[count++] = c;
  }
  for (std::size_t i = 0; i < 16; ++i) result.digits[i] = i < count ? digits[i] : '0';
  const std::string_view exponent = text.substr(e + 1);
  std::from_chars(exponent.data() + (exponent[0] == '+' ? 1 : 0), exponent.data() + exponent.size(),
                  result.exponent);
  if (more != nullptr) *more = mantissa.substr(count > 16 ? 17 : mantissa.size());
  return result;
}

TDigits First16Digits(double magnitude) {
  char quick[40];
  const auto quickEnd =
      std::to_chars(quick, quick + sizeof quick, magnitude, std::chars_format::scientific, 17).ptr;
  std::string_view beyond;
  const TDigits digits = SplitScientific(std::string_view(quick, quickEnd - quick), &beyond);
  if (beyond != "00") return digits;
  static thread_local char exact[ExactPrecision + 16];
  const auto exactEnd = std::to_chars(exact, exact + sizeof exact, magnitude,
                                      std::chars_format::scientific, ExactPrecision)
                            .ptr;
  return SplitScientific(std::string_view(exact, exactEnd - exact), nullptr);
}

}  // namespace

std::string ScientificText(double x) {
  if (std::isnan(x)) return std::string(ScientificWidth - 3, ' ') + "Nan";
  if (std::isinf(x)) return std::string(ScientificWidth - 4, ' ') + (x < 0 ? "-Inf" : "+Inf");

  std::string text(ScientificWidth, ' ');
  text[0] = x < 0 ? '-' : ' ';
  std::array<char, 15> kept;
  int exponent = 0;
  if (x == 0) {
    kept.fill('0');
  } else {
    TDigits digits = First16Digits(std::fabs(x));
    exponent = digits.exponent;
    std::copy_n(digits.digits.begin(), 15, kept.begin());
    if (digits.digits[15] >= '5') {
      int i = 14;
      while (i >= 0 && kept[i] == '9') kept[i--] = '0';
      if (i >= 0) {
        ++kept[i];
      } else {  // 9.99...9 became 10.0...0
        kept[0] = '1';
        ++exponent;
      }
    }
  }
  text[1] = kept[0];
  text[2] = '.';
  std::copy(kept.begin() + 1, kept.end(), text.begin() + 3);
  text[17] = 'E';
  text[18] = exponent < 0 ? '-' : '+';
  int magnitude = std::abs(exponent);  // at most 324 for a double
  for (int i = 22; i >= 19; --i, magnitude /= 10) text[i] = char('0' + magnitude % 10);
  return text;
}

}  // namespace talvex
