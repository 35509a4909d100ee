// The decimal logarithm of the log transformation, and the distribution
// functions of the standard normal and of Student's t, and the inverse of
// the latter.
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

/// The t with StudentTCdf(df, t) = probability, 0 < probability < 1, df >= 1:
/// the inverse of the program's own distribution function (so a quantile
/// and a probability the program prints agree), found by bisection to the
/// last bit. Raises Exception for a probability outside (0, 1) or
/// df < 1.
double StudentTQuantile(std::int32_t df, double probability);

}  // namespace talvex
