// The diagnostics from the collected reduced samples and the run's results.
#include "diagnostics/diagnostics.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <span>

#include "numeric/student_t.h"

namespace talvex {

namespace {

constexpr double TestLevel = 0.05;
constexpr double DegreesPerRadian = 57.295779513082320876798;  // 180 / pi
constexpr double NotAvailable = std::numeric_limits<double>::quiet_NaN();

// (estimate - tested) / SE, infinite for a standard error of 0 (NaN for 0 / 0)
// without a division by zero.
double TValue(double difference, double se) {
  if (se != 0.0) return difference / se;
  if (difference == 0.0) return NotAvailable;
  return difference > 0.0 ? std::numeric_limits<double>::infinity()
                          : -std::numeric_limits<double>::infinity();
}

// A jackknife statistic's P with Student's t exactly, in its own tail (as
// the listing forms it).
double ExactProbability(const TJackknifeStatistic& s, TSize n, TJackknifeTail tail) {
  const std::int32_t df = std::int32_t(n - 1);
  const double t =
      TValue(s.estimate - (tail == TJackknifeTail::BelowOne ? 1.0 : 0.0), s.standardError);
  if (std::isnan(t)) return NotAvailable;
  switch (tail) {
    case TJackknifeTail::Upper:
      return StudentTUpperTail(df, t);
    case TJackknifeTail::Absolute:
      return StudentTUpperTail(df, std::fabs(t));
    case TJackknifeTail::BelowOne:
      return StudentTLowerTail(df, t);
  }
  return NotAvailable;
}

TInterval IntervalOf(const TJackknifeStatistic& s, double t) {
  return {s.estimate - t * s.standardError, s.estimate + t * s.standardError};
}

TAllometryTest TestAgainstIsometry(const TJackknifeStatistic& s, double t, std::int32_t df) {
  TAllometryTest test;
  test.interval = IntervalOf(s, t);
  test.oneSided = ExactProbability(s, TSize(df) + 1, TJackknifeTail::BelowOne);
  const double difference = s.estimate - 1.0;
  const double tValue = TValue(difference, s.standardError);
  if (std::isnan(tValue)) {
    test.twoSided = NotAvailable;
  } else {
    test.twoSided = std::min(1.0, 2.0 * StudentTUpperTail(df, std::fabs(tValue)));
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
                            bool allometry, const char* beyond) {
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
    parts += (parts.empty() ? "" : ", ") + std::string("with an axis ") + beyond + " in " +
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

}  // namespace

double EigenvalueProbability(const TDiagnostics& d, TSize c) {
  if (c > d.determinedAxes) return NotAvailable;
  return ExactProbability(d.Estimates().eigenvalues.at(c - 1), d.objectCount,
                          TJackknifeTail::Upper);
}

double CoefficientProbability(const TDiagnostics& d, TSize a, TSize j) {
  if (a > d.determinedAxes) return NotAvailable;
  return ExactProbability(d.Estimates().vectors.at(std::size_t(a - 1) * d.variableCount + (j - 1)),
                          d.objectCount, TJackknifeTail::Absolute);
}

double MacProbability(const TDiagnostics& d, TSize j) {
  return ExactProbability(d.Estimates().macs.at(j - 1), d.objectCount, TJackknifeTail::BelowOne);
}

std::string AxisRanges(const std::vector<TSize>& axes) {
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

// The leading axes whose jackknife the reduced samples determine (see
// TDiagnostics::determinedAxes).
TSize DeterminedAxes(TSize n, TSize p) { return p + 1 <= n ? p : (n >= 2 ? n - 2 : 0); }

// The standardised influence of every object on each shown eigenvalue, and
// why an eigenvalue is left out of it.
void Influence(const TDiagnosticsCollector& collector, std::span<const double> full,
               TDiagnostics& d) {
  const TSize n = d.objectCount, k = d.axisCount, p = d.variableCount;
  const double largest = p > 0 ? std::fabs(full[0]) : 0.0;
  const double roundingLevel = double(n) * std::numeric_limits<double>::epsilon() * largest;
  d.eigenvalueInfluence.assign(std::size_t(n) * k, NotAvailable);
  d.influenceExcluded.assign(k, TInfluenceExclusion::None);
  d.influence.assign(n, 0.0);
  std::vector<double> deviations(n);
  for (TSize a = 1; a <= k; ++a) {
    // (mean of the reduced values - reduced value), from the changes, which
    // are the reduced values less a constant.
    double mean = 0.0;
    for (TSize i = 1; i <= n; ++i)
      mean +=
          d.matchAxes ? collector.MatchedEigenvalueChange(i, a) : collector.EigenvalueChange(i, a);
    mean /= double(n);
    double squares = 0.0;
    for (TSize i = 1; i <= n; ++i) {
      const double change =
          d.matchAxes ? collector.MatchedEigenvalueChange(i, a) : collector.EigenvalueChange(i, a);
      deviations[i - 1] = mean - change;
      squares += deviations[i - 1] * deviations[i - 1];
    }
    // The jackknife's SE is sqrt(n - 1) times this root mean square, and its
    // estimate full - (n - 1) mean change.
    const double rms = std::sqrt(squares / double(n));
    const double estimate = full[a - 1] - (double(n) - 1.0) * mean;
    const double se = std::sqrt(double(n) - 1.0) * rms;
    const bool tied = (a > 1 && std::fabs(full[a - 2] - full[a - 1]) <= roundingLevel) ||
                      (a < p && std::fabs(full[a - 1] - full[a]) <= roundingLevel);
    TInfluenceExclusion& excluded = d.influenceExcluded[a - 1];
    if (a > d.determinedAxes || StandardErrorBeyondRounding(se, estimate, full[a - 1], n) == 0.0) {
      excluded = TInfluenceExclusion::NoSpread;
    } else if (tied) {
      excluded = TInfluenceExclusion::Tied;
    } else if (!d.matchAxes && 2 * std::size_t(d.exchanges[a - 1].exchanged) >= n) {
      // Exchanged in half the samples or more: the reduced eigenvalue of
      // this rank belongs now to one axis, now to another. An axis that
      // fewer objects exchange keeps it: those objects are the ones that
      // move it most (an outlier reorders the axes of its own sample).
      excluded = TInfluenceExclusion::Exchanged;
    }
    if (excluded != TInfluenceExclusion::None) continue;
    for (TSize i = 1; i <= n; ++i) {
      const double u = deviations[i - 1] / rms;
      d.eigenvalueInfluence[d.At(i, a)] = u;
      d.influence[i - 1] = std::max(d.influence[i - 1], std::fabs(u));
    }
  }
  d.influenceRanking.resize(n);
  std::iota(d.influenceRanking.begin(), d.influenceRanking.end(), TSize(1));
  std::stable_sort(d.influenceRanking.begin(), d.influenceRanking.end(),
                   [&](TSize x, TSize y) { return d.influence[x - 1] > d.influence[y - 1]; });
}

const char* BeyondText(const TDiagnostics& d) {
  const bool notShown = d.axisCount < d.variableCount;
  const bool undetermined = d.axisCount > d.determinedAxes;
  if (notShown && undetermined) return "not shown or undetermined";
  return undetermined ? "undetermined" : "not shown";
}

const char* ExclusionText(TInfluenceExclusion exclusion) {
  switch (exclusion) {
    case TInfluenceExclusion::NoSpread:
      return "standard error 0";
    case TInfluenceExclusion::Tied:
      return "tied with a neighbour";
    case TInfluenceExclusion::Exchanged:
      return "axis exchanged";
    default:
      return "";
  }
}

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
  if (!results.tables.jackknife || !collector.Complete()) return {};
  return ComputeDiagnostics(
      collector, std::span<const double>(results.eigenvalues.Data(), collector.VariableCount()),
      *results.tables.jackknife, options);
}

TDiagnostics ComputeDiagnostics(const TDiagnosticsCollector& collector,
                                std::span<const double> eigenvalues,
                                const TJackknifeResults& jackknife,
                                const TDiagnosticsOptions& options) {
  TDiagnostics d;
  if (!collector.Complete()) return d;
  const TSize n = collector.ObjectCount();
  const TSize p = collector.VariableCount();
  const TSize k = collector.AxisCount();
  d.available = true;
  d.objectCount = n;
  d.variableCount = p;
  d.axisCount = k;
  d.matchAxes = options.matchAxes;
  d.estimates = options.estimates;
  if (options.estimates) {
    d.specified = jackknife;
    d.matched = collector.MatchedResults();
  }
  const std::int32_t df = std::int32_t(n - 1);
  d.tQuantile = StudentTQuantile95(df);
  d.determinedAxes = DeterminedAxes(n, p);

  // Axis comparisons, exchanges and angles.
  const std::size_t cells = std::size_t(n) * k;
  d.cosines.resize(cells);
  d.bestMatches.resize(cells);
  d.angles.resize(cells);
  d.exchanges.assign(k, TAxisExchanges{0, std::vector<TSize>(k + 1, 0)});
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
    }
  }
  Influence(collector, eigenvalues, d);

