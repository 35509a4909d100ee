// The eigenpairs of a symmetric matrix by cyclic Jacobi rotations, for
// covariance matrices whose eigenvalues span more orders of magnitude than
// a reduction to tridiagonal form can resolve: that reduction finds every
// eigenvalue to about eps times the largest, so one 1e-17 of the largest
// comes out as noise, while Jacobi rotations, stopped only when each
// off-diagonal element is negligible beside the geometric mean of its two
// diagonal elements, find each eigenvalue of a positive semi-definite matrix
// to about eps times the condition of the matrix scaled to unit diagonal
// (Demmel and Veselic), however small it is.
//
// Cost: about 4 p^3 per sweep and some 6 to 10 sweeps, ten times the
// tridiagonal route or more; for the matrices that need it.
#pragma once

#include "numeric/float_matrix.h"
#include "numeric/float_vector.h"

namespace talvex {

/// The eigenvalues of the symmetric p x p matrix whose lower triangle is in
/// `a` into values (1..p, descending) and the unit eigenvectors into the
/// columns of `vectors` (p x p), the signs as the rotations leave them. `a`
/// is overwritten. Returns false where the sweeps did not settle (then
/// nothing has a meaning); raises the floating-point faults of its
/// arithmetic (float_faults.h).
bool JacobiEigenpairs(TFloatMatrix& a, TSize p, TFloatVector& values, TFloatMatrix& vectors);

}  // namespace talvex
