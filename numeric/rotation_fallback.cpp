// The rotations (see the header), in the orientation of Tridiagonalize,
// whose last row is reduced first: T and Q are reversed so that
// TridiagonalQL, which works from the top down, meets the form the exact
// scheme gives it, and needs a sixth to a fifth fewer rotations than on the
// forward form.
#include "numeric/rotation_fallback.h"

#include "numeric/blocked_reflections.h"
#include "numeric/principal_axes.h"

namespace talvex {

void AsTridiagonalizeResult(TFloatMatrix& a, TSize n, const double* diagonal,
                            const double* coupling, TFloatVector& d, TFloatVector& e) {
  double* A = a.Column(1);
  const std::size_t ld = a.MaxRows();
  FormReflectionProduct(A, ld, n);
  ReverseColumns(A, ld, n);
  // The one-based convention at this boundary: element i + 1 of d and e.
  double* dd = d.Data();
  double* ee = e.Data();
  for (TSize i = 0; i < n; ++i) dd[i] = diagonal[n - 1 - i];
  if (n >= 1) ee[0] = 0.0;
  for (TSize i = 1; i < n; ++i) ee[i] = coupling[n - 1 - i];
  d.Extend(n);
  e.Extend(n);
}

void RotationFallbackAxes(TFloatMatrix& work, TSize p, const double* diagonal,
                          const double* coupling, TFloatVector& eigenvalues, TFloatVector& offDiag,
                          TFloatMatrix& eigenvectors) {
  AsTridiagonalizeResult(work, p, diagonal, coupling, eigenvalues, offDiag);
  TridiagonalQL(eigenvalues, offDiag, p, work);
  SortEigenpairs(eigenvalues, work, p);
  SignedUnitAxes(work, p, eigenvectors);
}

}  // namespace talvex
