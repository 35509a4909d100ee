// Scree reference lines and bars against hand values.
#include "figures/scree_lines.h"

#include <gtest/gtest.h>

#include <numeric>

namespace talvex {
namespace {

TEST(BrokenStick, HandValues) {
  // p = 4, trace 4: 1 + 1/2 + 1/3 + 1/4, 1/2 + 1/3 + 1/4, 1/3 + 1/4, 1/4.
  const std::vector<double> four = BrokenStick(4, 4.0);
  ASSERT_EQ(four.size(), 4u);
  EXPECT_NEAR(four[0], 25.0 / 12, 1e-15);
  EXPECT_NEAR(four[1], 13.0 / 12, 1e-15);
  EXPECT_NEAR(four[2], 7.0 / 12, 1e-15);
  EXPECT_NEAR(four[3], 0.25, 1e-15);
  // Covariances: scaled by trace / p.
  const std::vector<double> scaled = BrokenStick(3, 12.0);  // 4 (11/6, 5/6, 1/3)
  EXPECT_NEAR(scaled[0], 22.0 / 3, 1e-14);
  EXPECT_NEAR(scaled[1], 10.0 / 3, 1e-14);
  EXPECT_NEAR(scaled[2], 4.0 / 3, 1e-14);
  EXPECT_NEAR(BrokenStick(1, 2.5)[0], 2.5, 0.0);
  EXPECT_TRUE(BrokenStick(0, 1.0).empty());
}

// The expectations share out the whole trace and fall with k.
TEST(BrokenStick, SharesOutTheTrace) {
  for (std::size_t p : {2u, 7u, 150u, 1000u}) {
    const std::vector<double> b = BrokenStick(p, double(p));
    EXPECT_NEAR(std::accumulate(b.begin(), b.end(), 0.0), double(p), 1e-12 * double(p));
    for (std::size_t k = 1; k < p; ++k) EXPECT_LT(b[k], b[k - 1]);
  }
}

TEST(ScreeLines, KaiserAndPercentages) {
  EXPECT_EQ(KaiserLevel(4, 4.0), 1.0);
  EXPECT_EQ(KaiserLevel(4, 10.0), 2.5);
  EXPECT_EQ(KaiserLevel(0, 0.0), 0.0);
  const std::vector<double> percents = PercentOfTrace({2.9, 0.9, 0.15, 0.05}, 4.0);
  EXPECT_EQ(percents, (std::vector<double>{72.5, 22.5, 3.75, 1.25}));
  const std::vector<double> cumulative = CumulativePercent(percents);
  EXPECT_EQ(cumulative, (std::vector<double>{72.5, 95.0, 98.75, 100.0}));
  EXPECT_EQ(PercentOfTrace({0.0, 0.0}, 0.0), (std::vector<double>{0.0, 0.0}));
  EXPECT_TRUE(CumulativePercent({}).empty());
}

}  // namespace
}  // namespace talvex
