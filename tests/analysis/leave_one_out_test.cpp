// Leave-one-out dispersion matrices obtained by downdating agree with the
// ones computed from the reduced sample's rows, also where the left-out
// object carries nearly all of a variable's spread.
#include "analysis/leave_one_out.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <tuple>
#include <utility>

#include "numeric/float_faults.h"
#include "numeric/jacobi_eigenpairs.h"
#include "numeric/principal_axes.h"
#include "numeric/statistics.h"
#include "test_support.h"

namespace talvex {
namespace {

using testing::TFullSampleAxes;

TFloatMatrix RandomData(TSize n, TSize p, unsigned seed, double offset) {
  std::mt19937 random(seed);
  std::normal_distribution<double> normal(0.0, 1.0);
  TFloatMatrix x(n, p);
  for (TSize i = 1; i <= n; ++i) {
    const double size = normal(random);
    for (TSize j = 1; j <= p; ++j) x.SetValue(i, j, offset + 3.0 * size + normal(random) + j);
  }
  return x;
}

void ExpectSameAxesAsRecomputed(const TFloatMatrix& x, TSize n, TSize p, DispersionMethod method,
                                double tolerance) {
  const TLeaveOneOut leaveOneOut(x, n, p, method);
  TLeaveOneOut::TWorkspace ws(n, p);
  TFloatMatrix rows(n - 1, p);
  for (TSize i = 1; i <= n; ++i) {
    SCOPED_TRACE(i);
    leaveOneOut.Decompose(i, ws, p);
    for (TSize r = 1, k = 1; k <= n; ++k) {
      if (k == i) continue;
      for (TSize j = 1; j <= p; ++j) rows.SetValue(r, j, x.GetValue(k, j));
      ++r;
    }
    const auto [trace, values, vectors] = PrincipalAxes(n - 1, p, rows, method);
    for (TSize c = 1; c <= p; ++c) {
      EXPECT_NEAR(ws.values.GetValue(c), values.GetValue(c), tolerance * values.GetValue(1));
      double dot = 0.0;
      for (TSize j = 1; j <= p; ++j) dot += ws.vectors.GetValue(j, c) * vectors.GetValue(j, c);
      // Unit vectors of well separated eigenvalues: the same axis up to sign.
      if (c == 1) {
        EXPECT_NEAR(std::abs(dot), 1.0, 1e-9);
      }
    }
  }
}

TEST(LeaveOneOut, DowndateAgreesWithRecomputation) {
  for (auto method : {DispersionMethod::Covariance, DispersionMethod::Correlation}) {
    ExpectSameAxesAsRecomputed(RandomData(30, 5, 1, 0.0), 30, 5, method, 1e-13);
    // A large common offset: the values themselves carry only about ten
    // digits of their spread, and both ways keep nearly all of them.
    ExpectSameAxesAsRecomputed(RandomData(25, 4, 2, 1e7), 25, 4, method, 1e-9);
  }
}

// The downdate writes the lower triangle alone: whatever a workspace's upper
// triangle holds (here NaN) never reaches the axes, in the one-pass
// reduction nor in the panels (beyond 128 variables).
TEST(LeaveOneOut, UpperTriangleOfTheWorkspaceIsNeverRead) {
  for (auto [n, p] : {std::pair<TSize, TSize>{40, 6}, {150, 130}}) {
    SCOPED_TRACE(p);
    const TFloatMatrix x = RandomData(n, p, 3, 0.0);
    for (auto method : {DispersionMethod::Covariance, DispersionMethod::Correlation}) {
      const TLeaveOneOut leaveOneOut(x, n, p, method);
      TLeaveOneOut::TWorkspace clean(n, p), poisoned(n, p);
      for (TSize i = 1; i <= n; i += 37) {
        SCOPED_TRACE(i);
        poisoned.work.Fill(p, p, std::numeric_limits<double>::quiet_NaN());
        leaveOneOut.Decompose(i, clean, p);
        leaveOneOut.Decompose(i, poisoned, p);
        for (TSize c = 1; c <= p; ++c) {
          ASSERT_EQ(poisoned.values.GetValue(c), clean.values.GetValue(c));
          for (TSize j = 1; j <= p; ++j)
            ASSERT_EQ(poisoned.vectors.GetValue(j, c), clean.vectors.GetValue(j, c));
        }
      }
    }
  }
}

TEST(LeaveOneOut, HugeOffsetWithTinySpreadKeepsTheFullSamplesDigits) {
  // 1e8 give or take 1e-4: a plain sum / n mean is off by several units of
  // the last place, which is a sizeable part of the spread; the centred mean
  // of the full sample is not, and the reduced samples must agree with it.
  for (unsigned seed : {4u, 5u, 6u}) {
    SCOPED_TRACE(seed);
    TFloatMatrix x = RandomData(13, 3, seed, 0.0);
    for (TSize i = 1; i <= 13; ++i) x.SetValue(i, 1, 1e8 + 1e-4 * x.GetValue(i, 1));
    ExpectSameAxesAsRecomputed(x, 13, 3, DispersionMethod::Correlation, 1e-9);
  }
}

TEST(LeaveOneOut, OutlierCarryingAVariablesSpreadIsRecomputed) {
  // Variable 2 is constant except for object 3: without it the variance is
  // exactly zero, so the reduced correlation matrix must fault, as it would
  // when computed from the rows, rather than return rounding noise.
  TFloatMatrix x = RandomData(12, 3, 3, 0.0);
  for (TSize i = 1; i <= 12; ++i) x.SetValue(i, 2, 5.0);
  x.SetValue(3, 2, 5e6);
  const TLeaveOneOut covariance(x, 12, 3, DispersionMethod::Covariance);
  TLeaveOneOut::TWorkspace ws(12, 3);
  covariance.Decompose(3, ws, 3);
  EXPECT_EQ(ws.values.GetValue(3), 0.0);  // the constant variable's axis, exactly

  const TLeaveOneOut correlation(x, 12, 3, DispersionMethod::Correlation);
  EXPECT_THROW(correlation.Decompose(3, ws, 3), Exception);
  EXPECT_NO_THROW(correlation.Decompose(4, ws, 3));
}

// Under covariances, given the full sample's axes, each reduced sample is
// the full one less a rank-one term in those axes: its eigenpairs agree with
// the reduced matrix decomposed directly, for every axis. With a large
// offset the rounding of the means would be dropped by the rank-one form,
// and the matrix is decomposed directly instead; with n = p the reduced
// samples lose rank, which the downdate follows too.
TEST(LeaveOneOut, FullSampleAxesDowndatedUnderCovariances) {
  for (auto [n, p, offset] : {std::tuple<TSize, TSize, double>{40, 12, 0.0},
                              {25, 6, 1e9},
                              {20, 20, 3.0},
                              {200, 150, 0.0}}) {
    SCOPED_TRACE(p);
    const TFloatMatrix x = RandomData(n, p, 10 + p, offset);
    const TFullSampleAxes full(x, n, p, DispersionMethod::Covariance);
    TLeaveOneOut direct(x, n, p, DispersionMethod::Covariance);
    TLeaveOneOut downdated(x, n, p, DispersionMethod::Covariance);
    downdated.UseFullSampleAxes(full.values, full.axes);
    TLeaveOneOut::TWorkspace a(n, p), b(n, p);
    for (TSize i = 1; i <= n; i += 7) {
      SCOPED_TRACE(i);
      const TSize rank = direct.Decompose(i, a, p);
      ASSERT_EQ(downdated.Decompose(i, b, p), rank);
      for (TSize c = 1; c <= p; ++c)
        EXPECT_NEAR(b.values.GetValue(c), a.values.GetValue(c), 1e-12 * a.values.GetValue(1)) << c;
      for (TSize c = 1; c <= rank; ++c) {
        // Axes of eigenvalues closer than 1e-6 apart are not compared.
        const double gap =
            std::min(c > 1 ? a.values.GetValue(c - 1) - a.values.GetValue(c) : 1e300,
                     c < p ? a.values.GetValue(c) - a.values.GetValue(c + 1) : 1e300);
        if (gap < 1e-6 * a.values.GetValue(1)) continue;
        double dot = 0.0;
        for (TSize j = 1; j <= p; ++j) dot += a.vectors.GetValue(j, c) * b.vectors.GetValue(j, c);
        // The same axis; its sign is the jackknife's to align.
        EXPECT_NEAR(std::abs(dot), 1.0, 1e-9) << c;
      }
    }
  }
  // Correlations are rescaled per reduced sample: the full-sample axes are
  // not used, and the results are the direct ones bit for bit.
  const TSize n = 30, p = 8;
  const TFloatMatrix x = RandomData(n, p, 3, 0.0);
  const TFullSampleAxes full(x, n, p, DispersionMethod::Correlation);
  TLeaveOneOut direct(x, n, p, DispersionMethod::Correlation);
  TLeaveOneOut given(x, n, p, DispersionMethod::Correlation);
  given.UseFullSampleAxes(full.values, full.axes);
  TLeaveOneOut::TWorkspace a(n, p), b(n, p);
  direct.Decompose(4, a, p);
  given.Decompose(4, b, p);
  for (TSize c = 1; c <= p; ++c) {
    EXPECT_EQ(a.values.GetValue(c), b.values.GetValue(c));
    for (TSize j = 1; j <= p; ++j) EXPECT_EQ(a.vectors.GetValue(j, c), b.vectors.GetValue(j, c));
  }
}

// With fewer objects than variables the reduced sample's axes come from the
// products between its objects: they agree with the p x p matrix decomposed
// from the rows within the rank n - 2, are unit length and at right angles,
// and the eigenvalues past the rank are exactly zero.
TEST(LeaveOneOut, FewerObjectsThanVariablesDecomposeTheirProducts) {
  const TSize n = 12, p = 40;
  const TFloatMatrix x = RandomData(n, p, 7, 50.0);
  for (auto method : {DispersionMethod::Covariance, DispersionMethod::Correlation}) {
    SCOPED_TRACE(int(method));
    const TLeaveOneOut leaveOneOut(x, n, p, method);
    ASSERT_TRUE(leaveOneOut.ThroughObjects());
    TLeaveOneOut::TWorkspace ws(n, p);
    TFloatMatrix rows(n - 1, p);
    for (TSize i : {TSize(1), TSize(5), n}) {
      SCOPED_TRACE(i);
      ASSERT_EQ(leaveOneOut.Decompose(i, ws, p), n - 2);
      for (TSize r = 1, k = 1; k <= n; ++k) {
        if (k == i) continue;
        for (TSize j = 1; j <= p; ++j) rows.SetValue(r, j, x.GetValue(k, j));
        ++r;
      }
      const auto [trace, values, vectors] = PrincipalAxes(n - 1, p, rows, method);
      const double largest = values.GetValue(1);
      for (TSize c = 1; c <= n - 2; ++c) {
        EXPECT_NEAR(ws.values.GetValue(c), values.GetValue(c), 1e-12 * largest) << c;
        double dot = 0.0;
        for (TSize j = 1; j <= p; ++j) dot += ws.vectors.GetValue(j, c) * vectors.GetValue(j, c);
        EXPECT_NEAR(std::abs(dot), 1.0, 1e-9) << c;
        for (TSize b = 1; b <= c; ++b) {
          double product = 0.0;
          for (TSize j = 1; j <= p; ++j)
            product += ws.vectors.GetValue(j, b) * ws.vectors.GetValue(j, c);
          EXPECT_NEAR(product, b == c ? 1.0 : 0.0, 1e-12) << b << ' ' << c;
        }
      }
      for (TSize c = n - 1; c <= p; ++c) ASSERT_EQ(ws.values.GetValue(c), 0.0) << c;
    }
  }
}

// Objects that repeat one another lower the rank further: the axes of the
// zero eigenvalues within n - 2 are not determined either, and are not
// formed from rounding noise (no division by a zero eigenvalue).
TEST(LeaveOneOut, RepeatedObjectsLowerTheRankTheyDetermine) {
  const TSize n = 10, p = 30;
  TFloatMatrix x = RandomData(n, p, 8, 0.0);
  for (TSize j = 1; j <= p; ++j) {
    x.SetValue(4, j, x.GetValue(3, j));
    x.SetValue(6, j, x.GetValue(3, j));
  }
  for (auto method : {DispersionMethod::Covariance, DispersionMethod::Correlation}) {
    SCOPED_TRACE(int(method));
    const TLeaveOneOut leaveOneOut(x, n, p, method);
    TLeaveOneOut::TWorkspace ws(n, p);
    // Without object 1, the nine others hold seven distinct rows: rank 6.
    EXPECT_EQ(leaveOneOut.Decompose(1, ws, p), 6u);
    for (TSize c = 7; c <= p; ++c) EXPECT_EQ(ws.values.GetValue(c), 0.0) << c;
    for (TSize c = 1; c <= 6; ++c) {
      double length = 0.0;
      for (TSize j = 1; j <= p; ++j)
        length += ws.vectors.GetValue(j, c) * ws.vectors.GetValue(j, c);
      EXPECT_NEAR(length, 1.0, 1e-12) << c;
    }
    // Without object 3 (or 4), nine rows of which eight are distinct.
    EXPECT_EQ(leaveOneOut.Decompose(3, ws, p), 7u);
    EXPECT_EQ(leaveOneOut.Decompose(4, ws, p), 7u);
  }
}

// Where the objects are not clearly fewer than the variables the p x p
// matrix is decomposed as before; past the rank n - 2 its eigenvalues are
// rounding noise and become exactly zero.
TEST(LeaveOneOut, EigenvaluesPastTheRankAreZero) {
  const TSize n = 12, p = 12;
  const TFloatMatrix x = RandomData(n, p, 9, 0.0);
  const TLeaveOneOut leaveOneOut(x, n, p, DispersionMethod::Covariance);
  EXPECT_FALSE(leaveOneOut.ThroughObjects());
  TLeaveOneOut::TWorkspace ws(n, p);
  EXPECT_EQ(leaveOneOut.Decompose(2, ws, p), n - 2);
  EXPECT_GT(ws.values.GetValue(n - 2), 0.0);
  EXPECT_EQ(ws.values.GetValue(n - 1), 0.0);
  EXPECT_EQ(ws.values.GetValue(n), 0.0);
}

// Two samples at a time give the same bits as one after the other on every
// path: correlations decomposed as they stand (the pairs' own path), a
// sample recomputed from its rows beside a downdated one, covariances
// downdated from the full-sample axes, and objects' products; the numbers
// of determined axes too. A sample that faults raises from the pair as it
// does alone.
TEST(LeaveOneOut, TwoSamplesAtATimeGiveTheBitsOfOneAtATime) {
  TFloatMatrix outlier = RandomData(12, 3, 3, 0.0);
  for (TSize i = 1; i <= 12; ++i) outlier.SetValue(i, 2, 5.0 + 0.01 * double(i));
  outlier.SetValue(3, 2, 5e6);  // without object 3 variable 2 is recomputed
  struct TCase {
    TFloatMatrix x;
    TSize n, p;
    DispersionMethod method;
    bool fullAxes;
  };
  const std::vector<TCase> cases = {
      {RandomData(100, 120, 1, 0.0), 100, 120, DispersionMethod::Correlation, false},
      {RandomData(200, 150, 2, 0.0), 200, 150, DispersionMethod::Correlation, false},
      {outlier, 12, 3, DispersionMethod::Correlation, false},
      {RandomData(40, 12, 4, 0.0), 40, 12, DispersionMethod::Covariance, true},
      {RandomData(12, 40, 5, 50.0), 12, 40, DispersionMethod::Correlation, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.n << " x " << c.p);
    const TFullSampleAxes full(c.x, c.n, c.p, c.method);
    TLeaveOneOut leaveOneOut(c.x, c.n, c.p, c.method);
    if (c.fullAxes) leaveOneOut.UseFullSampleAxes(full.values, full.axes);
    TLeaveOneOut::TWorkspace alone(c.n, c.p), first(c.n, c.p), second(c.n, c.p);
    for (TSize i = 1; i + 1 <= c.n; i += std::max<TSize>(1, c.n / 5)) {
      SCOPED_TRACE(i);
      const auto [determinedI, determinedJ] =
          leaveOneOut.DecomposeTwo(i, first, i + 1, second, c.p);
      for (auto [object, determined, ws] :
           {std::tuple{i, determinedI, &first}, std::tuple{i + 1, determinedJ, &second}}) {
        EXPECT_EQ(leaveOneOut.Decompose(object, alone, c.p), determined);
        EXPECT_EQ(std::memcmp(alone.values.Data(), ws->values.Data(), c.p * sizeof(double)), 0);
        for (TSize a = 1; a <= determined; ++a)
          EXPECT_EQ(
              std::memcmp(alone.vectors.Column(a), ws->vectors.Column(a), c.p * sizeof(double)), 0)
              << "object " << object << ", axis " << a;
      }
    }
  }

  // A variable constant but for object 3: its reduced correlation matrix
  // faults, from a pair as alone.
  TFloatMatrix constant = RandomData(12, 3, 3, 0.0);
  for (TSize i = 1; i <= 12; ++i) constant.SetValue(i, 2, 5.0);
  constant.SetValue(3, 2, 5e6);
  const TLeaveOneOut correlation(constant, 12, 3, DispersionMethod::Correlation);
  TLeaveOneOut::TWorkspace a(12, 3), b(12, 3);
  EXPECT_THROW(correlation.DecomposeTwo(2, a, 3, b, 3), Exception);
  ClearFloatFaults();
  EXPECT_NO_THROW(correlation.DecomposeTwo(4, a, 5, b, 3));
}

}  // namespace
}  // namespace talvex

