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

/// One matrix for TridiagonalEigenvaluesOfTwo: its arguments to
/// TridiagonalEigenvalues.
struct TEigenvalueTask {
  const double* diagonal = nullptr;
  const double* coupling = nullptr;
  TSize n = 0;
  double* values = nullptr;
};

/// TridiagonalEigenvalues of two matrices at once, their iterations
/// interleaved (the chain of divisions of one leaves the divider free for
/// the other), each with the same bits as alone. True when both converged
/// with no floating-point flag raised; otherwise the flags are clear, the
/// values have no meaning and each matrix is to be solved alone, which
/// tells whose the fault is.
bool TridiagonalEigenvaluesOfTwo(const TEigenvalueTask& first, const TEigenvalueTask& second);

}  // namespace talvex
