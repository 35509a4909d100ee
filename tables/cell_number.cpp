// Cell numbers through std::from_chars, which ignores the locale.
#include "tables/cell_number.h"

#include <charconv>
#include <cmath>

namespace talvex {

namespace {

// Longer numbers than any measurement; the bound keeps the copy on the stack.
constexpr std::size_t MaxNumberLength = 64;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::optional<double> ParseCellNumber(std::string_view text, bool decimalComma) {
  text = TrimBlanks(text);
  if (text.empty() || text.size() > MaxNumberLength) return std::nullopt;
  char buffer[MaxNumberLength];
  std::size_t size = 0;
  std::size_t start = 0;
  if (text[0] == '+' || text[0] == '-') {
    if (text[0] == '-') buffer[size++] = '-';
    start = 1;
  }
  const char mark = decimalComma ? ',' : '.';
  // from_chars would take "inf", "nan" and a second sign; a number starts
  // with a digit or its decimal mark.
  if (start >= text.size() || !(IsDigit(text[start]) || text[start] == mark)) return std::nullopt;
  for (std::size_t i = start; i < text.size(); ++i) {
    const char c = text[i];
    if (c == mark) {
      buffer[size++] = '.';
    } else if (c == '.' || c == ',') {
      return std::nullopt;  // the other mark: a thousands separator or a typo
    } else {
      buffer[size++] = c;
    }
  }
  double value = 0;
  const auto result = std::from_chars(buffer, buffer + size, value, std::chars_format::general);
  if (result.ec != std::errc() || result.ptr != buffer + size || !std::isfinite(value))
    return std::nullopt;
  return value;
}

}  // namespace talvex
