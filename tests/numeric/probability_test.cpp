// The decimal logarithm and the normal and Student's t distribution
// functions: the listed points, accuracy against independent references
// (erfc, numerical integration of the t density), the switch to the normal
// approximation above 125 degrees of freedom, and the faults of bad input.
#include "numeric/probability.h"

#include <gtest/gtest.h>

#include <cmath>

#include "numeric/float_faults.h"
#include "numeric_test_support.h"

namespace talvex {
namespace {

using testing::ExpectThrowMessage;

class Probability : public ::testing::Test {
 protected:
  void SetUp() override { ClearFloatFaults(); }
};

double ReferenceNormal(double x) { return 0.5 * std::erfc(-x / std::sqrt(2.0)); }

// P(T <= t) by Simpson's rule over the t density from 0 to t.
double ReferenceStudent(int df, double t) {
  const double nu = df;
  const double c = std::exp(std::lgamma((nu + 1) / 2) - std::lgamma(nu / 2)) / std::sqrt(nu * M_PI);
  auto density = [&](double x) { return c * std::pow(1 + x * x / nu, -(nu + 1) / 2); };
  const int steps = 4000;
  const double h = t / steps;
  double sum = density(0) + density(t);
  for (int i = 1; i < steps; ++i) sum += (i % 2 ? 4 : 2) * density(i * h);
  return 0.5 + sum * h / 3;
}

TEST_F(Probability, Log10OrZero) {
  EXPECT_EQ(Log10OrZero(100.0), 2.0);
  EXPECT_NEAR(Log10OrZero(2.0), std::log10(2.0), 1e-16);
  EXPECT_EQ(Log10OrZero(0.0), 0.0);
  EXPECT_EQ(Log10OrZero(-5.0), 0.0);
  EXPECT_NO_THROW(CheckFloatFaults());  // a zero or negative value is no fault
}

TEST_F(Probability, NormalCdfListedPoints) {
  EXPECT_EQ(NormalCdf(0.0), 0.5);
  EXPECT_EQ(NormalCdf(1.0e-8), 0.5);
  EXPECT_EQ(NormalCdf(9.0), 1.0);
  EXPECT_EQ(NormalCdf(-9.0), 0.0);
  EXPECT_EQ(NormalCdf(40.0), 1.0);
  EXPECT_NEAR(NormalCdf(1.96), 0.9750021, 1e-7);  // series
  EXPECT_NEAR(NormalCdf(2.0), 0.9772499, 1e-7);   // continued fraction
}

TEST_F(Probability, NormalCdfAccuracyAndSymmetry) {
  for (double x = -8.95; x < 9.0; x += 0.05) {
    SCOPED_TRACE(x);
    EXPECT_NEAR(NormalCdf(x), ReferenceNormal(x), 1e-7);
    EXPECT_EQ(NormalCdf(-x), 1.0 - NormalCdf(x));
  }
}

TEST_F(Probability, StudentTCdfListedPoints) {
  EXPECT_NEAR(StudentTCdf(1, 1.0), 0.75, 2e-11);  // 1/pi carries ten digits
  EXPECT_NEAR(StudentTCdf(2, 1.0), 0.5 + 1 / (2 * std::sqrt(3.0)), 1e-12);
  EXPECT_NEAR(StudentTCdf(10, 2.228), 0.975, 1e-5);
  for (int df : {1, 2, 3, 4, 5, 10, 30, 125, 126, 1000}) EXPECT_EQ(StudentTCdf(df, 0.0), 0.5);
}

TEST_F(Probability, StudentTCdfAgreesWithTheDensityIntegral) {
  for (int df : {1, 2, 3, 4, 5, 8, 9, 24, 51, 124, 125}) {
    for (double t : {-6.0, -2.5, -1.0, -0.3, 0.4, 1.5, 2.228, 4.0, 12.0}) {
      SCOPED_TRACE(::testing::Message() << "df " << df << ", t " << t);
      EXPECT_NEAR(StudentTCdf(df, t), ReferenceStudent(df, t), 1e-9);
    }
  }
}

TEST_F(Probability, NormalApproximationAbove125Degrees) {
  for (double t : {-3.0, -0.7, 1.0, 2.5}) {
    for (int df : {126, 200, 5000}) {
      const double nu = df;
      EXPECT_EQ(StudentTCdf(df, t),
                NormalCdf(t * (1 - 0.25 / nu) / std::sqrt(1 + 0.5 * (t * t) / nu)));
      EXPECT_NEAR(StudentTCdf(df, t), ReferenceStudent(df, t), 2e-5);
    }
    // At 125 the exact series is still used: closer than the approximation's 1e-7 floor allows.
    const double approx = NormalCdf(t * (1 - 0.25 / 125) / std::sqrt(1 + 0.5 * (t * t) / 125));
    EXPECT_NE(StudentTCdf(125, t), approx);
    EXPECT_NEAR(StudentTCdf(125, t), ReferenceStudent(125, t), 1e-9);
  }
}

TEST_F(Probability, BadDegreesOfFreedomRaise) {
  ExpectThrowMessage<EZeroDivide>([] { StudentTCdf(0, 1.5); }, "Floating point division by zero");
  // A negative count takes the square root of a negative number.
  ExpectThrowMessage<EInvalidOp>([] { StudentTCdf(-3, 1.0); }, "Invalid floating point operation");
}

// Published two-sided 95% and 99% points of Student's t (Abramowitz and
// Stegun, table 26.10, to the digits given there).
TEST_F(Probability, StudentTQuantileMatchesPublishedPoints) {
  const struct {
    int df;
    double probability;
    double t;
    double tolerance;
  } points[] = {
      // df 1: the distribution's 1/pi has ten digits, and its density at
      // 12.7 is 0.002, so the quantile is good to about 2e-8.
      {1, 0.975, 12.706204736, 5e-8},
      {2, 0.975, 4.302652730, 1e-8},
      {3, 0.975, 3.182446305, 1e-8},
      {5, 0.975, 2.570581836, 1e-8},
      {10, 0.975, 2.228138852, 1e-8},
      {30, 0.975, 2.042272456, 1e-8},
      {120, 0.975, 1.979930405, 1e-8},
      {4, 0.995, 4.604094871, 1e-8},
      {20, 0.025, -2.085963447, 1e-8},
      // Beyond 125 degrees the distribution function is the normal
      // approximation, good to about 1e-5 in probability.
      {200, 0.975, 1.971896224, 1e-4},
      {1000, 0.975, 1.962339081, 1e-4},
  };
  for (const auto& point : points) {
    SCOPED_TRACE(::testing::Message() << "df " << point.df << ", P " << point.probability);
    const double t = StudentTQuantile(point.df, point.probability);
    EXPECT_NEAR(t, point.t, point.tolerance);
    EXPECT_NEAR(StudentTCdf(point.df, t), point.probability, 1e-12);
  }
  EXPECT_EQ(StudentTQuantile(7, 0.5), 0.0);
  EXPECT_EQ(StudentTQuantile(7, 0.1), -StudentTQuantile(7, 0.9));
}

TEST_F(Probability, StudentTQuantileRefusesImpossibleArguments) {
  ExpectThrowMessage<Exception>(
      [] { StudentTQuantile(5, 1.0); },
      "StudentTQuantile: no quantile for 1.000000 with 5 degrees of freedom");
  ExpectThrowMessage<Exception>(
      [] { StudentTQuantile(0, 0.975); },
      "StudentTQuantile: no quantile for 0.975000 with 0 degrees of freedom");
  EXPECT_THROW(StudentTQuantile(3, std::nan("")), Exception);
  // Refused, not faulted: no flag is left for a later check to report.
  EXPECT_NO_THROW(CheckFloatFaults());
}

}  // namespace
}  // namespace talvex
