// Fixed-point fields of the report, locale-free through std::to_chars.
#include "analysis/listing_fields.h"

#include <charconv>
#include <cmath>
#include <string_view>

namespace talvex {

std::string FloatField(double x, int width, int decimals) {
  std::string field;
  AppendFloatField(field, x, width, decimals);
  return field;
}

void AppendFloatField(std::string& text, double x, int width, int decimals) {
  // The largest double in fixed notation has 309 integer digits; the report
  // asks for at most 8 decimals, so the buffer always suffices.
  char buffer[400];
  std::string_view digits = "nan";
  if (!std::isnan(x)) {
    const char* end =
        std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::fixed, decimals).ptr;
    digits = std::string_view(buffer, std::size_t(end - buffer));
  }
  if (width > 0 && digits.size() < std::size_t(width))
    text.append(std::size_t(width) - digits.size(), ' ');
  text += digits;
}

}  // namespace talvex
