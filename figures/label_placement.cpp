// Greedy label placement over a uniform grid. The grid covers the bounds;
// anchors are bucketed once (counting sort into one array), placed labels are
// added to every cell they cover as they are placed. A candidate is tested
// against the bounds first, then against the markers and labels of the cells
// it covers, stopping at the first conflict: in a dense cloud most
// candidates fail on their first marker, which keeps 20,000 points cheap.
#include "figures/label_placement.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

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

class TLabelGrid {
 public:
  TLabelGrid(const TLabelBox& bounds, double cell) : bounds_(bounds), cell_(cell) {
    const double area = std::max(bounds.width, 0.0) * std::max(bounds.height, 0.0);
    if (area / (cell_ * cell_) > double(MaxCells)) cell_ = std::sqrt(area / double(MaxCells));
    columns_ = std::max<std::size_t>(1, std::size_t(std::ceil(bounds.width / cell_)));
    rows_ = std::max<std::size_t>(1, std::size_t(std::ceil(bounds.height / cell_)));
    labels_.resize(columns_ * rows_);
  }

  /// Buckets the finite anchors within `reach` of the bounds.
  void AddAnchors(const std::vector<TPlotPoint>& anchors, double reach) {
    anchors_ = &anchors;
    std::vector<std::uint32_t> cellOf(anchors.size(), NoCell);
    firstAnchor_.assign(columns_ * rows_ + 1, 0);
    for (std::size_t i = 0; i < anchors.size(); ++i) {
      const TPlotPoint& a = anchors[i];
      if (!Finite(a) || a.x < bounds_.left - reach || a.x > bounds_.Right() + reach ||
          a.y < bounds_.top - reach || a.y > bounds_.Bottom() + reach)
        continue;
      cellOf[i] = std::uint32_t(Column(a.x) + Row(a.y) * columns_);
      ++firstAnchor_[cellOf[i] + 1];
    }
    for (std::size_t c = 0; c < columns_ * rows_; ++c) firstAnchor_[c + 1] += firstAnchor_[c];
    anchorIndex_.resize(firstAnchor_.back());
    std::vector<std::uint32_t> next(firstAnchor_.begin(), firstAnchor_.end() - 1);
    for (std::size_t i = 0; i < anchors.size(); ++i)
      if (cellOf[i] != NoCell) anchorIndex_[next[cellOf[i]]++] = std::uint32_t(i);
  }

  /// Whether `box` is free: it meets no marker of radius r and no placed label.
  bool Free(const TLabelBox& box, double r) const {
    const std::size_t c0 = Column(box.left - r), c1 = Column(box.Right() + r);
    const std::size_t r0 = Row(box.top - r), r1 = Row(box.Bottom() + r);
    for (std::size_t row = r0; row <= r1; ++row) {
      for (std::size_t column = c0; column <= c1; ++column) {
        const std::size_t cell = column + row * columns_;
        for (std::uint32_t k = firstAnchor_[cell]; k < firstAnchor_[cell + 1]; ++k)
          if (CoversMarker(box, (*anchors_)[anchorIndex_[k]], r)) return false;
      }
    }
    for (std::size_t row = Row(box.top); row <= Row(box.Bottom()); ++row) {
      for (std::size_t column = Column(box.left); column <= Column(box.Right()); ++column) {
        for (std::uint32_t label : labels_[column + row * columns_])
          if (BoxesOverlap(box, placed_[label])) return false;
      }
    }
    return true;
  }

  void AddLabel(const TLabelBox& box) {
    const auto label = std::uint32_t(placed_.size());
    placed_.push_back(box);
    for (std::size_t row = Row(box.top); row <= Row(box.Bottom()); ++row)
      for (std::size_t column = Column(box.left); column <= Column(box.Right()); ++column)
        labels_[column + row * columns_].push_back(label);
  }

 private:
  static constexpr std::uint32_t NoCell = UINT32_MAX;

  std::size_t Column(double x) const { return Clamped((x - bounds_.left) / cell_, columns_); }
  std::size_t Row(double y) const { return Clamped((y - bounds_.top) / cell_, rows_); }
  static std::size_t Clamped(double at, std::size_t count) {
    if (!(at > 0.0)) return 0;
    return std::min(count - 1, std::size_t(at));
  }

  TLabelBox bounds_;
  double cell_;
  std::size_t columns_ = 1, rows_ = 1;
  const std::vector<TPlotPoint>* anchors_ = nullptr;
  std::vector<std::uint32_t> firstAnchor_;  // per cell, into anchorIndex_; one more at the end
  std::vector<std::uint32_t> anchorIndex_;
  std::vector<std::vector<std::uint32_t>> labels_;  // per cell, into placed_
  std::vector<TLabelBox> placed_;
};

/// About the height of a typical label, and no less than a marker: a
/// candidate then covers a handful of cells.
double CellSize(const std::vector<TPlotPoint>& sizes, const std::vector<std::size_t>& order,
                double markerRadius) {
  std::vector<double> heights;
  heights.reserve(order.size());
  for (std::size_t i : order)
    if (i < sizes.size() && std::isfinite(sizes[i].y) && sizes[i].y > 0.0)
      heights.push_back(sizes[i].y);
  double cell = 2 * markerRadius;
  if (!heights.empty()) {
    std::nth_element(heights.begin(), heights.begin() + heights.size() / 2, heights.end());
    cell = std::max(cell, heights[heights.size() / 2]);
  }
  return std::max(cell, 1.0);
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
  TLabelGrid grid(bounds, CellSize(sizes, order, r));
  grid.AddAnchors(anchors, r);
  std::vector<bool> tried(anchors.size(), false);
  for (std::size_t i : order) {
    if (i >= anchors.size() || i >= sizes.size() || tried[i]) continue;
    tried[i] = true;
    const TPlotPoint& size = sizes[i];
    if (!Finite(anchors[i]) || !Finite(size) || size.x < 0.0 || size.y < 0.0) continue;
    for (int c = 0; c < 8 * RingCount; ++c) {
      const TLabelBox box = Candidate(anchors[i], size, r, c);
      if (!Inside(box, bounds) || !grid.Free(box, r)) continue;
      grid.AddLabel(box);
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
