// A label touches each marker shape at the drawn outline: the reach computed
// from the vertices and edges agrees with a dense sampling of the outline,
// and a placed label keeps LabelGap from the outline, no more.
#include "figures/marker_outline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "figures/label_placement.h"

namespace talvex {
namespace {

constexpr TMarkerShape AllShapes[] = {TMarkerShape::Circle,       TMarkerShape::Square,
                                      TMarkerShape::TriangleUp,   TMarkerShape::Diamond,
                                      TMarkerShape::TriangleDown, TMarkerShape::Cross,
                                      TMarkerShape::Plus,         TMarkerShape::Star};

// The outline's edges, each cut into many points.
std::vector<TPlotPoint> Sampled(const std::vector<TPlotPoint>& outline) {
  std::vector<TPlotPoint> points;
  for (std::size_t k = 0; k < outline.size(); ++k) {
    const TPlotPoint& a = outline[k];
    const TPlotPoint& b = outline[(k + 1) % outline.size()];
    for (int s = 0; s < 2000; ++s) {
      const double t = s / 2000.0;
      points.push_back({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)});
    }
  }
  return points;
}

TEST(MarkerOutline, ReachAgreesWithTheSampledOutline) {
  const int signs[4][2] = {{1, -1}, {-1, -1}, {1, 1}, {-1, 1}};
  for (const TMarkerShape shape : AllShapes) {
    const std::vector<TPlotPoint> outline = MarkerOutline(shape, 10.0);
    const TMarkerReach reach = MarkerReach(outline);
    const std::vector<TPlotPoint> points = Sampled(outline);
    double extent[4] = {0, 0, 0, 0}, corner[4] = {0, 0, 0, 0};
    for (const TPlotPoint& p : points) {
      extent[0] = std::max(extent[0], p.x);
      extent[1] = std::max(extent[1], -p.x);
      extent[2] = std::max(extent[2], -p.y);
      extent[3] = std::max(extent[3], p.y);
      for (int q = 0; q < 4; ++q)
        corner[q] = std::max(corner[q], std::min(signs[q][0] * p.x, signs[q][1] * p.y));
    }
    for (int d = 0; d < 4; ++d) {
      EXPECT_NEAR(reach.toward[std::size_t(d)], extent[d], 1e-9) << int(shape) << " side " << d;
      EXPECT_NEAR(reach.toward[std::size_t(4 + d)], corner[d], 0.01)
          << int(shape) << " corner " << d;
    }
  }
  // A circle's reach is the radius, and its diagonal the radius over root 2.
  const TMarkerReach circle = MarkerReach(MarkerOutline(TMarkerShape::Circle, 10.0));
  const TMarkerReach exact = CircleReach(10.0);
  for (std::size_t d = 0; d < 8; ++d) EXPECT_NEAR(circle.toward[d], exact.toward[d], 1e-12);
}

TEST(MarkerOutline, ALabelTouchesTheOutlineOfItsOwnShape) {
  // One point, its label placed right of it, where the triangle's flank is
  // nearer than the radius of the circle about it.
  const TLabelBox bounds{0, 0, 400, 300};
  for (const TMarkerShape shape : AllShapes) {
    const std::vector<TPlotPoint> outline = MarkerOutline(shape, 10.0);
    const std::vector<TPlacedLabel> placed =
        PlaceLabels({{200, 150}}, {{60, 12}}, {0}, bounds, 10.0, {}, 0, {MarkerReach(outline)});
    ASSERT_TRUE(placed[0].shown);
    EXPECT_FALSE(placed[0].leader);
    double nearest = 1e9;
    for (const TPlotPoint& p : Sampled(outline))
      nearest = std::min(nearest, DistanceToBox({200 + p.x, 150 + p.y}, placed[0].box));
    EXPECT_GE(nearest, LabelGap - 1e-9) << int(shape);
    EXPECT_LE(nearest, LabelGap + 1e-9) << int(shape);
  }
}

}  // namespace
}  // namespace talvex
