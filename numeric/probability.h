// The decimal logarithm of the log transformation, and the distribution
// functions of the standard normal and of Student's t.
#pragma once

#include <cstdint>

namespace talvex {

/// ln x / ln 10 for x > 0; 0 otherwise.
double Log10OrZero(double x);

/// P(Z <= x) for a standard normal Z, to about 1e-7.
double NormalCdf(double x);

/// P(T <= t) for Student's t with df >= 1 degrees of freedom (normal
/// approximation above 125).
double StudentTCdf(std::int32_t df, double t);

}  // namespace talvex
