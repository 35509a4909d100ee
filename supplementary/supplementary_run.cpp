// The supplementary results of a run.
#include "supplementary/supplementary_run.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/analysed_data.h"
#include "analysis/jackknife.h"
#include "numeric/float_faults.h"
#include "numeric/statistics.h"
#include "numeric/student_t.h"

namespace talvex {

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

}  // namespace

TSupplementaryResults PlaceSupplementary(const TPreparedSupplementary& items,
                                         const TDataMatrix& data, const TAnalysisResults& results,
                                         const TSupplementaryCollector* collector) {
  TSupplementaryResults out;
  if (items.Empty()) return out;
  const TSize n = data.objectCount, p = data.variableCount;
  const TSize k = results.tables.factorCount;
  const TAnalysisOptions& options = results.tables.options;
  out.available = true;
  out.objectCount = n;
  out.axisCount = k;
  out.warnings = items.warnings;

  // The analysed data, their means and deviations, formed as the run forms them.
  const TFloatMatrix x = AnalysedData(data, results.tables);
  TFloatVector means(p), deviations(p);
  ColumnMeansAndDeviations(x, n, p, means, deviations);
  TSupplementaryPlacement placement(items, x, means.Data(), deviations.Data(), k, options.method);
  std::vector<double> axes(std::size_t(p) * k);
  for (TSize a = 1; a <= k; ++a)
    std::copy_n(results.eigenvectors.Column(a), p, axes.begin() + std::size_t(a - 1) * p);
  std::vector<double> full(placement.Size());
  placement.Full(axes.data(), results.eigenvalues.Data(), full.data());
  // A variable without spread has no correlation: NaN, not a fault.
  ClearFloatFaults();

  out.jackknife = collector != nullptr && collector->Complete();
  out.matchAxes = out.jackknife && collector->MatchAxes();
  out.tQuantile = out.jackknife ? StudentTQuantile95(std::int32_t(n) - 1) : NaN;
  const std::size_t rows = placement.Items();
  const auto value = [&](std::size_t row, TSize a) {
    const std::size_t s = std::size_t(a - 1) * rows + row;
    TSupplementaryValue v{full[s], NaN, NaN, NaN, NaN};
    if (!out.jackknife) return v;
    v.estimate = collector->Means()[s];
    const double squares = collector->Squares()[s];
    v.standardError = StandardErrorBeyondRounding(std::sqrt(squares / (double(n - 1) * double(n))),
                                                  v.estimate, full[s], n);
    v.lower = v.estimate - out.tQuantile * v.standardError;
    v.upper = v.estimate + out.tQuantile * v.standardError;
    return v;
  };

  // The co-moments of an item's pseudo-values on two leading axes become the
  // covariance of its estimates, as the squares become SE^2.
  out.ellipseAxes = out.jackknife ? collector->PairedAxes() : 0;
  const std::size_t pairs = out.Pairs();
  const auto covariances = [&](std::size_t row, std::vector<double>& into) {
    for (std::size_t c = 0; c < pairs; ++c)
      into.push_back(collector->CoMoments()[row * pairs + c] / (double(n - 1) * double(n)));
  };

  std::size_t row = 0;
  out.objectLabels = items.objectLabels;
  out.objectGroups = items.objectGroups;
  for (std::size_t o = 0; o < items.m; ++o, ++row) {
    for (TSize a = 1; a <= k; ++a) out.scores.push_back(value(row, a));
    covariances(row, out.scoreCovariances);
  }
  for (const TPreparedGrouping& grouping : items.groupings) {
    TGroupMeans& table = out.groups.emplace_back();
    table.grouping = grouping.name;
    table.supplementaryColumn = grouping.supplementaryColumn;
    table.levels = grouping.levels;
    table.activeCounts.assign(grouping.levels.size(), 0);
    table.supplementaryCounts.assign(grouping.levels.size(), 0);
    for (const int level : grouping.activeLevel)
      if (level >= 0) ++table.activeCounts[std::size_t(level)];
    for (const int level : grouping.supplementaryLevel)
      if (level >= 0) ++table.supplementaryCounts[std::size_t(level)];
    for (std::size_t l = 0; l < grouping.levels.size(); ++l, ++row) {
      for (TSize a = 1; a <= k; ++a) table.means.push_back(value(row, a));
      covariances(row, table.covariances);
    }
  }
  out.variableLabels = items.variableLabels;
  for (std::size_t v = 0; v < items.q; ++v, ++row)
    for (TSize a = 1; a <= k; ++a) out.correlations.push_back(value(row, a));
  ClearFloatFaults();
  return out;
}

}  // namespace talvex
