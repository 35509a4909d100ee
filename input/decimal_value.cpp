// Strict, locale-free conversion of data values through std::from_chars.
#include "input/decimal_value.h"

#include <charconv>

#include "base/exception.h"

namespace talvex {

namespace {

[[noreturn]] void RaiseInvalid() { throw EConvertError("Invalid numeric input"); }

bool IsDigit(char c) noexcept { return c >= '0' && c <= '9'; }

// For a well-formed unsigned number that std::from_chars found out of range:
// true when its magnitude lies below 1 (an underflow), false when above (an
// overflow). The decimal exponent of the first significant digit decides.
bool IsBelowOne(std::string_view text) noexcept {
  std::size_t i = 0;
  long long leadingPosition = 0;  // power of ten of the first significant digit, plus one
  bool found = false;
  long long integerDigits = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    if (found || text[i] != '0') {
      found = true;
      ++integerDigits;
    }
  }
  leadingPosition = integerDigits;
  if (i < text.size() && text[i] == '.') {
    for (++i; i < text.size() && IsDigit(text[i]); ++i) {
      if (!found) {
        if (text[i] != '0') {
          found = true;
        } else {
          --leadingPosition;
        }
      }
    }
  }
  long long exponent = 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    for (; i < text.size() && IsDigit(text[i]); ++i) {
      if (exponent < 100000)
        exponent = exponent * 10 + (text[i] - '0');  // saturates; the run is short
    }
    if (negative) exponent = -exponent;
  }
  return leadingPosition + exponent <= 0;
}

}  // namespace

double ParseDecimalValue(std::string_view text) {
  const char* first = text.data();
  const char* const last = first + text.size();
  bool negative = false;
  if (first != last && (*first == '+' || *first == '-')) {
    negative = *first == '-';
    ++first;
  }
  // from_chars would also take "inf", "nan" and "infinity".
  if (first == last || !(IsDigit(*first) || *first == '.')) RaiseInvalid();

  double value = 0.0;
  const auto conversion = std::from_chars(first, last, value, std::chars_format::general);
  if (conversion.ptr != last) RaiseInvalid();
  if (conversion.ec == std::errc::result_out_of_range) {
    if (!IsBelowOne(std::string_view(first, static_cast<std::size_t>(last - first))))
      RaiseInvalid();
    value = 0.0;
  } else if (conversion.ec != std::errc()) {
    RaiseInvalid();
  }
  return negative ? -value : value;
}

}  // namespace talvex
