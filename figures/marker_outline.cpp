// The markers' outlines and their reach towards a touching label.
#include "figures/marker_outline.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace talvex {

namespace {

constexpr int CircleVertices = 32;

/// The quadrants of the diagonal places, as signs of x and y (y down).
constexpr int QuadrantSigns[4][2] = {{1, -1}, {-1, -1}, {1, 1}, {-1, 1}};

}  // namespace

std::vector<TPlotPoint> MarkerOutline(TMarkerShape shape, double r) {
  const double h = r * std::sqrt(3.0) / 2.0;
  switch (shape) {
    case TMarkerShape::Square:
      return {{-r * 0.85, -r * 0.85},
              {r * 0.85, -r * 0.85},
              {r * 0.85, r * 0.85},
              {-r * 0.85, r * 0.85}};
    case TMarkerShape::TriangleUp:
      return {{0, -r}, {h, r / 2}, {-h, r / 2}};
    case TMarkerShape::TriangleDown:
      return {{0, r}, {h, -r / 2}, {-h, -r / 2}};
    case TMarkerShape::Diamond:
    case TMarkerShape::Plus:
      return {{0, -r}, {r, 0}, {0, r}, {-r, 0}};
    case TMarkerShape::Cross:
      return {{-r, -r}, {r, -r}, {r, r}, {-r, r}};
    case TMarkerShape::Star: {
      std::vector<TPlotPoint> star;
      for (int i = 0; i < 10; ++i) {
        const double radius = i % 2 == 0 ? r * 1.1 : r * 0.45;
        const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        star.push_back({radius * std::cos(angle), radius * std::sin(angle)});
      }
      return star;
    }
    default: {
      std::vector<TPlotPoint> circle;
      for (int i = 0; i < CircleVertices; ++i) {
        const double angle = 2 * std::numbers::pi * i / CircleVertices;
        circle.push_back({r * std::cos(angle), r * std::sin(angle)});
      }
      return circle;
    }
  }
}

TMarkerReach MarkerReach(const std::vector<TPlotPoint>& outline) {
  TMarkerReach reach;
  for (const TPlotPoint& v : outline) {
    reach.toward[0] = std::max(reach.toward[0], v.x);
    reach.toward[1] = std::max(reach.toward[1], -v.x);
    reach.toward[2] = std::max(reach.toward[2], -v.y);
    reach.toward[3] = std::max(reach.toward[3], v.y);
  }
  // A point (x, y) lies in the quadrant beyond offset a when sx x >= a and
  // sy y >= a: the outline stays out when a exceeds the largest
  // min(sx x, sy y) on it, found at a vertex or where an edge crosses the
  // quadrant's diagonal (the function is concave, so never inside).
  for (int q = 0; q < 4; ++q) {
    const double sx = QuadrantSigns[q][0], sy = QuadrantSigns[q][1];
    double most = 0.0;
    for (std::size_t k = 0; k < outline.size(); ++k) {
      const TPlotPoint& a = outline[k];
      const TPlotPoint& b = outline[(k + 1) % outline.size()];
      most = std::max(most, std::min(sx * a.x, sy * a.y));
      const double ga = sx * a.x - sy * a.y, gb = sx * b.x - sy * b.y;
      if ((ga < 0.0 && gb > 0.0) || (ga > 0.0 && gb < 0.0)) {
        const double t = ga / (ga - gb);
        most = std::max(most, sx * (a.x + t * (b.x - a.x)));
      }
    }
    reach.toward[4 + q] = most;
  }
  return reach;
}

TMarkerReach CircleReach(double r) {
  const double diagonal = r * std::numbers::sqrt2 / 2;
  return {{r, r, r, r, diagonal, diagonal, diagonal, diagonal}};
}

}  // namespace talvex
