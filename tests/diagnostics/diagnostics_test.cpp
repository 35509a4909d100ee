// The diagnostics on data built to show them: an exchange of axes 2 and 3 in
// exactly two reduced samples, and one planted outlier; the listing the same
// with and without them, and the matched-axes jackknife equal to the
// listing's bit for bit where no sample needs reordering.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "diagnostics/diagnostics_report.h"
#include "diagnostics/diagnostics_run.h"
#include "diagnostics_test_data.h"
#include "numeric/principal_axes.h"

namespace talvex {
namespace {

using testing::AxisExchangeData;
using testing::OutlierData;

TAnalysisOptions Covariance() {
  TAnalysisOptions options;
  options.method = DispersionMethod::Covariance;
  return options;
}

struct TRun {
  TAnalysisState state;
  TReportListing listing;
  TDiagnostics diagnostics;
};

TRun RunOn(TDataMatrix data, TAnalysisOptions options, TDiagnosticsOptions diagnosticsOptions = {},
           unsigned threads = 0, TSize factors = 0) {
  TRun run;
  run.state.LoadData(std::move(data), "data.nts");
  if (factors != 0) run.state.SetFactorCount(factors);
  run.diagnostics =
      RunWithDiagnostics(run.state, options, run.listing, diagnosticsOptions, nullptr, threads);
  return run;
}

// Rows of uniform values in [0, 1) from a fixed linear congruential
// generator: uncorrelated variables of equal spread.
std::vector<std::vector<double>> UniformRows(int objects, int variables, std::uint64_t seed) {
  std::vector<std::vector<double>> rows;
  std::uint64_t state = seed;
  for (int i = 0; i < objects; ++i) {
    std::vector<double> row;
    for (int j = 0; j < variables; ++j) {
      state = state * 6364136223846793005u + 1442695040888963407u;
      row.push_back(double(state >> 11) / double(1ull << 53));
    }
    rows.push_back(row);
  }
  return rows;
}

TEST(AxisExchanges, ManyExchangedAxesAreWarnedOfInAFewLines) {
  // Twelve variables of the same spread, uncorrelated: the axes are close
  // and the reduced samples exchange most of them.
  const std::vector<std::vector<double>> rows = UniformRows(20, 12, 12345);
  const TRun run = RunOn(testing::MakeData(rows), Covariance());
  const TDiagnostics& d = run.diagnostics;
  std::vector<TSize> exchanged;
  for (TSize a = 1; a <= d.axisCount; ++a)
    if (d.exchanges[a - 1].exchanged != 0) exchanged.push_back(a);
  ASSERT_GT(exchanged.size(), 7u);
  ASSERT_EQ(d.warnings.size(), 6u);
  for (std::size_t i = 0; i < 5; ++i)
    EXPECT_EQ(d.warnings[i].rfind("axis " + std::to_string(exchanged[i]) + " was exchanged", 0),
              0u);
  // The rest in one line, consecutive axes as ranges.
  std::string list;
  for (std::size_t i = 5; i < exchanged.size();) {
    std::size_t j = i;
    while (j + 1 < exchanged.size() && exchanged[j + 1] == exchanged[j] + 1) ++j;
    if (!list.empty()) list += ", ";
    list += std::to_string(exchanged[i]);
    if (j == i + 1) list += ", " + std::to_string(exchanged[j]);
    if (j > i + 1) list += " to " + std::to_string(exchanged[j]);
    i = j + 1;
  }
  EXPECT_EQ(d.warnings[5], std::to_string(exchanged.size() - 5) + " more axes (" + list +
                               ") were exchanged in some reduced samples: their jackknife "
                               "estimates are unreliable (see the exchange table of the "
                               "diagnostics)");
}

// Without the estimates (a front end that only tells the warnings) the
// exchanges, the influence and the warnings are the same; the estimates are
// not there and the report, which needs them, refuses to be made.
TEST(AxisExchanges, WarningsNeedNoEstimates) {
  const TRun full = RunOn(AxisExchangeData(), Covariance());
  const TRun lean = RunOn(AxisExchangeData(), Covariance(), {.estimates = false});
  const TDiagnostics& d = lean.diagnostics;
  ASSERT_TRUE(d.available);
  EXPECT_EQ(d.warnings, full.diagnostics.warnings);
  EXPECT_EQ(d.bestMatches, full.diagnostics.bestMatches);
  EXPECT_EQ(d.cosines, full.diagnostics.cosines);
  EXPECT_EQ(d.influence, full.diagnostics.influence);
  EXPECT_EQ(d.reorderedSamples, full.diagnostics.reorderedSamples);
  EXPECT_TRUE(d.specified.vectors.empty());
  EXPECT_TRUE(d.matched.vectors.empty());
  EXPECT_TRUE(d.vectorIntervals.empty());
  EXPECT_FALSE(full.diagnostics.matched.vectors.empty());
  EXPECT_THROW(DiagnosticsReport(d, lean.state.Data()), std::logic_error);
  EXPECT_EQ(lean.listing.Lines().size(), full.listing.Lines().size());
}

TEST(AxisExchanges, TheConstructedExchangeIsFoundInExactlyItsSamples) {
  const TRun run = RunOn(AxisExchangeData(), Covariance());
  const TDiagnostics& d = run.diagnostics;
  ASSERT_TRUE(d.available);
  ASSERT_EQ(d.axisCount, 3u);
  EXPECT_EQ(d.exchanges[0].exchanged, 0u);
  for (TSize a : {2u, 3u}) {
    const TSize other = 5 - a;
    SCOPED_TRACE(a);
    EXPECT_EQ(d.exchanges[a - 1].exchanged, 2u);
    EXPECT_EQ(d.exchanges[a - 1].withAxis[other], 2u);
    for (TSize i = 1; i <= 18; ++i) {
      EXPECT_EQ(d.bestMatches[d.At(i, a)], i <= 2 ? other : a) << "object " << i;
      // Exactly diagonal covariances without objects 1 or 2: the axes are
      // the coordinate axes, at right angles to their full-sample partners.
      if (i <= 2) {
        EXPECT_NEAR(d.angles[d.At(i, a)], 90.0, 1e-6);
      }
    }
  }
  EXPECT_EQ(d.reorderedSamples, 2u);
  ASSERT_EQ(d.warnings.size(), 2u);
  EXPECT_EQ(d.warnings[0],
            "axis 2 was exchanged in 2 of 18 reduced samples (with axis 3 in 2): the jackknife "
            "estimates of eigenvalue 2 and of the coefficients of axis 2 are unreliable");
}

TEST(AxisExchanges, MatchingTheAxesRepairsTheExchangedEstimates) {
  const TRun run = RunOn(AxisExchangeData(), Covariance(), {.matchAxes = true});
  const TDiagnostics& d = run.diagnostics;
  const TSize p = d.variableCount;
  // Variable 2's coefficient on axis 2 is 1 in the full sample; unmatched,
  // the two exchanged samples give it 0, and their pseudo-values of about n
  // dominate its standard error. Matched, those samples give it 1 again.
  const TJackknifeStatistic& listed = d.specified.vectors[1 * p + 1];
  const TJackknifeStatistic& matched = d.matched.vectors[1 * p + 1];
  EXPECT_LT(matched.standardError, listed.standardError / 3) << listed.standardError;
  // numpy (LAPACK) on the same construction: -4.0897681 and -2.2008792
  // (the full-sample coefficient is -1).
  EXPECT_NEAR(listed.estimate, -4.0897681, 1e-6);
  EXPECT_NEAR(matched.estimate, -2.2008792, 1e-6);
  // The first axis took part in no exchange: its estimates stay the same.
  for (TSize j = 0; j < p; ++j)
    EXPECT_EQ(d.matched.vectors[j].estimate, d.specified.vectors[j].estimate);
  // The intervals are formed from the matched estimates.
  EXPECT_NEAR(d.vectorIntervals[1 * p + 1].lower,
              matched.estimate - d.tQuantile * matched.standardError, 1e-15);
}

TEST(AxisExchanges, WithoutReorderingTheMatchedJackknifeIsTheListedOneBitForBit) {
  TAnalysisOptions options = Covariance();
  options.transformation = DataTransform::TransformDecimal;
  TDataMatrix data = OutlierData(7);
  // Positive values for the logarithms.
  for (TSize v = 1; v <= data.valueCount; ++v)
    data.values.SetValue(v, data.values.GetValue(v) + 10);
  // One axis shown: nothing to reorder, whatever the trailing axes do.
  const TRun run = RunOn(std::move(data), options, {}, 3, 1);
  const TDiagnostics& d = run.diagnostics;
  ASSERT_EQ(d.reorderedSamples, 0u);
  ASSERT_FALSE(d.specified.macs.empty());
  const auto same = [](const std::vector<TJackknifeStatistic>& x,
                       const std::vector<TJackknifeStatistic>& y) {
    ASSERT_EQ(x.size(), y.size());
    for (std::size_t s = 0; s < x.size(); ++s) {
      EXPECT_EQ(x[s].estimate, y[s].estimate) << s;
      EXPECT_EQ(x[s].standardError, y[s].standardError) << s;
    }
  };
  same(d.specified.eigenvalues, d.matched.eigenvalues);
  same(d.specified.vectors, d.matched.vectors);
  same(d.specified.macs, d.matched.macs);
}

TEST(AxisExchanges, TheSameBitForBitForAnyNumberOfThreads) {
  // Twelve independent variables of equal spread: every axis is loose, and
  // reduced samples exchange and reorder them.
  std::uint64_t state = 99;
  const auto uniform = [&state] {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return double(state >> 11) / double(1ULL << 53) - 0.5;
  };
  std::vector<std::vector<double>> rows(40, std::vector<double>(12));
  for (auto& row : rows)
    for (double& x : row) x = uniform();
  const TRun one = RunOn(testing::MakeData(rows), Covariance(), {.matchAxes = true}, 1);
  ASSERT_GT(one.diagnostics.reorderedSamples, 4u);
  for (unsigned threads : {2u, 5u}) {
    SCOPED_TRACE(threads);
    const TRun many = RunOn(testing::MakeData(rows), Covariance(), {.matchAxes = true}, threads);
    const TDiagnostics& x = one.diagnostics;
    const TDiagnostics& y = many.diagnostics;
    EXPECT_EQ(x.cosines, y.cosines);
    EXPECT_EQ(x.bestMatches, y.bestMatches);
    EXPECT_EQ(x.reorderedSamples, y.reorderedSamples);
    ASSERT_EQ(x.matched.vectors.size(), y.matched.vectors.size());
    for (std::size_t s = 0; s < x.matched.vectors.size(); ++s) {
      EXPECT_EQ(x.matched.vectors[s].estimate, y.matched.vectors[s].estimate) << s;
      EXPECT_EQ(x.matched.vectors[s].standardError, y.matched.vectors[s].standardError) << s;
    }
    for (std::size_t c = 0; c < x.matched.eigenvalues.size(); ++c)
      EXPECT_EQ(x.matched.eigenvalues[c].estimate, y.matched.eigenvalues[c].estimate) << c;
  }
}

// The reduced samples' eigenvalues decomposed one by one from their rows,
// apart from the jackknife's own ways of finding them.
std::vector<std::vector<double>> ReducedEigenvalues(const TDataMatrix& data,
                                                    DispersionMethod method) {
  const TSize n = data.objectCount, p = data.variableCount;
  std::vector<std::vector<double>> values;
  for (TSize left = 1; left <= n; ++left) {
    TFloatMatrix rows(n - 1, p);
    TSize r = 0;
    for (TSize i = 1; i <= n; ++i) {
      if (i == left) continue;
      ++r;
      for (TSize j = 1; j <= p; ++j) rows.SetValue(r, j, data.values.GetValue((i - 1) * p + j));
    }
    const TFloatVector eigenvalues = PrincipalAxes(n - 1, p, rows, method).eigenvalues;
    values.emplace_back(eigenvalues.Data(), eigenvalues.Data() + p);
  }
  return values;
}

TEST(Influence, ThePlantedOutlierIsTheMostInfluentialObject) {
  for (TSize outlier : {1u, 17u, 30u}) {
    SCOPED_TRACE(outlier);
    const TRun run = RunOn(OutlierData(outlier), TAnalysisOptions{});
    const TDiagnostics& d = run.diagnostics;
    ASSERT_TRUE(d.available);
    EXPECT_EQ(d.influenceRanking.front(), outlier);
    EXPECT_GT(d.influence[outlier - 1], d.influenceThreshold);
    EXPECT_EQ(d.influenceThreshold, 3.0);
    // The summary is the largest |influence| over the shown eigenvalues
    // that are not left out.
    double largest = 0.0;
    for (TSize a = 1; a <= d.axisCount; ++a)
      if (d.influenceExcluded[a - 1] == TInfluenceExclusion::None)
        largest = std::max(largest, std::fabs(d.eigenvalueInfluence[d.At(outlier, a)]));
    EXPECT_EQ(d.influence[outlier - 1], largest);
  }
}

// Efron's influence, (n - 1) (mean of the reduced values - reduced value),
// over its root mean square: checked against reduced samples decomposed
// directly. The squares average to 1, so the threshold of 3 means the same
// whatever n.
TEST(Influence, IsTheJackknifesOwnInfluenceStandardised) {
  const TDataMatrix data = OutlierData(17);
  const TRun run = RunOn(data, Covariance());
  const TDiagnostics& d = run.diagnostics;
  const TSize n = data.objectCount;
  const auto reduced = ReducedEigenvalues(data, DispersionMethod::Covariance);
  for (TSize a = 1; a <= d.axisCount; ++a) {
    SCOPED_TRACE(a);
    ASSERT_EQ(d.influenceExcluded[a - 1], TInfluenceExclusion::None);
    double mean = 0.0;
    for (TSize i = 0; i < n; ++i) mean += reduced[i][a - 1] / double(n);
    double squares = 0.0;
    for (TSize i = 0; i < n; ++i) {
      const double u = (double(n) - 1.0) * (mean - reduced[i][a - 1]);
      squares += u * u / double(n);
    }
    double averageSquare = 0.0;
    for (TSize i = 1; i <= n; ++i) {
      const double expected =
          (double(n) - 1.0) * (mean - reduced[i - 1][a - 1]) / std::sqrt(squares);
      EXPECT_NEAR(d.eigenvalueInfluence[d.At(i, a)], expected, 1e-9) << i;
      averageSquare += std::pow(d.eigenvalueInfluence[d.At(i, a)], 2) / double(n);
    }
    EXPECT_NEAR(averageSquare, 1.0, 1e-12);
  }
}

// With more variables than objects the eigenvalues past the reduced rank are
// zero in every reduced sample, so their jackknife SE is zero: they are left
// out of the influence, which stays finite (the influence plot drew no point
// at all otherwise), and their influences are not available.
TEST(Influence, EigenvaluesWithoutSpreadAreLeftOut) {
  const std::vector<std::vector<double>> rows = UniformRows(12, 30, 99);
  const TRun run = RunOn(testing::MakeData(rows), Covariance());
  const TDiagnostics& d = run.diagnostics;
  ASSERT_TRUE(d.available);
  ASSERT_EQ(d.axisCount, 30u);
  EXPECT_EQ(d.determinedAxes, 10u);
  for (TSize a = 11; a <= 30; ++a) {
    EXPECT_EQ(d.influenceExcluded[a - 1], TInfluenceExclusion::NoSpread) << a;
    EXPECT_TRUE(std::isnan(d.eigenvalueInfluence[d.At(1, a)]));
  }
  for (TSize i = 1; i <= 12; ++i) EXPECT_TRUE(std::isfinite(d.influence[i - 1])) << i;
  // Past the rank (axes 11 to 30) the SE is zero, and P and the intervals
  // are not available.
  EXPECT_EQ(d.specified.eigenvalues[29].standardError, 0.0);
  EXPECT_TRUE(std::isnan(EigenvalueProbability(d, 11)));
  EXPECT_TRUE(std::isnan(d.eigenvalueIntervals[10].lower));
  EXPECT_TRUE(std::isnan(CoefficientProbability(d, 12, 1)));
  EXPECT_FALSE(std::isnan(EigenvalueProbability(d, 10)));
  // The report says which are left out and why, and where the intervals end.
  std::string report;
  const TReportListing listing = DiagnosticsReport(d, run.state.Data());
  for (const std::string& line : listing.Lines()) report += line + "\n";
  EXPECT_NE(report.find("11 to 30 (standard error 0)"), std::string::npos);
  EXPECT_NE(report.find("From axis 11 on the reduced samples do not determine the jackknife"),
            std::string::npos);
}

// Axes 2 and 3 exchange in two of 18 samples: their eigenvalues keep their
// influence (the two objects that swap them are the ones that move them).
// Twelve uncorrelated variables of equal spread exchange most axes in most
// samples: without matching, the reduced eigenvalue of a rank belongs to
// one axis, then another, and is left out; matched, each follows its axis.
TEST(Influence, EigenvaluesOfAxesExchangedInMostSamplesAreLeftOutUnlessMatched) {
  const TRun few = RunOn(AxisExchangeData(), Covariance());
  EXPECT_EQ(few.diagnostics.influenceExcluded[1], TInfluenceExclusion::None);
  const std::vector<std::vector<double>> rows = UniformRows(20, 12, 12345);
  const TRun plain = RunOn(testing::MakeData(rows), Covariance());
  const TRun matched = RunOn(testing::MakeData(rows), Covariance(), {.matchAxes = true});
  TSize excluded = 0;
  for (TSize a = 1; a <= 12; ++a) {
    const bool most = 2 * plain.diagnostics.exchanges[a - 1].exchanged >= 20;
    EXPECT_EQ(plain.diagnostics.influenceExcluded[a - 1] == TInfluenceExclusion::Exchanged, most)
        << a;
    if (most) ++excluded;
    EXPECT_NE(matched.diagnostics.influenceExcluded[a - 1], TInfluenceExclusion::Exchanged) << a;
  }
  EXPECT_GT(excluded, 0u);
}

TEST(Diagnostics, TheListingIsTheSameWithAndWithoutThem) {
  for (bool match : {false, true}) {
    TRun with = RunOn(OutlierData(5), Covariance(), {.matchAxes = match});
    TAnalysisState plain;
    plain.LoadData(OutlierData(5), "data.nts");
    TReportListing listing;
    plain.Run(Covariance(), listing);
    // The header carries the time of the run; everything after it must agree.
    const auto& a = with.listing.Lines();
    const auto& b = listing.Lines();
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t l = 0; l < a.size(); ++l) {
      if (a[l].rfind("Time of analysis", 0) == 0 || a[l].rfind("Date of analysis", 0) == 0)
        continue;
      EXPECT_EQ(a[l], b[l]) << "line " << l + 1;
    }
  }
}

TEST(Diagnostics, IntervalsAndAllometryTests) {
  TAnalysisOptions options = Covariance();
  options.transformation = DataTransform::TransformNatural;
  TDataMatrix data = OutlierData(3);
  for (TSize v = 1; v <= data.valueCount; ++v)
    data.values.SetValue(v, data.values.GetValue(v) + 10);
  const TRun run = RunOn(std::move(data), options);
  const TDiagnostics& d = run.diagnostics;
  EXPECT_NEAR(d.tQuantile, 2.045229642, 1e-8);  // t(29, 0.975), published
  for (std::size_t c = 0; c < d.eigenvalueIntervals.size(); ++c) {
    const TJackknifeStatistic& s = d.specified.eigenvalues[c];
    EXPECT_DOUBLE_EQ(d.eigenvalueIntervals[c].upper, s.estimate + d.tQuantile * s.standardError);
  }
  ASSERT_EQ(d.allometry.size(), 4u);
  for (std::size_t j = 0; j < 4; ++j) {
    const TAllometryTest& t = d.allometry[j];
    const TJackknifeStatistic& s = d.specified.macs[j];
    // The listing's one-sided P, with the exact distribution.
    EXPECT_NEAR(t.oneSided, s.probability, 1e-7);
    EXPECT_EQ(t.oneSided, MacProbability(d, TSize(j + 1)));
    // The two-sided test at 5% rejects exactly when the 95% interval
    // leaves out 1, and the verdict says on which side.
    const bool excludesOne = t.interval.lower > 1.0 || t.interval.upper < 1.0;
    EXPECT_EQ(t.twoSided < 0.05, excludesOne) << j;
    EXPECT_EQ(t.verdict, !excludesOne       ? TAllometryVerdict::Isometry
                         : s.estimate > 1.0 ? TAllometryVerdict::Positive
                                            : TAllometryVerdict::Negative);
    // Below 1 the one-sided P is half the two-sided one.
    if (s.estimate < 1.0) {
      EXPECT_NEAR(t.oneSided, t.twoSided / 2, 1e-9);
    }
  }
}

TEST(Diagnostics, NoJackknifeNoDiagnostics) {
  TAnalysisOptions options;
  options.jackknife = false;
  const TRun run = RunOn(OutlierData(2), options);
  EXPECT_FALSE(run.diagnostics.available);
  const TReportListing report = DiagnosticsReport(run.diagnostics, run.state.Data());
  EXPECT_EQ(report.Lines().back(),
            "No diagnostics: they come from the jackknife, which did not run.");
}

TEST(DiagnosticsReport, NamesTheExchangeAndTheMostInfluentialObjects) {
  const TRun run = RunOn(AxisExchangeData(), Covariance());
  const std::string text = DiagnosticsReport(run.diagnostics, run.state.Data()).Text();
  EXPECT_NE(text.find("* axis 3 was exchanged in 2 of 18 reduced samples (with axis 2 in 2)"),
            std::string::npos);
  EXPECT_NE(text.find("   2          2        0.0000  axis 3: 2"), std::string::npos) << text;
  // Objects 1 and 2 change eigenvalue 2 the most and head the influence list.
  const std::size_t list = text.find("   #  Object");
  ASSERT_NE(list, std::string::npos);
  const std::string first = text.substr(text.find('\n', list) + 1, 13);
  EXPECT_TRUE(first == "   1  obj1   " || first == "   2  obj2   ") << first;
  EXPECT_EQ(text.find("nan"), std::string::npos);
}

TEST(DiagnosticsReport, OpensWithTheRunRecord) {
  const TRun run = RunOn(AxisExchangeData(), Covariance());
  const TReportListing report =
      DiagnosticsReport(run.diagnostics, run.state.Data(), &run.state.Record());
  const auto fields = RunRecordFields(run.state.Record());
  ASSERT_GT(report.Lines().size(), fields.size() + 3);
  EXPECT_EQ(report.Lines()[0], "TALVEX - Diagnostics of the jackknife");
  EXPECT_EQ(report.Lines()[2].substr(0, 7), "Program");
  EXPECT_NE(report.Lines()[2].find("TALVEX " + std::string(ProgramVersion())), std::string::npos);
  EXPECT_EQ(report.Lines()[1 + fields.size()].substr(0, 12), "Command line");
  EXPECT_NE(report.Lines()[1 + fields.size()].find("--method covariance"), std::string::npos);
  EXPECT_EQ(report.Lines()[2 + fields.size()], "");
  // The rest is the report without the record.
  const std::vector<std::string> plain =
      DiagnosticsReport(run.diagnostics, run.state.Data()).Lines();
  EXPECT_TRUE(std::equal(plain.begin() + 2, plain.end(), report.Lines().begin() + 3 + fields.size(),
                         report.Lines().end()));
}

}  // namespace
}  // namespace talvex
