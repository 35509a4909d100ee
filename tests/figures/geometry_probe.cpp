// Prints the group regions of point sets read from standard input, for the
// independent numpy check (geometry_numpy_check.py). Input: per set a line
// "set N LEVEL", then N lines "x y". Output per set: "concentration" and
// "mean" lines with "cx cy semiMajor semiMinor angle" or "none", an
// "outline K" line and K points of the concentration ellipse, and a "hull K"
// line and K points. Numbers in round-trip precision.
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "figures/group_regions.h"

namespace {

void PrintEllipse(const char* name, const std::optional<talvex::TEllipse>& e) {
  if (!e) {
    std::printf("%s none\n", name);
    return;
  }
  std::printf("%s %.17g %.17g %.17g %.17g %.17g\n", name, e->centre.x, e->centre.y, e->semiMajor,
              e->semiMinor, e->angle);
}

void PrintPoints(const char* name, const std::vector<talvex::TPlotPoint>& points) {
  std::printf("%s %zu\n", name, points.size());
  for (const talvex::TPlotPoint& p : points) std::printf("%.17g %.17g\n", p.x, p.y);
}

}  // namespace

int main() {
  std::string word;
  std::size_t n = 0;
  double level = 0.0;
  while (std::cin >> word >> n >> level) {
    if (word != "set") return 2;
    std::vector<talvex::TPlotPoint> points(n);
    for (talvex::TPlotPoint& p : points) std::cin >> p.x >> p.y;
    if (!std::cin) return 2;
    const auto concentration = talvex::ConcentrationEllipse(points, level);
    PrintEllipse("concentration", concentration);
    PrintEllipse("mean", talvex::MeanConfidenceEllipse(points, level));
    PrintPoints("outline", concentration ? talvex::EllipseOutline(*concentration, 16)
                                         : std::vector<talvex::TPlotPoint>{});
    PrintPoints("hull", talvex::ConvexHull(points));
  }
  return 0;
}