  // Intervals and allometry, of the estimates in use; none past the
  // determined axes.
  const TJackknifeResults& estimates = d.Estimates();
  for (TSize c = 1; c <= TSize(estimates.eigenvalues.size()); ++c)
    d.eigenvalueIntervals.push_back(c <= d.determinedAxes
                                        ? IntervalOf(estimates.eigenvalues[c - 1], d.tQuantile)
                                        : TInterval{NotAvailable, NotAvailable});
  for (std::size_t s = 0; s < estimates.vectors.size(); ++s)
    d.vectorIntervals.push_back(TSize(s / p) + 1 <= d.determinedAxes
                                    ? IntervalOf(estimates.vectors[s], d.tQuantile)
                                    : TInterval{NotAvailable, NotAvailable});
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
    d.warnings.push_back(ExchangeWarning(a, d.exchanges[a - 1], n, k, allometry, BeyondText(d)));
  }
  if (exchanged.size() > DetailedExchangeWarnings) {
    const std::vector<TSize> rest(exchanged.begin() + DetailedExchangeWarnings, exchanged.end());
    d.warnings.push_back(std::to_string(rest.size()) + " more axes (" + AxisRanges(rest) +
                         ") were exchanged in some reduced samples: their jackknife estimates "
                         "are unreliable (see the exchange table of the diagnostics)");
  }
  return d;
}

}  // namespace talvex
