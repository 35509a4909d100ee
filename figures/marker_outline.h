// A marker's outline as a polygon, and how far it reaches towards the places
// where a label touches it. The drawing and the label placement read the
// same outline, so a label stands as close to a triangle as to a circle.
#pragma once

#include <array>
#include <vector>

#include "figures/group_style.h"
#include "figures/plot_point.h"

namespace talvex {

/// The outline of a marker of radius r about its centre (pixels, y down).
/// The circle is a 32-gon through it (exact at the eight touching
/// directions); the cross and the plus, drawn as strokes, give the hull of
/// their strokes.
std::vector<TPlotPoint> MarkerOutline(TMarkerShape shape, double r);

/// How far an outline reaches from its centre towards the eight places of a
/// touching label, in their order: right, left, above, below (the largest
/// extent that way), then upper right, upper left, lower right, lower left
/// (the least offset a on both axes that keeps the outline out of the
/// quadrant beyond the label's near corner).
struct TMarkerReach {
  std::array<double, 8> toward{};
};

TMarkerReach MarkerReach(const std::vector<TPlotPoint>& outline);

/// A circle's reach: r on the axes, r / sqrt(2) on the diagonals.
TMarkerReach CircleReach(double r);

}  // namespace talvex
