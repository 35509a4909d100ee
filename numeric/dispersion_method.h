// The code that selects the dispersion matrix: covariance or correlation.
#pragma once

#include <cstdint>

namespace talvex {

enum class DispersionMethod : std::uint8_t { Covariance = 1, Correlation = 2 };

}  // namespace talvex
