// A second symmetric eigen-decomposition for the jackknife's reduced samples,
// agreeing with PrincipalAxesOf up to rounding rather than bit for bit (the
// full-sample axes, whose signs the report prints, keep the exact scheme).
// Its stages, each in its own file:
//  1. Householder reduction to tridiagonal form T, forward over the lower
//     triangle in vector lanes (blocked_reflections): 4/3 p^3.
//  2. The eigenvalues of T by root-free QL (root_free_ql): O(p^2).
//  3. Each eigenvector of T by a twisted factorisation of T - lambda I, with
//     clusters of close eigenvalues resolved together
//     (tridiagonal_eigenvectors, twisted_eigenvectors): O(p^2) plus the
//     clusters.
//  4. The vectors back through the reflections in compact WY form
//     (blocked_reflections): 2 p^3.
// Where stage 2 or 3 cannot be trusted (see TFallbackCause), the rotations of
// the QL algorithm are applied to Q instead, as in PrincipalAxesOf
// (rotation_fallback). The lanes are fixed in the code, so the results are
// the same on every processor and for every thread.
#pragma once

#include "numeric/decomposition_path.h"
#include "numeric/float_matrix.h"
#include "numeric/float_vector.h"

namespace talvex {

/// a (n x n symmetric, both triangles set) := Q, d := diagonal and e :=
/// off-diagonal (e[1] = 0) of T = Q^T a Q: the contract of Tridiagonalize.
void ReduceToTridiagonalBlocked(TFloatMatrix& a, TSize n, TFloatVector& d, TFloatVector& e);

/// The contract of PrincipalAxesOf: trace, eigenvalues (descending) and unit
/// eigenvectors with the sign convention; `work` and `offDiag` are left with
/// no meaning. Returns the path the decomposition took, which the results do
/// not depend on.
TDecompositionPath BlockedPrincipalAxesOf(TFloatMatrix& work, TSize p, double& trace,
                                          TFloatVector& offDiag, TFloatVector& eigenvalues,
                                          TFloatMatrix& eigenvectors);

}  // namespace talvex
