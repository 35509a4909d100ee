// Sizes and indices of the numeric containers and the data: 32-bit unsigned,
// so no count ever wraps at 16 or 8 bits; element counts of a matrix are
// formed in 64 bits.
#pragma once

#include <cstdint>

namespace talvex {

using TSize = std::uint32_t;

}  // namespace talvex
