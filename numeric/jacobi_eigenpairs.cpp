// Cyclic Jacobi rotations with the relative stopping rule.
#include "numeric/jacobi_eigenpairs.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <vector>

#include "numeric/float_faults.h"

namespace talvex {

namespace {

constexpr double Epsilon = std::numeric_limits<double>::epsilon();
// Quadratic convergence settles ordinary matrices in under ten sweeps.
constexpr int MaxSweeps = 60;

}  // namespace

bool JacobiEigenpairs(TFloatMatrix& a, TSize p, TFloatVector& values, TFloatMatrix& vectors) {
  if (p == 0) return true;
  a.GetValue(p, p);
  vectors.GetValue(p, p);
  values.GetValue(p);
  const std::size_t lda = a.MaxRows(), ldv = vectors.MaxRows();
  double* A = a.Column(1);
  double* V = vectors.Column(1);
  // The whole matrix from its lower triangle; V := I.
  for (TSize j = 0; j < p; ++j) {
    for (TSize i = 0; i < j; ++i) A[i + j * lda] = A[j + i * lda];
    for (TSize i = 0; i < p; ++i) V[i + j * ldv] = i == j ? 1.0 : 0.0;
  }
  bool settled = false;
  for (int sweep = 0; sweep < MaxSweeps && !settled; ++sweep) {
    settled = true;
    for (TSize i = 0; i + 1 < p; ++i) {
      for (TSize j = i + 1; j < p; ++j) {
        double* ci = A + i * lda;
        double* cj = A + j * lda;
        const double aij = cj[i];
        if (aij == 0.0) continue;
        const double aii = ci[i], ajj = cj[j];
        if (std::fabs(aij) <= Epsilon * std::sqrt(std::fabs(aii)) * std::sqrt(std::fabs(ajj)))
          continue;
        settled = false;
        // The rotation that zeroes a_ij, the smaller of the two angles.
        const double theta = (ajj - aii) / (2.0 * aij);
        const double t =
            std::fabs(theta) > 1e150
                ? 0.5 / theta
                : std::copysign(1.0, theta) / (std::fabs(theta) + std::sqrt(1.0 + theta * theta));
        const double c = 1.0 / std::sqrt(1.0 + t * t);
        const double s = t * c;
        for (TSize k = 0; k < p; ++k) {
          const double x = ci[k], y = cj[k];
          ci[k] = c * x - s * y;
          cj[k] = s * x + c * y;
        }
        for (TSize k = 0; k < p; ++k) {
          A[i + k * lda] = ci[k];
          A[j + k * lda] = cj[k];
        }
        ci[i] = aii - t * aij;
        cj[j] = ajj + t * aij;
        ci[j] = cj[i] = 0.0;
        double* vi = V + i * ldv;
        double* vj = V + j * ldv;
        for (TSize k = 0; k < p; ++k) {
          const double x = vi[k], y = vj[k];
          vi[k] = c * x - s * y;
          vj[k] = s * x + c * y;
        }
      }
    }
  }
  CheckFloatFaults();
  if (!settled) return false;

  // Descending, the vectors moved with their values.
  std::vector<TSize> order(p);
  std::iota(order.begin(), order.end(), TSize(0));
  std::stable_sort(order.begin(), order.end(),
                   [&](TSize x, TSize y) { return A[x + x * lda] > A[y + y * lda]; });
  std::vector<double> sorted(std::size_t(p) * p);
  for (TSize c = 0; c < p; ++c) {
    values.Data()[c] = A[order[c] + order[c] * lda];
    std::copy_n(V + order[c] * ldv, p, sorted.begin() + std::size_t(c) * p);
  }
  for (TSize c = 0; c < p; ++c) std::copy_n(sorted.begin() + std::size_t(c) * p, p, V + c * ldv);
  values.Extend(p);
  vectors.Extend(p, p);
  return true;
}

}  // namespace talvex
