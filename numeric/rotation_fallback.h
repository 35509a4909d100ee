// The jackknife decomposition's fallback: the QL rotations of the exact
// scheme applied to Q, for the matrices whose twisted vectors cannot be
// trusted. Indices of the tridiagonal form are 0-based: coupling[i] joins
// rows i and i + 1.
#pragma once

#include "numeric/float_matrix.h"
#include "numeric/float_vector.h"

namespace talvex {

/// The reduction's result in the form of Tridiagonalize: Q formed in `a`
/// from the reflections ReduceLowerBlocked left there, then T (diagonal,
/// coupling) and the columns of Q reversed into its orientation, with d :=
/// diagonal and e := off-diagonal (e[1] = 0, e[i] joining rows i - 1 and i).
void AsTridiagonalizeResult(TFloatMatrix& a, TSize n, const double* diagonal,
                            const double* coupling, TFloatVector& d, TFloatVector& e);

/// AsTridiagonalizeResult into (work, eigenvalues, offDiag) (4/3 p^3), then
/// TridiagonalQL with its rotations applied to Q (about 3 p^3 per average
/// sweep count), sorted descending, with the unit, signed vectors in
/// eigenvectors. offDiag is left with no meaning.
void RotationFallbackAxes(TFloatMatrix& work, TSize p, const double* diagonal,
                          const double* coupling, TFloatVector& eigenvalues, TFloatVector& offDiag,
                          TFloatMatrix& eigenvectors);

}  // namespace talvex
