// TPlotPoint: a point of a plot, in data units or in pixels as the function
// taking it says.
#pragma once

namespace talvex {

struct TPlotPoint {
  double x = 0.0;
  double y = 0.0;
};

}  // namespace talvex
