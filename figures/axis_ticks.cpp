// Nice steps and fitted ranges. A step is held as mantissa x 10^exponent and
// a tick as an integer multiple of it, formed once (never by repeated
// addition), so that 0.1 steps give 0.3 and not 0.30000000000000004.
#include "figures/axis_ticks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <utility>

namespace talvex {

namespace {

constexpr double NiceMantissas[] = {1.0, 2.0, 2.5, 5.0};
/// Ticks this close to an end of the range (relative to its span) count as
/// inside it: the end itself often is a multiple computed in another way.
constexpr double EndSlack = 1e-9;
/// A tick this close to zero (relative to the step) is zero: its value is a
/// rounding of 0 and must not print as "-0" or "1e-17".
constexpr double ZeroTick = 1e-9;
/// A span this small relative to the values cannot be told apart by ticks.
constexpr double ZeroSpan = 4 * std::numeric_limits<double>::epsilon();
/// A bound on the ticks of one axis, whatever the arguments: a range whose
/// span is lost in the rounding of its ends gets few distinct ticks.
constexpr double MaxTicks = 1000;
/// Plain notation for |value| in [PlainLow, PlainHigh).
constexpr double PlainLow = 1e-4;
constexpr double PlainHigh = 1e6;

struct TNiceStep {
  double mantissa = 1.0;
  int exponent = 0;

  double Value() const { return Multiple(1.0); }
  /// i x step, with one rounding where 10^exponent is not exact.
  double Multiple(double i) const {
    const double scaled = i * mantissa;
    return exponent >= 0 ? scaled * std::pow(10.0, exponent) : scaled / std::pow(10.0, -exponent);
  }
};

/// The first and last multiple of `step` inside [low, high].
std::pair<double, double> MultiplesInside(double low, double high, const TNiceStep& step) {
  const double slack = (high - low) * EndSlack;
  const double value = step.Value();
  return {std::ceil((low - slack) / value), std::floor((high + slack) / value)};
}

double TickCount(double low, double high, const TNiceStep& step) {
  const auto [first, last] = MultiplesInside(low, high, step);
  return last >= first ? last - first + 1.0 : 0.0;
}

/// The nice step giving the tick count closest to target (at least 2), the
/// larger step on a tie.
TNiceStep ChooseStep(double low, double high, int target) {
  const double raw = (high - low) / (target - 1);
  const int exponent = int(std::floor(std::log10(raw)));
  TNiceStep best;
  double bestMiss = std::numeric_limits<double>::infinity();
  for (int e = exponent - 1; e <= exponent + 1; ++e) {
    for (double m : NiceMantissas) {
      const TNiceStep step{m, e};
      const double count = TickCount(low, high, step);
      if (count < 2.0) continue;
      const double miss = std::fabs(count - target);
      if (miss <= bestMiss) {  // steps ascend: a tie goes to the larger
        best = step;
        bestMiss = miss;
      }
    }
  }
  return best;
}

/// The smallest number of decimals that writes `step` exactly (0..17).
int DecimalsOf(double step) {
  for (int d = 0; d < 17; ++d) {
    const double scaled = step * std::pow(10.0, d);
    if (std::fabs(scaled - std::round(scaled)) <= 1e-6 * scaled) return d;
  }
  return 17;
}

/// The number of significant digits that write `step` (1..17).
int SignificantDigitsOf(double step) {
  char text[40];
  for (int digits = 1; digits < 17; ++digits) {
    std::snprintf(text, sizeof text, "%.*e", digits - 1, step);
    if (std::fabs(std::strtod(text, nullptr) - step) <= 1e-6 * step) return digits;
  }
  return 17;
}

int DecimalExponent(double value) { return int(std::floor(std::log10(std::fabs(value)))); }

/// "1.50e-05" -> "1.5e-05", "2.00e+06" -> "2e+06".
std::string WithoutTrailingZeros(std::string text) {
  const std::size_t e = text.find('e');
  const std::size_t point = text.find('.');
  if (e == std::string::npos || point == std::string::npos || point > e) return text;
  std::size_t end = e;
  while (end > point + 1 && text[end - 1] == '0') --end;
  if (end == point + 1) --end;  // the point itself
  return text.substr(0, end) + text.substr(e);
}

}  // namespace

TTicks NiceTicks(double low, double high, int targetCount) {
  TTicks ticks;
  if (!std::isfinite(low) || !std::isfinite(high)) return ticks;
  if (low > high) std::swap(low, high);
  if (low == high) {
    const double size = std::fabs(low);
    ticks.step = size > 0.0 ? std::pow(10.0, DecimalExponent(size)) : 1.0;
    if (std::fabs(std::remainder(low, ticks.step)) <= ticks.step * ZeroTick)
      ticks.values.push_back(low);
    return ticks;
  }
  const TNiceStep step = ChooseStep(low, high, std::max(targetCount, 2));
  ticks.step = step.Value();
  // Counted, not stepped: beyond 2^53 (a range zoomed far in, far from 0)
  // adding 1 to a multiple no longer changes it.
  const auto [first, last] = MultiplesInside(low, high, step);
  const double count = std::min(last - first + 1.0, MaxTicks);
  for (double k = 0; k < count; ++k) ticks.values.push_back(step.Multiple(first + k));
  ticks.values.erase(std::unique(ticks.values.begin(), ticks.values.end()), ticks.values.end());
  return ticks;
}

std::string TickLabel(double value, double step) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  if (!(step > 0.0) || !std::isfinite(step)) step = value != 0.0 ? std::fabs(value) : 1.0;
  const double size = std::fabs(value);
  if (size <= step * ZeroTick) return "0";
  char text[64];
  if (size >= PlainLow && size < PlainHigh) {
    std::snprintf(text, sizeof text, "%.*f", DecimalsOf(step), value);
    return text;
  }
  const int digits =
      std::clamp(DecimalExponent(value) - DecimalExponent(step) + SignificantDigitsOf(step), 1, 17);
  std::snprintf(text, sizeof text, "%.*e", digits - 1, value);
  return WithoutTrailingZeros(text);
}

