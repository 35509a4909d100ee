// The vectors of T (see the header): each by its twisted factorisation, then
// each cluster of close eigenvalues resolved by Rayleigh-Ritz on the span of
// its twisted vectors, then the residual of every vector checked.
#include "numeric/tridiagonal_eigenvectors.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "numeric/float_faults.h"
#include "numeric/float_matrix.h"
#include "numeric/float_vector.h"
#include "numeric/principal_axes.h"
#include "numeric/twisted_eigenvectors.h"

namespace talvex {

namespace {

/// Smallest pivot of a twisted factorisation, relative to |T|: a change of T
/// at the level of its own rounding, which keeps the products finite when
/// lambda is an eigenvalue to working precision.
constexpr double PivotFloor = std::numeric_limits<double>::epsilon();

/// Length below which a cluster's twisted vector, after the earlier ones are
/// projected out of it, counts as already in their span. The vectors are
/// unit, so less than this left over means they are all but parallel, and
/// normalising the rest would magnify their errors a thousandfold into the
/// new direction: the span has collapsed and the rotations must decide.
constexpr double CollapsedLength = 1e-3;

/// Largest element of |(T - lambda I) x|.
double TridiagonalResidual(const double* a, const double* b, TSize n, double lambda,
                           const double* x) {
  double residual = 0.0;
  for (TSize i = 0; i < n; ++i) {
    double row = (a[i] - lambda) * x[i];
    if (i > 0) row += b[i - 1] * x[i - 1];
    if (i + 1 < n) row += b[i] * x[i + 1];
    residual = std::max(residual, std::fabs(row));
  }
  return residual;
}

double Dot(const double* x, const double* y, TSize n) {
  double sum = 0.0;
  for (TSize i = 0; i < n; ++i) sum += x[i] * y[i];
  return sum;
}

/// The vectors of a cluster of close eigenvalues j0..j1-1, whose twisted
/// vectors are in those columns of Z: an orthonormal basis of their span
/// (Gram-Schmidt, twice), then the Rayleigh-Ritz step, the eigenvectors of
/// B = Q^T T Q turning the basis into the vectors. That resolves the vectors
/// inside the cluster as finely as the QL rotations would, which the twisted
/// factorisations alone cannot. False where the span collapses (two twisted
/// vectors nearly parallel, as for eigenvalues equal to rounding).
bool ResolveCluster(const double* a, const double* b, TSize n, TSize j0, TSize j1,
                    double* const* columns) {
  const TSize s = j1 - j0;
  auto column = [&](TSize j) { return columns[j]; };
  for (int pass = 0; pass < 2; ++pass) {
    for (TSize j = j0; j < j1; ++j) {
      double* x = column(j);
      for (TSize i = j0; i < j; ++i) {
        const double* q = column(i);
        const double projection = Dot(q, x, n);
        for (TSize r = 0; r < n; ++r) x[r] = x[r] - projection * q[r];
      }
      const double length = std::sqrt(Dot(x, x, n));
      if (!(length > CollapsedLength)) return false;
      for (TSize r = 0; r < n; ++r) x[r] = x[r] / length;
    }
  }
  // B into the one-based containers of PrincipalAxesOf, through their
  // column-major blocks.
  TFloatMatrix projected(s, s), basis(s, s);
  double* B = projected.Column(1);
  const std::size_t ldb = projected.MaxRows();
  std::vector<double> product(n);
  for (TSize l = 0; l < s; ++l) {
    const double* x = column(j0 + l);
    for (TSize i = 0; i < n; ++i) {
      double row = a[i] * x[i];
      if (i > 0) row += b[i - 1] * x[i - 1];
      if (i + 1 < n) row += b[i] * x[i + 1];
      product[i] = row;
    }
    for (TSize k = 0; k <= l; ++k) {
      const double entry = Dot(column(j0 + k), product.data(), n);
      B[k + l * ldb] = entry;
      B[l + k * ldb] = entry;
    }
  }
  TFloatVector off(s), values(s);
  double trace = 0.0;
  PrincipalAxesOf(projected, s, trace, off, values, basis);
  const double* W = basis.Column(1);
  const std::size_t ldw = basis.MaxRows();
  std::vector<double> turned(std::size_t(n) * s, 0.0);
  for (TSize l = 0; l < s; ++l) {
    double* into = turned.data() + std::size_t(l) * n;
    for (TSize k = 0; k < s; ++k) {
      const double w = W[k + l * ldw];
      const double* x = column(j0 + k);
      for (TSize r = 0; r < n; ++r) into[r] += w * x[r];
    }
  }
  for (TSize l = 0; l < s; ++l) std::copy_n(turned.data() + std::size_t(l) * n, n, column(j0 + l));
  return true;
}

}  // namespace

TFallbackCause TridiagonalEigenvectors(const double* diagonal, const double* coupling, TSize n,
                                       const double* values, TSize count, double* Z,
                                       std::size_t ldz, TDecompositionPath& path) {
  std::vector<double*> columns(n);
  for (TSize j = 0; j < n; ++j) columns[j] = Z + j * ldz;
  return TridiagonalEigenvectors(diagonal, coupling, n, values, count, columns.data(), path);
}

TFallbackCause TridiagonalEigenvectors(const double* diagonal, const double* coupling, TSize n,
                                       const double* values, TSize count, double* const* columns,
                                       TDecompositionPath& path) {
  const double* a = diagonal;
  const double* b = coupling;
  double norm = 0.0;
  for (TSize i = 0; i < n; ++i) {
    double row = std::fabs(a[i]);
    if (i > 0) row += std::fabs(b[i - 1]);
    if (i + 1 < n) row += std::fabs(b[i]);
    norm = std::max(norm, row);
  }
  if (norm == 0.0) return TFallbackCause::ZeroMatrix;
  // The columns computed: the first count, and the rest of a cluster that
  // column count - 1 belongs to.
  TSize computed = std::min(std::max<TSize>(count, 1), n);
  while (computed < n && !(values[computed - 1] - values[computed] >= ClusterGapLimit * norm))
    ++computed;
  // Kept by each thread from one call to the next (the jackknife makes one
  // per sample); the factorisations write every element they read.
  thread_local std::vector<double> work;
  work.resize(std::max(work.size(), 4 * std::size_t(n) * TwistedGroup));
  // A last group of fewer than four repeats its last eigenvalue into a spare
  // column that is then dropped.
  std::vector<double> spare(n), residuals(n + TwistedGroup);
  for (TSize j = 0; j < computed; j += TwistedGroup) {
    double lambdas[TwistedGroup];
    double* group[TwistedGroup];
    for (TSize t = 0; t < TwistedGroup; ++t) {
      const bool inside = j + t < computed;
      lambdas[t] = values[inside ? j + t : computed - 1];
      group[t] = inside ? columns[j + t] : spare.data();
    }
    TwistedEigenvectors(a, b, n, lambdas, PivotFloor * norm, group, work.data(),
                        residuals.data() + j);
  }
  // A fault of the factorisations is theirs to answer for, before the
  // clusters' own decompositions check the flags.
  if (TakeFloatFaults()) return TFallbackCause::VectorFault;
  path.twistedVectors = 0;
  path.clusterSizes.clear();
  for (TSize j0 = 0; j0 < computed;) {
    TSize j1 = j0 + 1;
    while (j1 < computed && !(values[j1 - 1] - values[j1] >= ClusterGapLimit * norm)) ++j1;
    const TSize size = j1 - j0;
    if (size > MaxClusterSize) return TFallbackCause::ClusterTooLarge;
    if (size == 1) {
      ++path.twistedVectors;
    } else {
      if (!ResolveCluster(a, b, n, j0, j1, columns)) return TFallbackCause::ClusterCollapsed;
      for (TSize j = j0; j < j1; ++j)
        residuals[j] = TridiagonalResidual(a, b, n, values[j], columns[j]);
      path.clusterSizes.push_back(size);
    }
    j0 = j1;
  }
  if (TakeFloatFaults()) return TFallbackCause::VectorFault;
  for (TSize j = 0; j < computed; ++j)
    if (!(residuals[j] <= ResidualLimit * norm)) return TFallbackCause::ResidualTooLarge;
  return TFallbackCause::None;
}

}  // namespace talvex
