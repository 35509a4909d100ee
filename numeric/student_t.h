// Student's t distribution exactly, for the outputs beyond the report
// listing (intervals, full results, tests, error bars). The listing keeps
// its own distribution function (probability.h) and the digits it prints.
#pragma once

#include <cstdint>

namespace talvex {

/// P(T > t) for Student's t with df >= 1 degrees of freedom, to full double
/// precision also far out in the tail (no floor, no normal approximation);
/// 0 for t = +inf, 1 for t = -inf. Raises Exception for df < 1 or a NaN t.
/// Leaves the floating-point status flags as it found them.
double StudentTUpperTail(std::int32_t df, double t);

/// P(T <= t), as StudentTUpperTail(df, -t).
double StudentTLowerTail(std::int32_t df, double t);

/// The t with P(T <= t) = probability, 0 < probability < 1, df >= 1. Raises
/// Exception otherwise. Leaves the floating-point status flags as it found
/// them.
double ExactStudentTQuantile(std::int32_t df, double probability);

}  // namespace talvex
