// Eigenvectors of a symmetric tridiagonal matrix by twisted factorisations,
// eight eigenvalues at a time in vector lanes. Indices are 0-based: coupling[i]
// joins rows i and i + 1.
#pragma once

#include "numeric/sizes.h"

namespace talvex {

/// Eigenvalues handled together, one per lane.
constexpr TSize TwistedGroup = 8;

/// Unit eigenvectors z[t] (n elements each) of the n x n tridiagonal T
/// (diagonal, coupling), n >= 1, for its eigenvalues lambdas[t], t <
/// TwistedGroup, by the twisted factorisation of T - lambda I: the LDL^T
/// pivots from the top and the UDU^T pivots from the bottom meet at the row k
/// where the pair's combined pivot gamma_k is smallest, and z with z_k = 1
/// solves (T - lambda I) z = gamma_k e_k by products alone. A pivot below
/// pivotFloor is replaced by -pivotFloor (a change of T of that size).
/// residuals[t] := the largest element of |(T - lambda I) z[t]|. work: 32 n.
/// Beyond FastArithmeticAbove rows each z[t] is scaled to unit length by
/// the reciprocal of its length.
/// O(n) per vector.
void TwistedEigenvectors(const double* diagonal, const double* coupling, TSize n,
                         const double* lambdas, double pivotFloor, double* const* z, double* work,
                         double* residuals);

}  // namespace talvex
