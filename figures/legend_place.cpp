// The legend's corner, tested against every marker and mark.
#include "figures/legend_place.h"

#include <algorithm>
#include <cmath>

namespace talvex {

std::optional<TLabelBox> FreeLegendCorner(const TLabelBox& plot, const TPlotPoint& size,
                                          double inset, const std::vector<TPlotPoint>& markers,
                                          double markerRadius, const TLabelObstacles& obstacles) {
  if (!(size.x + 2 * inset <= plot.width) || !(size.y + 2 * inset <= plot.height))
    return std::nullopt;
  const double left = plot.left + inset;
  const double right = plot.Right() - inset - size.x;
  const double top = plot.top + inset;
  const double bottom = plot.Bottom() - inset - size.y;
  const TLabelBox corners[] = {{right, top, size.x, size.y},
                               {left, top, size.x, size.y},
                               {right, bottom, size.x, size.y},
                               {left, bottom, size.x, size.y}};
  const double r = std::isfinite(markerRadius) ? std::max(markerRadius, 0.0) : 0.0;
  for (const TLabelBox& box : corners) {
    const bool covers =
        std::any_of(markers.begin(), markers.end(),
                    [&](const TPlotPoint& p) {
                      return std::isfinite(p.x) && std::isfinite(p.y) && DistanceToBox(p, box) < r;
                    }) ||
        std::any_of(obstacles.segments.begin(), obstacles.segments.end(),
                    [&](const TSegment& s) { return SegmentMeetsBox(s, box); }) ||
        std::any_of(obstacles.boxes.begin(), obstacles.boxes.end(),
                    [&](const TLabelBox& b) { return BoxesOverlap(b, box); });
    if (!covers) return box;
  }
  return std::nullopt;
}

}  // namespace talvex