TRange FitRange(double dataLow, double dataHigh, double margin, int targetTicks) {
  if (!std::isfinite(dataLow) || !std::isfinite(dataHigh)) return {-1.0, 1.0};
  if (dataLow > dataHigh) std::swap(dataLow, dataHigh);
  double low = dataLow;
  double high = dataHigh;
  const double span = high - low;
  if (span <= ZeroSpan * std::max(std::fabs(low), std::fabs(high))) {
    const double centre = low + span / 2;
    const double half = std::max(1.0, 0.1 * std::fabs(centre));
    low = centre - half;
    high = centre + half;
  } else {
    low -= margin * span;
    high += margin * span;
  }
  const TNiceStep step = ChooseStep(low, high, std::max(targetTicks, 2));
  const double slack = (high - low) * EndSlack;
  const double value = step.Value();
  const TRange fitted{step.Multiple(std::floor((low + slack) / value)),
                      step.Multiple(std::ceil((high - slack) / value))};
  if (!std::isfinite(fitted.low) || !std::isfinite(fitted.high)) return {low, high};
  return fitted;
}

std::optional<TRange> FiniteExtent(const std::vector<double>& values) {
  std::optional<TRange> extent;
  for (double v : values) {
    if (!std::isfinite(v)) continue;
    if (!extent) {
      extent = TRange{v, v};
    } else {
      extent->low = std::min(extent->low, v);
      extent->high = std::max(extent->high, v);
    }
  }
  return extent;
}

void EqualAspect(TRange& x, TRange& y, double widthPx, double heightPx) {
  if (!(widthPx > 0.0) || !(heightPx > 0.0)) return;
  const double xSpan = x.high - x.low;
  const double ySpan = y.high - y.low;
  if (!(xSpan > 0.0) || !(ySpan > 0.0) || !std::isfinite(xSpan) || !std::isfinite(ySpan)) return;
  const auto widen = [](TRange& range, double span) {
    const double centre = range.low + (range.high - range.low) / 2;
    range.low = std::min(range.low, centre - span / 2);
    range.high = std::max(range.high, centre + span / 2);
  };
  const double xUnits = xSpan / widthPx;  // data units per pixel
  const double yUnits = ySpan / heightPx;
  if (xUnits > yUnits) {
    widen(y, xUnits * heightPx);
  } else if (yUnits > xUnits) {
    widen(x, yUnits * widthPx);
  }
}

}  // namespace talvex
