// Greedy label placement over uniform grids: the markers in fine cells
// (bucketed once, with cumulative counts), the placed labels, the obstacles
// and the leaders in cells about one label high. A candidate is tested
// against the bounds first, then the markers, then the rest, stopping at the
// first conflict. In a dense cloud most candidates hold a whole marker cell
// and are refused in constant time, which keeps 20,000 points cheap.
#include "figures/label_placement.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <span>
#include <utility>

namespace talvex {

namespace {

/// The places touching the marker, and the places for a leader line: in
/// sixteen directions at each of these distances (in label heights) beyond
/// the touching ring.
constexpr int TouchingCount = 8;
constexpr int LeaderDirections = 16;
constexpr double LeaderSteps[] = {1.5, 2.5, 3.5, 5.0};
constexpr double ThoroughSteps[] = {1.5, 2.5, 3.5, 5.0, 6.5, 8.0, 10.0, 12.5, 15.0};
/// A touching label's own anchor must be nearer than any other by this much
/// (pixels), so that a reader's eye goes to the right point.
constexpr double NearestMargin = 0.5;
/// The clear margin around a label at the end of a leader line, in marker
/// radii plus LabelGap: no marker stands this close to it.
constexpr double LeaderClearance = 1.5;
/// The grid never has more cells than this (the cells grow instead), so a
/// huge plot area with few labels does not allocate a huge grid.
constexpr std::size_t MaxCells = std::size_t(1) << 20;

bool Finite(const TPlotPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

bool Inside(const TLabelBox& box, const TLabelBox& bounds) {
  return box.left >= bounds.left && box.top >= bounds.top && box.Right() <= bounds.Right() &&
         box.Bottom() <= bounds.Bottom();
}

/// Whether a circle of radius r about `centre` meets the interior of `box`.
bool CoversMarker(const TLabelBox& box, const TPlotPoint& centre, double r) {
  const double dx = std::max({box.left - centre.x, 0.0, centre.x - box.Right()});
  const double dy = std::max({box.top - centre.y, 0.0, centre.y - box.Bottom()});
  return dx * dx + dy * dy < r * r;
}

/// The distance from `p` to the segment.
double DistanceToSegment(const TPlotPoint& p, const TSegment& s) {
  const double dx = s.to.x - s.from.x;
  const double dy = s.to.y - s.from.y;
  const double length2 = dx * dx + dy * dy;
  double t = length2 > 0.0 ? ((p.x - s.from.x) * dx + (p.y - s.from.y) * dy) / length2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(s.from.x + t * dx - p.x, s.from.y + t * dy - p.y);
}

/// Whether two segments cross (touching ends count as crossing).
bool SegmentsCross(const TSegment& a, const TSegment& b) {
  const auto side = [](const TPlotPoint& o, const TPlotPoint& p, const TPlotPoint& q) {
    return (p.x - o.x) * (q.y - o.y) - (p.y - o.y) * (q.x - o.x);
  };
  const double d1 = side(a.from, a.to, b.from);
  const double d2 = side(a.from, a.to, b.to);
  const double d3 = side(b.from, b.to, a.from);
  const double d4 = side(b.from, b.to, a.to);
  return ((d1 <= 0 && d2 >= 0) || (d1 >= 0 && d2 <= 0)) &&
         ((d3 <= 0 && d4 >= 0) || (d3 >= 0 && d4 <= 0));
}

/// The touching candidate `index` (0..7) for a label of size `size` at
/// `anchor`: right, left, above, below, upper right, upper left, lower
/// right, lower left, LabelGap beyond the marker's reach that way.
TLabelBox Candidate(const TPlotPoint& anchor, const TPlotPoint& size, const TMarkerReach& reach,
                    int index) {
  const double w = size.x;
  const double h = size.y;
  const double d = reach.toward[std::size_t(index)] + LabelGap;
  // On a diagonal the gap is shared by the two axes.
  const double dd = reach.toward[std::size_t(index)] + LabelGap * std::numbers::sqrt2 / 2;
  const double x = anchor.x;
  const double y = anchor.y;
  switch (index) {
    case 0:
      return {x + d, y - h / 2, w, h};
    case 1:
      return {x - d - w, y - h / 2, w, h};
    case 2:
      return {x - w / 2, y - d - h, w, h};
    case 3:
      return {x - w / 2, y + d, w, h};
    case 4:
      return {x + dd, y - dd - h, w, h};
    case 5:
      return {x - dd - w, y - dd - h, w, h};
    case 6:
      return {x + dd, y + dd, w, h};
    default:
      return {x - dd - w, y + dd, w, h};
  }
}

/// A leader candidate: the label's box in direction `direction` (of
/// `directions`, counter-clockwise from the right) at step `step`, its
/// nearest point `distance` pixels from the anchor.
TLabelBox LeaderCandidate(const TPlotPoint& anchor, const TPlotPoint& size, double distance,
                          int direction, int directions) {
  const double angle = 2 * std::numbers::pi * direction / directions;
  const double ux = std::cos(angle);
  const double uy = -std::sin(angle);  // y runs down
  // The point of the box facing the anchor lies at the given distance; the
  // box lies beyond it, centred on the direction where it is not an edge.
  const double px = anchor.x + ux * distance;
  const double py = anchor.y + uy * distance;
  const double w = size.x;
  const double h = size.y;
  const double left = ux > 0.38 ? px : ux < -0.38 ? px - w : px - w / 2;
  const double top = uy > 0.38 ? py : uy < -0.38 ? py - h : py - h / 2;
  return {left, top, w, h};
}

/// A uniform grid of cells over an area: cell (column, row) of a point, and
/// the cells a box meets. Points outside the area fall into its edge cells.
class TCells {
 public:
  TCells(double left, double top, double width, double height, double cell)
      : left_(left), top_(top), cell_(cell) {
    const double area = width * height;
    if (area / (cell_ * cell_) > double(MaxCells)) cell_ = std::sqrt(area / double(MaxCells));
    columns_ = std::max<std::size_t>(1, std::size_t(std::ceil(width / cell_)));
    rows_ = std::max<std::size_t>(1, std::size_t(std::ceil(height / cell_)));
  }

  std::size_t Count() const { return columns_ * rows_; }
  std::size_t Columns() const { return columns_; }
  std::size_t Rows() const { return rows_; }
  std::size_t Column(double x) const { return Clamped((x - left_) / cell_, columns_); }
  std::size_t Row(double y) const { return Clamped((y - top_) / cell_, rows_); }
  std::size_t At(std::size_t column, std::size_t row) const { return column + row * columns_; }

  /// The columns (or rows) of the cells lying wholly inside [low, high]:
  /// first and one past the last.
  std::pair<std::size_t, std::size_t> WhollyInside(double low, double high, double origin,
                                                   std::size_t count) const {
    const double first = std::ceil((low - origin) / cell_);
    const double end = std::floor((high - origin) / cell_);
    const auto clamp = [count](double v) {
      return v <= 0.0 ? std::size_t(0) : std::min(count, std::size_t(v));
    };
    return {clamp(first), std::max(clamp(first), clamp(end))};
  }
  double Left() const { return left_; }
  double Top() const { return top_; }

 private:
  static std::size_t Clamped(double at, std::size_t count) {
    if (!(at > 0.0)) return 0;
    return std::min(count - 1, std::size_t(at));
  }

  double left_, top_, cell_;
  std::size_t columns_ = 1, rows_ = 1;
};

/// The markers: anchors bucketed by fine cells (about one marker wide) in
/// one array, with a table of cumulative counts, so that a box holding an
/// anchor in a cell wholly inside it is refused in constant time (the common
/// case in a dense cloud); only the cells along its border are searched.
class TMarkerGrid {
 public:
  TMarkerGrid(const std::vector<TPlotPoint>& anchors, const TLabelBox& bounds, double r)
      : anchors_(anchors),
        r_(r),
        cells_(bounds.left - r, bounds.top - r, bounds.width + 2 * r, bounds.height + 2 * r,
               std::max(2 * r, 1.0)) {
    if (r_ == 0.0) return;  // no markers to avoid
    std::vector<std::uint32_t> cellOf(anchors.size(), NoCell);
    first_.assign(cells_.Count() + 1, 0);
    for (std::size_t i = 0; i < anchors.size(); ++i) {
      const TPlotPoint& a = anchors[i];
      if (!Finite(a) || a.x < bounds.left - r || a.x > bounds.Right() + r || a.y < bounds.top - r ||
          a.y > bounds.Bottom() + r)
        continue;
      cellOf[i] = std::uint32_t(cells_.At(cells_.Column(a.x), cells_.Row(a.y)));
      ++first_[cellOf[i] + 1];
    }
    // Cumulative counts over the rectangle of cells above and left of each.
    const std::size_t columns = cells_.Columns(), rows = cells_.Rows();
    cumulative_.assign((columns + 1) * (rows + 1), 0);
    for (std::size_t row = 0; row < rows; ++row)
      for (std::size_t column = 0; column < columns; ++column)
        cumulative_[(column + 1) + (row + 1) * (columns + 1)] =
            first_[cells_.At(column, row) + 1] + cumulative_[column + (row + 1) * (columns + 1)] +
            cumulative_[(column + 1) + row * (columns + 1)] -
            cumulative_[column + row * (columns + 1)];
    for (std::size_t c = 0; c < cells_.Count(); ++c) first_[c + 1] += first_[c];
    index_.resize(first_.back());
    std::vector<std::uint32_t> next(first_.begin(), first_.end() - 1);
    for (std::size_t i = 0; i < anchors.size(); ++i)
      if (cellOf[i] != NoCell) index_[next[cellOf[i]]++] = std::uint32_t(i);
  }

  /// Whether `box` meets the marker of any anchor.
  /// Whether the box meets the marker circle of any anchor but `own` (whose
  /// own outline the candidates keep clear of by construction). A cell wholly
  /// inside the box holds only anchors inside it, never `own`'s.
  bool Covers(const TLabelBox& box, std::size_t own) const {
    if (r_ == 0.0) return false;
    const auto [c0, c1] =
        cells_.WhollyInside(box.left, box.Right(), cells_.Left(), cells_.Columns());
    const auto [r0, r1] = cells_.WhollyInside(box.top, box.Bottom(), cells_.Top(), cells_.Rows());
    if (c0 < c1 && r0 < r1 && Sum(c0, c1, r0, r1) > 0) return true;
    for (std::size_t row = cells_.Row(box.top - r_); row <= cells_.Row(box.Bottom() + r_); ++row) {
      for (std::size_t column = cells_.Column(box.left - r_);
           column <= cells_.Column(box.Right() + r_); ++column) {
        const std::size_t cell = cells_.At(column, row);
        for (std::uint32_t k = first_[cell]; k < first_[cell + 1]; ++k)
          if (index_[k] != own && CoversMarker(box, anchors_[index_[k]], r_)) return true;
      }
    }
    return false;
  }

  /// Whether any anchor but `own` lies within `distance` of `box`.
  bool OtherWithin(const TLabelBox& box, std::size_t own, double distance) const {
    if (r_ == 0.0) return OtherWithinSlow(box, own, distance);
    for (std::size_t row = cells_.Row(box.top - distance);
         row <= cells_.Row(box.Bottom() + distance); ++row)
      for (std::size_t column = cells_.Column(box.left - distance);
           column <= cells_.Column(box.Right() + distance); ++column) {
        const std::size_t cell = cells_.At(column, row);
        for (std::uint32_t k = first_[cell]; k < first_[cell + 1]; ++k)
          if (index_[k] != own && DistanceToBox(anchors_[index_[k]], box) < distance) return true;
      }
    return false;
  }

  /// Whether the segment passes within the marker radius of any anchor but `own`.
  bool SegmentNearOther(const TSegment& segment, std::size_t own) const {
    if (r_ == 0.0) return false;
    const double left = std::min(segment.from.x, segment.to.x) - r_;
    const double right = std::max(segment.from.x, segment.to.x) + r_;
    const double top = std::min(segment.from.y, segment.to.y) - r_;
    const double bottom = std::max(segment.from.y, segment.to.y) + r_;
    for (std::size_t row = cells_.Row(top); row <= cells_.Row(bottom); ++row)
      for (std::size_t column = cells_.Column(left); column <= cells_.Column(right); ++column) {
        const std::size_t cell = cells_.At(column, row);
        for (std::uint32_t k = first_[cell]; k < first_[cell + 1]; ++k)
          if (index_[k] != own && DistanceToSegment(anchors_[index_[k]], segment) < r_) return true;
      }
    return false;
  }

 private:
  static constexpr std::uint32_t NoCell = UINT32_MAX;

  // Without markers the grid holds nothing: a plain search.
  bool OtherWithinSlow(const TLabelBox& box, std::size_t own, double distance) const {
    for (std::size_t k = 0; k < anchors_.size(); ++k)
      if (k != own && Finite(anchors_[k]) && DistanceToBox(anchors_[k], box) < distance)
        return true;
    return false;
  }

  /// Anchors in columns c0..c1 - 1 and rows r0..r1 - 1.
  std::uint32_t Sum(std::size_t c0, std::size_t c1, std::size_t r0, std::size_t r1) const {
    const std::size_t stride = cells_.Columns() + 1;
    return cumulative_[c1 + r1 * stride] - cumulative_[c0 + r1 * stride] -
           cumulative_[c1 + r0 * stride] + cumulative_[c0 + r0 * stride];
  }

  const std::vector<TPlotPoint>& anchors_;
  double r_;
  TCells cells_;
  std::vector<std::uint32_t> first_;       // per cell, into index_; one more at the end
  std::vector<std::uint32_t> index_;       // anchors, cell by cell
  std::vector<std::uint32_t> cumulative_;  // (columns + 1) x (rows + 1)
};

/// The placed labels, in every cell (about one label high) they cover.
class TPlacedGrid {
 public:
  TPlacedGrid(const TLabelBox& bounds, double cell)
      : cells_(bounds.left, bounds.top, bounds.width, bounds.height, cell),
        labels_(cells_.Count()) {}

  bool Overlaps(const TLabelBox& box) const {
    for (std::size_t row = cells_.Row(box.top); row <= cells_.Row(box.Bottom()); ++row)
      for (std::size_t column = cells_.Column(box.left); column <= cells_.Column(box.Right());
           ++column)
        for (std::uint32_t label : labels_[cells_.At(column, row)])
          if (BoxesOverlap(box, placed_[label])) return true;
    return false;
  }

  /// Whether the segment meets a placed label.
  bool Crosses(const TSegment& segment) const {
    const double left = std::min(segment.from.x, segment.to.x);
    const double right = std::max(segment.from.x, segment.to.x);
    const double top = std::min(segment.from.y, segment.to.y);
    const double bottom = std::max(segment.from.y, segment.to.y);
    for (std::size_t row = cells_.Row(top); row <= cells_.Row(bottom); ++row)
      for (std::size_t column = cells_.Column(left); column <= cells_.Column(right); ++column)
        for (std::uint32_t label : labels_[cells_.At(column, row)])
          if (SegmentMeetsBox(segment, placed_[label])) return true;
    return false;
  }

  void Add(const TLabelBox& box) {
    const auto label = std::uint32_t(placed_.size());
    placed_.push_back(box);
    for (std::size_t row = cells_.Row(box.top); row <= cells_.Row(box.Bottom()); ++row)
      for (std::size_t column = cells_.Column(box.left); column <= cells_.Column(box.Right());
           ++column)
        labels_[cells_.At(column, row)].push_back(label);
  }

 private:
  TCells cells_;
  std::vector<std::vector<std::uint32_t>> labels_;  // per cell, into placed_
  std::vector<TLabelBox> placed_;
};

/// Segments (obstacles or leaders), in every cell their bounding box meets.
class TSegmentGrid {
 public:
  TSegmentGrid(const TLabelBox& bounds, double cell)
      : cells_(bounds.left, bounds.top, bounds.width, bounds.height, cell),
        segments_(cells_.Count()) {}

  void Add(const TSegment& segment) {
    const auto index = std::uint32_t(all_.size());
    all_.push_back(segment);
    ForCells(segment, [&](std::size_t cell) {
      segments_[cell].push_back(index);
      return false;
    });
  }

  bool MeetsBox(const TLabelBox& box) const {
    return ForCells({{box.left, box.top}, {box.Right(), box.Bottom()}}, [&](std::size_t cell) {
      for (std::uint32_t k : segments_[cell])
        if (SegmentMeetsBox(all_[k], box)) return true;
      return false;
    });
  }

  bool Crosses(const TSegment& segment) const {
    return ForCells(segment, [&](std::size_t cell) {
      for (std::uint32_t k : segments_[cell])
        if (SegmentsCross(all_[k], segment)) return true;
      return false;
    });
  }

 private:
  // Calls `visit` on each cell of the segment's bounding box until it says true.
  template <typename TVisit>
  bool ForCells(const TSegment& segment, TVisit visit) const {
    const double left = std::min(segment.from.x, segment.to.x);
    const double right = std::max(segment.from.x, segment.to.x);
    const double top = std::min(segment.from.y, segment.to.y);
    const double bottom = std::max(segment.from.y, segment.to.y);
    if (!std::isfinite(left + right + top + bottom)) return false;
    for (std::size_t row = cells_.Row(top); row <= cells_.Row(bottom); ++row)
      for (std::size_t column = cells_.Column(left); column <= cells_.Column(right); ++column)
        if (visit(cells_.At(column, row))) return true;
    return false;
  }

  TCells cells_;
  std::vector<std::vector<std::uint32_t>> segments_;  // per cell, into all_
  std::vector<TSegment> all_;
};

/// About the height of a typical label: a label then covers a handful of cells.
double LabelCellSize(const std::vector<TPlotPoint>& sizes, const std::vector<std::size_t>& order) {
  std::vector<double> heights;
  heights.reserve(order.size());
  for (std::size_t i : order)
    if (i < sizes.size() && std::isfinite(sizes[i].y) && sizes[i].y > 0.0)
      heights.push_back(sizes[i].y);
  if (heights.empty()) return 1.0;
  std::nth_element(heights.begin(), heights.begin() + heights.size() / 2, heights.end());
  return std::max(heights[heights.size() / 2], 1.0);
}

}  // namespace

bool BoxesOverlap(const TLabelBox& a, const TLabelBox& b) {
  return a.left < b.Right() && b.left < a.Right() && a.top < b.Bottom() && b.top < a.Bottom();
}

bool SegmentMeetsBox(const TSegment& segment, const TLabelBox& box) {
  // Liang-Barsky clipping against the open box.
  double t0 = 0.0;
  double t1 = 1.0;
  const double dx = segment.to.x - segment.from.x;
  const double dy = segment.to.y - segment.from.y;
  const double p[] = {-dx, dx, -dy, dy};
  const double q[] = {segment.from.x - box.left, box.Right() - segment.from.x,
                      segment.from.y - box.top, box.Bottom() - segment.from.y};
  for (int k = 0; k < 4; ++k) {
    if (p[k] == 0.0) {
      if (q[k] <= 0.0) return false;
      continue;
    }
    const double t = q[k] / p[k];
    if (p[k] < 0.0)
      t0 = std::max(t0, t);
    else
      t1 = std::min(t1, t);
    if (t0 >= t1) return false;
  }
  return true;
}

double DistanceToBox(const TPlotPoint& point, const TLabelBox& box) {
  const double dx = std::max({box.left - point.x, 0.0, point.x - box.Right()});
  const double dy = std::max({box.top - point.y, 0.0, point.y - box.Bottom()});
  return std::hypot(dx, dy);
}

std::vector<TPlacedLabel> PlaceLabels(const std::vector<TPlotPoint>& anchors,
                                      const std::vector<TPlotPoint>& sizes,
                                      const std::vector<std::size_t>& order,
                                      const TLabelBox& bounds, double markerRadius,
                                      const TLabelObstacles& obstacles, std::size_t thoroughCount,
                                      const std::vector<TMarkerReach>& reaches) {
  std::vector<TPlacedLabel> placed(anchors.size());
  const double r = std::isfinite(markerRadius) ? std::max(markerRadius, 0.0) : 0.0;
  const TMarkerReach circle = CircleReach(r);
  if (!(bounds.width > 0.0) || !(bounds.height > 0.0) || !std::isfinite(bounds.left) ||
      !std::isfinite(bounds.top) || !std::isfinite(bounds.width) || !std::isfinite(bounds.height))
    return placed;
  const TMarkerGrid markers(anchors, bounds, r);
  const double cell = LabelCellSize(sizes, order);
  TPlacedGrid labels(bounds, cell);
  TSegmentGrid drawn(bounds, cell);
  for (const TSegment& segment : obstacles.segments) drawn.Add(segment);
  TSegmentGrid leaders(bounds, cell);
  const auto free = [&](const TLabelBox& box, std::size_t own) {
    if (!Inside(box, bounds) || markers.Covers(box, own) || labels.Overlaps(box) ||
        drawn.MeetsBox(box) || leaders.MeetsBox(box))
      return false;
    return std::none_of(obstacles.boxes.begin(), obstacles.boxes.end(),
                        [&](const TLabelBox& b) { return BoxesOverlap(box, b); });
  };
  std::vector<bool> tried(anchors.size(), false);
  std::size_t rank = 0;
  for (std::size_t i : order) {
    const bool thorough = rank++ < thoroughCount;
    if (i >= anchors.size() || i >= sizes.size() || tried[i]) continue;
    tried[i] = true;
    const TPlotPoint& size = sizes[i];
    const TPlotPoint& anchor = anchors[i];
    if (!Finite(anchor) || !Finite(size) || size.x < 0.0 || size.y < 0.0) continue;
    bool done = false;
    for (int c = 0; c < TouchingCount && !done; ++c) {
      const TLabelBox box = Candidate(anchor, size, i < reaches.size() ? reaches[i] : circle, c);
      if (!free(box, i)) continue;
      // The own anchor must be the nearest: no other within the own
      // distance and a little more.
      if (markers.OtherWithin(box, i, DistanceToBox(anchor, box) + NearestMargin)) continue;
      labels.Add(box);
      placed[i] = {box, true, false, {}, {}};
      done = true;
    }
    const std::span<const double> steps =
        thorough ? std::span<const double>(ThoroughSteps) : std::span<const double>(LeaderSteps);
    for (double step : steps) {
      if (done) break;
      const double distance = r + LabelGap + step * size.y;
      const int directions = thorough ? 2 * LeaderDirections : LeaderDirections;
      for (int direction = 0; direction < directions && !done; ++direction) {
        const TLabelBox box = LeaderCandidate(anchor, size, distance, direction, directions);
        if (!free(box, i)) continue;
        if (markers.OtherWithin(box, i, LeaderClearance * r + LabelGap + NearestMargin)) continue;
        // From the marker's rim towards the nearest point of the box.
        const TPlotPoint to{std::clamp(anchor.x, box.left, box.Right()),
                            std::clamp(anchor.y, box.top, box.Bottom())};
        const double length = std::hypot(to.x - anchor.x, to.y - anchor.y);
        if (!(length > r)) continue;
        TPlotPoint from{anchor.x + (to.x - anchor.x) * r / length,
                        anchor.y + (to.y - anchor.y) * r / length};
        // Where markers overlap, the rim can lie nearer another point than
        // its own, and a reader follows a leader to the nearest point: a
        // name that must be read then has its leader run on to its own
        // point's centre; any other label looks for a clearer place.
        if (markers.OtherWithin({from.x, from.y, 0.0, 0.0}, i, r + NearestMargin)) {
          if (!thorough) continue;
          from = anchor;
        }
        const TSegment leader{from, to};
        // A name that must be read may reach out of a cloud across markers
        // and other leaders; its leader still starts on its own marker's rim.
        if ((!thorough && (markers.SegmentNearOther(leader, i) || leaders.Crosses(leader))) ||
            labels.Crosses(leader))
          continue;
        labels.Add(box);
        leaders.Add(leader);
        placed[i] = {box, true, true, from, to};
        done = true;
      }
    }
  }
  return placed;
}

std::vector<bool> NonCollidingLabels(const std::vector<TLabelBox>& boxes) {
  std::vector<bool> shown(boxes.size(), false);
  if (boxes.empty()) return shown;
  std::vector<std::size_t> kept{0};
  shown[0] = true;
  const auto fits = [&](std::size_t i) {
    return std::none_of(kept.begin(), kept.end(),
                        [&](std::size_t k) { return BoxesOverlap(boxes[i], boxes[k]); });
  };
  const std::size_t last = boxes.size() - 1;
  if (last > 0 && fits(last)) {
    shown[last] = true;
    kept.push_back(last);
  }
  for (std::size_t i = 1; i < last; ++i) {
    if (!fits(i)) continue;
    shown[i] = true;
    kept.push_back(i);
  }
  return shown;
}

}  // namespace talvex
