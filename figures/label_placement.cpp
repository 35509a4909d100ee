// Greedy label placement over two uniform grids: the markers in fine cells
// (bucketed once, with cumulative counts), the placed labels in cells about
// one label high. A candidate is tested against the bounds first, then the
// markers, then the labels, stopping at the first conflict. In a dense cloud
// most candidates hold a whole marker cell and are refused in constant time,
// which keeps 20,000 points cheap.
#include "figures/label_placement.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <utility>

namespace talvex {

namespace {

/// Candidate rings: 0 next to the marker, then one label height further.
constexpr int RingCount = 2;
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

/// The candidate `index` (0..8 * RingCount - 1) for a label of size `size`
/// at `anchor`: right, left, above, below, upper right, upper left, lower
/// right, lower left, ring by ring.
TLabelBox Candidate(const TPlotPoint& anchor, const TPlotPoint& size, double markerRadius,
                    int index) {
  const double w = size.x;
  const double h = size.y;
  const double d = markerRadius + LabelGap + (index / 8) * h;
  const double dd = d * std::numbers::sqrt2 / 2;  // a diagonal's offset on each axis
  const double x = anchor.x;
  const double y = anchor.y;
  switch (index % 8) {
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
  bool Covers(const TLabelBox& box) const {
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
          if (CoversMarker(box, anchors_[index_[k]], r_)) return true;
      }
    }
    return false;
  }

 private:
  static constexpr std::uint32_t NoCell = UINT32_MAX;

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

std::vector<TPlacedLabel> PlaceLabels(const std::vector<TPlotPoint>& anchors,
                                      const std::vector<TPlotPoint>& sizes,
                                      const std::vector<std::size_t>& order,
                                      const TLabelBox& bounds, double markerRadius) {
  std::vector<TPlacedLabel> placed(anchors.size());
  const double r = std::isfinite(markerRadius) ? std::max(markerRadius, 0.0) : 0.0;
  if (!(bounds.width > 0.0) || !(bounds.height > 0.0) || !std::isfinite(bounds.left) ||
      !std::isfinite(bounds.top) || !std::isfinite(bounds.width) || !std::isfinite(bounds.height))
    return placed;
  const TMarkerGrid markers(anchors, bounds, r);
  TPlacedGrid labels(bounds, LabelCellSize(sizes, order));
  std::vector<bool> tried(anchors.size(), false);
  for (std::size_t i : order) {
    if (i >= anchors.size() || i >= sizes.size() || tried[i]) continue;
    tried[i] = true;
    const TPlotPoint& size = sizes[i];
    if (!Finite(anchors[i]) || !Finite(size) || size.x < 0.0 || size.y < 0.0) continue;
    for (int c = 0; c < 8 * RingCount; ++c) {
      const TLabelBox box = Candidate(anchors[i], size, r, c);
      if (!Inside(box, bounds) || markers.Covers(box) || labels.Overlaps(box)) continue;
      labels.Add(box);
      placed[i] = {box, true};
      break;
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
