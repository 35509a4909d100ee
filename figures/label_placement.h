// Placing the point labels of a plot so that they stay readable: each label
// takes the first free place around its point, most important labels first,
// and a label with no free place is left out; and the choice of the scree
// plot's point numbers that do not collide.
#pragma once

#include <cstddef>
#include <vector>

#include "figures/plot_point.h"

namespace talvex {

/// A rectangle in screen pixels (y down).
struct TLabelBox {
  double left = 0.0;
  double top = 0.0;
  double width = 0.0;
  double height = 0.0;

  double Right() const { return left + width; }
  double Bottom() const { return top + height; }
};

struct TPlacedLabel {
  TLabelBox box;  // meaningful only when shown
  bool shown = false;
};

/// Whether the interiors of two boxes meet (boxes that only touch do not).
bool BoxesOverlap(const TLabelBox& a, const TLabelBox& b);

/// The gap in pixels between a marker's edge and its label.
constexpr double LabelGap = 2.0;

/// Places each label (size given) near its anchor (screen pixels, y down)
/// trying candidate positions around it (right, left, above, below, the four
/// diagonals, then the same eight one label height further out), so that no
/// two shown labels overlap, no label covers an anchor's marker (a circle of
/// radius markerRadius; 0: points without markers), and every label lies
/// inside `bounds`. Labels are placed in `order` (indices, most important
/// first, e.g. selected points); labels not in `order`, repeated indices,
/// and labels of anchors or sizes that are not finite are not shown, and a
/// label with no free place is not shown. The result has one element per
/// anchor. Every anchor's marker is avoided, whether or not its label is
/// placed.
///
/// Cost: grids index the markers (cells about one marker wide, with
/// cumulative counts) and the placed labels (cells about one label high),
/// so a candidate tests only its neighbourhood, and one that holds a whole
/// marker cell is refused at once: about linear in the number of anchors;
/// 20,000 anchors in a dense 800 x 600 cloud take about 9 ms of processor
/// time (bench/label_placement_bench.cpp).
/// Deterministic: the same arguments give the same places.
std::vector<TPlacedLabel> PlaceLabels(const std::vector<TPlotPoint>& anchors,
                                      const std::vector<TPlotPoint>& sizes,  // width, height
                                      const std::vector<std::size_t>& order,
                                      const TLabelBox& bounds, double markerRadius);

/// Scree point numbers: which of the boxes (in order of component) to show
/// so that none overlap; the first and the last are preferred, then the
/// others greedily from left to right (in the order given).
std::vector<bool> NonCollidingLabels(const std::vector<TLabelBox>& boxes);

}  // namespace talvex
