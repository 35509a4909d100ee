// Placing the point labels of a plot so that a reader cannot mistake whose
// label is whose: each label touches its own point (which is then the point
// nearest to it) or stands a little away joined to it by a leader line; it
// covers no marker, no other drawn mark and no other label; most important
// labels first, and a label with no such place is left out. Also the choice
// of the scree plot's point numbers that do not collide.
#pragma once

#include <cstddef>
#include <vector>

#include "figures/marker_outline.h"
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
  /// A label away from its point is joined to it by a leader line from
  /// leaderFrom (on the marker's rim, or at its centre where overlapping
  /// markers make the rim ambiguous) to leaderTo (on the label's box).
  bool leader = false;
  TPlotPoint leaderFrom;
  TPlotPoint leaderTo;
};

/// A straight piece of a drawn mark (arrow, error bar, line, outline).
struct TSegment {
  TPlotPoint from;
  TPlotPoint to;
};

/// The drawn marks other than the markers that labels must not cover
/// (screen pixels, y down): line pieces and areas such as the legend.
struct TLabelObstacles {
  std::vector<TSegment> segments;
  std::vector<TLabelBox> boxes;
};

/// Whether the segment meets the interior of the box.
bool SegmentMeetsBox(const TSegment& segment, const TLabelBox& box);

/// The distance from a point to the nearest point of a box (0 inside it).
double DistanceToBox(const TPlotPoint& point, const TLabelBox& box);

/// Whether the interiors of two boxes meet (boxes that only touch do not).
bool BoxesOverlap(const TLabelBox& a, const TLabelBox& b);

/// The gap in pixels between a marker's edge and its label.
constexpr double LabelGap = 2.0;

/// Places each label (size given) near its anchor (screen pixels, y down).
/// First it tries the places touching the marker (right, left, above,
/// below, the four diagonals, LabelGap beyond the marker's reach that way:
/// `reaches`, one per anchor, from its outline; a circle of markerRadius
/// where none is given): such a place is
/// taken only when the label's own anchor is nearer to it than any other
/// anchor. Then places farther out (two to five label heights, in sixteen
/// directions), joined to the marker by a leader line, with a clear margin
/// around the label so that no other marker is close to it; the leader
/// crosses no other marker, label or leader. In both cases no two shown
/// labels overlap, no label covers an anchor's marker (a circle of radius
/// markerRadius; 0: points without markers) or an obstacle, and every
/// label lies inside `bounds`. Labels are placed in `order` (indices, most important
/// first, e.g. selected points); labels not in `order`, repeated indices,
/// and labels of anchors or sizes that are not finite are not shown, and a
/// label with no free place is not shown. The result has one element per
/// anchor. Every anchor's marker is avoided, whether or not its label is
/// placed.
///
/// The first `thoroughCount` labels of `order` (names that must be read,
/// such as the variables' of a biplot) also try places farther out, and
/// their leaders may cross other markers and leaders.
///
/// Cost: grids index the markers (cells about one marker wide, with
/// cumulative counts), the placed labels, the obstacles and the leaders
/// (cells about one label high), so a candidate tests only its
/// neighbourhood, and one that holds a whole marker cell is refused at
/// once: about linear in the number of anchors
/// (bench/label_placement_bench.cpp).
/// Deterministic: the same arguments give the same places.
std::vector<TPlacedLabel> PlaceLabels(const std::vector<TPlotPoint>& anchors,
                                      const std::vector<TPlotPoint>& sizes,  // width, height
                                      const std::vector<std::size_t>& order,
                                      const TLabelBox& bounds, double markerRadius,
                                      const TLabelObstacles& obstacles = {},
                                      std::size_t thoroughCount = 0,
                                      const std::vector<TMarkerReach>& reaches = {});

/// Scree point numbers: which of the boxes (in order of component) to show
/// so that none overlap; the first and the last are preferred, then the
/// others greedily from left to right (in the order given).
std::vector<bool> NonCollidingLabels(const std::vector<TLabelBox>& boxes);

}  // namespace talvex
