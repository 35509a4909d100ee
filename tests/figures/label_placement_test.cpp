// Label placement: the rules every placement keeps (no overlaps, no covered
// marker, inside the bounds), priority, determinism, the 20,000-point case,
// and the scree plot's point numbers.
#include "figures/label_placement.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <numeric>
#include <random>

namespace talvex {
namespace {

struct TScene {
  std::vector<TPlotPoint> anchors, sizes;
  std::vector<std::size_t> order;
};

TScene RandomScene(std::size_t n, std::uint64_t seed, const TLabelBox& bounds) {
  std::mt19937_64 random(seed);
  std::normal_distribution<double> normal;
  std::uniform_int_distribution<int> characters(1, 12);
  TScene scene;
  for (std::size_t i = 0; i < n; ++i) {
    scene.anchors.push_back({bounds.left + bounds.width * (0.5 + 0.18 * normal(random)),
                             bounds.top + bounds.height * (0.5 + 0.18 * normal(random))});
    scene.sizes.push_back({7.0 * characters(random), 14.0});
  }
  scene.order.resize(n);
  std::iota(scene.order.begin(), scene.order.end(), std::size_t(0));
  return scene;
}

// Every rule checked by brute force over all pairs.
void ExpectValidPlacement(const TScene& scene, const std::vector<TPlacedLabel>& placed,
                          const TLabelBox& bounds, double r) {
  ASSERT_EQ(placed.size(), scene.anchors.size());
  std::vector<std::size_t> shown;
  for (std::size_t i = 0; i < placed.size(); ++i)
    if (placed[i].shown) shown.push_back(i);
  for (std::size_t a : shown) {
    const TLabelBox& box = placed[a].box;
    ASSERT_GE(box.left, bounds.left);
    ASSERT_GE(box.top, bounds.top);
    ASSERT_LE(box.Right(), bounds.Right());
    ASSERT_LE(box.Bottom(), bounds.Bottom());
    ASSERT_EQ(box.width, scene.sizes[a].x);
    ASSERT_EQ(box.height, scene.sizes[a].y);
    for (std::size_t b : shown) {
      if (a != b) {
        ASSERT_FALSE(BoxesOverlap(box, placed[b].box)) << a << " " << b;
      }
    }
    for (const TPlotPoint& anchor : scene.anchors) {
      const double dx = std::max({box.left - anchor.x, 0.0, anchor.x - box.Right()});
      const double dy = std::max({box.top - anchor.y, 0.0, anchor.y - box.Bottom()});
      ASSERT_GE(dx * dx + dy * dy, r * r) << a;
    }
    const TPlotPoint& own = scene.anchors[a];
    if (!placed[a].leader) {
      // Touching its point, and no other point as near.
      const double distance = DistanceToBox(own, box);
      ASSERT_LE(distance, r + LabelGap + 1e-9) << a;
      for (std::size_t b = 0; b < scene.anchors.size(); ++b)
        if (b != a) {
          ASSERT_GT(DistanceToBox(scene.anchors[b], box), distance) << a << " " << b;
        }
    } else {
      // The leader runs from the own marker's rim to the label, past no
      // other marker and through no other label.
      const TSegment leader{placed[a].leaderFrom, placed[a].leaderTo};
      ASSERT_NEAR(std::hypot(leader.from.x - own.x, leader.from.y - own.y), r, 1e-9);
      ASSERT_LE(DistanceToBox(leader.to, box), 1e-9);
      for (std::size_t b : shown)
        if (b != a) {
          ASSERT_FALSE(SegmentMeetsBox(leader, placed[b].box)) << a << " " << b;
        }
    }
  }
}

TEST(PlaceLabels, SparsePointsAllLabelledToTheRight) {
  const TLabelBox bounds{0, 0, 400, 300};
  const TScene scene{{{50, 50}, {200, 150}, {50, 250}}, {{30, 12}, {30, 12}, {30, 12}}, {0, 1, 2}};
  const auto placed = PlaceLabels(scene.anchors, scene.sizes, scene.order, bounds, 3.0);
  for (std::size_t i = 0; i < 3; ++i) {
    ASSERT_TRUE(placed[i].shown);
    EXPECT_EQ(placed[i].box.left, scene.anchors[i].x + 3.0 + LabelGap);
    EXPECT_EQ(placed[i].box.top, scene.anchors[i].y - 6.0);
  }
}

TEST(PlaceLabels, MovesAwayFromEdgesAndNeighbours) {
  const TLabelBox bounds{0, 0, 200, 100};
  // At the right edge the label goes left; a second point just right of a
  // first one pushes the first one's label elsewhere.
  const TScene scene{{{195, 50}, {100, 50}, {112, 50}}, {{40, 12}, {20, 12}, {20, 12}}, {0, 2, 1}};
  const auto placed = PlaceLabels(scene.anchors, scene.sizes, scene.order, bounds, 3.0);
  ASSERT_TRUE(placed[0].shown);
  EXPECT_EQ(placed[0].box.Right(), 195 - 3.0 - LabelGap);
  ASSERT_TRUE(placed[1].shown);
  EXPECT_NE(placed[1].box.left, 100 + 3.0 + LabelGap);  // its right side holds point 2
  ExpectValidPlacement(scene, placed, bounds, 3.0);
}

TEST(PlaceLabels, PriorityDecidesWhoGetsTheOnePlace) {
  // Two points with room for one label between them in a tight box.
  const TLabelBox bounds{0, 0, 100, 20};
  const TScene scene{{{30, 10}, {70, 10}}, {{30, 16}, {30, 16}}, {}};
  for (std::size_t first : {0u, 1u}) {
    const std::vector<std::size_t> order{first, 1 - first};
    const auto placed = PlaceLabels(scene.anchors, scene.sizes, order, bounds, 2.0);
    EXPECT_TRUE(placed[first].shown);
    EXPECT_FALSE(placed[1 - first].shown);
  }
  // Labels not asked for are not shown; repeated and unknown indices are ignored.
  const auto none = PlaceLabels(scene.anchors, scene.sizes, {7, 1, 1}, bounds, 0.0);
  EXPECT_FALSE(none[0].shown);
  EXPECT_TRUE(none[1].shown);
}

// Drawn marks other than markers keep labels off: a line through the
// first place and a legend over the second move the label on; a label whose
// every touching place is taken gets a leader line; a point hemmed in by
// neighbours nearer than its label would be gets no touching label.
TEST(PlaceLabels, AvoidsObstaclesAndUsesLeaders) {
  const TLabelBox bounds{0, 0, 400, 300};
  TLabelObstacles obstacles;
  obstacles.segments.push_back({{110, 97}, {110, 110}});  // through the right places
  obstacles.boxes.push_back({70, 95, 20, 10});            // over the left places
  const auto placed = PlaceLabels({{100, 100}}, {{30, 12}}, {0}, bounds, 3.0, obstacles);
  ASSERT_TRUE(placed[0].shown);
  EXPECT_FALSE(placed[0].leader);
  EXPECT_FALSE(SegmentMeetsBox(obstacles.segments[0], placed[0].box));
  EXPECT_FALSE(BoxesOverlap(obstacles.boxes[0], placed[0].box));
  EXPECT_EQ(placed[0].box.left, 100 - 15.0);  // above: the first place neither meets

  // Neighbours closer than any touching place: a leader line, or nothing.
  std::vector<TPlotPoint> ring{{200, 150}};
  for (int k = 0; k < 8; ++k)
    ring.push_back({200 + 9 * std::cos(k * M_PI / 4), 150 + 9 * std::sin(k * M_PI / 4)});
  const std::vector<TPlotPoint> sizes(ring.size(), TPlotPoint{30, 12});
  const auto crowded = PlaceLabels(ring, sizes, {0}, bounds, 3.0);
  ASSERT_TRUE(crowded[0].shown);
  EXPECT_TRUE(crowded[0].leader);
  const TScene scene{ring, sizes, {0}};
  ExpectValidPlacement(scene, crowded, bounds, 3.0);
  EXPECT_TRUE(SegmentMeetsBox({{0, 0}, {10, 10}}, {4, 4, 1, 1}));
  EXPECT_FALSE(SegmentMeetsBox({{0, 0}, {10, 0}}, {4, 1, 1, 1}));
}

// A singled-out point inside a clump of overlapping markers: its leader
// may cross them, but where it ends the nearest point is its own.
TEST(PlaceLabels, LeaderInAClumpEndsNearestItsOwnPoint) {
  const TLabelBox bounds{0, 0, 400, 300};
  std::vector<TPlotPoint> clump{{200, 150}};
  for (int k = 0; k < 12; ++k)
    clump.push_back({200 + 4 * std::cos(k * M_PI / 6), 150 + 4 * std::sin(k * M_PI / 6)});
  for (int k = 0; k < 24; ++k)
    clump.push_back({200 + 9 * std::cos(k * M_PI / 12), 150 + 9 * std::sin(k * M_PI / 12)});
  const std::vector<TPlotPoint> sizes(clump.size(), TPlotPoint{30, 12});
  const auto placed = PlaceLabels(clump, sizes, {0}, bounds, 3.0, {}, 1);
  ASSERT_TRUE(placed[0].shown);
  ASSERT_TRUE(placed[0].leader);
  const TPlotPoint end = placed[0].leaderFrom;
  const double own = std::hypot(end.x - clump[0].x, end.y - clump[0].y);
  for (std::size_t k = 1; k < clump.size(); ++k)
    EXPECT_GT(std::hypot(end.x - clump[k].x, end.y - clump[k].y), own) << k;
}

TEST(PlaceLabels, NothingForMissingValuesOrNoArea) {
  const double nan = std::nan("");
  const TScene scene{{{nan, 10}, {50, 50}}, {{10, 10}, {10, nan}}, {0, 1}};
  const auto placed = PlaceLabels(scene.anchors, scene.sizes, scene.order, {0, 0, 100, 100}, 2);
  EXPECT_FALSE(placed[0].shown);
  EXPECT_FALSE(placed[1].shown);
  const auto empty = PlaceLabels({{1, 1}}, {{5, 5}}, {0}, {0, 0, 0, 100}, 2);
  EXPECT_FALSE(empty[0].shown);
}

// Random clouds of several densities: every rule holds, the same input gives
// the same places, and an important label keeps its place when less
// important ones are added.
TEST(PlaceLabels, RandomCloudsKeepEveryRule) {
  const TLabelBox bounds{10, 20, 800, 600};
  for (std::size_t n : {20u, 300u, 2000u}) {
    const TScene scene = RandomScene(n, n, bounds);
    const auto placed = PlaceLabels(scene.anchors, scene.sizes, scene.order, bounds, 3.0);
    ExpectValidPlacement(scene, placed, bounds, 3.0);
    const auto again = PlaceLabels(scene.anchors, scene.sizes, scene.order, bounds, 3.0);
    for (std::size_t i = 0; i < n; ++i) {
      ASSERT_EQ(again[i].shown, placed[i].shown);
      ASSERT_EQ(again[i].box.left, placed[i].box.left);
      ASSERT_EQ(again[i].box.top, placed[i].box.top);
    }
    const auto firstOnly = PlaceLabels(scene.anchors, scene.sizes, {0}, bounds, 3.0);
    EXPECT_EQ(firstOnly[0].shown, placed[0].shown);
    EXPECT_EQ(firstOnly[0].box.left, placed[0].box.left);
    std::size_t shown = 0;
    for (const TPlacedLabel& label : placed) shown += label.shown;
    EXPECT_GT(shown, 0u);
    if (n == 20) {
      EXPECT_GE(shown, 15u);  // a sparse cloud labels nearly every point
    }
  }
}

// 20,000 points with the rules checked on a sample of the shown labels (the
// bench measures the time; here it is only printed).
TEST(PlaceLabels, TwentyThousandPoints) {
  const TLabelBox bounds{0, 0, 800, 600};
  const TScene scene = RandomScene(20000, 4, bounds);
  const auto start = std::chrono::steady_clock::now();
  const auto placed = PlaceLabels(scene.anchors, scene.sizes, scene.order, bounds, 3.0);
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  std::size_t shown = 0;
  for (const TPlacedLabel& label : placed) shown += label.shown;
  std::printf("20,000 anchors: %zu labels shown in %.1f ms\n", shown, ms);
  ExpectValidPlacement(scene, placed, bounds, 3.0);
}

TEST(NonCollidingLabels, FirstAndLastPreferredThenLeftToRight) {
  // Eleven numbers 8 px apart, each 10 px wide: every other one fits.
  std::vector<TLabelBox> boxes;
  for (int i = 0; i < 11; ++i) boxes.push_back({8.0 * i, 0, 10, 12});
  const std::vector<bool> shown = NonCollidingLabels(boxes);
  EXPECT_EQ(shown, (std::vector<bool>{1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1}));
  // Ten: the last one wins over the ninth.
  boxes.pop_back();
  const std::vector<bool> ten = NonCollidingLabels(boxes);
  EXPECT_TRUE(ten.front());
  EXPECT_TRUE(ten.back());
  EXPECT_FALSE(ten[8]);
  for (std::size_t a = 0; a < boxes.size(); ++a)
    for (std::size_t b = a + 1; b < boxes.size(); ++b)
      if (ten[a] && ten[b]) {
        EXPECT_FALSE(BoxesOverlap(boxes[a], boxes[b]));
      }
  EXPECT_TRUE(NonCollidingLabels({}).empty());
  EXPECT_EQ(NonCollidingLabels({{0, 0, 5, 5}}), std::vector<bool>{true});
  // Touching boxes do not collide.
  EXPECT_EQ(NonCollidingLabels({{0, 0, 5, 5}, {5, 0, 5, 5}}), (std::vector<bool>{true, true}));
}

}  // namespace
}  // namespace talvex
