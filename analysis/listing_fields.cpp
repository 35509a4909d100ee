// Fixed-point fields of the report, locale-free through std::to_chars.
#include "analysis/listing_fields.h"

#include <charconv>
#include <cmath>

#include "numeric/text_format.h"

namespace talvex {

std::string FloatField(double x, int width, int decimals) {
  if (std::isnan(x)) return PadLeft("nan", ' ', width);
  // The largest double in fixed notation has 309 integer digits; the report
  // asks for at most 8 decimals, so the buffer always suffices.
  char buffer[400];
  char* end =
      std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::fixed, decimals).ptr;
  return PadLeft(std::string(buffer, end), ' ', width);
}

}  // namespace talvex
