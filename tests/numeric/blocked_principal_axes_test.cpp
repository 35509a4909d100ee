// The jackknife's blocked eigen-decomposition: its reduction must be a true
// similarity transformation for every size (the pair kernels, the lane tails
// and the groups of four reflections all have edges), and its axes must agree
// with the exact scheme's up to rounding and sign.
#include "numeric/blocked_principal_axes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "numeric/float_faults.h"
#include "numeric/principal_axes.h"
#include "numeric/root_free_ql.h"
#include "numeric/statistics.h"
#include "numeric/subnormal_flush.h"
#include "numeric_test_support.h"

namespace talvex {
namespace {

using testing::ExpectEigenpairs;
using testing::ExpectThrowMessage;
using testing::MatrixOf;
using testing::MatrixWithEigenvalues;
using testing::RandomSymmetric;

class BlockedPrincipalAxesTest : public ::testing::Test {
 protected:
  void SetUp() override { ClearFloatFaults(); }
};

double MaxAbs(const TFloatMatrix& a, TSize n) {
  double largest = 0.0;
  for (TSize c = 1; c <= n; ++c)
    for (TSize r = 1; r <= n; ++r) largest = std::max(largest, std::fabs(a.GetValue(r, c)));
  return largest;
}

// Q orthogonal and Q T Q^T = A, for sizes on both sides of every edge: odd
// and even widths (column pairs), lane tails, whole and partial groups of
// four reflections, the trivial sizes, and the sizes reduced by one, two and
// three panels before the one-pass reduction takes the rest; sparse matrices
// reach columns that are already reduced, inside panels too.
TEST_F(BlockedPrincipalAxesTest, ReductionIsAnOrthogonalSimilarity) {
  for (TSize n :
       {1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 9u, 10u, 13u, 16u, 17u, 31u, 64u, 101u, 129u, 161u, 195u})
    for (double zeros : {0.0, 0.8}) {
      SCOPED_TRACE(::testing::Message() << "n = " << n << ", zeros " << zeros);
      const TFloatMatrix a = RandomSymmetric(n, n, zeros);
      TFloatMatrix q = a;
      TFloatVector d(n), e(n);
      ReduceToTridiagonalBlocked(q, n, d, e);
      EXPECT_EQ(e.GetValue(1), 0.0);
      const double tolerance = 1e-14 * n * MaxAbs(a, n);
      for (TSize i = 1; i <= n; ++i) {
        for (TSize j = 1; j <= n; ++j) {
          double qtq = 0.0, qtqt = 0.0;
          for (TSize k = 1; k <= n; ++k) {
            qtq += q.GetValue(k, i) * q.GetValue(k, j);
            // (Q T Q^T)[i, j] with T tridiagonal: column k of T has d[k] and e.
            double tkj = 0.0;  // (T Q^T)[k, j]
            tkj += d.GetValue(k) * q.GetValue(j, k);
            if (k > 1) tkj += e.GetValue(k) * q.GetValue(j, k - 1);
            if (k < n) tkj += e.GetValue(k + 1) * q.GetValue(j, k + 1);
            qtqt += q.GetValue(i, k) * tkj;
          }
          ASSERT_NEAR(qtq, i == j ? 1.0 : 0.0, 1e-14 * n) << i << "," << j;
          ASSERT_NEAR(qtqt, a.GetValue(i, j), tolerance) << i << "," << j;
        }
      }
    }
}

// The axes of a correlation-like matrix against the exact scheme: values to
// rounding, vectors to rounding over the gap and up to sign, the same trace.
TEST_F(BlockedPrincipalAxesTest, AxesAgreeWithTheExactScheme) {
  // Five groups of variables, and then one size factor shared by all: a
  // large first eigenvalue over many small, close ones.
  for (TSize p : {3u, 12u, 37u, 80u, 150u, 230u}) {
    SCOPED_TRACE(p);
    std::mt19937 rng(p);
    std::normal_distribution<double> normal;
    const TSize n = 2 * p;
    TFloatMatrix data(n, p);
    for (TSize i = 1; i <= n; ++i) {
      const double size = normal(rng);
      for (TSize j = 1; j <= p; ++j) {
        const double loading = p < 150 ? double(j % 5) : 1.0 + 0.01 * j;
        data.SetValue(i, j, 10.0 + loading * size + normal(rng));
      }
    }
    TFloatMatrix dispersion(p, p);
    DispersionMatrix(data, n, p, dispersion, DispersionMethod::Correlation);

    TFloatMatrix exactWork = dispersion, blockedWork = dispersion, exact(p, p), blocked(p, p);
    TFloatVector off(p), exactValues(p), blockedValues(p);
    double exactTrace = 0.0, blockedTrace = 0.0;
    PrincipalAxesOf(exactWork, p, exactTrace, off, exactValues, exact);
    const TDecompositionPath path =
        BlockedPrincipalAxesOf(blockedWork, p, blockedTrace, off, blockedValues, blocked);
    EXPECT_EQ(path.fallback, TFallbackCause::None);
    TSize clustered = 0;
    for (TSize size : path.clusterSizes) clustered += size;
    EXPECT_EQ(path.twistedVectors + clustered, p);
    EXPECT_EQ(blockedTrace, exactTrace);
    const double largest = exactValues.GetValue(1);
    for (TSize j = 1; j <= p; ++j) {
      EXPECT_NEAR(blockedValues.GetValue(j), exactValues.GetValue(j), 1e-13 * largest) << j;
      if (j > 1) {
        EXPECT_GE(blockedValues.GetValue(j - 1), blockedValues.GetValue(j));
      }
      double gap = largest;
      if (j > 1) gap = std::min(gap, exactValues.GetValue(j - 1) - exactValues.GetValue(j));
      if (j < p) gap = std::min(gap, exactValues.GetValue(j) - exactValues.GetValue(j + 1));
      double dot = 0.0;
      for (TSize i = 1; i <= p; ++i) dot += exact.GetValue(i, j) * blocked.GetValue(i, j);
      const double sign = dot < 0.0 ? -1.0 : 1.0;
      for (TSize i = 1; i <= p; ++i) {
        EXPECT_NEAR(sign * blocked.GetValue(i, j), exact.GetValue(i, j),
                    1e-13 * largest / gap + 1e-14)
            << i << "," << j;
      }
    }
  }
}

// The eigenvectors of the first k axes alone: the same eigenvalues, bit for
// bit, and the same first k vectors as when all are formed, on both sides of
// the panel crossover; a cluster of close eigenvalues that reaches past axis
// k is resolved whole.
TEST_F(BlockedPrincipalAxesTest, FirstAxesAlone) {
  for (TSize p : {40u, 200u}) {
    SCOPED_TRACE(p);
    const TFloatMatrix a = RandomSymmetric(p, p);
    TFloatMatrix work = a, all(p, p);
    TFloatVector off(p), allValues(p);
    double trace = 0.0;
    BlockedPrincipalAxesOf(work, p, trace, off, allValues, all);
    for (TSize k : {1u, 3u, 17u}) {
      SCOPED_TRACE(k);
      TFloatMatrix first(p, p);
      TFloatVector values(p);
      work = a;
      const TDecompositionPath path = BlockedPrincipalAxesOf(work, p, trace, off, values, first, k);
      EXPECT_EQ(path.fallback, TFallbackCause::None);
      EXPECT_EQ(path.twistedVectors, k);
      for (TSize j = 1; j <= p; ++j) EXPECT_EQ(values.GetValue(j), allValues.GetValue(j));
      for (TSize j = 1; j <= k; ++j)
        for (TSize i = 1; i <= p; ++i)
          EXPECT_NEAR(first.GetValue(i, j), all.GetValue(i, j), 1e-13) << i << "," << j;
    }
  }
  const std::vector<double> spectrum = {9, 5 + 1e-10, 5, 3, 2, 1};
  const TFloatMatrix a = MatrixWithEigenvalues(spectrum, 7);
  TFloatMatrix work = a, vectors(6, 6);
  TFloatVector off(6), values(6);
  double trace = 0.0;
  const TDecompositionPath path = BlockedPrincipalAxesOf(work, 6, trace, off, values, vectors, 2);
  EXPECT_EQ(path.twistedVectors, 1u);
  EXPECT_EQ(path.clusterSizes, std::vector<TSize>{2});
  for (TSize j = 1; j <= 2; ++j) {
    for (TSize i = 1; i <= 6; ++i) {
      double av = 0.0;
      for (TSize k = 1; k <= 6; ++k) av += a.GetValue(i, k) * vectors.GetValue(k, j);
      EXPECT_NEAR(av, values.GetValue(j) * vectors.GetValue(i, j), 1e-12) << i << "," << j;
    }
  }
}

// More variables than objects: a correlation matrix of rank n - 1 < p, whose
// tridiagonal form past the rank is rounding noise. It splits there, so the
// p - n + 1 zero eigenvalues do not form one cluster too large to resolve
// (a few of them may stay beside the last rows of the rank and collapse,
// which the rotations then answer); the axes are true eigenpairs, the
// eigenvalues past the rank zero to rounding, and the first axes alone come
// with the same values.
TEST_F(BlockedPrincipalAxesTest, RankDeficientMatricesSplit) {
  for (TSize p : {60u, 150u}) {
    SCOPED_TRACE(p);
    const TSize n = 20;
    std::mt19937 rng(p);
    std::normal_distribution<double> normal;
    TFloatMatrix data(n, p);
    for (TSize i = 1; i <= n; ++i) {
      const double size = normal(rng);
      for (TSize j = 1; j <= p; ++j) data.SetValue(i, j, 10.0 + (j % 3) * size + normal(rng));
    }
    TFloatMatrix a(p, p);
    DispersionMatrix(data, n, p, a, DispersionMethod::Correlation);
    TFloatMatrix work = a, vectors(p, p);
    TFloatVector off(p), values(p);
    double trace = 0.0;
    const TDecompositionPath path = BlockedPrincipalAxesOf(work, p, trace, off, values, vectors);
    EXPECT_NE(path.fallback, TFallbackCause::ClusterTooLarge);
    ExpectEigenpairs(a, p, values, vectors, 1e-12);
    for (TSize j = n; j <= p; ++j) EXPECT_NEAR(values.GetValue(j), 0.0, 1e-12) << j;
    EXPECT_GT(values.GetValue(n - 1), 1e-3);

    TFloatMatrix first(p, p);
    TFloatVector firstValues(p);
    work = a;
    const TDecompositionPath firstPath =
        BlockedPrincipalAxesOf(work, p, trace, off, firstValues, first, 5);
    EXPECT_EQ(firstPath.fallback, TFallbackCause::None);
    for (TSize j = 1; j <= p; ++j)
      EXPECT_NEAR(firstValues.GetValue(j), values.GetValue(j), 1e-13 * values.GetValue(1));
  }
}

// Columns that are already reduced (a reflection of zeros) and exactly
// repeated eigenvalues: the form splits where the matrix does, and the
// equal eigenvalues of different blocks need no separating.
TEST_F(BlockedPrincipalAxesTest, ReducedColumnsAndRepeatedValues) {
  TFloatMatrix a = MatrixOf(
      {{2, 0, 0, 0, 0}, {0, 5, 0, 0, 1}, {0, 0, 2, 0, 0}, {0, 0, 0, 3, 0}, {0, 1, 0, 0, 5}});
  TFloatMatrix vectors(5, 5);
  TFloatVector off(5), values(5);
  double trace = 0.0;
  const TDecompositionPath path = BlockedPrincipalAxesOf(a, 5, trace, off, values, vectors);
  EXPECT_EQ(path.fallback, TFallbackCause::None);
  EXPECT_EQ(path.twistedVectors, 5u);
  EXPECT_TRUE(path.clusterSizes.empty());
  const double expected[] = {6, 4, 3, 2, 2};
  for (TSize j = 1; j <= 5; ++j) EXPECT_NEAR(values.GetValue(j), expected[j - 1], 1e-14) << j;
  EXPECT_EQ(trace, 17.0);
  for (TSize j = 1; j <= 5; ++j) {
    double length = 0.0;
    for (TSize i = 1; i <= 5; ++i) length += vectors.GetValue(i, j) * vectors.GetValue(i, j);
    EXPECT_NEAR(length, 1.0, 1e-15);
  }
  EXPECT_NEAR(std::fabs(vectors.GetValue(2, 1)), std::sqrt(0.5), 1e-15);
  EXPECT_NEAR(std::fabs(vectors.GetValue(5, 1)), std::sqrt(0.5), 1e-15);
  EXPECT_NEAR(std::fabs(vectors.GetValue(4, 3)), 1.0, 1e-15);
}

// Eigenvalues 1e-10 apart: vectors from a factorisation of T - lambda I
// alone would be all but parallel, so the pair is resolved as a cluster, and
// so are a triple 1e-9 apart and values equal up to the rounding of their
// construction; well separated ones take the twisted vectors alone. None of
// them needs the rotations, and a split tridiagonal form and a zero pivot
// must not hurt.
TEST_F(BlockedPrincipalAxesTest, CloseEigenvaluesStillGiveOrthonormalAxes) {
  struct TCase {
    std::vector<double> spectrum;
    TSize twisted;
    std::vector<TSize> clusters;
  };
  const std::vector<TCase> cases = {
      {{9, 8, 7, 6, 5 + 1e-10, 5, 4, 3, 2, 1, 0.5, 0.25}, 10, {2}},
      {{9, 8, 7, 6, 5.5, 5, 4, 3, 2, 1, 0.5, 0.25}, 12, {}},
      {{4, 3 + 2e-9, 3 + 1e-9, 3, 1, 0.5}, 3, {3}},
      {{3, 3, 3, 1, 1, 0}, 6, {}},  // exactly repeated: the form splits
  };
  for (const TCase& c : cases) {
    const std::vector<double>& spectrum = c.spectrum;
    const TSize n = TSize(spectrum.size());
    SCOPED_TRACE(::testing::Message() << n << " eigenvalues from " << spectrum[0]);
    const TFloatMatrix a = MatrixWithEigenvalues(spectrum, 5);
    TFloatMatrix work = a, vectors(n, n);
    TFloatVector off(n), values(n);
    double trace = 0.0;
    const TDecompositionPath path = BlockedPrincipalAxesOf(work, n, trace, off, values, vectors);
    EXPECT_EQ(path.fallback, TFallbackCause::None);
    EXPECT_EQ(path.twistedVectors, c.twisted);
    EXPECT_EQ(path.clusterSizes, c.clusters);
    for (TSize j = 1; j <= n; ++j) EXPECT_NEAR(values.GetValue(j), spectrum[j - 1], 1e-13) << j;
    ExpectEigenpairs(a, n, values, vectors, 1e-13);
  }
  TFloatMatrix diagonal = MatrixOf({{1, 0, 0, 0}, {0, 4, 0, 0}, {0, 0, 2, 0}, {0, 0, 0, 3}});
  TFloatMatrix vectors(4, 4);
  TFloatVector off(4), values(4);
  double trace = 0.0;
  const TDecompositionPath path = BlockedPrincipalAxesOf(diagonal, 4, trace, off, values, vectors);
  EXPECT_EQ(path.fallback, TFallbackCause::None);
  EXPECT_EQ(path.twistedVectors, 4u);
  const TSize row[] = {2, 4, 3, 1};
  for (TSize j = 1; j <= 4; ++j) {
    EXPECT_EQ(values.GetValue(j), 5.0 - j);
    for (TSize i = 1; i <= 4; ++i)
      EXPECT_EQ(std::fabs(vectors.GetValue(i, j)), i == row[j - 1] ? 1.0 : 0.0);
  }
}

// Scales far from one (the eigenvalue iteration works on squares) and a
// tridiagonal matrix with a zero diagonal, whose eigenvalues are known:
// the path graph's 2 cos(k pi / (n + 1)).
// Eigenvectors localised on single variables, whose tails fall through the
// subnormal range: beyond FastArithmeticAbove variables those tails are
// flushed to zero, and the axes still agree with the exact scheme's. The
// caller's arithmetic is left as it was.
TEST_F(BlockedPrincipalAxesTest, SubnormalTailsOfLocalisedAxes) {
  const auto subnormals = [](const TFloatMatrix& m, TSize p) {
    TSize count = 0;
    for (TSize c = 1; c <= p; ++c)
      for (TSize r = 1; r <= p; ++r)
        count += std::fpclassify(m.GetValue(r, c)) == FP_SUBNORMAL ? 1 : 0;
    return count;
  };
  for (TSize p : {100u, 200u}) {
    SCOPED_TRACE(p);
    TFloatMatrix a(p, p);
    for (TSize i = 1; i <= p; ++i) {
      for (TSize j = 1; j <= p; ++j) a.SetValue(i, j, 0.0);
      a.SetValue(i, i, double(i));
      if (i > 1) {
        a.SetValue(i, i - 1, 1e-3);
        a.SetValue(i - 1, i, 1e-3);
      }
    }
    TFloatMatrix exactWork = a, blockedWork = a, exact(p, p), blocked(p, p);
    TFloatVector off(p), exactValues(p), blockedValues(p);
    double trace = 0.0;
    PrincipalAxesOf(exactWork, p, trace, off, exactValues, exact);
    BlockedPrincipalAxesOf(blockedWork, p, trace, off, blockedValues, blocked);
    EXPECT_GT(subnormals(exact, p), 0u);
    EXPECT_EQ(subnormals(blocked, p) == 0, SubnormalsCanBeFlushed && p > FastArithmeticAbove);
    for (TSize j = 1; j <= p; ++j) {
      EXPECT_NEAR(blockedValues.GetValue(j), exactValues.GetValue(j), 1e-12) << j;
      for (TSize i = 1; i <= p; ++i)
        EXPECT_NEAR(std::fabs(blocked.GetValue(i, j)), std::fabs(exact.GetValue(i, j)), 1e-13)
            << i << "," << j;
    }
    volatile double tiny = std::numeric_limits<double>::min();
    EXPECT_GT(tiny / 4.0, 0.0) << "subnormal results are back after the call";
  }
}

TEST_F(BlockedPrincipalAxesTest, ExtremeScalesAndAZeroDiagonal) {
  for (double scale : {1e-150, 1.0, 1e150}) {
    SCOPED_TRACE(scale);
    const TSize n = 23;
    TFloatMatrix a = RandomSymmetric(n, 3);
    for (TSize c = 1; c <= n; ++c)
      for (TSize r = 1; r <= n; ++r) a.SetValue(r, c, a.GetValue(r, c) * scale);
    TFloatMatrix exactWork = a, blockedWork = a, exact(n, n), blocked(n, n);
    TFloatVector off(n), exactValues(n), blockedValues(n);
    double trace = 0.0;
    PrincipalAxesOf(exactWork, n, trace, off, exactValues, exact);
    BlockedPrincipalAxesOf(blockedWork, n, trace, off, blockedValues, blocked);
    for (TSize j = 1; j <= n; ++j) {
      EXPECT_NEAR(blockedValues.GetValue(j) / scale, exactValues.GetValue(j) / scale, 1e-13) << j;
      double dot = 0.0;
      for (TSize i = 1; i <= n; ++i) dot += exact.GetValue(i, j) * blocked.GetValue(i, j);
      EXPECT_NEAR(std::fabs(dot), 1.0, 1e-12) << j;
    }
  }
  const TSize n = 9;
  TFloatMatrix path(n, n);
  for (TSize i = 1; i < n; ++i) {
    path.SetValue(i, i + 1, 1.0);
    path.SetValue(i + 1, i, 1.0);
  }
  for (TSize i = 1; i <= n; ++i) path.SetValue(i, i, 0.0);
  TFloatMatrix vectors(n, n);
  TFloatVector off(n), values(n);
  double trace = 0.0;
  BlockedPrincipalAxesOf(path, n, trace, off, values, vectors);
  for (TSize k = 1; k <= n; ++k)
    EXPECT_NEAR(values.GetValue(k), 2.0 * std::cos(k * M_PI / (n + 1)), 1e-14) << k;
}

TEST_F(BlockedPrincipalAxesTest, FaultsAndSmallContainers) {
  const double inf = std::numeric_limits<double>::infinity();
  TFloatMatrix a = MatrixOf({{1, 2, inf}, {2, 1, 3}, {inf, 3, 1}});
  TFloatMatrix vectors(3, 3);
  TFloatVector off(3), values(3);
  double trace = 0.0;
  ExpectThrowMessage<EInvalidOp>([&] { BlockedPrincipalAxesOf(a, 3, trace, off, values, vectors); },
                                 "Invalid floating point operation");

  ClearFloatFaults();
  TFloatMatrix square = MatrixOf({{2, 1}, {1, 2}});
  TFloatVector small(1), d(2);
  ExpectThrowMessage<EOutOfBounds>([&] { ReduceToTridiagonalBlocked(square, 2, d, small); },
                                   "Array Reference Out of Bounds");
  EXPECT_EQ(square.GetValue(2, 1), 1.0);
}

// Two decompositions at a time give the same bits as one after the other:
// whole and split tridiagonal forms (unequal numbers of blocks), sizes that
// differ, a form with too large a cluster that the rotations take over, some
// axes only, and the trivial sizes. A matrix with a NaN raises either way.
TEST_F(BlockedPrincipalAxesTest, TwoAtATimeGiveTheSameBitsAsOneAtATime) {
  std::vector<double> clustered = {10.0};
  for (TSize k = 0; k < 20; ++k) clustered.push_back(1.0 + 1e-9 * double(20 - k));
  clustered.push_back(0.1);
  struct TPair {
    TFloatMatrix first, second;
    TSize p1, p2, axes;
  };
  const std::vector<TPair> pairs = {
      {RandomSymmetric(200, 1), RandomSymmetric(150, 2), 200, 150, 200},
      {RandomSymmetric(40, 3), MatrixWithEigenvalues({3, 3, 3, 1, 1, 0, 0, 0}, 4), 40, 8, 8},
      {MatrixWithEigenvalues({5, 5, 0, 0, 0, 0, 2}, 5), RandomSymmetric(7, 6), 7, 7, 3},
      {MatrixWithEigenvalues(clustered, 7), RandomSymmetric(30, 8), 22, 30, 22},
      {RandomSymmetric(1, 9), RandomSymmetric(2, 10), 1, 2, 1},
  };
  struct TResult {
    TFloatMatrix work, vectors;
    TFloatVector off, values;
    double trace = 0.0;
    TResult(const TFloatMatrix& a, TSize p) : work(a), vectors(p, p), off(p), values(p) {}
    TBlockedAxesTask Task(TSize p, TSize axes) {
      return {&work, p, &trace, &off, &values, &vectors, axes};
    }
  };
  auto sameBits = [](const TResult& x, const TResult& y, TSize p, TSize axes) {
    EXPECT_EQ(std::memcmp(&x.trace, &y.trace, sizeof x.trace), 0);
    EXPECT_EQ(std::memcmp(x.values.Data(), y.values.Data(), p * sizeof(double)), 0);
    for (TSize a = 1; a <= axes; ++a)
      EXPECT_EQ(std::memcmp(x.vectors.Column(a), y.vectors.Column(a), p * sizeof(double)), 0)
          << "axis " << a;
  };
  for (const TPair& pair : pairs) {
    SCOPED_TRACE(::testing::Message() << pair.p1 << " and " << pair.p2);
    const TSize axes1 = std::min(pair.axes, pair.p1), axes2 = std::min(pair.axes, pair.p2);
    TResult alone1(pair.first, pair.p1), alone2(pair.second, pair.p2);
    BlockedPrincipalAxesOf(alone1.work, pair.p1, alone1.trace, alone1.off, alone1.values,
                           alone1.vectors, axes1);
    BlockedPrincipalAxesOf(alone2.work, pair.p2, alone2.trace, alone2.off, alone2.values,
                           alone2.vectors, axes2);
    TResult together1(pair.first, pair.p1), together2(pair.second, pair.p2);
    BlockedPrincipalAxesOfTwo(together1.Task(pair.p1, axes1), together2.Task(pair.p2, axes2));
    sameBits(alone1, together1, pair.p1, axes1);
    sameBits(alone2, together2, pair.p2, axes2);
    if (axes1 == pair.p1)
      ExpectEigenpairs(pair.first, pair.p1, together1.values, together1.vectors, 1e-12);
  }

  TFloatMatrix broken = RandomSymmetric(20, 11);
  broken.SetValue(5, 3, std::nan(""));
  broken.SetValue(3, 5, std::nan(""));
  TResult healthy(RandomSymmetric(20, 12), 20), faulty(broken, 20);
  EXPECT_THROW(BlockedPrincipalAxesOfTwo(healthy.Task(20, 20), faulty.Task(20, 20)), Exception);
  ClearFloatFaults();
}

// The eigenvalue iterations of two forms side by side: the same bits as
// alone; where one of them fails (a NaN never converges), false with the
// flags clear: whose failure it was is for the caller to find out by solving
// each alone.
TEST_F(BlockedPrincipalAxesTest, EigenvaluesOfTwoFormsSideBySide) {
  auto form = [](TSize n, unsigned seed, std::vector<double>& d, std::vector<double>& e) {
    TFloatMatrix a = RandomSymmetric(n, seed);
    TFloatVector dv(n), ev(n);
    ReduceToTridiagonalBlocked(a, n, dv, ev);
    d.assign(dv.Data(), dv.Data() + n);
    e.assign(ev.Data() + 1, ev.Data() + n);  // e[1] = 0: coupling[i] joins i and i + 1
    e.push_back(0.0);
  };
  std::vector<double> d1, e1, d2, e2;
  form(90, 21, d1, e1);
  form(35, 22, d2, e2);
  std::vector<double> alone1(90), alone2(35), together1(90), together2(35);
  ASSERT_EQ(TridiagonalEigenvalues(d1.data(), e1.data(), 90, alone1.data()), TFallbackCause::None);
  ASSERT_EQ(TridiagonalEigenvalues(d2.data(), e2.data(), 35, alone2.data()), TFallbackCause::None);
  EXPECT_TRUE(TridiagonalEigenvaluesOfTwo({d1.data(), e1.data(), 90, together1.data()},
                                          {d2.data(), e2.data(), 35, together2.data()}));
  EXPECT_EQ(std::memcmp(alone1.data(), together1.data(), 90 * sizeof(double)), 0);
  EXPECT_EQ(std::memcmp(alone2.data(), together2.data(), 35 * sizeof(double)), 0);

  e2[7] = std::nan("");
  EXPECT_FALSE(TridiagonalEigenvaluesOfTwo({d1.data(), e1.data(), 90, together1.data()},
                                           {d2.data(), e2.data(), 35, together2.data()}));
  EXPECT_FALSE(TakeFloatFaults());
}

}  // namespace
}  // namespace talvex
