// Fixed-point fields of the report, locale-free. Most fields take a short
// path through integer arithmetic; std::to_chars decides wherever that path
// could round differently from the exact decimal value.
#include "analysis/listing_fields.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>

namespace talvex {

namespace {

constexpr double PowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};
constexpr std::uint64_t IntegerPowersOfTen[] = {1,      10,      100,      1000,     10000,
                                                100000, 1000000, 10000000, 100000000};
constexpr int ShortPathDecimals = 8;

// |x| in units of the last decimal, rounded to nearest, where that rounding
// is certain. The half-way points between integers are doubles (y < 2^50),
// and rounding the product y = |x| 10^decimals is monotone: y can reach a
// half-way point but never pass it, so wherever y is not one, the exact
// product lies on the same side and rounds to the same integer. False for
// the ties (the exact conversion then decides) and for |x| too large.
bool RoundedUnits(double magnitude, int decimals, std::uint64_t& units) {
  if (decimals < 0 || decimals > ShortPathDecimals || !(magnitude < 1e15 / PowersOfTen[decimals])) {
    return false;
  }
  const double y = magnitude * PowersOfTen[decimals];
  const double whole = std::floor(y);
  const double fraction = y - whole;  // exact
  if (fraction == 0.5) return false;
  units = std::uint64_t(whole) + (fraction > 0.5 ? 1 : 0);
  return true;
}

// The digits of x with `decimals` decimals, as printf's "%.<decimals>f" in
// the C locale, into buffer; returns the end.
char* FixedDigits(char* buffer, char* limit, double x, int decimals) {
  std::uint64_t units = 0;
  if (!RoundedUnits(std::fabs(x), decimals, units))
    return std::to_chars(buffer, limit, x, std::chars_format::fixed, decimals).ptr;
  char* out = buffer;
  if (std::signbit(x)) *out++ = '-';  // printf keeps the sign of a value that rounds to 0
  const std::uint64_t scale = IntegerPowersOfTen[decimals];
  out = std::to_chars(out, limit, units / scale).ptr;
  if (decimals == 0) return out;
  *out++ = '.';
  std::uint64_t fraction = units % scale;
  for (int i = decimals - 1; i >= 0; --i) {
    out[i] = char('0' + fraction % 10);
    fraction /= 10;
  }
  return out + decimals;
}

}  // namespace

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
  if (!std::isnan(x))
    digits = std::string_view(buffer, FixedDigits(buffer, buffer + sizeof buffer, x, decimals));
  if (width > 0 && digits.size() < std::size_t(width))
    text.append(std::size_t(width) - digits.size(), ' ');
  text += digits;
}

}  // namespace talvex
