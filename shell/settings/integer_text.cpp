// Integer conversion for settings values and typed numbers.
#include "shell/settings/integer_text.h"

#include <cstdint>
#include <limits>

std::optional<int> IntegerFromText(const QString& text) {
  const QString s = text.trimmed();
  qsizetype i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
    negative = s[i] == u'-';
    ++i;
  }
  const bool hex = i + 1 < s.size() && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X');
  if (hex) i += 2;
  if (i >= s.size()) return std::nullopt;

  const std::uint64_t base = hex ? 16 : 10;
  const std::uint64_t limit = hex ? 0xFFFFFFFFull : 0x80000000ull;
  std::uint64_t magnitude = 0;
  for (; i < s.size(); ++i) {
    const char16_t c = s[i].unicode();
    std::uint64_t digit;
    if (c >= u'0' && c <= u'9') {
      digit = c - u'0';
    } else if (hex && c >= u'a' && c <= u'f') {
      digit = c - u'a' + 10;
    } else if (hex && c >= u'A' && c <= u'F') {
      digit = c - u'A' + 10;
    } else {
      return std::nullopt;
    }
    magnitude = magnitude * base + digit;
    if (magnitude > limit) return std::nullopt;
  }
  // A hexadecimal value is a bit pattern; a decimal one a magnitude.
  const std::int64_t value = hex ? static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude))
                                 : static_cast<std::int64_t>(magnitude);
  const std::int64_t result = negative ? -value : value;
  if (result < std::numeric_limits<int>::min() || result > std::numeric_limits<int>::max()) {
    return std::nullopt;
  }
  return static_cast<int>(result);
}
