// A second symmetric eigen-decomposition for the jackknife's reduced samples,
// agreeing with PrincipalAxesOf up to rounding rather than bit for bit (the
// full-sample axes, whose signs the report prints, keep the exact scheme):
//  1. Householder reduction to tridiagonal form T, forward over the lower
//     triangle in one pass per column (the rank-two update of a step fused
//     with the matrix-vector product of the next), in vector lanes: 4/3 p^3.
//  2. The eigenvalues of T by root-free QL: O(p^2).
//  3. Each eigenvector of T by a twisted factorisation of T - lambda I, four
//     eigenvalues at a time: O(p^2). Eigenvalues closer than 1e-6 of |T| are
//     resolved together (Gram-Schmidt, then the eigenvectors of T projected
//     on their span).
//  4. The vectors back through the reflections, four at a time in compact WY
//     form: 2 p^3.
// Where a cluster is too large or collapses, a residual exceeds 1e-13 of |T|
// or a step faults, the rotations of the QL algorithm are applied to Q
// instead, as in PrincipalAxesOf. The lanes are fixed in the code, so the
// results are the same on every processor and for every thread.
#pragma once

#include "numeric/float_matrix.h"
#include "numeric/float_vector.h"

namespace talvex {

/// a (n x n symmetric, both triangles set) := Q, d := diagonal and e :=
/// off-diagonal (e[1] = 0) of T = Q^T a Q: the contract of Tridiagonalize.
void ReduceToTridiagonalBlocked(TFloatMatrix& a, TSize n, TFloatVector& d, TFloatVector& e);

/// The contract of PrincipalAxesOf: trace, eigenvalues (descending) and unit
/// eigenvectors with the sign convention; `work` and `offDiag` are left with
/// no meaning.
void BlockedPrincipalAxesOf(TFloatMatrix& work, TSize p, double& trace, TFloatVector& offDiag,
                            TFloatVector& eigenvalues, TFloatMatrix& eigenvectors);

}  // namespace talvex
