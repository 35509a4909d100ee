// Sizes and indices of the numeric containers and the data: 32-bit unsigned,
// so no count ever wraps at 16 or 8 bits; element counts of a matrix are
// formed in 64 bits.
#pragma once

#include <cstdint>

namespace talvex {

using TSize = std::uint32_t;

/// Beyond this many variables the jackknife's reduced samples trade last
/// bits for speed: their scalings multiply by reciprocals instead of
/// dividing (within an ulp of the quotient, at a fraction of a division's
/// cost), and subnormal numbers are flushed to zero (subnormal_flush.h).
/// Up to it small data sets keep the bits, and at rounding ties the printed
/// digits, that they have always had. It is where the reduction goes by
/// panels.
constexpr TSize FastArithmeticAbove = 128;

}  // namespace talvex
