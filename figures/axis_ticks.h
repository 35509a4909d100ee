// Axis ranges and tick marks: "nice" steps (1, 2, 2.5 or 5 times a power of
// ten), their labels, ranges fitted to the data with a small margin, and the
// equal aspect ratio of the score and vector plots.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace talvex {

struct TTicks {
  double step = 1.0;
  std::vector<double> values;  // ascending multiples of step
};

/// Tick values covering [low, high] at a "nice" step (1, 2, 2.5 or 5 x 10^k)
/// giving about `targetCount` ticks (at least 2 for any non-empty range);
/// only ticks inside [low, high] (up to a rounding of span * 1e-9 at the
/// ends). The step is the nice one whose tick count is closest to
/// targetCount, the larger step on a tie. The arguments may come in either
/// order; an empty range (low == high) gives the one tick at low when it is
/// a multiple of its step; non-finite arguments give no ticks.
TTicks NiceTicks(double low, double high, int targetCount = 7);

/// A tick's text: as many decimals as the step needs, no exponent for |v| in
/// [1e-4, 1e6), "0" for values within step*1e-9 of zero (never "-0"),
/// exponent form otherwise ("1.5e-05", "2.5e+06").
std::string TickLabel(double value, double step);

struct TRange {
  double low = 0.0;
  double high = 1.0;
};

/// The data range [low, high] widened by `margin` (fraction of the span) on
/// each side and then out to the enclosing nice ticks; a zero span becomes
/// +-1 around the value (+-10% of |value| when that is larger). Data within
/// +-21 never gets a +-50 axis. The arguments may come in either order;
/// non-finite ones give [-1, 1].
TRange FitRange(double dataLow, double dataHigh, double margin = 0.05, int targetTicks = 7);

/// The smallest and largest finite value of `values`; nullopt when there is
/// none (missing values and the infinities of a zero standard error are left
/// out of a plot's range).
std::optional<TRange> FiniteExtent(const std::vector<double>& values);

/// Widens x or y (about its centre) so that one data unit has the same
/// length in pixels on both axes of a plot area widthPx x heightPx; never
/// narrows a range. Leaves both as they are for an empty plot area or an
/// empty range.
void EqualAspect(TRange& x, TRange& y, double widthPx, double heightPx);

}  // namespace talvex
