// The eigenvalues of a symmetric tridiagonal matrix without its vectors, for
// the jackknife's eigen-decomposition. Indices are 0-based: coupling[i] joins
// rows i and i + 1.
#pragma once

#include "numeric/decomposition_path.h"
#include "numeric/sizes.h"

namespace talvex {

/// The eigenvalues of the n x n tridiagonal matrix (diagonal, coupling) into
/// values, descending, by root-free QL in the reversed orientation (see the
/// source): O(n^2). TFallbackCause::None, or why values have no meaning: the
/// sweep bound was reached (the floating-point flags are then left as they
/// are) or a flag was raised (and is cleared).
TFallbackCause TridiagonalEigenvalues(const double* diagonal, const double* coupling, TSize n,
                                      double* values);

}  // namespace talvex
