// Student's t distribution exactly, for the outputs beyond the report
// listing (intervals, full results, tests, error bars). The listing keeps
// its own distribution function (probability.h) and the digits it prints.
#pragma once

#include <cstdint>

namespace talvex {

/// P(T > t) for Student's t with df >= 1 degrees of freedom, to full double
/// precision also far out in the tail (no floor, no normal approximation);
/// 0 for t = +inf, 1 for t = -inf. Leaves the floating-point status flags as
/// it found them. Raises Exception: "Student's t needs at least 1 degree of
/// freedom, not <df>", "Student's t of a value that is not a number", or
/// "Student's t: " and the library's reason where it fails to converge.
double StudentTUpperTail(std::int32_t df, double t);

/// P(T <= t), as StudentTUpperTail(df, -t).
double StudentTLowerTail(std::int32_t df, double t);

/// The t with P(T <= t) = probability, 0 < probability < 1, df >= 1. Leaves
/// the floating-point status flags as it found them. Raises Exception: the
/// degrees-of-freedom message above, "Student's t has no quantile for <p>",
/// or "Student's t: " and the library's reason.
double ExactStudentTQuantile(std::int32_t df, double probability);

/// The half-width in standard errors of a two-sided 95% interval,
/// t(df, 0.975): the one quantile of every interval and error bar beyond the
/// listing. Raises as ExactStudentTQuantile.
double StudentTQuantile95(std::int32_t df);

}  // namespace talvex
