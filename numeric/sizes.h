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

/// Up to this many variables the full sample is decomposed by the exact
/// scheme of PrincipalAxesOf, whose signs every listing prints; beyond it by
/// the faster decompositions of wide_principal_axes.h, with their own sign
/// rule.
constexpr TSize ExactSchemeVariables = 255;

/// Beyond ExactSchemeVariables, the components shown unless more are asked
/// for (fewer where the data determine fewer axes): p^2 coefficients are
/// 10^8 at 10,000 variables.
constexpr TSize WideDefaultFactors = 10;

/// The number of components shown unless more are asked for: every
/// variable up to ExactSchemeVariables, beyond it WideDefaultFactors, or the
/// most axes n objects can determine (n - 1) when that is fewer.
constexpr TSize DefaultFactorCount(TSize n, TSize p) {
  if (p <= ExactSchemeVariables) return p;
  const TSize determinable = n > 1 ? n - 1 : 1;
  return determinable < WideDefaultFactors ? determinable : WideDefaultFactors;
}

/// Beyond ExactSchemeVariables the data are decomposed through the n x n
/// products of their objects (the Gram matrix) from GramCrossover
/// variables per object on, and through the p x p dispersion matrix below
/// that. It must not exceed 1: with more variables than objects a p x p
/// matrix is never formed.
constexpr double GramCrossover = 1.0;

/// Whether n x p data beyond ExactSchemeVariables go through their objects'
/// products (see GramCrossover).
constexpr bool WideThroughObjects(TSize n, TSize p) {
  return p > ExactSchemeVariables && double(p) >= GramCrossover * double(n);
}

}  // namespace talvex
