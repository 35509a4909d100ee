// All eigenvectors of a symmetric tridiagonal matrix for the jackknife's
// eigen-decomposition: twisted factorisations, with clusters of close
// eigenvalues resolved together, and the checks that decide whether the
// result can be trusted. Indices are 0-based: coupling[i] joins rows i and
// i + 1; Z is a column-major block with leading dimension ldz.
#pragma once

#include <cstddef>

#include "numeric/decomposition_path.h"
#include "numeric/sizes.h"

namespace talvex {

/// Relative gap between neighbouring eigenvalues below which their twisted
/// vectors are not trusted to be orthogonal to rounding (a vector's error is
/// about its residual over the gap, and residuals are about 3e-15 of |T|, so
/// this bounds the error near 3e-9) and are resolved together as a cluster.
constexpr double ClusterGapLimit = 1e-6;

/// Largest residual |(T - lambda I) x| accepted for a vector, relative to
/// |T|: thirty times what is observed, so only a failed factorisation or a
/// failed cluster exceeds it.
constexpr double ResidualLimit = 1e-13;

/// Largest cluster resolved. On one-factor data of up to 300 variables the
/// clusters hold two or three eigenvalues; a larger one means many nearly
/// identical variables and is left to the QL rotations, which are right for
/// any multiplicity, only slower.
constexpr TSize MaxClusterSize = 16;

/// The unit eigenvectors of the n x n tridiagonal (diagonal, coupling) for
/// the first `count` (1..n) of its descending eigenvalues `values` into
/// columns 0..count-1 of Z; a cluster of close eigenvalues that reaches past
/// column count-1 is resolved whole, so Z needs room for n columns and the
/// columns past count-1 are left with no meaning. On success returns
/// TFallbackCause::None and sets path.twistedVectors and path.clusterSizes
/// (of the columns computed); otherwise returns why the vectors cannot be
/// trusted, with Z and path of no meaning. |T| above is the largest row sum
/// of |T|.
TFallbackCause TridiagonalEigenvectors(const double* diagonal, const double* coupling, TSize n,
                                       const double* values, TSize count, double* Z,
                                       std::size_t ldz, TDecompositionPath& path);

/// The same with column j in columns[j] (n of them, n elements each), which
/// may lie anywhere: a block of a larger matrix writes its vectors straight
/// into that matrix's columns.
TFallbackCause TridiagonalEigenvectors(const double* diagonal, const double* coupling, TSize n,
                                       const double* values, TSize count, double* const* columns,
                                       TDecompositionPath& path);

}  // namespace talvex
