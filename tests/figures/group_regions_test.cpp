// Group ellipses and hulls against hand values (the numpy check covers
// random clouds): exact covariances of small symmetric sets, the published
// chi-square and F quantiles, and hulls whose answer can be seen.
#include "figures/group_regions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace talvex {
namespace {

constexpr double Pi = std::numbers::pi;

std::vector<TPlotPoint> Rotated(std::vector<TPlotPoint> points, double angle, TPlotPoint shift) {
  for (TPlotPoint& p : points)
    p = {shift.x + p.x * std::cos(angle) - p.y * std::sin(angle),
         shift.y + p.x * std::sin(angle) + p.y * std::cos(angle)};
  return points;
}

// Tables give chi2(2; 0.95) = 5.991 and F(2, 10; 0.95) = 4.103, F(2, 1; 0.95) = 199.5.
TEST(Quantiles, PublishedValues) {
  EXPECT_NEAR(ChiSquare2Quantile(0.95), 5.991465, 1e-6);
  EXPECT_NEAR(ChiSquare2Quantile(0.5), 1.386294, 1e-6);
  EXPECT_NEAR(F2Quantile(10, 0.95), 4.102821, 1e-6);
  EXPECT_NEAR(F2Quantile(1, 0.95), 199.5, 1e-9);
  EXPECT_NEAR(F2Quantile(30, 0.99), 5.390346, 1e-6);
}

// The corners of a 4 x 2 rectangle: variances 16/3 and 4/3 (n - 1 = 3), no
// covariance; turned by 30 degrees and moved, the ellipse turns and moves
// with them.
TEST(ConcentrationEllipse, RectangleCornersTurnedAndMoved) {
  const std::vector<TPlotPoint> corners{{2, 1}, {-2, 1}, {-2, -1}, {2, -1}};
  const double chi2 = -2 * std::log(0.05);
  for (double angle : {0.0, Pi / 6, -Pi / 3, Pi / 2}) {
    const auto e = ConcentrationEllipse(Rotated(corners, angle, {5, -7}));
    ASSERT_TRUE(e.has_value());
    EXPECT_NEAR(e->centre.x, 5, 1e-12);
    EXPECT_NEAR(e->centre.y, -7, 1e-12);
    EXPECT_NEAR(e->semiMajor, std::sqrt(chi2 * 16 / 3), 1e-12);
    EXPECT_NEAR(e->semiMinor, std::sqrt(chi2 * 4 / 3), 1e-12);
    // The major axis is a line: angle and angle + pi are the same.
    EXPECT_NEAR(std::sin(e->angle - angle), 0.0, 1e-12) << angle;
    EXPECT_GT(e->angle, -Pi / 2 - 1e-12);
    EXPECT_LE(e->angle, Pi / 2 + 1e-12);
  }
}

TEST(MeanConfidenceEllipse, HotellingScale) {
  const std::vector<TPlotPoint> corners{{2, 1}, {-2, 1}, {-2, -1}, {2, -1}};
  const auto e = MeanConfidenceEllipse(corners);
  ASSERT_TRUE(e.has_value());
  // n = 4: 2 (n - 1) / (n (n - 2)) F(2, 2; 0.95) = 6 / 8 * 19 = 14.25.
  EXPECT_NEAR(F2Quantile(2, 0.95), 19.0, 1e-12);
  EXPECT_NEAR(e->semiMajor, std::sqrt(14.25 * 16 / 3), 1e-12);
  EXPECT_NEAR(e->semiMinor, std::sqrt(14.25 * 4 / 3), 1e-12);
  // The mean's region shrinks as the group grows; the concentration ellipse does not.
  std::vector<TPlotPoint> many;
  for (int copy = 0; copy < 25; ++copy) many.insert(many.end(), corners.begin(), corners.end());
  EXPECT_LT(MeanConfidenceEllipse(many)->semiMajor, 0.3 * ConcentrationEllipse(many)->semiMajor);
}

TEST(ConcentrationEllipse, NoneForTooFewDegenerateOrBadInput) {
  EXPECT_FALSE(ConcentrationEllipse({{0, 0}, {1, 1}}).has_value());
  EXPECT_FALSE(ConcentrationEllipse({{0, 0}, {1, 1}, {2, 2}, {3, 3}}).has_value());
  EXPECT_FALSE(MeanConfidenceEllipse({{0, 0}, {1, 2}, {2, 4}}).has_value());
  EXPECT_FALSE(ConcentrationEllipse({{1, 1}, {1, 1}, {1, 1}}).has_value());
  EXPECT_FALSE(ConcentrationEllipse({{0, 0}, {1, 0}, {0, std::nan("")}}).has_value());
  const std::vector<TPlotPoint> triangle{{0, 0}, {1, 0}, {0, 1}};
  EXPECT_TRUE(ConcentrationEllipse(triangle).has_value());
  EXPECT_FALSE(ConcentrationEllipse(triangle, 0.0).has_value());
  EXPECT_FALSE(ConcentrationEllipse(triangle, 1.0).has_value());
  // Nearly on a line far from the origin is still an ellipse when the
  // spread across the line is real.
  EXPECT_TRUE(
      ConcentrationEllipse({{1e6, 1e6}, {1e6 + 1, 1e6 + 1}, {1e6 + 2, 1e6 + 2.001}}).has_value());
}

TEST(EllipseOutline, PointsOnTheEllipseCounterClockwise) {
  const TEllipse e{{1, 2}, 3, 1, Pi / 4};
  const std::vector<TPlotPoint> outline = EllipseOutline(e, 64);
  ASSERT_EQ(outline.size(), 64u);
  EXPECT_NEAR(outline[0].x, 1 + 3 * std::cos(Pi / 4), 1e-12);
  EXPECT_NEAR(outline[0].y, 2 + 3 * std::sin(Pi / 4), 1e-12);
  double area = 0.0;
  for (std::size_t i = 0; i < outline.size(); ++i) {
    const TPlotPoint& p = outline[i];
    const double u = (p.x - 1) * std::cos(Pi / 4) + (p.y - 2) * std::sin(Pi / 4);
    const double v = -(p.x - 1) * std::sin(Pi / 4) + (p.y - 2) * std::cos(Pi / 4);
    EXPECT_NEAR(u * u / 9 + v * v, 1.0, 1e-12);
    const TPlotPoint& q = outline[(i + 1) % outline.size()];
    area += p.x * q.y - q.x * p.y;
  }
  EXPECT_GT(area, 0.0);  // counter-clockwise
  EXPECT_NEAR(area / 2, Pi * 3 * 1, 0.02 * Pi * 3);
  EXPECT_EQ(EllipseOutline(e, 1).size(), 3u);
}

TEST(ConvexHull, CornersCounterClockwiseFromTheLowestLeftmost) {
  // A square with points inside, on its edges and repeated.
  std::vector<TPlotPoint> points{{2, 2}, {0, 2}, {1, 1}, {0, 0},     {1, 0}, {2, 0},
                                 {0, 1}, {2, 1}, {1, 2}, {0.5, 0.5}, {0, 0}, {2, 2}};
  const std::vector<TPlotPoint> hull = ConvexHull(points);
  ASSERT_EQ(hull.size(), 4u);
  const std::vector<std::pair<double, double>> expected{{0, 0}, {2, 0}, {2, 2}, {0, 2}};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(hull[i].x, expected[i].first);
    EXPECT_EQ(hull[i].y, expected[i].second);
  }
  // A diamond starts at its bottom point, not its leftmost.
  const std::vector<TPlotPoint> diamond = ConvexHull({{-1, 0}, {0, 1}, {1, 0}, {0, -1}});
  ASSERT_EQ(diamond.size(), 4u);
  EXPECT_EQ(diamond[0].y, -1);
  EXPECT_EQ(diamond[1].x, 1);
  EXPECT_EQ(diamond[3].x, -1);
}

TEST(ConvexHull, FewPointsLinesAndMissingValues) {
  EXPECT_TRUE(ConvexHull({}).empty());
  EXPECT_EQ(ConvexHull({{3, 4}, {3, 4}}).size(), 1u);
  EXPECT_EQ(ConvexHull({{3, 4}, {1, 4}}).size(), 2u);
  const std::vector<TPlotPoint> line = ConvexHull({{0, 0}, {3, 3}, {1, 1}, {2, 2}});
  ASSERT_EQ(line.size(), 2u);
  EXPECT_EQ(line[0].x, 0);
  EXPECT_EQ(line[1].x, 3);
  const double nan = std::nan("");
  const std::vector<TPlotPoint> triangle = ConvexHull({{0, 0}, {nan, 5}, {4, 0}, {0, 3}, {1, nan}});
  EXPECT_EQ(triangle.size(), 3u);
}

}  // namespace
}  // namespace talvex
