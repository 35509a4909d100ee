// The 23-character number form of the csv and sdf exports: a sign or a blank,
// 15 significant digits in scientific notation and a four-digit exponent,
// e.g. " 1.50000000000000E+0000" and "-2.50000000000000E-0001".
#pragma once

#include <string>

namespace talvex {

/// Width of every number in the csv and sdf exports.
inline constexpr int ScientificWidth = 23;

/// x as "-" for a negative value or a blank otherwise (zero and negative
/// zero included), one digit, ".", fourteen digits, "E", the exponent's sign
/// and four exponent digits. The digits are those of the exact binary value
/// rounded to 15 significant digits, a 16th digit of 5 or more rounding up
/// (a carry out of the first digit raises the exponent). Not-finite values
/// give "Nan", "+Inf" or "-Inf", right-aligned in 23 characters.
std::string ScientificText(double x);

}  // namespace talvex
