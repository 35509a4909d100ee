// TDiagnostics: what the jackknife's reduced samples tell beyond the
// estimates of the listing: axis exchanges, the influence of each object,
// confidence intervals, tests of the allometric coefficients against
// isometry, and the jackknife with axes matched one-to-one. Computed after
// a run from the collected samples and the run's results; no decomposition
// is repeated.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "analysis/analysis_results.h"
#include "analysis/jackknife.h"
#include "diagnostics/diagnostics_collector.h"

namespace talvex {

struct TDiagnosticsOptions {
  /// Match each reduced sample's axes to the full-sample axes before aligning
  /// signs: the matched estimates become the ones the diagnostics' intervals
  /// and the full-results exports use. The listing never changes.
  bool matchAxes = false;
  /// The jackknife's estimates in the diagnostics: the listing's and the
  /// matched ones, their intervals and the tests against isometry. A front
  /// end that only tells the warnings leaves them out; with a thousand
  /// variables they hold some 60 MB. Without them `specified`, `matched`
  /// and the intervals stay empty.
  bool estimates = true;
};

/// Objects whose influence exceeds this are marked: they move an
/// eigenvalue's jackknife three times as far as the root mean square over
/// all objects (with n <= 10 objects none can, the largest possible being
/// sqrt(n - 1)).
inline constexpr double InfluenceThreshold = 3.0;

/// Why an eigenvalue is left out of the influence.
enum class TInfluenceExclusion : std::uint8_t {
  None,
  NoSpread,   // its jackknife SE is 0 (or at rounding level): no object moves it
  Tied,       // equal to a neighbour to rounding: which of the two is which is arbitrary
  Exchanged,  // its axis was exchanged in half the reduced samples or more (axes not matched)
};

/// An estimate ± t(n - 1, 0.975) SE, with Student's t exactly; NaN past
/// the determined axes.
struct TInterval {
  double lower = 0.0;
  double upper = 0.0;
};

enum class TAllometryVerdict { Negative, Isometry, Positive };

/// A jackknifed allometric coefficient against isometry (1).
struct TAllometryTest {
  TInterval interval;
  double oneSided = 0.0;  // the listing's P (lower tail), with Student's t exactly
  double twoSided = 0.0;  // P of |t| against 1, both tails
  TAllometryVerdict verdict = TAllometryVerdict::Isometry;
};

/// How often the reduced samples exchanged one shown axis.
struct TAxisExchanges {
  TSize exchanged = 0;  // samples in which the axis was exchanged
  /// withAxis[b]: of those, the samples whose best match was shown axis b
  /// (1..k); withAxis[BeyondShownAxes]: an axis beyond the shown ones;
  /// withAxis[a] itself: still the best match, but the |cosine| below 0.9.
  std::vector<TSize> withAxis;  // k + 1
};

struct TDiagnostics {
  bool available = false;   // the jackknife ran; nothing below otherwise
  TSize objectCount = 0;    // n
  TSize variableCount = 0;  // p
  TSize axisCount = 0;      // k
  bool matchAxes = false;   // the option the diagnostics were made with
  bool estimates = false;   // specified, matched and the intervals are there
  double tQuantile = 0.0;   // t(n - 1, 0.975), exact

  // Per object i (1..n) and shown axis a (1..k), at (i - 1) * k + a - 1.
  std::vector<double> cosines;     // |cosine| of index-matched axes
  std::vector<TSize> bestMatches;  // 1..k or BeyondShownAxes
  /// The jackknife's influence of object i on eigenvalue a, standardised:
  /// (n - 1) (mean of the reduced values - reduced value without i) over
  /// the root mean square of that over all objects, so that its squares
  /// average to 1; positive where the object adds to the eigenvalue. The
  /// reduced values are those of the matched axes with matchAxes. NaN for
  /// an eigenvalue left out (influenceExcluded).
  std::vector<double> eigenvalueInfluence;
  std::vector<double> angles;             // degrees, 0..90
  std::vector<TAxisExchanges> exchanges;  // k
  TSize reorderedSamples = 0;             // samples whose axes the one-to-one match reordered

  /// Per shown axis: why its eigenvalue is left out of the influence.
  std::vector<TInfluenceExclusion> influenceExcluded;  // k
  /// Per object: the largest |eigenvalueInfluence| over the eigenvalues not
  /// left out; 0 where all are left out.
  std::vector<double> influence;                   // n
  double influenceThreshold = InfluenceThreshold;  // see InfluenceThreshold
  std::vector<TSize> influenceRanking;             // objects 1..n, most influential first

  /// The leading axes whose jackknife the reduced samples determine: p with
  /// p <= n - 1, else n - 2. Past them the eigenvalues are 0 in every
  /// reduced sample and the axes are taken from the full sample: their SE
  /// is 0 by construction, and their P and intervals are not available
  /// (NaN) in the diagnostics and the full results.
  TSize determinedAxes = 0;

  TJackknifeResults specified;  // the listing's jackknife
  TJackknifeResults matched;    // with axes matched one-to-one
  /// Intervals of the estimates in use (matched with matchAxes, else specified).
  std::vector<TInterval> eigenvalueIntervals;  // p
  std::vector<TInterval> vectorIntervals;      // k x p, as TJackknifeResults::vectors
  std::vector<TAllometryTest> allometry;       // p; empty without allometry

  std::vector<std::string> warnings;  // plain sentences, no program name

  /// The estimates in use: matched with matchAxes, else the listing's.
  const TJackknifeResults& Estimates() const { return matchAxes ? matched : specified; }
  /// Object i (1..n), axis a (1..k).
  std::size_t At(TSize i, TSize a) const { return std::size_t(i - 1) * axisCount + (a - 1); }
};

/// The diagnostics of a completed run whose jackknife fed `collector`.
/// Without a jackknife (results.tables.jackknife empty, or a collector that
/// saw no complete loop) the result is not available.
TDiagnostics ComputeDiagnostics(const TDiagnosticsCollector& collector,
                                const TAnalysisResults& results,
                                const TDiagnosticsOptions& options);

/// The same from the full sample's p eigenvalues and the listing's
/// jackknife, where no run's results are at hand (a jackknife merged from
/// parts).
TDiagnostics ComputeDiagnostics(const TDiagnosticsCollector& collector,
                                std::span<const double> eigenvalues,
                                const TJackknifeResults& jackknife,
                                const TDiagnosticsOptions& options);

/// The P values of the full results, from Student's t exactly with n - 1
/// degrees of freedom and each statistic's own tail (the listing keeps its
/// own distribution function and digits); NaN past the determined axes.
/// Eigenvalue c (1..p), coefficient of variable j on axis a, MAC j.
double EigenvalueProbability(const TDiagnostics& d, TSize c);
double CoefficientProbability(const TDiagnostics& d, TSize a, TSize j);
double MacProbability(const TDiagnostics& d, TSize j);

/// "4, 6 to 9, 12": ascending axis numbers, consecutive ones as ranges.
std::string AxisRanges(const std::vector<TSize>& axes);

/// What a best match of BeyondShownAxes was: "not shown" (fewer axes shown
/// than variables), "undetermined" (all shown, but past the axes the
/// reduced samples determine: the full-sample axis turned into the reduced
/// sample's null space), or "not shown or undetermined".
const char* BeyondText(const TDiagnostics& d);

/// "standard error 0", "tied with a neighbour", "axis exchanged"; "" for None.
const char* ExclusionText(TInfluenceExclusion exclusion);

/// "positive allometry", "isometry", "negative allometry".
const char* VerdictText(TAllometryVerdict verdict);

}  // namespace talvex
