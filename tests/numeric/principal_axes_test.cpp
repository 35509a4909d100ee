// The eigen-decomposition: the worked examples, the column-oriented solver
// against a literal element-by-element rendering of the same scheme (the two
// must agree bit for bit, since the report's eigenvector signs depend on the
// exact arithmetic), properties of PrincipalAxes, faults and range checks.
#include "numeric/principal_axes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "numeric/float_faults.h"
#include "numeric/statistics.h"
#include "numeric_test_support.h"

namespace talvex {
namespace {

using testing::ExpectThrowMessage;
using testing::MatrixOf;
using testing::RandomSymmetric;

class PrincipalAxesTest : public ::testing::Test {
 protected:
  void SetUp() override { ClearFloatFaults(); }
};

// ---- The scheme written out element by element through GetValue/SetValue.

void LiteralTridiagonalize(TFloatMatrix& a, TSize n, TFloatVector& d, TFloatVector& e) {
  auto A = [&](TSize r, TSize c) { return a.GetValue(r, c); };
  for (TSize i = n; i >= 2; --i) {
    const TSize l = i - 1;
    double h = 0.0, scale = 0.0;
    if (l > 1) {
      for (TSize k = 1; k <= l; ++k) scale += std::fabs(A(i, k));
      if (scale == 0.0) {
        e.SetValue(i, A(i, l));
      } else {
        for (TSize k = 1; k <= l; ++k) {
          a.SetValue(i, k, A(i, k) / scale);
          h += A(i, k) * A(i, k);
        }
        double f = A(i, l);
        double g = -TransferSign(std::sqrt(h), f);
        e.SetValue(i, scale * g);
        h -= f * g;
        a.SetValue(i, l, f - g);
        f = 0.0;
        for (TSize j = 1; j <= l; ++j) {
          a.SetValue(j, i, A(i, j) / h);
          g = 0.0;
          for (TSize k = 1; k <= j; ++k) g += A(j, k) * A(i, k);
          for (TSize k = j + 1; k <= l; ++k) g += A(k, j) * A(i, k);
          e.SetValue(j, g / h);
          f += e.GetValue(j) * A(i, j);
        }
        const double hh = f / (h + h);
        for (TSize j = 1; j <= l; ++j) {
          f = A(i, j);
          g = e.GetValue(j) - hh * f;
          e.SetValue(j, g);
          for (TSize k = 1; k <= j; ++k)
            a.SetValue(j, k, A(j, k) - f * e.GetValue(k) - g * A(i, k));
        }
      }
    } else {
      e.SetValue(i, A(i, l));
    }
    d.SetValue(i, h);
  }
  d.SetValue(1, 0.0);
  e.SetValue(1, 0.0);
  for (TSize i = 1; i <= n; ++i) {
    const TSize l = i - 1;
    if (d.GetValue(i) != 0.0) {
      for (TSize j = 1; j <= l; ++j) {
        double g = 0.0;
        for (TSize k = 1; k <= l; ++k) g += A(i, k) * A(k, j);
        for (TSize k = 1; k <= l; ++k) a.SetValue(k, j, A(k, j) - g * A(k, i));
      }
    }
    d.SetValue(i, A(i, i));
    a.SetValue(i, i, 1.0);
    for (TSize j = 1; j <= l; ++j) {
      a.SetValue(i, j, 0.0);
      a.SetValue(j, i, 0.0);
    }
  }
}

void LiteralQL(TFloatVector& d, TFloatVector& e, TSize n, TFloatMatrix& z) {
  for (TSize i = 2; i <= n; ++i) e.SetValue(i - 1, e.GetValue(i));
  e.SetValue(n, 0.0);
  for (TSize l = 1; l <= n; ++l) {
    for (;;) {
      TSize m = l;
      for (; m <= n - 1; ++m) {
        const double dd = std::fabs(d.GetValue(m)) + std::fabs(d.GetValue(m + 1));
        if (std::fabs(e.GetValue(m)) + dd == dd) break;
      }
      if (m == l) break;
      double g = (d.GetValue(l + 1) - d.GetValue(l)) / (2.0 * e.GetValue(l));
      double r = std::sqrt(g * g + 1.0);
      g = d.GetValue(m) - d.GetValue(l) + e.GetValue(l) / (g + TransferSign(r, g));
      double s = 1.0, c = 1.0, p = 0.0;
      for (TSize i = m - 1; i >= l && i >= 1; --i) {
        double f = s * e.GetValue(i);
        const double b = c * e.GetValue(i);
        if (std::fabs(f) >= std::fabs(g)) {
          c = g / f;
          r = std::sqrt(c * c + 1.0);
          e.SetValue(i + 1, f * r);
          s = 1.0 / r;
          c *= s;
        } else {
          s = f / g;
          r = std::sqrt(s * s + 1.0);
          e.SetValue(i + 1, g * r);
          c = 1.0 / r;
          s *= c;
        }
        g = d.GetValue(i + 1) - p;
        r = (d.GetValue(i) - g) * s + 2.0 * c * b;
        p = s * r;
        d.SetValue(i + 1, g + p);
        g = c * r - b;
        for (TSize k = 1; k <= n; ++k) {
          f = z.GetValue(k, i + 1);
          z.SetValue(k, i + 1, s * z.GetValue(k, i) + c * f);
          z.SetValue(k, i, c * z.GetValue(k, i) - s * f);
        }
      }
      d.SetValue(l, d.GetValue(l) - p);
      e.SetValue(l, g);
      e.SetValue(m, 0.0);
    }
  }
}

void ExpectSameBits(const TFloatMatrix& x, const TFloatMatrix& y, TSize n) {
  for (TSize j = 1; j <= n; ++j)
    for (TSize i = 1; i <= n; ++i)
      ASSERT_EQ(x.GetValue(i, j), y.GetValue(i, j)) << "element " << i << ", " << j;
}

void ExpectSameBits(const TFloatVector& x, const TFloatVector& y, TSize n) {
  for (TSize i = 1; i <= n; ++i) ASSERT_EQ(x.GetValue(i), y.GetValue(i)) << "element " << i;
}

TEST_F(PrincipalAxesTest, SolverMatchesTheElementwiseSchemeBitForBit) {
  const TSize sizes[] = {1, 2, 3, 4, 7, 16, 33, 60};
  unsigned seed = 1;
  for (TSize n : sizes) {
    for (double zeros : {0.0, 0.6}) {  // sparse matrices take the already-reduced paths
      SCOPED_TRACE(::testing::Message() << "n = " << n << ", zeros " << zeros);
      TFloatMatrix a = RandomSymmetric(n, seed++, zeros);
      TFloatMatrix b = a;
      TFloatVector d1(n), e1(n), d2(n + 3), e2(n + 3);
      Tridiagonalize(a, n, d1, e1);
      LiteralTridiagonalize(b, n, d2, e2);
      ExpectSameBits(a, b, n);
      ExpectSameBits(d1, d2, n);
      ExpectSameBits(e1, e2, n);
      TridiagonalQL(d1, e1, n, a);
      LiteralQL(d2, e2, n, b);
      ExpectSameBits(a, b, n);
      ExpectSameBits(d1, d2, n);
    }
  }
}

TEST_F(PrincipalAxesTest, TransferSign) {
  EXPECT_EQ(TransferSign(-3.0, 2.0), 3.0);
  EXPECT_EQ(TransferSign(3.0, -2.0), -3.0);
  EXPECT_EQ(TransferSign(-3.0, 0.0), 3.0);
  EXPECT_EQ(TransferSign(-3.0, -0.0), 3.0);  // zero of either sign counts as positive
}

TEST_F(PrincipalAxesTest, TridiagonalExample) {
  TFloatMatrix a = MatrixOf({{2, 1, 0}, {1, 2, 1}, {0, 1, 2}});
  TFloatVector d(3), e(3);
  Tridiagonalize(a, 3, d, e);
  TridiagonalQL(d, e, 3, a);
  SortEigenpairs(d, a, 3);
  const double r2 = std::sqrt(2.0);
  const double values[3] = {2 + r2, 2, 2 - r2};
  const double vectors[3][3] = {{0.5, r2 / 2, 0.5}, {r2 / 2, 0, -r2 / 2}, {0.5, -r2 / 2, 0.5}};
  for (TSize j = 1; j <= 3; ++j) {
    EXPECT_NEAR(d.GetValue(j), values[j - 1], 1e-14);
    const double sign = a.GetValue(1, j) * vectors[j - 1][0] < 0 ? -1.0 : 1.0;
    for (TSize i = 1; i <= 3; ++i)
      EXPECT_NEAR(sign * a.GetValue(i, j), vectors[j - 1][i - 1], 1e-14);
  }
}

TEST_F(PrincipalAxesTest, DiagonalInputNeedsNoSweep) {
  TFloatMatrix a = MatrixOf({{3, 0, 0, 0}, {0, 5, 0, 0}, {0, 0, -1, 0}, {0, 0, 0, 4}});
  TFloatVector d(4), e(4);
  Tridiagonalize(a, 4, d, e);
  for (TSize i = 1; i <= 4; ++i) {
    EXPECT_EQ(e.GetValue(i), 0.0);
    for (TSize j = 1; j <= 4; ++j) EXPECT_EQ(a.GetValue(i, j), i == j ? 1.0 : 0.0);
  }
  EXPECT_EQ(d.GetValue(1), 3.0);
  EXPECT_EQ(d.GetValue(4), 4.0);

  TFloatMatrix work = MatrixOf({{3, 0, 0, 0}, {0, 5, 0, 0}, {0, 0, -1, 0}, {0, 0, 0, 4}});
  TFloatVector off(4), values(4);
  TFloatMatrix vectors(4, 4);
  double trace = 0.0;
  PrincipalAxesOf(work, 4, trace, off, values, vectors);
  EXPECT_EQ(trace, 11.0);
  const double sorted[4] = {5, 4, 3, -1};
  const TSize unitAt[4] = {2, 4, 1, 3};
  for (TSize j = 1; j <= 4; ++j) {
    EXPECT_EQ(values.GetValue(j), sorted[j - 1]);
    for (TSize i = 1; i <= 4; ++i) {
      EXPECT_EQ(vectors.GetValue(i, j), i == unitAt[j - 1] ? -1.0 : 0.0);
      EXPECT_FALSE(std::signbit(vectors.GetValue(i, j)) && vectors.GetValue(i, j) == 0.0);
    }
  }
}

TEST_F(PrincipalAxesTest, SortChoosesTheLaterOfEqualValues) {
  TFloatVector d(3);
  d.SetValue(1, 1.0);
  d.SetValue(2, 3.0);
  d.SetValue(3, 3.0);
  TFloatMatrix z(3, 3);
  for (TSize j = 1; j <= 3; ++j)
    for (TSize i = 1; i <= 3; ++i) z.SetValue(i, j, 10.0 * j + i);  // column j tagged 10 j
  SortEigenpairs(d, z, 3);
  EXPECT_EQ(d.GetValue(1), 3.0);
  EXPECT_EQ(d.GetValue(2), 3.0);
  EXPECT_EQ(d.GetValue(3), 1.0);
  EXPECT_EQ(z.GetValue(1, 1), 31.0);  // the later of the tied columns comes first
  EXPECT_EQ(z.GetValue(2, 2), 22.0);
  EXPECT_EQ(z.GetValue(3, 3), 13.0);

  TFloatVector one(1);
  one.SetValue(1, 2.0);
  TFloatMatrix single = MatrixOf({{7.0}});
  SortEigenpairs(one, single, 1);
  EXPECT_EQ(single.GetValue(1, 1), 7.0);
}

TEST_F(PrincipalAxesTest, OneVariable) {
  const TFloatMatrix data = MatrixOf({{1}, {2}, {4}});
  const auto [trace, values, vectors] = PrincipalAxes(3, 1, data, DispersionMethod::Covariance);
  EXPECT_DOUBLE_EQ(trace, 7.0 / 3.0);
  EXPECT_EQ(values.GetValue(1), trace);
  EXPECT_EQ(vectors.GetValue(1, 1), -1.0);
}

TEST_F(PrincipalAxesTest, TwoCorrelatedVariables) {
  const TFloatMatrix data = MatrixOf({{1, 2}, {2, 1}, {3, 5}, {4, 3}, {5, 6}});
  TFloatMatrix cor(2, 2);
  DispersionMatrix(data, 5, 2, cor, DispersionMethod::Correlation);
  const double r = cor.GetValue(1, 2);
  ASSERT_GT(r, 0.0);
  const auto [trace, values, vectors] = PrincipalAxes(5, 2, data, DispersionMethod::Correlation);
  EXPECT_NEAR(values.GetValue(1), 1 + r, 1e-15);
  EXPECT_NEAR(values.GetValue(2), 1 - r, 1e-15);
  for (TSize i = 1; i <= 2; ++i)
    for (TSize j = 1; j <= 2; ++j)
      EXPECT_NEAR(std::fabs(vectors.GetValue(i, j)), std::sqrt(0.5), 1e-15);
}

TEST_F(PrincipalAxesTest, PropertiesOnRandomData) {
  const TSize n = 60, p = 12;
  std::mt19937 rng(11);
  std::normal_distribution<double> normal;
  TFloatMatrix data(n, p);
  for (TSize i = 1; i <= n; ++i) {
    const double common = normal(rng);
    for (TSize j = 1; j <= p; ++j) data.SetValue(i, j, 100.0 + j * common + normal(rng));
  }
  for (DispersionMethod method : {DispersionMethod::Covariance, DispersionMethod::Correlation}) {
    TFloatMatrix dispersion(p, p);
    const auto [trace, values, vectors] = PrincipalAxes(n, p, data, method);
    ASSERT_EQ(vectors.GetSize(), (TFloatMatrix::TExtent{p, p}));
    ASSERT_EQ(values.Length(), p);
    DispersionMatrix(data, n, p, dispersion, method);
    double sum = 0.0, largest = values.GetValue(1);
    for (TSize c = 1; c <= p; ++c) {
      sum += values.GetValue(c);
      if (c > 1) {
        EXPECT_GE(values.GetValue(c - 1), values.GetValue(c));
      }
      double length = 0.0;
      for (TSize i = 1; i <= p; ++i) {
        length += vectors.GetValue(i, c) * vectors.GetValue(i, c);
        double av = 0.0;
        for (TSize k = 1; k <= p; ++k) av += dispersion.GetValue(i, k) * vectors.GetValue(k, c);
        EXPECT_NEAR(av, values.GetValue(c) * vectors.GetValue(i, c), 1e-12 * largest);
      }
      EXPECT_NEAR(length, 1.0, 1e-14);
    }
    EXPECT_NEAR(sum, trace, 1e-13 * trace);

    // The scores of the analysis have the eigenvalues as variances (under
    // covariance only when they come from the centred, not standardised, data).
    TFloatMatrix scores(n, p);
    ComponentScores(n, p, p, scores, vectors, data, method);
    TFloatVector means(p), sds(p);
    ColumnMeansAndDeviations(scores, n, p, means, sds);
    for (TSize c = 1; c <= p; ++c) {
      EXPECT_NEAR(means.GetValue(c), 0.0, 1e-12 * std::sqrt(largest));
      EXPECT_NEAR(sds.GetValue(c) * sds.GetValue(c), values.GetValue(c), 1e-11 * largest);
    }
  }
}

// The scaling in vector lanes and its scalar tail: zeros of either sign stay
// as they are wherever they fall, every other element is divided by the
// length and negated; a zero column stays zero without a fault.
TEST_F(PrincipalAxesTest, SignedUnitAxesKeepZerosInLanesAndTail) {
  const TSize p = 11;  // two groups of four lanes and a tail of three
  const std::vector<double> column = {3.0, 0.0,  -0.0, 1e-300, -4.0, 0.0,
                                      2.0, -0.0, 0.0,  -1.5,   -0.0};
  TFloatMatrix z(p, 2), axes(p, 2);
  double sumOfSquares = 0.0;
  for (TSize i = 1; i <= p; ++i) {
    z.SetValue(i, 1, column[i - 1]);
    z.SetValue(i, 2, 0.0);
    sumOfSquares += column[i - 1] * column[i - 1];
  }
  const double length = std::sqrt(sumOfSquares);
  SignedUnitAxes(z, p, axes, 2);
  for (TSize i = 1; i <= p; ++i) {
    SCOPED_TRACE(i);
    const double x = column[i - 1];
    const double got = axes.GetValue(i, 1);
    if (x == 0.0) {
      EXPECT_EQ(got, 0.0);
      EXPECT_EQ(std::signbit(got), std::signbit(x));
    } else {
      EXPECT_EQ(got, -(x / length));
    }
    EXPECT_EQ(axes.GetValue(i, 2), 0.0);
    EXPECT_FALSE(std::signbit(axes.GetValue(i, 2)));
  }
  EXPECT_FALSE(TakeFloatFaults());
}

TEST_F(PrincipalAxesTest, FaultsAndPoisonedInputStopTheRun) {
  const double inf = std::numeric_limits<double>::infinity();
  TFloatMatrix a = MatrixOf({{1, 2, inf}, {2, 1, 3}, {inf, 3, 1}});
  TFloatMatrix vectors(3, 3);
  TFloatVector off(3), values(3);
  double trace = 0.0;
  ExpectThrowMessage<EInvalidOp>([&] { PrincipalAxesOf(a, 3, trace, off, values, vectors); },
                                 "Invalid floating point operation");

  // A NaN that reached the tridiagonal form can never pass the split test;
  // the sweep bound ends the iteration instead of looping for ever.
  TFloatVector d(3), e(3);
  d.SetValue(2, std::numeric_limits<double>::quiet_NaN());
  e.Fill(3, 1.0);
  TFloatMatrix z = MatrixOf({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}});
  try {
    TridiagonalQL(d, e, 3, z);
    ADD_FAILURE() << "no exception";
  } catch (const Exception& ex) {
    const std::string message = ex.what();
    EXPECT_TRUE(message == "Eigenvalue iteration did not converge" ||
                message == "Invalid floating point operation")
        << message;
  }
}

TEST_F(PrincipalAxesTest, ContainersTooSmallAreRefusedBeforeAnyWork) {
  const TFloatMatrix data = MatrixOf({{1, 2, 3}, {2, 1, 0}, {5, 3, 3}, {1, 1, 4}});
  TFloatMatrix work(3, 3), vectors(3, 3), smallVectors(3, 2);
  TFloatVector off(3), values(3), smallValues(2);
  work.Fill(3, 3, 7.0);
  double trace = -1.0;
  ExpectThrowMessage<EOutOfBounds>(
      [&] { PrincipalAxesOf(work, 3, trace, off, values, smallVectors); },
      "Array Reference Out of Bounds");
  ExpectThrowMessage<EOutOfBounds>(
      [&] { PrincipalAxesOf(work, 3, trace, off, smallValues, vectors); },
      "Array Reference Out of Bounds");
  EXPECT_EQ(work.GetValue(2, 2), 7.0);
  EXPECT_EQ(trace, -1.0);
  // More objects than the data hold.
  ExpectThrowMessage<EOutOfBounds>(
      [&] { (void)PrincipalAxes(5, 3, data, DispersionMethod::Covariance); },
      "Array Reference Out of Bounds");

  TFloatMatrix square = MatrixOf({{2, 1}, {1, 2}});
  TFloatVector d(2), e(1);
  ExpectThrowMessage<EOutOfBounds>([&] { Tridiagonalize(square, 2, d, e); },
                                   "Array Reference Out of Bounds");
  EXPECT_EQ(square.GetValue(2, 1), 1.0);
  ExpectThrowMessage<EOutOfBounds>([&] { Tridiagonalize(square, 3, d, d); },
                                   "Array Reference Out of Bounds");
}

}  // namespace
}  // namespace talvex
