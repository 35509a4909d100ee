// The diagnostics from the collected reduced samples and the run's results.
#include "diagnostics/diagnostics.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "numeric/probability.h"

namespace talvex {

namespace {

constexpr double IntervalLevel = 0.975;  // two-sided 95%
constexpr double TestLevel = 0.05;
constexpr double DegreesPerRadian = 57.295779513082320876798;  // 180 / pi
// Three times what each object's change would be if all objects changed an
// eigenvalue by the same amount: that amount is SE / sqrt(n - 1).
constexpr double InfluenceMultiple = 3.0;
// Beyond this |t| the distribution function is 0 or 1 to double precision.
constexpr double TLimit = 1e100;

// x / se without a division by zero: 0 for 0 / 0, an infinity otherwise.
double InUnitsOf(double x, double se) {
  if (se != 0.0) return x / se;
  if (x == 0.0) return 0.0;
  return x > 0.0 ? std::numeric_limits<double>::infinity()
                 : -std::numeric_limits<double>::infinity();
}

TInterval IntervalOf(const TJackknifeStatistic& s, double t) {
  return {s.estimate - t * s.standardError, s.estimate + t * s.standardError};
}

TAllometryTest TestAgainstIsometry(const TJackknifeStatistic& s, double t, std::int32_t df) {
  TAllometryTest test;
  test.interval = IntervalOf(s, t);
  test.oneSided = s.probability;
  const double difference = s.estimate - 1.0;
  if (difference == 0.0) {
    test.twoSided = s.standardError == 0.0 ? std::numeric_limits<double>::quiet_NaN() : 1.0;
  } else if (std::fabs(difference) / TLimit >= s.standardError) {
    test.twoSided = 0.0;
  } else {
    const double tValue = std::fabs(difference) / s.standardError;
    test.twoSided = std::min(1.0, std::fabs(2.0 * (1.0 - StudentTCdf(df, tValue))));
  }
  if (test.twoSided < TestLevel)
    test.verdict = difference > 0.0 ? TAllometryVerdict::Positive : TAllometryVerdict::Negative;
  return test;
}

std::string Plural(TSize count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// "axis 2 was exchanged in 11 of 150 reduced samples (with axis 3 in 10, ...):
// the jackknife estimates of ... are unreliable"
// Exchanged axes warned of one by one; a run with all of many axes shown
// would otherwise print a line for each.
constexpr std::size_t DetailedExchangeWarnings = 5;

std::string ExchangeWarning(TSize a, const TAxisExchanges& exchanges, TSize n, TSize k,
                            bool allometry) {
  std::string text = "axis " + std::to_string(a) + " was exchanged in " +
                     std::to_string(exchanges.exchanged) + " of " +
                     Plural(n, "reduced sample", "reduced samples") + " (";
  std::string parts;
  for (TSize b = 1; b <= k; ++b) {
    const TSize count = exchanges.withAxis[b];
    if (count == 0 || b == a) continue;
    parts += (parts.empty() ? "" : ", ") +
             ("with axis " + std::to_string(b) + " in " + std::to_string(count));
  }
  if (exchanges.withAxis[BeyondShownAxes] != 0) {
    parts += (parts.empty() ? "" : ", ") + std::string("with an axis not shown in ") +
             std::to_string(exchanges.withAxis[BeyondShownAxes]);
  }
  if (exchanges.withAxis[a] != 0) {
    parts += (parts.empty() ? "" : ", ") +
             std::string("turned away by more than 25.8 degrees in ") +
             std::to_string(exchanges.withAxis[a]);
  }
  text += parts + "): the jackknife estimates of eigenvalue " + std::to_string(a) +
          " and of the coefficients of axis " + std::to_string(a);
  if (a == 1 && allometry) text += " and the allometric coefficients";
  return text + " are unreliable";
}

// "4, 6 to 9, 12": the axes, consecutive ones as ranges.
std::string AxisList(const std::vector<TSize>& axes) {
  std::string text;
  for (std::size_t i = 0; i < axes.size();) {
    std::size_t j = i;
    while (j + 1 < axes.size() && axes[j + 1] == axes[j] + 1) ++j;
    text += (text.empty() ? "" : ", ") + std::to_string(axes[i]);
    if (j > i) text += (j == i + 1 ? ", " : " to ") + std::to_string(axes[j]);
    i = j + 1;
  }
  return text;
}

}  // namespace

const char* VerdictText(TAllometryVerdict verdict) {
  switch (verdict) {
    case TAllometryVerdict::Negative:
      return "negative allometry";
    case TAllometryVerdict::Positive:
      return "positive allometry";
    default:
      return "isometry";
  }
}

TDiagnostics ComputeDiagnostics(const TDiagnosticsCollector& collector,
                                const TAnalysisResults& results,
                                const TDiagnosticsOptions& options) {
  TDiagnostics d;
  if (!results.tables.jackknife || !collector.Complete()) return d;
  const TSize n = collector.ObjectCount();
  const TSize p = collector.VariableCount();
  const TSize k = collector.AxisCount();
  d.available = true;
  d.objectCount = n;
  d.variableCount = p;
  d.axisCount = k;
  d.matchAxes = options.matchAxes;
  const TJackknifeResults& jackknife = *results.tables.jackknife;
  d.estimates = options.estimates;
  if (options.estimates) {
    d.specified = jackknife;
    d.matched = collector.MatchedResults();
  }
  const std::int32_t df = std::int32_t(n - 1);
  d.tQuantile = StudentTQuantile(df, IntervalLevel);

  // Axis comparisons, exchanges and angles.
  const std::size_t cells = std::size_t(n) * k;
  d.cosines.resize(cells);
  d.bestMatches.resize(cells);
  d.angles.resize(cells);
  d.eigenvalueChanges.resize(cells);
  d.exchanges.assign(k, TAxisExchanges{0, std::vector<TSize>(k + 1, 0)});
  d.influence.assign(n, 0.0);
  for (TSize i = 1; i <= n; ++i) {
    if (collector.Reordered(i)) ++d.reorderedSamples;
    for (TSize a = 1; a <= k; ++a) {
      const std::size_t at = d.At(i, a);
      const double c = collector.Cosine(i, a);
      d.cosines[at] = c;
      d.bestMatches[at] = collector.BestMatch(i, a);
      d.angles[at] = std::acos(c) * DegreesPerRadian;
      if (collector.Exchanged(i, a)) {
        ++d.exchanges[a - 1].exchanged;
        ++d.exchanges[a - 1].withAxis[collector.BestMatch(i, a)];
      }
      const double se = jackknife.eigenvalues[a - 1].standardError;
      d.eigenvalueChanges[at] = InUnitsOf(collector.EigenvalueChange(i, a), se);
      // An eigenvalue without spread (every object changes it alike, as past
      // the rank of the reduced samples) tells nothing of one object.
      if (se > 0.0)
        d.influence[i - 1] = std::max(d.influence[i - 1], std::fabs(d.eigenvalueChanges[at]));
    }
  }
  d.influenceThreshold = n > 1 ? InfluenceMultiple / std::sqrt(double(n - 1)) : 0.0;
  d.influenceRanking.resize(n);
  std::iota(d.influenceRanking.begin(), d.influenceRanking.end(), TSize(1));
  std::stable_sort(d.influenceRanking.begin(), d.influenceRanking.end(),
                   [&](TSize x, TSize y) { return d.influence[x - 1] > d.influence[y - 1]; });

  // Intervals and allometry, of the estimates in use.
  const TJackknifeResults& estimates = d.Estimates();
  for (const TJackknifeStatistic& s : estimates.eigenvalues)
    d.eigenvalueIntervals.push_back(IntervalOf(s, d.tQuantile));
  for (const TJackknifeStatistic& s : estimates.vectors)
    d.vectorIntervals.push_back(IntervalOf(s, d.tQuantile));
  for (const TJackknifeStatistic& s : estimates.macs)
    d.allometry.push_back(TestAgainstIsometry(s, d.tQuantile, df));

  const bool allometry = !jackknife.macs.empty();
  std::vector<TSize> exchanged;
  for (TSize a = 1; a <= k; ++a)
    if (d.exchanges[a - 1].exchanged != 0) exchanged.push_back(a);
  // Each exchanged axis has its own warning up to a few; beyond them one
  // line names the others, whose details stand in the report's table.
  for (std::size_t i = 0; i < exchanged.size() && i < DetailedExchangeWarnings; ++i) {
    const TSize a = exchanged[i];
    d.warnings.push_back(ExchangeWarning(a, d.exchanges[a - 1], n, k, allometry));
  }
  if (exchanged.size() > DetailedExchangeWarnings) {
    const std::vector<TSize> rest(exchanged.begin() + DetailedExchangeWarnings, exchanged.end());
    d.warnings.push_back(std::to_string(rest.size()) + " more axes (" + AxisList(rest) +
                         ") were exchanged in some reduced samples: their jackknife estimates "
                         "are unreliable (see the exchange table of the diagnostics)");
  }
  return d;
}

}  // namespace talvex
