// The influence plot of the jackknife diagnostics: each object's influence
// against its number, the threshold line, and which points to label.
#pragma once

#include <cstddef>
#include <vector>

#include "diagnostics/diagnostics.h"
#include "figures/plot_point.h"

namespace talvex {

struct TInfluencePlot {
  /// One per object, in object order: x the object number (1..n), y its
  /// influence (+inf when an eigenvalue with a standard error of 0 moved).
  std::vector<TPlotPoint> points;
  double threshold = 0.0;  // the diagnostics' threshold, a horizontal line
  /// Indices into points (0-based) to label, most influential first: every
  /// object beyond the threshold and the `labelCount` most influential.
  std::vector<std::size_t> labelled;
};

/// The plot of diagnostics that are available; an empty plot otherwise.
TInfluencePlot MakeInfluencePlot(const TDiagnostics& diagnostics, std::size_t labelCount = 5);

}  // namespace talvex
