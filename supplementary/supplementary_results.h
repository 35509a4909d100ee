// TSupplementaryResults: where the supplementary items fall on a run's shown
// axes, with their jackknife from the reduced samples: scores of the
// supplementary objects, correlations of the supplementary variables with the
// components, and the mean scores of each group.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "numeric/sizes.h"

namespace talvex {

/// One placed number: its full-sample value and, after a jackknife, the mean
/// of its pseudo-values, their standard error and the 95% interval
/// (estimate ± t(n - 1, 0.975) SE). NaN where there was no jackknife, or
/// where a reduced sample leaves the number undefined.
struct TSupplementaryValue {
  double value = 0.0;
  double estimate = 0.0;
  double standardError = 0.0;
  double lower = 0.0;
  double upper = 0.0;
};

/// The mean position of each group of one grouping (the data's group column,
/// or a qualitative supplementary variable).
struct TGroupMeans {
  std::string grouping;              // the column's name
  bool supplementaryColumn = false;  // a qualitative supplementary variable, not the group column
  std::vector<std::string> levels;   // in order of first appearance, active objects first
  std::vector<TSize> activeCounts;   // per level
  std::vector<TSize> supplementaryCounts;
  std::vector<TSupplementaryValue> means;  // level l, axis a at l * k + a - 1
  /// The jackknife covariances of each level's means on two of the first
  /// ellipseAxes axes (see TSupplementaryResults::PairIndex); empty without
  /// a jackknife.
  std::vector<double> covariances;
};

/// The leading axes whose pairs get jackknife covariances, for joint 95%
/// ellipses of the objects and group means (a few numbers per item and
/// sample; the plots' usual components).
inline constexpr TSize SupplementaryEllipseAxes = 6;

struct TSupplementaryResults {
  bool available = false;  // there were supplementary items and a completed run
  bool jackknife = false;  // the jackknife fields are filled
  bool matchAxes = false;  // the reduced samples' axes were matched one-to-one
  TSize objectCount = 0;   // n, active
  TSize axisCount = 0;     // k
  double tQuantile = 0.0;  // t(n - 1, 0.975)

  std::vector<std::string> objectLabels;    // m
  std::vector<std::string> objectGroups;    // m, or empty
  std::vector<TSupplementaryValue> scores;  // object o (0-based), axis a at o * k + a - 1
  /// min(k, SupplementaryEllipseAxes) after a jackknife, else 0.
  TSize ellipseAxes = 0;
  /// Jackknife covariance of object o's scores on axes a < b <= ellipseAxes
  /// at o * Pairs() + PairIndex(a, b).
  std::vector<double> scoreCovariances;

  std::vector<std::string> variableLabels;        // q
  std::vector<TSupplementaryValue> correlations;  // variable v, axis a at v * k + a - 1

  std::vector<TGroupMeans> groups;

  /// Plain sentences: values taken as 0 by decimal logarithms, axes whose
  /// jackknife the reduced samples leave undefined.
  std::vector<std::string> warnings;

  const TSupplementaryValue& Score(std::size_t object, TSize axis) const {
    return scores[object * axisCount + axis - 1];
  }
  const TSupplementaryValue& Correlation(std::size_t variable, TSize axis) const {
    return correlations[variable * axisCount + axis - 1];
  }
  std::size_t Pairs() const { return std::size_t(ellipseAxes) * (ellipseAxes - 1) / 2; }
  /// The pair of axes a != b, both 1..ellipseAxes, in either order.
  std::size_t PairIndex(TSize a, TSize b) const {
    if (a > b) std::swap(a, b);
    // Pairs (1,2), (1,3), ..., (2,3), ...: those before row a, then b's place.
    return std::size_t(a - 1) * (2 * ellipseAxes - a) / 2 + (b - a - 1);
  }
};

}  // namespace talvex
