// The jackknife in parts carries the diagnostics a single run makes: the
// influence, the axis exchanges, the matched estimates and the intervals,
// bit for bit, with axes matched or not, whatever order the parts come in.
#include "talvex/jackknife_parts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "talvex/data_sources.h"

namespace talvex {
namespace {

template <typename T>
bool SameBits(const std::vector<T>& a, const std::vector<T>& b) {
  return a.size() == b.size() &&
         (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

void ExpectSameJackknife(const TJackknifeResults& a, const TJackknifeResults& b) {
  EXPECT_EQ(a.axisCount, b.axisCount);
  EXPECT_TRUE(SameBits(a.eigenvalues, b.eigenvalues));
  EXPECT_TRUE(SameBits(a.vectors, b.vectors));
  EXPECT_TRUE(SameBits(a.macs, b.macs));
}

void ExpectSameDiagnostics(const TDiagnostics& merged, const TDiagnostics& whole) {
  ASSERT_TRUE(whole.available);
  ASSERT_TRUE(merged.available);
  EXPECT_EQ(merged.objectCount, whole.objectCount);
  EXPECT_EQ(merged.axisCount, whole.axisCount);
  EXPECT_EQ(merged.matchAxes, whole.matchAxes);
  EXPECT_TRUE(SameBits(merged.cosines, whole.cosines));
  EXPECT_TRUE(SameBits(merged.bestMatches, whole.bestMatches));
  EXPECT_TRUE(SameBits(merged.angles, whole.angles));
  EXPECT_TRUE(SameBits(merged.eigenvalueInfluence, whole.eigenvalueInfluence));
  EXPECT_TRUE(SameBits(merged.influence, whole.influence));
  EXPECT_EQ(merged.influenceRanking, whole.influenceRanking);
  EXPECT_EQ(merged.influenceExcluded, whole.influenceExcluded);
  EXPECT_EQ(merged.reorderedSamples, whole.reorderedSamples);
  ASSERT_EQ(merged.exchanges.size(), whole.exchanges.size());
  for (std::size_t a = 0; a < whole.exchanges.size(); ++a) {
    EXPECT_EQ(merged.exchanges[a].exchanged, whole.exchanges[a].exchanged);
    EXPECT_EQ(merged.exchanges[a].withAxis, whole.exchanges[a].withAxis);
  }
  EXPECT_EQ(merged.determinedAxes, whole.determinedAxes);
  ExpectSameJackknife(merged.specified, whole.specified);
  ExpectSameJackknife(merged.matched, whole.matched);
  EXPECT_TRUE(SameBits(merged.eigenvalueIntervals, whole.eigenvalueIntervals));
  EXPECT_TRUE(SameBits(merged.vectorIntervals, whole.vectorIntervals));
  ASSERT_EQ(merged.allometry.size(), whole.allometry.size());
  for (std::size_t j = 0; j < whole.allometry.size(); ++j) {
    const TAllometryTest &a = merged.allometry[j], &b = whole.allometry[j];
    EXPECT_TRUE(
        SameBits(std::vector<double>{a.interval.lower, a.interval.upper, a.oneSided, a.twoSided},
                 {b.interval.lower, b.interval.upper, b.oneSided, b.twoSided}));
    EXPECT_EQ(a.verdict, b.verdict);
  }
  EXPECT_EQ(merged.warnings, whole.warnings);
}

// Positive values with three nearly equal spreads, so that the reduced
// samples exchange the first axes, and log-transformed under covariances
// the allometry is jackknifed too.
TRunData Exchanging() {
  const TSize n = 20, p = 5;
  std::mt19937_64 engine(7);
  std::uniform_real_distribution<double> uniform(1.0, 2.0);
  static std::vector<double> values;
  values.resize(std::size_t(n) * p);
  for (double& value : values) value = uniform(engine);
  TValueTable table;
  table.objectCount = n;
  table.variableCount = p;
  table.values = values;
  return RunDataOfValues(table, TMissingPolicy::Refuse);
}

TEST(JackknifeParts, MergedPartsCarryTheRunsDiagnostics) {
  const TRunData data = Exchanging();
  for (const bool matchAxes : {false, true}) {
    TRunOptions options;
    options.analysis.method = DispersionMethod::Covariance;
    options.analysis.transformation = DataTransform::TransformDecimal;
    options.factorCount = 3;
    options.diagnostics.matchAxes = matchAxes;
    TAnalysis analysis;
    analysis.Compute(data, options);
    const TRunOutcome& whole = *analysis.Outcome();
    // The data exchange axes: the test would prove little otherwise.
    ASSERT_FALSE(whole.Diagnostics().warnings.empty());
    ASSERT_GT(whole.Diagnostics().reorderedSamples, 0u);

    const std::vector<TJackknifePart> parts{ComputeJackknifePart(data, options, 15, 20),
                                            ComputeJackknifePart(data, options, 1, 9),
                                            ComputeJackknifePart(data, options, 10, 14)};
    const TMergedJackknife merged = MergeJackknifeParts(parts, options.diagnostics);
    ExpectSameJackknife(merged.jackknife, *whole.Jackknife());
    ExpectSameDiagnostics(merged.diagnostics, whole.Diagnostics());
  }
}

TEST(JackknifeParts, DiagnosticsWithoutEstimatesAreTheRunsToo) {
  const TRunData data = Exchanging();
  TRunOptions options;
  options.factorCount = 2;
  options.diagnostics.estimates = false;
  TAnalysis analysis;
  analysis.Compute(data, options);
  const std::vector<TJackknifePart> parts{ComputeJackknifePart(data, options, 1, 20)};
  const TMergedJackknife merged = MergeJackknifeParts(parts, options.diagnostics);
  EXPECT_FALSE(merged.diagnostics.estimates);
  EXPECT_TRUE(merged.diagnostics.specified.eigenvalues.empty());
  ExpectSameDiagnostics(merged.diagnostics, analysis.Outcome()->Diagnostics());
}

// Parts cannot impute their reduced samples again: data with cells to
// impute are refused, not decomposed with the cells as stored.
TEST(JackknifeParts, DataWithCellsToImputeAreRefused) {
  const TSize n = 12, p = 3;
  std::vector<double> values(std::size_t(n) * p);
  for (std::size_t k = 0; k < values.size(); ++k) values[k] = 1.0 + double(k % 7) + 0.1 * double(k);
  values[4] = std::nan("");
  TValueTable table;
  table.objectCount = n;
  table.variableCount = p;
  table.values = values;
  const TRunData data = RunDataOfValues(table, TMissingPolicy::Impute);
  try {
    ComputeJackknifePart(data, TRunOptions{}, 1, n);
    FAIL() << "a part was computed from data with missing cells";
  } catch (const Exception& e) {
    EXPECT_NE(std::string(e.what()).find("missing values to impute"), std::string::npos);
  }
}

}  // namespace
}  // namespace talvex
