// A second symmetric eigen-decomposition for the jackknife's reduced samples:
// the same Householder / QL / sort / sign scheme as PrincipalAxesOf, with the
// tridiagonal reduction and the forming of Q rewritten for the memory system.
// Sums are taken in vector lanes and the reflections are applied four at a
// time in compact WY form, so the results agree with PrincipalAxesOf up to
// rounding, not bit for bit; they are the same on every processor and for
// every thread. The full-sample axes, whose signs the report prints, keep the
// exact scheme.
//
// Cost: 4/3 p^3 for the reduction, done as one pass over the trailing
// triangle per column (the rank-two update of one step fused with the
// matrix-vector product of the next), 4/3 p^3 for Q, and the QL sweeps.
#pragma once

#include "numeric/float_matrix.h"
#include "numeric/float_vector.h"

namespace talvex {

/// a (n x n symmetric, both triangles set) := Q, d := diagonal and e :=
/// off-diagonal (e[1] = 0) of T = Q^T a Q: the contract of Tridiagonalize.
void ReduceToTridiagonalBlocked(TFloatMatrix& a, TSize n, TFloatVector& d, TFloatVector& e);

/// PrincipalAxesOf with ReduceToTridiagonalBlocked in place of Tridiagonalize.
void BlockedPrincipalAxesOf(TFloatMatrix& work, TSize p, double& trace, TFloatVector& offDiag,
                            TFloatVector& eigenvalues, TFloatMatrix& eigenvectors);

}  // namespace talvex