namespace talvex {
namespace {

// With one variable fewer than objects a reduced sample has rank p - 1: its
// last axis is its one null direction, as determined as the others, under
// every route (the matrix decomposed, or the full sample's axes downdated).
TEST(LeaveOneOut, TheLastAxisIsTheNullDirectionWithOneVariableFewerThanObjects) {
  for (auto [n, p] : {std::pair<TSize, TSize>{6, 5}, {12, 11}, {3, 2}}) {
    SCOPED_TRACE(p);
    const TFloatMatrix x = RandomData(n, p, 11, 0.0);
    for (auto method : {DispersionMethod::Covariance, DispersionMethod::Correlation}) {
      TLeaveOneOut leaveOneOut(x, n, p, method);
      const TFullSampleAxes full(x, n, p, method);
      if (method == DispersionMethod::Covariance)
        leaveOneOut.UseFullSampleAxes(full.values, full.axes);
      TLeaveOneOut::TWorkspace ws(n, p);
      for (TSize i = 1; i <= n; ++i) {
        ASSERT_EQ(leaveOneOut.Decompose(i, ws, p), p);
        EXPECT_EQ(ws.values.GetValue(p), 0.0);
        // The reduced sample's centred rows are at right angles to it.
        std::vector<double> mean(p, 0.0);
        for (TSize k = 1; k <= n; ++k)
          for (TSize j = 1; j <= p; ++j)
            if (k != i) mean[j - 1] += x.GetValue(k, j) / double(n - 1);
        for (TSize k = 1; k <= n; ++k) {
          if (k == i) continue;
          double along = 0.0, length = 0.0;
          for (TSize j = 1; j <= p; ++j) {
            double y = x.GetValue(k, j) - mean[j - 1];
            if (method == DispersionMethod::Correlation) {
              double squares = 0.0;
              for (TSize l = 1; l <= n; ++l)
                if (l != i) squares += std::pow(x.GetValue(l, j) - mean[j - 1], 2);
              y /= std::sqrt(squares / double(n - 2));
            }
            along += y * ws.vectors.GetValue(j, p);
            length += y * y;
          }
          EXPECT_LT(std::fabs(along), 1e-10 * std::sqrt(length)) << i << " " << k;
        }
      }
    }
  }
}

// Covariance eigenvalues from 1e8 down to 1e-9 (a variable of spread 1e-4
// close to one of spread 1): every reduced eigenvalue to relative accuracy,
// against the reduced matrix decomposed by Jacobi rotations here.
TEST(LeaveOneOut, EigenvaluesFarBelowTheLargestKeepTheirDigits) {
  const TSize n = 20, p = 3;
  TFloatMatrix x = RandomData(n, p, 26, 0.0);
  for (TSize i = 1; i <= n; ++i) {
    const double z = x.GetValue(i, 1);
    x.SetValue(i, 1, 1e-4 * z);
    x.SetValue(i, 2, 1e4 * x.GetValue(i, 2));
    x.SetValue(i, 3, z + 0.5 * x.GetValue(i, 3));
  }
  TLeaveOneOut leaveOneOut(x, n, p, DispersionMethod::Covariance);
  const TFullSampleAxes full(x, n, p, DispersionMethod::Covariance);
  ASSERT_LT(full.values.GetValue(3), 1e-15 * full.values.GetValue(1));
  leaveOneOut.UseFullSampleAxes(full.values, full.axes);
  TLeaveOneOut::TWorkspace ws(n, p);
  for (TSize i = 1; i <= n; ++i) {
    leaveOneOut.Decompose(i, ws, p);
    TFloatMatrix rows(n - 1, p), s(p, p), vectors(p, p);
    TFloatVector values(p);
    for (TSize k = 1, r = 1; k <= n; ++k)
      if (k != i) {
        for (TSize j = 1; j <= p; ++j) rows.SetValue(r, j, x.GetValue(k, j));
        ++r;
      }
    DispersionMatrix(rows, n - 1, p, s, DispersionMethod::Covariance);
    ASSERT_TRUE(JacobiEigenpairs(s, p, values, vectors));
    for (TSize c = 1; c <= p; ++c)
      EXPECT_NEAR(ws.values.GetValue(c), values.GetValue(c), 1e-10 * values.GetValue(c)) << i;
  }
}

}  // namespace
}  // namespace talvex
