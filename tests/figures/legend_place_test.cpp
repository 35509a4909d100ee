// The legend's corner: the first free one in order, none when every corner
// holds a marker or a mark, none when the legend is larger than the plot.
#include "figures/legend_place.h"

#include <gtest/gtest.h>

namespace talvex {
namespace {

TEST(FreeLegendCorner, FirstCornerThatCoversNothing) {
  const TLabelBox plot{0, 0, 200, 100};
  const TPlotPoint size{50, 30};
  // Empty plot: top right.
  auto box = FreeLegendCorner(plot, size, 4, {}, 3, {});
  ASSERT_TRUE(box);
  EXPECT_EQ(box->left, 146);
  EXPECT_EQ(box->top, 4);
  // A marker whose rim reaches into the top right corner: top left.
  box = FreeLegendCorner(plot, size, 4, {{194, 36}}, 3, {});
  ASSERT_TRUE(box);
  EXPECT_EQ(box->left, 4);
  EXPECT_EQ(box->top, 4);
  // A line across the top half and a box in the bottom right: bottom left.
  TLabelObstacles marks;
  marks.segments.push_back({{0, 20}, {200, 20}});
  marks.boxes.push_back({180, 80, 5, 5});
  box = FreeLegendCorner(plot, size, 4, {}, 3, marks);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->left, 4);
  EXPECT_EQ(box->top, 66);
  // Markers in every corner: none.
  EXPECT_FALSE(FreeLegendCorner(plot, size, 4, {{10, 10}, {190, 10}, {10, 90}, {190, 90}}, 3, {}));
  // Larger than the plot: none.
  EXPECT_FALSE(FreeLegendCorner(plot, {300, 30}, 4, {}, 3, {}));
}

}  // namespace
}  // namespace talvex
