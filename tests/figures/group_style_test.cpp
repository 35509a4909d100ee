// Group colours and markers, and the grouping of the objects.
#include "figures/group_style.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

namespace talvex {
namespace {

TEST(GroupStyle, OkabeItoColoursInTheirOrder) {
  EXPECT_EQ(GroupColour(0), (TRgb{230, 159, 0}));   // orange
  EXPECT_EQ(GroupColour(1), (TRgb{86, 180, 233}));  // sky blue
  EXPECT_EQ(GroupColour(7), (TRgb{0, 0, 0}));       // black
  EXPECT_EQ(GroupColour(8), GroupColour(0));
  std::set<std::tuple<int, int, int>> distinct;
  for (std::size_t g = 0; g < GroupColourCount; ++g)
    distinct.insert({GroupColour(g).red, GroupColour(g).green, GroupColour(g).blue});
  EXPECT_EQ(distinct.size(), GroupColourCount);
  // Far enough apart to tell on screen: no two closer than 60 in RGB.
  for (std::size_t a = 0; a < GroupColourCount; ++a) {
    for (std::size_t b = a + 1; b < GroupColourCount; ++b) {
      const TRgb x = GroupColour(a), y = GroupColour(b);
      const double dr = x.red - y.red, dg = x.green - y.green, db = x.blue - y.blue;
      EXPECT_GT(dr * dr + dg * dg + db * db, 60.0 * 60.0) << a << " " << b;
    }
  }
}

TEST(GroupStyle, EveryGroupOfTheFirst64LooksDifferent) {
  EXPECT_EQ(GroupMarker(0), TMarkerShape::Circle);
  EXPECT_EQ(GroupMarker(1), TMarkerShape::Square);
  std::set<std::pair<std::size_t, int>> looks;
  for (std::size_t g = 0; g < 64; ++g) {
    looks.insert({g % GroupColourCount, int(GroupMarker(g))});
    EXPECT_NE(GroupMarker(g), GroupMarker(g + 8)) << g;
  }
  EXPECT_EQ(looks.size(), 64u);
  std::set<TMarkerShape> shapes;
  for (std::size_t g = 0; g < 8; ++g) shapes.insert(GroupMarker(g));
  EXPECT_EQ(shapes.size(), MarkerShapeCount);
}

TEST(GroupObjects, FirstAppearanceOrderAndMissingGroupsLast) {
  const TGrouping grouping = GroupObjects({"setosa", "virginica", "", "setosa", "versicolor", ""});
  EXPECT_EQ(grouping.names,
            (std::vector<std::string>{"setosa", "virginica", "versicolor", "(no group)"}));
  EXPECT_EQ(grouping.ofObject, (std::vector<std::size_t>{0, 1, 3, 0, 2, 3}));
  const TGrouping complete = GroupObjects({"b", "a", "b"});
  EXPECT_EQ(complete.names, (std::vector<std::string>{"b", "a"}));
  EXPECT_EQ(complete.ofObject, (std::vector<std::size_t>{0, 1, 0}));
  const TGrouping none = GroupObjects({});
  EXPECT_TRUE(none.names.empty());
  EXPECT_TRUE(none.ofObject.empty());
  const TGrouping allMissing = GroupObjects({"", ""});
  EXPECT_EQ(allMissing.names, std::vector<std::string>{"(no group)"});
  EXPECT_EQ(allMissing.ofObject, (std::vector<std::size_t>{0, 0}));
}

}  // namespace
}  // namespace talvex
