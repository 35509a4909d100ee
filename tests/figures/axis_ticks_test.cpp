// Nice ticks, their labels, fitted ranges and the equal aspect ratio.
#include "figures/axis_ticks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace talvex {
namespace {

bool NiceStep(double step) {
  const double scaled = step / std::pow(10.0, std::floor(std::log10(step)));
  for (double m : {1.0, 2.0, 2.5, 5.0, 10.0})
    if (std::fabs(scaled - m) < 1e-9) return true;
  return false;
}

TEST(NiceTicks, StepsAreNiceTicksInsideAndAboutTheTargetCount) {
  std::mt19937_64 random(11);
  std::uniform_real_distribution<double> exponent(-8, 8), unit(-1, 1);
  for (int trial = 0; trial < 2000; ++trial) {
    const double scale = std::pow(10.0, exponent(random));
    const double a = unit(random) * scale, b = unit(random) * scale;
    const double low = std::min(a, b), high = std::max(a, b);
    const TTicks ticks = NiceTicks(low, high, 7);
    SCOPED_TRACE(testing::Message() << low << " " << high);
    ASSERT_TRUE(NiceStep(ticks.step)) << ticks.step;
    ASSERT_GE(ticks.values.size(), 2u);
    EXPECT_LE(ticks.values.size(), 12u);
    const double slack = (high - low) * 1e-9;
    EXPECT_GE(ticks.values.front(), low - slack);
    EXPECT_LE(ticks.values.back(), high + slack);
    for (std::size_t i = 1; i < ticks.values.size(); ++i)
      EXPECT_NEAR(ticks.values[i] - ticks.values[i - 1], ticks.step, ticks.step * 1e-9);
    // No room for another tick at either end.
    EXPECT_LT(ticks.values.front() - ticks.step, low - slack);
    EXPECT_GT(ticks.values.back() + ticks.step, high + slack);
  }
}

TEST(NiceTicks, KnownRanges) {
  const TTicks unit = NiceTicks(0.0, 1.0, 6);
  EXPECT_DOUBLE_EQ(unit.step, 0.2);
  ASSERT_EQ(unit.values.size(), 6u);
  EXPECT_EQ(unit.values[3], 0.6);  // formed as 3 x 2 / 10, not by adding 0.2 three times
  const TTicks swapped = NiceTicks(10.0, -10.0, 5);
  EXPECT_EQ(swapped.step, 5.0);
  EXPECT_EQ(swapped.values, (std::vector<double>{-10, -5, 0, 5, 10}));
  // A tie between 5 ticks at 10 and 9 ticks at 5 (target 7) goes to the larger step.
  EXPECT_EQ(NiceTicks(-23.1, 23.1, 7).step, 10.0);
  // At least two ticks even when asked for fewer.
  EXPECT_GE(NiceTicks(0.3, 0.9, 1).values.size(), 2u);
  EXPECT_TRUE(NiceTicks(0.0, std::nan(""), 7).values.empty());
  EXPECT_EQ(NiceTicks(3.0, 3.0).values, std::vector<double>{3.0});
}

// A view zoomed far in, far from zero: the multiples of the step are no
// longer all distinct doubles; the ticks stay few, distinct and in order.
TEST(NiceTicks, RangeLostInRoundingStaysFinite) {
  const TTicks ticks = NiceTicks(1e17, 1e17 + 64, 7);
  EXPECT_LE(ticks.values.size(), 10u);
  for (std::size_t i = 1; i < ticks.values.size(); ++i)
    EXPECT_GT(ticks.values[i], ticks.values[i - 1]);
}

TEST(TickLabel, DecimalsFollowTheStepAndNeverNegativeZero) {
  EXPECT_EQ(TickLabel(0.6, 0.2), "0.6");
  EXPECT_EQ(TickLabel(0.30000000000000004, 0.1), "0.3");
  EXPECT_EQ(TickLabel(7.5, 2.5), "7.5");
  EXPECT_EQ(TickLabel(0.25, 0.25), "0.25");
  EXPECT_EQ(TickLabel(-20, 10), "-20");
  EXPECT_EQ(TickLabel(1500, 500), "1500");
  EXPECT_EQ(TickLabel(-1e-17, 0.1), "0");
  EXPECT_EQ(TickLabel(1e-17, 0.1), "0");
  EXPECT_EQ(TickLabel(0.0, 5.0), "0");
  EXPECT_EQ(TickLabel(0.0002, 0.0001), "0.0002");
  EXPECT_EQ(TickLabel(999995, 5), "999995");
}

TEST(TickLabel, ExponentFormOutsideThePlainRange) {
  EXPECT_EQ(TickLabel(1.5e-5, 5e-6), "1.5e-05");
  EXPECT_EQ(TickLabel(2e-5, 1e-5), "2e-05");
  EXPECT_EQ(TickLabel(-2.5e-5, 2.5e-6), "-2.5e-05");
  EXPECT_EQ(TickLabel(2.5e6, 5e5), "2.5e+06");
  EXPECT_EQ(TickLabel(1e6, 2e5), "1e+06");
  EXPECT_EQ(TickLabel(1.25e7, 2.5e5), "1.25e+07");
}

TEST(FitRange, DataWithinTwentyOneNeverGetsAFiftyAxis) {
  for (double low = -21.0; low <= 21.0; low += 0.25) {
    for (double high = low; high <= 21.0; high += 0.25) {
      const TRange range = FitRange(low, high);
      ASSERT_GT(range.low, -50.0) << low << " " << high;
      ASSERT_LT(range.high, 50.0) << low << " " << high;
      ASSERT_LE(range.low, low);
      ASSERT_GE(range.high, high);
    }
  }
}

TEST(FitRange, MarginThenEnclosingNiceTicks) {
  const TRange iris = FitRange(-3.2, 3.9);  // margin 0.355 each side -> ticks of 1
  EXPECT_EQ(iris.low, -4.0);
  EXPECT_EQ(iris.high, 5.0);
  const TRange exact = FitRange(0.0, 100.0, 0.0);
  EXPECT_EQ(exact.low, 0.0);
  EXPECT_EQ(exact.high, 100.0);
  // The margin always leaves room: no point sits on the frame.
  const TRange small = FitRange(0.12, 0.48);
  EXPECT_LT(small.low, 0.12);
  EXPECT_GT(small.high, 0.48);
  const TTicks ticks = NiceTicks(small.low, small.high);
  EXPECT_NEAR(ticks.values.front(), small.low, 1e-12);
  EXPECT_NEAR(ticks.values.back(), small.high, 1e-12);
}

TEST(FitRange, ZeroSpanAndBadInput) {
  const TRange zero = FitRange(0.0, 0.0);
  EXPECT_EQ(zero.low, -1.0);
  EXPECT_EQ(zero.high, 1.0);
  const TRange five = FitRange(5.0, 5.0);  // +-1: [4, 6]
  EXPECT_EQ(five.low, 4.0);
  EXPECT_EQ(five.high, 6.0);
  const TRange big = FitRange(200.0, 200.0);  // +-10%: [180, 220]
  EXPECT_LE(big.low, 180.0);
  EXPECT_GE(big.high, 220.0);
  EXPECT_GT(big.low, 150.0);
  EXPECT_LT(big.high, 250.0);
  const TRange swapped = FitRange(3.9, -3.2);
  EXPECT_EQ(swapped.low, -4.0);
  const TRange nan = FitRange(std::nan(""), 1.0);
  EXPECT_EQ(nan.low, -1.0);
  EXPECT_EQ(nan.high, 1.0);
}

TEST(FiniteExtent, LeavesOutMissingAndInfiniteValues) {
  const double inf = std::numeric_limits<double>::infinity();
  const auto extent = FiniteExtent({inf, 2.0, std::nan(""), -1.0, 7.0, -inf});
  ASSERT_TRUE(extent.has_value());
  EXPECT_EQ(extent->low, -1.0);
  EXPECT_EQ(extent->high, 7.0);
  EXPECT_FALSE(FiniteExtent({inf, std::nan("")}).has_value());
  EXPECT_FALSE(FiniteExtent({}).has_value());
}

TEST(EqualAspect, OneUnitIsTheSameLengthOnBothAxes) {
  struct TCase {
    TRange x, y;
    double width, height;
  };
  for (const TCase& c : {TCase{{-4, 5}, {-2, 2}, 800, 600}, TCase{{-1, 1}, {-10, 10}, 800, 600},
                         TCase{{0, 3}, {0, 4}, 300, 400}, TCase{{-3, 3}, {-1, 1}, 200, 900}}) {
    TRange x = c.x, y = c.y;
    EqualAspect(x, y, c.width, c.height);
    EXPECT_NEAR((x.high - x.low) / c.width, (y.high - y.low) / c.height, 1e-12);
    // Never narrowed, centres kept.
    EXPECT_LE(x.low, c.x.low);
    EXPECT_GE(x.high, c.x.high);
    EXPECT_LE(y.low, c.y.low);
    EXPECT_GE(y.high, c.y.high);
    EXPECT_NEAR(x.low + x.high, c.x.low + c.x.high, 1e-12);
    EXPECT_NEAR(y.low + y.high, c.y.low + c.y.high, 1e-12);
  }
  TRange x{0, 1}, y{0, 2};
  EqualAspect(x, y, 0, 600);  // no plot area yet: unchanged
  EXPECT_EQ(x.high, 1.0);
  EXPECT_EQ(y.high, 2.0);
}

}  // namespace
}  // namespace talvex
