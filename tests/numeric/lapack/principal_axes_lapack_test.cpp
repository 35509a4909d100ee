// An independent check of the eigen-solver: the principal axes of random
// symmetric matrices (up to 300 x 300) against LAPACK's dsyev. Linked only
// into this test; the program itself uses no outside numerics.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <random>
#include <vector>

#include "numeric/blocked_principal_axes.h"
#include "numeric/float_faults.h"
#include "numeric/principal_axes.h"
#include "numeric/statistics.h"

extern "C" void dsyev_(const char* jobz, const char* uplo, const int* n, double* a, const int* lda,
                       double* w, double* work, const int* lwork, int* info, std::size_t,
                       std::size_t);

namespace talvex {
namespace {

struct TReference {
  std::vector<double> values;   // ascending
  std::vector<double> vectors;  // column-major n x n
};

TReference Dsyev(const TFloatMatrix& a, int n) {
  TReference r{std::vector<double>(n), std::vector<double>(std::size_t(n) * n)};
  for (int j = 1; j <= n; ++j)
    for (int i = 1; i <= n; ++i)
      r.vectors[std::size_t(i - 1) + std::size_t(j - 1) * n] = a.GetValue(i, j);
  int lwork = -1, info = 0;
  double query = 0.0;
  dsyev_("V", "L", &n, r.vectors.data(), &n, r.values.data(), &query, &lwork, &info, 1, 1);
  lwork = int(query);
  std::vector<double> work(lwork);
  dsyev_("V", "L", &n, r.vectors.data(), &n, r.values.data(), work.data(), &lwork, &info, 1, 1);
  EXPECT_EQ(info, 0);
  return r;
}

double worstValueError = 0.0, worstVectorError = 0.0;

using TDecomposition = void (*)(TFloatMatrix&, TSize, double&, TFloatVector&, TFloatVector&,
                                TFloatMatrix&);

/// The jackknife's solver, its path record dropped.
void BlockedAxes(TFloatMatrix& work, TSize p, double& trace, TFloatVector& offDiag,
                 TFloatVector& eigenvalues, TFloatMatrix& eigenvectors) {
  BlockedPrincipalAxesOf(work, p, trace, offDiag, eigenvalues, eigenvectors);
}

/// Both solvers: the exact scheme of the full sample and the blocked one of
/// the jackknife.
void CompareWithDsyev(const TFloatMatrix& a, TSize p) {
  const TReference ref = Dsyev(a, int(p));
  for (TDecomposition decompose : {&PrincipalAxesOf, &BlockedAxes}) {
    SCOPED_TRACE(decompose == &PrincipalAxesOf ? "exact" : "blocked");
    TFloatMatrix work = a, vectors(p, p);
    TFloatVector off(p), values(p);
    double trace = 0.0;
    ClearFloatFaults();
    decompose(work, p, trace, off, values, vectors);

    double largest = 0.0;
    for (double w : ref.values) largest = std::max(largest, std::fabs(w));
    double sum = 0.0;
    for (TSize j = 1; j <= p; ++j) {
      const std::size_t r = p - j;  // dsyev ascends, we descend
      const double valueError = std::fabs(values.GetValue(j) - ref.values[r]) / largest;
      EXPECT_LE(valueError, 1e-12) << "eigenvalue " << j;
      worstValueError = std::max(worstValueError, valueError);
      sum += values.GetValue(j);

      double length = 0.0, dot = 0.0;
      for (TSize i = 1; i <= p; ++i) {
        length += vectors.GetValue(i, j) * vectors.GetValue(i, j);
        dot += vectors.GetValue(i, j) * ref.vectors[(i - 1) + r * p];
      }
      EXPECT_NEAR(length, 1.0, 1e-13) << "eigenvector " << j;

      // An eigenvector is determined to about eps * |A| / gap, and only up to sign.
      double gap = largest;
      if (r > 0) gap = std::min(gap, ref.values[r] - ref.values[r - 1]);
      if (r + 1 < p) gap = std::min(gap, ref.values[r + 1] - ref.values[r]);
      const double sign = dot < 0 ? -1.0 : 1.0;
      double vectorError = 0.0;
      for (TSize i = 1; i <= p; ++i)
        vectorError = std::max(
            vectorError, std::fabs(sign * vectors.GetValue(i, j) - ref.vectors[(i - 1) + r * p]));
      EXPECT_LE(vectorError, 1e-12 * largest / gap + 1e-13)
          << "eigenvector " << j << ", gap " << gap;
      worstVectorError = std::max(worstVectorError, vectorError * gap / largest);
    }
    EXPECT_NEAR(sum, trace, 1e-12 * largest * p);
  }
}

TEST(PrincipalAxesVersusLapack, RandomSymmetricMatrices) {
  std::mt19937 rng(2024);
  std::uniform_real_distribution<double> uniform(-1.0, 1.0);
  for (TSize p : {1, 2, 3, 5, 10, 31, 50, 100, 200, 300}) {
    SCOPED_TRACE(::testing::Message() << "p = " << p);
    TFloatMatrix a(p, p);
    for (TSize j = 1; j <= p; ++j)
      for (TSize i = j; i <= p; ++i) {
        const double x = uniform(rng);
        a.SetValue(i, j, x);
        a.SetValue(j, i, x);
      }
    CompareWithDsyev(a, p);
  }
}

TEST(PrincipalAxesVersusLapack, DispersionMatricesOfCorrelatedData) {
  std::mt19937 rng(77);
  std::normal_distribution<double> normal;
  for (TSize p : {8, 60, 150}) {
    SCOPED_TRACE(::testing::Message() << "p = " << p);
    const TSize n = 2 * p;
    TFloatMatrix data(n, p);
    for (TSize i = 1; i <= n; ++i) {
      const double size = normal(rng);
      for (TSize j = 1; j <= p; ++j)
        data.SetValue(i, j, 50.0 + (1.0 + 0.01 * j) * size + 0.3 * normal(rng));
    }
    for (DispersionMethod method : {DispersionMethod::Covariance, DispersionMethod::Correlation}) {
      TFloatMatrix dispersion(p, p);
      ClearFloatFaults();
      DispersionMatrix(data, n, p, dispersion, method);
      CompareWithDsyev(dispersion, p);
    }
  }
  std::printf("worst eigenvalue deviation / largest |eigenvalue|: %.3g\n", worstValueError);
  std::printf("worst eigenvector deviation * gap / largest: %.3g\n", worstVectorError);
}

}  // namespace
}  // namespace talvex
