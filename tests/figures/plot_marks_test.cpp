// The biplot's arrow scale, the jackknife's error bars from a known run (the
// standard errors its golden listing prints), and the influence plot.
#include <gtest/gtest.h>

#include <cmath>

#include "analysis/analysis_state.h"
#include "diagnostics/diagnostics_run.h"
#include "figures/biplot_scaling.h"
#include "figures/influence_plot.h"
#include "figures/uncertainty_marks.h"

namespace talvex {
namespace {

TEST(ArrowScale, LongestArrowIsTheFractionOfTheFarthestScore) {
  const std::vector<TPlotPoint> scores{{3, 4}, {-1, 0}, {0, -2}};                    // farthest: 5
  const std::vector<TPlotPoint> coefficients{{0.6, 0.8}, {-0.2, 0.1}, {0.0, -0.5}};  // longest: 1
  EXPECT_DOUBLE_EQ(ArrowScale(scores, coefficients), 4.0);
  EXPECT_DOUBLE_EQ(ArrowScale(scores, coefficients, 1.0), 5.0);
  EXPECT_DOUBLE_EQ(ArrowScale(scores, {{0.0, 0.25}}, 0.5), 10.0);
  EXPECT_EQ(ArrowScale({{0, 0}}, coefficients), 1.0);
  EXPECT_EQ(ArrowScale(scores, {{0, 0}, {0, 0}}), 1.0);
  EXPECT_EQ(ArrowScale({}, coefficients), 1.0);
  EXPECT_DOUBLE_EQ(ArrowScale({{3, 4}, {std::nan(""), 100}}, {{1, 0}}, 1.0), 5.0);
}

TEST(ErrorBars, HalfLengthIsTTimesTheStandardError) {
  EXPECT_DOUBLE_EQ(ErrorBarHalfLength(0.5, 2.576), 1.288);
  EXPECT_EQ(ErrorBarHalfLength(0.0, 2.0), 0.0);
  // t(n - 1, 0.975), not the normal 1.96: the bars are the intervals of
  // the full results (values from the 80-digit series of
  // tests/support/exact_student_t.py).
  EXPECT_NEAR(ErrorBarQuantile(10), 2.2621571627982056, 1e-12);
  EXPECT_NEAR(ErrorBarQuantile(31), 2.0422724563012384, 1e-12);
  EXPECT_NEAR(ErrorBarQuantile(2), 12.706204736174704, 1e-11);
}

// The morphometric fixture under correlations, four components, jackknife
// on: its golden listing (from an independent model of the run) prints the
// standard errors the bars are made of.
TEST(ErrorBars, FromAKnownRun) {
  TAnalysisState state;
  state.LoadFile(std::string(TALVEX_SOURCE_DIR) + "/tests/analysis/data/morph.nts");
  ASSERT_TRUE(state.SetFactorCount(4));
  TAnalysisOptions options;
  TReportListing listing;
  state.Run(options, listing);
  const TJackknifeResults& jackknife = *state.Results().tables.jackknife;

  const double t9 = 2.2621571627982056;  // ten specimens: t(9, 0.975)
  const std::vector<double> eigenvalueBars = EigenvalueErrorBars(jackknife, ErrorBarQuantile(10));
  const std::vector<double> eigenvalueSE{0.26026116, 0.19627354, 0.17439818, 0.03365864};
  ASSERT_EQ(eigenvalueBars.size(), 4u);
  for (std::size_t c = 0; c < 4; ++c)
    EXPECT_NEAR(eigenvalueBars[c], t9 * eigenvalueSE[c], t9 * 5e-9) << c;

  // Axes 1 (x) and 3 (y); the listing prints 4 decimals.
  const auto bars = CoefficientErrorBars(jackknife, 1, 3, t9);
  ASSERT_TRUE(bars.has_value());
  const std::vector<double> axis1SE{0.0236, 0.0530, 0.0180, 0.0535};
  const std::vector<double> axis3SE{0.2608, 1.3849, 0.4564, 0.9939};
  ASSERT_EQ(bars->size(), 4u);
  for (std::size_t j = 0; j < 4; ++j) {
    EXPECT_NEAR((*bars)[j].x, t9 * axis1SE[j], t9 * 5e-5) << j;
    EXPECT_NEAR((*bars)[j].y, t9 * axis3SE[j], t9 * 5e-5) << j;
  }
  // Components beyond the jackknifed ones have no bars.
  ASSERT_TRUE(state.SetFactorCount(2));
  state.Run(options, listing);
  EXPECT_TRUE(CoefficientErrorBars(*state.Results().tables.jackknife, 1, 2, t9).has_value());
  EXPECT_FALSE(CoefficientErrorBars(*state.Results().tables.jackknife, 1, 3, t9).has_value());
  EXPECT_FALSE(CoefficientErrorBars(*state.Results().tables.jackknife, 0, 1, t9).has_value());
}

TDiagnostics HandDiagnostics() {
  TDiagnostics d;
  d.available = true;
  d.objectCount = 8;
  d.influence = {0.2, 2.5, 0.1, 0.9, 1.2, 0.3, 0.05, 1.1};
  d.influenceThreshold = 1.0;
  d.influenceRanking = {2, 5, 8, 4, 6, 1, 3, 7};
  return d;
}

TEST(InfluencePlot, PointsThresholdAndLabels) {
  const TInfluencePlot plot = MakeInfluencePlot(HandDiagnostics(), 2);
  ASSERT_EQ(plot.points.size(), 8u);
  EXPECT_EQ(plot.points[1].x, 2.0);
  EXPECT_EQ(plot.points[1].y, 2.5);
  EXPECT_EQ(plot.threshold, 1.0);
  // Every object beyond the threshold, most influential first, even beyond the count.
  EXPECT_EQ(plot.labelled, (std::vector<std::size_t>{1, 4, 7}));
  // Fewer beyond the threshold than the count: the most influential fill up.
  EXPECT_EQ(MakeInfluencePlot(HandDiagnostics(), 5).labelled,
            (std::vector<std::size_t>{1, 4, 7, 3, 5}));
  EXPECT_EQ(MakeInfluencePlot(HandDiagnostics(), 100).labelled.size(), 8u);
  const TInfluencePlot none = MakeInfluencePlot(TDiagnostics{});
  EXPECT_TRUE(none.points.empty());
  EXPECT_TRUE(none.labelled.empty());
}

// A planted outlier in a real run is the first label.
TEST(InfluencePlot, PlantedOutlierLabelledFirst) {
  TDataMatrix data;
  const TSize n = 30, p = 4;
  data.objectCount = n;
  data.variableCount = p;
  data.valueCount = n * p;
  data.values = TFloatVector(n * p);
  for (TSize i = 0; i < n; ++i) {
    data.objectLabels.push_back("O" + std::to_string(i + 1));
    for (TSize j = 0; j < p; ++j) {
      const double value = 10 + std::sin(1.7 * i + 2.3 * j) + 0.5 * std::cos(0.9 * i * j);
      data.values.SetValue(i * p + j + 1, i == 17 ? value + 6 * (j % 2 == 0 ? 1 : -1) : value);
    }
  }
  for (TSize j = 0; j < p; ++j) data.variableLabels.push_back("V" + std::to_string(j + 1));
  TAnalysisState state;
  state.LoadData(std::move(data), "outlier.nts");
  ASSERT_TRUE(state.SetFactorCount(2));
  TReportListing listing;
  const TDiagnostics diagnostics = RunWithDiagnostics(state, TAnalysisOptions{}, listing);
  const TInfluencePlot plot = MakeInfluencePlot(diagnostics);
  ASSERT_FALSE(plot.labelled.empty());
  EXPECT_EQ(plot.labelled.front(), 17u);
  EXPECT_GT(plot.points[17].y, plot.threshold);
}

}  // namespace
}  // namespace talvex
