// The wide routes of the full sample (through the objects' products and
// through the dispersion matrix by the blocked decomposition) against the
// exact scheme, on small data: more variables than objects, one fewer, as
// many, rank-deficient data and a constant variable.
#include "numeric/wide_principal_axes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "numeric/float_faults.h"
#include "numeric/principal_axes.h"
#include "numeric_test_support.h"
#include "tests/support/factor_data.h"

namespace talvex {
namespace {

using testing::Dot;

// n x p data with a common factor, so the leading eigenvalues stand apart.
TFloatMatrix FactorData(TSize n, TSize p, unsigned seed) {
  return testing::FactorData(n, p, seed, 0.05);
}

// The eigenvalues within `rank` agree with the exact scheme's to 1e-12 of
// the largest, those past it are exactly 0 on the route through the objects;
// each axis whose eigenvalue stands apart is the exact one up to sign, of
// unit length, and turned so that its largest coefficient is positive.
void ExpectAgreement(const TPrincipalAxes& exact, const TLeadingAxes& wide, TSize p, TSize k,
                     TSize rank) {
  const double largest = exact.eigenvalues.GetValue(1);
  EXPECT_NEAR(wide.trace, exact.trace, 1e-12 * exact.trace);
  for (TSize c = 1; c <= p; ++c) {
    if (c <= rank) {
      EXPECT_NEAR(wide.eigenvalues.GetValue(c), exact.eigenvalues.GetValue(c), 1e-12 * largest)
          << c;
    } else {
      EXPECT_NEAR(exact.eigenvalues.GetValue(c), 0.0, 1e-12 * largest) << c;
      if (wide.route == TAxesRoute::ThroughObjects) {
        EXPECT_EQ(wide.eigenvalues.GetValue(c), 0.0);
      }
    }
  }
  for (TSize a = 1; a <= std::min(k, rank); ++a) {
    const double gap = std::min(
        a > 1 ? exact.eigenvalues.GetValue(a - 1) - exact.eigenvalues.GetValue(a) : largest,
        a < p ? exact.eigenvalues.GetValue(a) - exact.eigenvalues.GetValue(a + 1) : largest);
    EXPECT_NEAR(Dot(wide.eigenvectors, a, wide.eigenvectors, a, p), 1.0, 1e-13) << a;
    if (gap > 1e-3 * largest) {
      EXPECT_NEAR(std::fabs(Dot(wide.eigenvectors, a, exact.eigenvectors, a, p)), 1.0, 1e-10) << a;
    }
    TSize top = 1;
    for (TSize j = 2; j <= p; ++j)
      if (std::fabs(wide.eigenvectors.GetValue(j, a)) >
          std::fabs(wide.eigenvectors.GetValue(top, a)))
        top = j;
    EXPECT_GT(wide.eigenvectors.GetValue(top, a), 0.0) << a;
  }
}

struct TShape {
  TSize n, p;
};

TEST(WidePrincipalAxes, BothRoutesAgreeWithTheExactScheme) {
  // More variables than objects, one fewer (the rank is then p), as many.
  for (const TShape shape : {TShape{8, 12}, TShape{9, 8}, TShape{8, 8}, TShape{5, 40}}) {
    const TSize n = shape.n, p = shape.p, k = std::min<TSize>(p, 5);
    const TFloatMatrix x = FactorData(n, p, 7 + n + p);
    for (DispersionMethod method : {DispersionMethod::Covariance, DispersionMethod::Correlation}) {
      SCOPED_TRACE(::testing::Message() << n << " x " << p << " method " << int(method));
      ClearFloatFaults();
      const TPrincipalAxes exact = PrincipalAxes(n, p, x, method);
      const TSize rank = std::min(p, n - 1);
      const TLeadingAxes gram =
          LeadingPrincipalAxes(x, n, p, method, k, TAxesRoute::ThroughObjects);
      EXPECT_EQ(gram.route, TAxesRoute::ThroughObjects);
      EXPECT_EQ(gram.rank, rank);
      ASSERT_EQ(gram.eigenvectors.GetSize(), (TFloatMatrix::TExtent{p, k}));
      ExpectAgreement(exact, gram, p, k, rank);
      const TLeadingAxes direct = LeadingPrincipalAxes(x, n, p, method, k, TAxesRoute::Dispersion);
      EXPECT_EQ(direct.route, TAxesRoute::Dispersion);
      ExpectAgreement(exact, direct, p, k, rank);
    }
  }
}

// Objects built from three factors alone: rank 3 whatever n and p. The
// axes past it are not determined by the data and come back as zeros.
TEST(WidePrincipalAxes, RankDeficientDataKeepTheirRank) {
  const TSize n = 10, p = 14, k = 5;
  std::mt19937 rng(3);
  std::normal_distribution<double> normal;
  TFloatMatrix factors(n, 3), x(n, p);
  for (TSize i = 1; i <= n; ++i)
    for (TSize f = 1; f <= 3; ++f) factors.SetValue(i, f, normal(rng));
  for (TSize j = 1; j <= p; ++j) {
    const double b1 = normal(rng), b2 = normal(rng), b3 = normal(rng);
    for (TSize i = 1; i <= n; ++i)
      x.SetValue(i, j,
                 10.0 * j + b1 * factors.GetValue(i, 1) + b2 * factors.GetValue(i, 2) +
                     b3 * factors.GetValue(i, 3));
  }
  for (DispersionMethod method : {DispersionMethod::Covariance, DispersionMethod::Correlation}) {
    SCOPED_TRACE(int(method));
    ClearFloatFaults();
    const TPrincipalAxes exact = PrincipalAxes(n, p, x, method);
    const TLeadingAxes gram = LeadingPrincipalAxes(x, n, p, method, k, TAxesRoute::ThroughObjects);
    EXPECT_EQ(gram.rank, 3u);
    ExpectAgreement(exact, gram, p, k, 3);
    for (TSize a = 4; a <= k; ++a)
      for (TSize j = 1; j <= p; ++j) EXPECT_EQ(gram.eigenvectors.GetValue(j, a), 0.0);
  }
}

// A constant variable: under covariances it has no share in any axis;
// under correlations it cannot be standardised, and the run stops with a
// floating-point fault, as the exact scheme's does.
TEST(WidePrincipalAxes, ConstantVariable) {
  const TSize n = 7, p = 11, k = 3;
  TFloatMatrix x = FactorData(n, p, 5);
  for (TSize i = 1; i <= n; ++i) x.SetValue(i, 4, 2.5);
  ClearFloatFaults();
  const TPrincipalAxes exact = PrincipalAxes(n, p, x, DispersionMethod::Covariance);
  const TLeadingAxes gram =
      LeadingPrincipalAxes(x, n, p, DispersionMethod::Covariance, k, TAxesRoute::ThroughObjects);
  ExpectAgreement(exact, gram, p, k, n - 1);
  for (TSize a = 1; a <= k; ++a) EXPECT_EQ(gram.eigenvectors.GetValue(4, a), 0.0);
  for (TAxesRoute route : {TAxesRoute::ThroughObjects, TAxesRoute::Dispersion}) {
    ClearFloatFaults();
    EXPECT_THROW(LeadingPrincipalAxes(x, n, p, DispersionMethod::Correlation, k, route), Exception);
    ClearFloatFaults();
  }
}

TEST(WidePrincipalAxes, SignRuleTakesTheLargestCoefficientAndThenTheLowestNumber) {
  TFloatMatrix axes =
      testing::MatrixOf({{-0.6, 0.0, 0.5}, {0.6, -0.8, -0.5}, {0.0, 0.6, 0.0}, {0.2, 0.0, 0.1}});
  TurnByLargestCoefficient(axes, 4, 3);
  EXPECT_EQ(axes.GetValue(1, 1), 0.6);  // a tie: variable 1 decides
  EXPECT_EQ(axes.GetValue(2, 1), -0.6);
  EXPECT_EQ(axes.GetValue(2, 2), 0.8);              // the largest, turned positive
  EXPECT_FALSE(std::signbit(axes.GetValue(1, 2)));  // a zero stays +0
  EXPECT_EQ(axes.GetValue(1, 3), 0.5);  // a tie won by a positive coefficient: unchanged
}

// The route the sizes choose: up to the exact scheme's limit never these;
// beyond it through the objects from as many variables as objects on.
TEST(WidePrincipalAxes, RouteBySizes) {
  EXPECT_FALSE(WideThroughObjects(10, 255));
  EXPECT_TRUE(WideThroughObjects(10, 256));
  EXPECT_TRUE(WideThroughObjects(300, 300));
  EXPECT_FALSE(WideThroughObjects(301, 300));
  EXPECT_EQ(DefaultFactorCount(5, 255), 255u);
  EXPECT_EQ(DefaultFactorCount(500, 256), 10u);
  EXPECT_EQ(DefaultFactorCount(3, 100000), 2u);
  const TFloatMatrix x = FactorData(20, 300, 1);
  ClearFloatFaults();
  EXPECT_EQ(LeadingPrincipalAxes(x, 20, 300, DispersionMethod::Correlation, 2).route,
            TAxesRoute::ThroughObjects);
}

}  // namespace
}  // namespace talvex
