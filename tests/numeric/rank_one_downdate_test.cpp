// The eigenpairs of diag(d) - rho z z^T from the secular equation agree with
// the matrix decomposed directly, with orthonormal vectors, also where
// deflation decides: negligible z, equal and nearly equal values, zeros.
#include "numeric/rank_one_downdate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "numeric/principal_axes.h"

namespace talvex {
namespace {

struct TProblem {
  std::vector<double> d, z;
  double rho = 1.0;
};

// Checks every eigenvalue against the dense matrix decomposed by the exact
// scheme, and the vectors: unit length, at right angles, and each an
// eigenvector (|M w - lambda w| small).
void ExpectAgreesWithDirect(const TProblem& problem, double tolerance) {
  const TSize n = TSize(problem.d.size());
  TFloatMatrix dense(n, n), vectors(n, n);
  for (TSize r = 1; r <= n; ++r)
    for (TSize c = 1; c <= n; ++c)
      dense.SetValue(
          r, c,
          (r == c ? problem.d[r - 1] : 0.0) - problem.rho * problem.z[r - 1] * problem.z[c - 1]);
  const TFloatMatrix original = dense;
  TFloatVector offDiag(n), expected(n);
  double trace = 0.0;
  PrincipalAxesOf(dense, n, trace, offDiag, expected, vectors);

  std::vector<double> values(n), W(std::size_t(n) * n);
  TDowndateWork work;
  ASSERT_TRUE(DowndatedEigenpairs(problem.d.data(), problem.z.data(), problem.rho, n, n,
                                  values.data(), W.data(), n, work));
  double scale = 0.0;
  for (TSize c = 1; c <= n; ++c) scale = std::max(scale, std::fabs(expected.GetValue(c)));
  for (TSize c = 0; c < n; ++c) {
    EXPECT_NEAR(values[c], expected.GetValue(c + 1), tolerance * scale) << c;
    const double* w = W.data() + std::size_t(c) * n;
    for (TSize b = 0; b <= c; ++b) {
      double dot = 0.0;
      for (TSize r = 0; r < n; ++r) dot += w[r] * W[std::size_t(b) * n + r];
      EXPECT_NEAR(dot, b == c ? 1.0 : 0.0, tolerance) << b << ' ' << c;
    }
    double residual = 0.0;
    for (TSize r = 1; r <= n; ++r) {
      double row = -values[c] * w[r - 1];
      for (TSize k = 1; k <= n; ++k) row += original.GetValue(r, k) * w[k - 1];
      residual += row * row;
    }
    EXPECT_LE(std::sqrt(residual), tolerance * scale) << c;
  }
}

TProblem Random(TSize n, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> uniform(0.0, 10.0);
  std::normal_distribution<double> normal(0.0, 1.0);
  TProblem problem;
  for (TSize i = 0; i < n; ++i) {
    problem.d.push_back(uniform(random));
    problem.z.push_back(normal(random));
  }
  std::sort(problem.d.begin(), problem.d.end(), std::greater<>());
  problem.rho = 0.3;
  return problem;
}

TEST(RankOneDowndate, AgreesWithTheMatrixDecomposedDirectly) {
  for (TSize n : {1u, 2u, 3u, 10u, 60u, 200u}) {
    SCOPED_TRACE(n);
    ExpectAgreesWithDirect(Random(n, n), 1e-12);
  }
}

TEST(RankOneDowndate, DeflatesNegligibleAndRepeatedCoordinates) {
  TProblem problem = Random(40, 11);
  // Exact zeros of z, a z below rounding, a value three times over, a pair
  // closer than rounding, and zero values (a rank-deficient full sample).
  problem.z[3] = 0.0;
  problem.z[7] = 1e-300;
  problem.z[12] = 1e-17;
  problem.d[20] = problem.d[21] = problem.d[22] = problem.d[20];
  problem.d[26] = problem.d[25] * (1.0 + 1e-16);
  for (TSize i = 36; i < 40; ++i) problem.d[i] = 0.0;
  std::sort(problem.d.begin(), problem.d.end(), std::greater<>());
  ExpectAgreesWithDirect(problem, 1e-12);
}

TEST(RankOneDowndate, CloseEigenvaluesKeepOrthogonalVectors) {
  // Values 1e-9 apart: the vectors (delta - mu)^-1 z would lose their
  // orthogonality without z recomputed from the eigenvalues found.
  TProblem problem;
  for (TSize i = 0; i < 30; ++i) {
    problem.d.push_back(5.0 - 1e-9 * i);
    problem.z.push_back(1.0 + 0.01 * i);
  }
  problem.rho = 1e-3;
  ExpectAgreesWithDirect(problem, 1e-12);
}

TEST(RankOneDowndate, NothingToTakeAwayLeavesTheDiagonal) {
  const std::vector<double> d = {3.0, 2.0, 1.0};
  for (const auto& [z, rho] :
       {std::pair<std::vector<double>, double>{{0.0, 0.0, 0.0}, 1.0}, {{1.0, 2.0, 3.0}, 0.0}}) {
    std::vector<double> values(3), W(9);
    TDowndateWork work;
    ASSERT_TRUE(
        DowndatedEigenpairs(d.data(), z.data(), rho, 3, 3, values.data(), W.data(), 3, work));
    EXPECT_EQ(values, d);
    for (TSize c = 0; c < 3; ++c)
      for (TSize r = 0; r < 3; ++r) EXPECT_EQ(W[c * 3 + r], r == c ? 1.0 : 0.0);
  }
}

TEST(RankOneDowndate, OnlyTheFirstVectorsAreFormedWhenAsked) {
  const TProblem problem = Random(50, 5);
  std::vector<double> all(50), some(50), W(50 * 50), V(50 * 3, -7.0);
  TDowndateWork work;
  ASSERT_TRUE(DowndatedEigenpairs(problem.d.data(), problem.z.data(), problem.rho, 50, 50,
                                  all.data(), W.data(), 50, work));
  ASSERT_TRUE(DowndatedEigenpairs(problem.d.data(), problem.z.data(), problem.rho, 50, 3,
                                  some.data(), V.data(), 50, work));
  EXPECT_EQ(all, some);
  for (std::size_t i = 0; i < V.size(); ++i) EXPECT_EQ(V[i], W[i]) << i;
}

}  // namespace
}  // namespace talvex
