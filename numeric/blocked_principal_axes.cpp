// The jackknife's eigen-decomposition (see the header): the stages joined,
// and the one boundary between the one-based containers and the 0-based
// kernels. Inside, T is (diagonal, coupling) with coupling[i] joining rows i
// and i + 1.
#include "numeric/blocked_principal_axes.h"

#include <vector>

#include "numeric/blocked_reflections.h"
#include "numeric/container_checks.h"
#include "numeric/float_faults.h"
#include "numeric/principal_axes.h"
#include "numeric/root_free_ql.h"
#include "numeric/rotation_fallback.h"
#include "numeric/statistics.h"
#include "numeric/tridiagonal_eigenvectors.h"

namespace talvex {

void ReduceToTridiagonalBlocked(TFloatMatrix& a, TSize n, TFloatVector& d, TFloatVector& e) {
  detail::RequireReadable(a, n, n);
  detail::RequireWritable(d, n);
  detail::RequireWritable(e, n);
  std::vector<double> diagonal(n), coupling(n);
  ReduceLowerBlocked(a.Column(1), a.MaxRows(), n, diagonal.data(), coupling.data());
  AsTridiagonalizeResult(a, n, diagonal.data(), coupling.data(), d, e);
  CheckFloatFaults();
}

TDecompositionPath BlockedPrincipalAxesOf(TFloatMatrix& work, TSize p, double& trace,
                                          TFloatVector& offDiag, TFloatVector& eigenvalues,
                                          TFloatMatrix& eigenvectors) {
  detail::RequireReadable(work, p, p);
  detail::RequireWritable(offDiag, p);
  detail::RequireWritable(eigenvalues, p);
  detail::RequireWritable(eigenvectors, p, p);
  trace = MatrixTrace(work, p);
  double* A = work.Column(1);
  const std::size_t ld = work.MaxRows();
  std::vector<double> diagonal(p), coupling(p);
  ReduceLowerBlocked(A, ld, p, diagonal.data(), coupling.data());
  CheckFloatFaults();

  // The eigenvalues alone, then each eigenvector of T, then back through the
  // reflections: no rotation ever touches a p x p matrix.
  TDecompositionPath path;
  path.fallback = TridiagonalEigenvalues(diagonal.data(), coupling.data(), p, eigenvalues.Data());
  eigenvalues.Extend(p);
  if (!path.FellBack()) {
    TFloatMatrix vectors(p, p);  // of T, then of the matrix, before their signs
    path.fallback = TridiagonalEigenvectors(diagonal.data(), coupling.data(), p, eigenvalues.Data(),
                                            vectors.Column(1), vectors.MaxRows(), path);
    if (!path.FellBack()) {
      ApplyReflectionProduct(A, ld, p, vectors.Column(1), vectors.MaxRows());
      SignedUnitAxes(vectors, p, eigenvectors);
      return path;
    }
  }
  path.twistedVectors = 0;
  path.clusterSizes.clear();
  RotationFallbackAxes(work, p, diagonal.data(), coupling.data(), eigenvalues, offDiag,
                       eigenvectors);
  return path;
}

}  // namespace talvex
