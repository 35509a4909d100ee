// Means, dispersion matrices, standardisation, scores and component
// correlations: the worked examples, agreement with the raw-sum formulas on
// ordinary data, the NIST StRD accuracy sets, faults and range checks.
#include "numeric/statistics.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "numeric/float_faults.h"
#include "numeric_test_support.h"

namespace talvex {
namespace {

using testing::ColumnOf;
using testing::ExpectThrowMessage;
using testing::MatrixOf;

class Statistics : public ::testing::Test {
 protected:
  void SetUp() override { ClearFloatFaults(); }
};

TFloatMatrix RandomData(TSize n, TSize p, unsigned seed) {
  std::mt19937 rng(seed);
  std::normal_distribution<double> normal(0.0, 1.0);
  TFloatMatrix m(n, p);
  for (TSize j = 1; j <= p; ++j) {
    const double offset = 10.0 * j, scale = 0.5 + j;
    for (TSize i = 1; i <= n; ++i) m.SetValue(i, j, offset + scale * normal(rng));
  }
  return m;
}

// The one-pass raw-sum covariance: the textbook formula the centred
// computation must agree with on ordinary data.
double RawCovariance(const TFloatMatrix& data, TSize n, TSize f, TSize e) {
  double sf = 0.0, se = 0.0, sfe = 0.0;
  for (TSize i = 1; i <= n; ++i) {
    sf += data.GetValue(i, f);
    se += data.GetValue(i, e);
    sfe += data.GetValue(i, f) * data.GetValue(i, e);
  }
  return (sfe - sf * se / n) / (n - 1);
}

TEST_F(Statistics, VectorMeanAndTrace) {
  TFloatVector v(4);
  for (TSize i = 1; i <= 4; ++i) v.SetValue(i, i);
  EXPECT_EQ(VectorMean(v, 4), 2.5);
  EXPECT_EQ(VectorMean(v, 2), 1.5);
  TFloatMatrix m = MatrixOf({{1, 9}, {9, 4}});
  EXPECT_EQ(MatrixTrace(m, 2), 5.0);
  EXPECT_EQ(MatrixTrace(m, 0), 0.0);
  ExpectThrowMessage<EInvalidOp>([&] { VectorMean(v, 0); }, "Invalid floating point operation");
  ExpectThrowMessage<EOutOfBounds>([&] { VectorMean(v, 5); }, "Array Reference Out of Bounds");
  ExpectThrowMessage<EOutOfBounds>([&] { MatrixTrace(m, 3); }, "Array Reference Out of Bounds");
}

TEST_F(Statistics, TwoObjectExample) {
  const TFloatMatrix data = MatrixOf({{1, 2}, {3, 6}});
  TFloatMatrix result(2, 2);
  DispersionMatrix(data, 2, 2, result, DispersionMethod::Covariance);
  EXPECT_EQ(result.GetValue(1, 1), 2.0);
  EXPECT_EQ(result.GetValue(1, 2), 4.0);
  EXPECT_EQ(result.GetValue(2, 1), 4.0);
  EXPECT_EQ(result.GetValue(2, 2), 8.0);
  DispersionMatrix(data, 2, 2, result, DispersionMethod::Correlation);
  for (TSize i = 1; i <= 2; ++i)
    for (TSize j = 1; j <= 2; ++j) EXPECT_NEAR(result.GetValue(i, j), 1.0, 1e-15);
}

TEST_F(Statistics, AgreesWithRawSumsOnOrdinaryData) {
  const TSize n = 40, p = 6;
  const TFloatMatrix data = RandomData(n, p, 7);
  TFloatMatrix cov(p, p), cor(p, p);
  DispersionMatrix(data, n, p, cov, DispersionMethod::Covariance);
  DispersionMatrix(data, n, p, cor, DispersionMethod::Correlation);
  double trace = 0.0;
  for (TSize f = 1; f <= p; ++f) {
    for (TSize e = 1; e <= p; ++e) {
      const double raw = RawCovariance(data, n, f, e);
      const double scale = std::sqrt(RawCovariance(data, n, f, f) * RawCovariance(data, n, e, e));
      EXPECT_NEAR(cov.GetValue(f, e), raw, 1e-11 * scale);
      EXPECT_EQ(cov.GetValue(f, e), cov.GetValue(e, f));
      EXPECT_NEAR(cor.GetValue(f, e), raw / scale, 1e-12);
    }
    trace += cor.GetValue(f, f);
  }
  EXPECT_NEAR(MatrixTrace(cor, p), p, 1e-13);
  EXPECT_EQ(MatrixTrace(cor, p), trace);

  TFloatVector means(p), sds(p);
  ColumnMeansAndDeviations(data, n, p, means, sds);
  for (TSize j = 1; j <= p; ++j) {
    double sum = 0.0;
    for (TSize i = 1; i <= n; ++i) sum += data.GetValue(i, j);
    EXPECT_NEAR(means.GetValue(j), sum / n, 1e-14 * std::fabs(sum / n));
    EXPECT_NEAR(sds.GetValue(j) * sds.GetValue(j), cov.GetValue(j, j), 1e-14 * cov.GetValue(j, j));
  }
}

struct TNistCase {
  const char* name;
  std::vector<double> values;
  double mean, sd;
  double sdDigits;  // significant digits the double-rounded data can still carry
};

std::vector<double> Pairs(double first, double low, double high) {
  std::vector<double> v{first};
  for (int i = 0; i < 500; ++i) {
    v.push_back(low);
    v.push_back(high);
  }
  return v;
}

// The exact standard deviation of the stored doubles, in extended precision.
double ExtendedDeviation(const std::vector<double>& x) {
  long double sum = 0.0L;
  for (double v : x) sum += v;
  const long double mean = sum / x.size();
  long double ss = 0.0L;
  for (double v : x) ss += (v - mean) * (v - mean);
  return double(std::sqrt(ss / (x.size() - 1)));
}

TEST_F(Statistics, NistUnivariateAccuracySets) {
  // NumAcc4's values 10000000.1 and 10000000.3 already carry a relative
  // error of about 1e-9 of their 0.1 deviations once stored as doubles; its
  // certified sd is reachable to 8.25 digits by any double computation.
  const std::vector<TNistCase> cases = {
      {"NumAcc1", {10000001, 10000003, 10000002}, 10000002, 1, 15},
      {"NumAcc2", Pairs(1.2, 1.1, 1.3), 1.2, 0.1, 13},
      {"NumAcc3", Pairs(1000000.2, 1000000.1, 1000000.3), 1000000.2, 0.1, 9},
      {"NumAcc4", Pairs(10000000.2, 10000000.1, 10000000.3), 10000000.2, 0.1, 8},
  };
  for (const TNistCase& c : cases) {
    SCOPED_TRACE(c.name);
    const TSize n = TSize(c.values.size());
    const TFloatMatrix data = ColumnOf(c.values);
    TFloatVector means(1), sds(1);
    ColumnMeansAndDeviations(data, n, 1, means, sds);
    EXPECT_NEAR(means.GetValue(1), c.mean, 1e-15 * c.mean);
    EXPECT_NEAR(sds.GetValue(1), c.sd, std::pow(10.0, -c.sdDigits) * c.sd);
    EXPECT_NEAR(sds.GetValue(1), ExtendedDeviation(c.values), 1e-13 * c.sd);
    TFloatMatrix cov(1, 1);
    DispersionMatrix(data, n, 1, cov, DispersionMethod::Covariance);
    EXPECT_NEAR(cov.GetValue(1, 1), c.sd * c.sd, 2 * std::pow(10.0, -c.sdDigits) * c.sd * c.sd);
  }
}

TEST_F(Statistics, StandardizeData) {
  const TFloatMatrix data = MatrixOf({{1, 10}, {2, 10.5}, {3, 13}});
  TFloatMatrix z(3, 2);
  StandardizeData(data, 3, 2, z);
  EXPECT_EQ(z.GetValue(1, 1), -1.0);
  EXPECT_EQ(z.GetValue(2, 1), 0.0);
  EXPECT_EQ(z.GetValue(3, 1), 1.0);
  double sum = 0.0, ss = 0.0;
  for (TSize i = 1; i <= 3; ++i) {
    sum += z.GetValue(i, 2);
    ss += z.GetValue(i, 2) * z.GetValue(i, 2);
  }
  EXPECT_NEAR(sum, 0.0, 4e-15);
  EXPECT_NEAR(ss, 2.0, 4e-15);
}

TEST_F(Statistics, ComponentScoresByMethod) {
  const TFloatMatrix data = MatrixOf({{1, 10}, {2, 14}, {6, 12}});
  const TFloatMatrix vectors = MatrixOf({{0.6, -0.8}, {0.8, 0.6}});
  TFloatMatrix z(3, 2);
  StandardizeData(data, 3, 2, z);
  const double means[2] = {3.0, 12.0};

  TFloatMatrix scores(3, 3);
  scores.Fill(3, 3, 99.0);
  ComponentScores(3, 2, 1, scores, vectors, data, DispersionMethod::Correlation);
  for (TSize i = 1; i <= 3; ++i) {
    EXPECT_NEAR(scores.GetValue(i, 1), 0.6 * z.GetValue(i, 1) + 0.8 * z.GetValue(i, 2), 1e-15);
    EXPECT_EQ(scores.GetValue(i, 2), 99.0);  // only the k requested columns are written
  }

  ComponentScores(3, 2, 2, scores, vectors, data, DispersionMethod::Covariance);
  for (TSize i = 1; i <= 3; ++i) {
    const double c1 = data.GetValue(i, 1) - means[0], c2 = data.GetValue(i, 2) - means[1];
    EXPECT_NEAR(scores.GetValue(i, 1), 0.6 * c1 + 0.8 * c2, 1e-14);
    EXPECT_NEAR(scores.GetValue(i, 2), -0.8 * c1 + 0.6 * c2, 1e-14);
  }
}

// Scores are formed in blocks of rows and columns: each must still be its p
// products summed in variable order, whatever rows and columns are left
// over, in containers larger than the data.
TEST_F(Statistics, ComponentScoresAreSumsInVariableOrder) {
  for (const auto [n, p, k] :
       {std::array<TSize, 3>{21, 9, 7}, {16, 5, 4}, {7, 3, 3}, {9, 12, 12}}) {
    const TFloatMatrix data = RandomData(n + 2, p + 1, unsigned(n * p));
    const TFloatMatrix vectors = RandomData(p + 3, p + 1, unsigned(k));
    TFloatMatrix z(n, p), scores(n + 1, k + 1);
    StandardizeData(data, n, p, z);
    ComponentScores(n, p, k, scores, vectors, data, DispersionMethod::Correlation);
    for (TSize c = 1; c <= k; ++c) {
      for (TSize i = 1; i <= n; ++i) {
        double sum = 0.0;
        for (TSize j = 1; j <= p; ++j) sum = sum + z.GetValue(i, j) * vectors.GetValue(j, c);
        ASSERT_EQ(scores.GetValue(i, c), sum) << n << "x" << p << " score " << i << ", " << c;
      }
    }
  }
}

TEST_F(Statistics, ComponentCorrelations) {
  const TFloatMatrix vectors = MatrixOf({{0.6, -0.8}, {0.8, 0.6}});
  TFloatVector lambda(2), sd(2);
  lambda.SetValue(1, 4.0);
  lambda.SetValue(2, -0.25);  // rounding below zero: the absolute value is used
  sd.SetValue(1, 2.0);
  sd.SetValue(2, 4.0);
  TFloatMatrix r(2, 2);
  ComponentCorrelations(2, 2, DispersionMethod::Correlation, lambda, sd, vectors, r);
  EXPECT_EQ(r.GetValue(1, 1), 1.0);  // 0.6 * 2 = 1.2, capped
  EXPECT_EQ(r.GetValue(2, 1), 1.0);
  EXPECT_EQ(r.GetValue(1, 2), -0.4);
  EXPECT_EQ(r.GetValue(2, 2), 0.3);
  ComponentCorrelations(2, 2, DispersionMethod::Covariance, lambda, sd, vectors, r);
  EXPECT_EQ(r.GetValue(1, 1), 0.6);
  EXPECT_EQ(r.GetValue(2, 1), 0.4);
  EXPECT_EQ(r.GetValue(1, 2), -0.2);
  EXPECT_EQ(r.GetValue(2, 2), 0.075);

  // Just above 1 is capped; just below -1 is not.
  const double above = std::nextafter(1.0, 2.0), below = std::nextafter(-1.0, -2.0);
  const TFloatMatrix edge = MatrixOf({{above, below}});
  TFloatVector ones(2);
  ones.Fill(2, 1.0);
  TFloatMatrix capped(1, 2);
  ComponentCorrelations(1, 2, DispersionMethod::Correlation, ones, ones, edge, capped);
  EXPECT_EQ(capped.GetValue(1, 1), 1.0);
  EXPECT_EQ(capped.GetValue(1, 2), below);

  // A zero loading is +0 (it would print as -0.0000 otherwise).
  const TFloatMatrix zero = MatrixOf({{-0.0, 1.0}});
  ComponentCorrelations(1, 2, DispersionMethod::Correlation, ones, ones, zero, capped);
  EXPECT_FALSE(std::signbit(capped.GetValue(1, 1)));
}

TEST_F(Statistics, DegenerateDataRaisesTheArithmeticFault) {
  // A constant column whose value has no exact binary form still has a
  // variance of exactly zero, so the correlation fails as it should.
  const TFloatMatrix constant = MatrixOf({{0.1, 1}, {0.1, 2}, {0.1, 4}, {0.1, 3}, {0.1, 7}});
  TFloatMatrix result(2, 2);
  ExpectThrowMessage<EInvalidOp>(
      [&] { DispersionMatrix(constant, 5, 2, result, DispersionMethod::Correlation); },
      "Invalid floating point operation");
  DispersionMatrix(constant, 5, 2, result, DispersionMethod::Covariance);
  EXPECT_EQ(result.GetValue(1, 1), 0.0);
  EXPECT_EQ(result.GetValue(1, 2), 0.0);
  TFloatMatrix z(5, 2);
  ExpectThrowMessage<EInvalidOp>([&] { StandardizeData(constant, 5, 2, z); },
                                 "Invalid floating point operation");

  const TFloatMatrix single = MatrixOf({{1, 2}});
  ExpectThrowMessage<EInvalidOp>(
      [&] { DispersionMatrix(single, 1, 2, result, DispersionMethod::Covariance); },
      "Invalid floating point operation");
  TFloatVector means(2), sds(2);
  ExpectThrowMessage<EInvalidOp>([&] { ColumnMeansAndDeviations(single, 1, 2, means, sds); },
                                 "Invalid floating point operation");

  const TFloatMatrix huge = MatrixOf({{1e300, 1}, {-1e300, 2}});
  ExpectThrowMessage<EOverflow>(
      [&] { DispersionMatrix(huge, 2, 2, result, DispersionMethod::Covariance); },
      "Floating point overflow");

  TFloatVector lambda(1), zeroSd(1);
  lambda.SetValue(1, 2.0);
  const TFloatMatrix vector = MatrixOf({{1.0}});
  TFloatMatrix r(1, 1);
  ExpectThrowMessage<EZeroDivide>(
      [&] { ComponentCorrelations(1, 1, DispersionMethod::Covariance, lambda, zeroSd, vector, r); },
      "Floating point division by zero");
}

// The centred sums of products are, bit for bit, the plain sums in object
// order of products of deviations from the given means, whatever the
// grouping of objects and bands of columns inside; the leave-one-out
// downdate starts from them and must see the full sample's own numbers.
TEST_F(Statistics, CentredCrossProductsAreObjectOrderSums) {
  const TSize p = 11;  // more columns than one band
  for (TSize n : {1u, 13u, 14u, 15u, 16u}) {
    SCOPED_TRACE(n);
    const TFloatMatrix data = RandomData(n, p, 5 + n);
    TFloatVector means(p);
    for (TSize j = 1; j <= p; ++j) means.SetValue(j, CentredMean(data.Column(j), n));
    TFloatMatrix sums(p, p);
    CentredCrossProducts(data, n, p, means, sums);
    for (TSize e = 1; e <= p; ++e) {
      for (TSize f = 1; f <= p; ++f) {
        double sum = 0.0;
        for (TSize i = 1; i <= n; ++i)
          sum +=
              (data.GetValue(i, f) - means.GetValue(f)) * (data.GetValue(i, e) - means.GetValue(e));
        EXPECT_EQ(sums.GetValue(e, f), sum) << e << ", " << f;
      }
    }
  }
  const TFloatMatrix data = RandomData(5, 3, 3);
  TFloatVector shortMeans(2);
  shortMeans.Fill(2, 0.0);
  TFloatMatrix sums(3, 3);
  ExpectThrowMessage<EOutOfBounds>([&] { CentredCrossProducts(data, 5, 3, shortMeans, sums); },
                                   "Array Reference Out of Bounds");
}

TEST_F(Statistics, ContainersTooSmallAreRefusedBeforeAnyWrite) {
  const TFloatMatrix data = RandomData(5, 3, 3);
  TFloatMatrix small(2, 3);
  small.Fill(2, 3, 7.0);
  ExpectThrowMessage<EOutOfBounds>(
      [&] { DispersionMatrix(data, 5, 3, small, DispersionMethod::Covariance); },
      "Array Reference Out of Bounds");
  EXPECT_EQ(small.GetValue(1, 1), 7.0);

  // Capacity is enough but the data's readable extent was shrunk by a fill.
  TFloatMatrix shrunk = data;
  shrunk.Fill(4, 3, 1.0);
  TFloatMatrix result(3, 3);
  result.Fill(3, 3, 7.0);
  ExpectThrowMessage<EOutOfBounds>(
      [&] { DispersionMatrix(shrunk, 5, 3, result, DispersionMethod::Covariance); },
      "Array Reference Out of Bounds");
  EXPECT_EQ(result.GetValue(3, 3), 7.0);

  TFloatMatrix scores(5, 1);
  const TFloatMatrix vectors(3, 3);
  ExpectThrowMessage<EOutOfBounds>(
      [&] { ComponentScores(5, 3, 2, scores, vectors, data, DispersionMethod::Correlation); },
      "Array Reference Out of Bounds");
  TFloatVector means(2), sds(3);
  ExpectThrowMessage<EOutOfBounds>([&] { ColumnMeansAndDeviations(data, 5, 3, means, sds); },
                                   "Array Reference Out of Bounds");

  // Writing within the capacity extends a shrunk result, as SetValue would.
  result.Fill(1, 1, 0.0);
  DispersionMatrix(data, 5, 3, result, DispersionMethod::Covariance);
  EXPECT_EQ(result.GetSize(), (TFloatMatrix::TExtent{3, 3}));
}

}  // namespace
}  // namespace talvex
