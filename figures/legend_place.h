// Where a plot's legend goes: a corner of the plot area where it covers no
// marker and no drawn mark, or, when every corner is taken, outside the
// plot area.
#pragma once

#include <optional>
#include <vector>

#include "figures/label_placement.h"
#include "figures/plot_point.h"

namespace talvex {

/// The box of a legend of `size` (width, height) in the first free corner
/// of `plot` (top right, top left, bottom right, bottom left), `inset`
/// pixels inside its edges: free when no marker (a circle of radius
/// markerRadius about each of `markers`) and no obstacle meets it. Nullopt
/// when no corner is free or the legend does not fit in the plot area.
std::optional<TLabelBox> FreeLegendCorner(const TLabelBox& plot, const TPlotPoint& size,
                                          double inset, const std::vector<TPlotPoint>& markers,
                                          double markerRadius, const TLabelObstacles& obstacles);

}  // namespace talvex
