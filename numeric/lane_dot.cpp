// Dot products in vector lanes (see the header).
#include "numeric/lane_dot.h"

#include <cmath>

#include "numeric/wide_vectors.h"

namespace talvex {

namespace {

// Two sets of lanes keep the additions of consecutive blocks independent.
TALVEX_WIDE_VECTORS double LaneDot(const double* __restrict x, const double* __restrict y,
                                   TSize p) {
  TLanes s0 = BroadcastLanes(0.0), s1 = BroadcastLanes(0.0);
  TSize j = 0;
  for (; j + 2 * LaneCount <= p; j += 2 * LaneCount) {
    s0 += LoadLanes(x + j) * LoadLanes(y + j);
    s1 += LoadLanes(x + j + LaneCount) * LoadLanes(y + j + LaneCount);
  }
  if (j + LaneCount <= p) {
    s0 += LoadLanes(x + j) * LoadLanes(y + j);
    j += LaneCount;
  }
  double tail = 0.0;
  for (; j < p; ++j) tail += x[j] * y[j];
  return SumOfLanes(s0 + s1) + tail;
}

TALVEX_WIDE_VECTORS double LaneAbsoluteSum(const double* __restrict x, TSize p) {
  auto magnitude = [](TLanes v) { return v < 0.0 ? -v : v; };
  TLanes s0 = BroadcastLanes(0.0), s1 = BroadcastLanes(0.0);
  TSize j = 0;
  for (; j + 2 * LaneCount <= p; j += 2 * LaneCount) {
    s0 += magnitude(LoadLanes(x + j));
    s1 += magnitude(LoadLanes(x + j + LaneCount));
  }
  if (j + LaneCount <= p) {
    s0 += magnitude(LoadLanes(x + j));
    j += LaneCount;
  }
  double tail = 0.0;
  for (; j < p; ++j) tail += std::fabs(x[j]);
  return SumOfLanes(s0 + s1) + tail;
}

}  // namespace

double DotProduct(const double* x, const double* y, TSize p) { return LaneDot(x, y, p); }

double AbsoluteSum(const double* x, TSize p) { return LaneAbsoluteSum(x, p); }

}  // namespace talvex
