// The eigenvalues and the wanted eigenvectors of the jackknife's tridiagonal
// form, with the form first split at negligible couplings. A dispersion
// matrix of rank r < p (more variables than objects, or constant variables)
// reduces to a T whose rows past the rank are rounding noise, many of them
// with eigenvalues equal to rounding: their twisted vectors would all be the
// same vector. Split into blocks, each eigenvalue's vector is found in its
// own block, zero elsewhere, and eigenvalues of different blocks need no
// separating at all. Indices are 0-based: coupling[i] joins rows i and i+1.
#pragma once

#include <cstddef>

#include "numeric/decomposition_path.h"
#include "numeric/sizes.h"

namespace talvex {

/// A coupling at most this many units of roundoff per row of T, times the
/// largest row sum of |T|, is set to zero: a change of T no larger than the
/// rounding the Householder reduction itself commits (of order n eps |A|).
constexpr double SplitRoundoffPerRow = 0x1p-52;

/// values := the n eigenvalues of (diagonal, coupling), descending; columns
/// 0..count-1 of Z (count 1..n, room for n columns) := the unit eigenvectors
/// of the first count. Without a negligible coupling this is
/// TridiagonalEigenvalues then TridiagonalEigenvectors, bit for bit; with
/// one, coupling is changed where it is negligible and each block is solved
/// on its own. Returns TFallbackCause::None, or why the results have no
/// meaning; path as TridiagonalEigenvectors sets it (a block of one row
/// counts as one twisted vector).
TFallbackCause TridiagonalEigenpairs(const double* diagonal, double* coupling, TSize n, TSize count,
                                     double* values, double* Z, std::size_t ldz,
                                     TDecompositionPath& path);

}  // namespace talvex
