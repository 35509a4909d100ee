// The jackknife's eigen-decomposition (see the header): the stages joined,
// and the one boundary between the one-based containers and the 0-based
// kernels. Inside, T is (diagonal, coupling) with coupling[i] joining rows i
// and i + 1.
#include "numeric/blocked_principal_axes.h"

#include <algorithm>
#include <vector>

#include "numeric/block_reflector.h"
#include "numeric/blocked_reflections.h"
#include "numeric/container_checks.h"
#include "numeric/float_faults.h"
#include "numeric/panel_reduction.h"
#include "numeric/principal_axes.h"
#include "numeric/rotation_fallback.h"
#include "numeric/split_tridiagonal.h"
#include "numeric/statistics.h"

namespace talvex {

namespace {

/// The reduction by panels where they pay, in one pass per step below.
void ReduceLower(double* A, std::size_t ld, TSize n, double* diagonal, double* coupling) {
  if (n > PanelCrossover) {
    ReduceLowerPanels(A, ld, n, diagonal, coupling);
  } else {
    ReduceLowerBlocked(A, ld, n, diagonal, coupling);
  }
}

}  // namespace

void ReduceToTridiagonalBlocked(TFloatMatrix& a, TSize n, TFloatVector& d, TFloatVector& e) {
  detail::RequireReadable(a, n, n);
  detail::RequireWritable(d, n);
  detail::RequireWritable(e, n);
  std::vector<double> diagonal(n), coupling(n);
  ReduceLower(a.Column(1), a.MaxRows(), n, diagonal.data(), coupling.data());
  AsTridiagonalizeResult(a, n, diagonal.data(), coupling.data(), d, e);
  CheckFloatFaults();
}

TDecompositionPath BlockedPrincipalAxesOf(TFloatMatrix& work, TSize p, double& trace,
                                          TFloatVector& offDiag, TFloatVector& eigenvalues,
                                          TFloatMatrix& eigenvectors) {
  return BlockedPrincipalAxesOf(work, p, trace, offDiag, eigenvalues, eigenvectors, p);
}

TDecompositionPath BlockedPrincipalAxesOf(TFloatMatrix& work, TSize p, double& trace,
                                          TFloatVector& offDiag, TFloatVector& eigenvalues,
                                          TFloatMatrix& eigenvectors, TSize axisCount) {
  detail::RequireReadable(work, p, p);
  detail::RequireWritable(offDiag, p);
  detail::RequireWritable(eigenvalues, p);
  detail::RequireWritable(eigenvectors, p, p);
  const TSize axes = std::min(std::max<TSize>(axisCount, 1), p);
  trace = MatrixTrace(work, p);
  double* A = work.Column(1);
  const std::size_t ld = work.MaxRows();
  std::vector<double> diagonal(p), coupling(p);
  ReduceLower(A, ld, p, diagonal.data(), coupling.data());
  CheckFloatFaults();

  // The eigenvalues alone, then each wanted eigenvector of T, then back
  // through the reflections: no rotation ever touches a p x p matrix. The
  // vectors are formed in place in `eigenvectors`.
  TDecompositionPath path;
  double* Z = eigenvectors.Column(1);
  const std::size_t ldz = eigenvectors.MaxRows();
  path.fallback = TridiagonalEigenpairs(diagonal.data(), coupling.data(), p, axes,
                                        eigenvalues.Data(), Z, ldz, path);
  eigenvalues.Extend(p);
  if (!path.FellBack()) {
    if (p > PanelCrossover) {
      ApplyBlockReflectors(A, ld, p, Z, ldz, axes);
    } else {
      ApplyReflectionProduct(A, ld, p, Z, ldz, axes);
    }
    SignedUnitAxesSummedInLanes(eigenvectors, p, axes);
    return path;
  }
  path.twistedVectors = 0;
  path.clusterSizes.clear();
  RotationFallbackAxes(work, p, diagonal.data(), coupling.data(), eigenvalues, offDiag,
                       eigenvectors);
  return path;
}

}  // namespace talvex
