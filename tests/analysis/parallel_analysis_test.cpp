// Parallel analysis: determinism for a seed and over thread counts, what
// permuting columns keeps (each variable's spread) and destroys (their
// association), cancellation and progress, and how its lines are kept with
// the results of the run they belong to.
#include "analysis/parallel_analysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <random>

#include "numeric/probability.h"
#include "test_support.h"

namespace talvex {
namespace {

using testing::Options;
using namespace testing::option_names;

// n x p data: independent normal variables, or (factorLoading > 0) each
// variable = loading * one common factor + noise.
TDataMatrix RandomData(TSize n, TSize p, std::uint64_t seed, double factorLoading = 0.0,
                       double offset = 0.0) {
  std::mt19937_64 random(seed);
  std::normal_distribution<double> normal;
  TDataMatrix data;
  data.objectCount = n;
  data.variableCount = p;
  data.valueCount = n * p;
  data.values = TFloatVector(n * p);
  for (TSize i = 0; i < n; ++i) {
    data.objectLabels.push_back("O" + std::to_string(i + 1));
    const double common = normal(random);
    for (TSize j = 0; j < p; ++j)
      data.values.SetValue(i * p + j + 1, offset + factorLoading * common + normal(random));
  }
  for (TSize j = 0; j < p; ++j) data.variableLabels.push_back("V" + std::to_string(j + 1));
  return data;
}

TAnalysisState RunState(TDataMatrix data, TAnalysisOptions options) {
  TAnalysisState state;
  state.LoadData(std::move(data), "random.nts");
  TReportListing listing;
  state.Run(options, listing);
  return state;
}

TParallelAnalysisSettings Settings(TSize iterations, unsigned threads = 1,
                                   std::uint64_t seed = DefaultParallelAnalysisSeed) {
  TParallelAnalysisSettings settings;
  settings.iterations = iterations;
  settings.threads = threads;
  settings.seed = seed;
  return settings;
}

TEST(ParallelAnalysis, SameSeedSameLinesForAnyThreadCount) {
  const TAnalysisState state = RunState(RandomData(60, 7, 3), Options(Corr, Raw, false));
  const TParallelAnalysisInput input = ParallelAnalysisInput(state);
  const std::vector<double> one = ParallelAnalysis(input, Settings(40, 1));
  ASSERT_EQ(one.size(), 7u);
  EXPECT_EQ(ParallelAnalysis(input, Settings(40, 1)), one);  // bit for bit
  EXPECT_EQ(ParallelAnalysis(input, Settings(40, 2)), one);
  EXPECT_EQ(ParallelAnalysis(input, Settings(40, 3)), one);
  EXPECT_NE(ParallelAnalysis(input, Settings(40, 1, 99)), one);
}

// Permuted independent variables: the percentile lines lie about 1 under the
// correlation method, inside the spread that random correlation matrices of
// this size show (Marchenko-Pastur edges (1 +- sqrt(p/n))^2, plus room for
// the 95th percentile of a finite sample).
TEST(ParallelAnalysis, PermutedIndependentDataGiveLinesNearOne) {
  const TSize n = 800, p = 8;
  const TAnalysisState state = RunState(RandomData(n, p, 5), Options(Corr, Raw, false));
  const std::vector<double> lines =
      ParallelAnalysis(ParallelAnalysisInput(state), Settings(100, 2));
  const double ratio = std::sqrt(double(p) / n);
  EXPECT_GT(lines.front(), 1.0);
  EXPECT_LT(lines.front(), (1 + ratio) * (1 + ratio) + 0.1);
  EXPECT_LT(lines.back(), 1.0);
  EXPECT_GT(lines.back(), (1 - ratio) * (1 - ratio) - 0.05);
  for (std::size_t c = 1; c < lines.size(); ++c) EXPECT_LT(lines[c], lines[c - 1]);
}

// One common factor: only the first eigenvalue of the real data rises above
// its line, the test parallel analysis exists for.
TEST(ParallelAnalysis, OneCommonFactorStandsAboveItsLine) {
  const TAnalysisState state = RunState(RandomData(200, 6, 9, 1.5), Options(Corr, Raw, false));
  const std::vector<double> lines = ParallelAnalysis(ParallelAnalysisInput(state), Settings(100));
  const TFloatVector& eigenvalues = state.Results().eigenvalues;
  EXPECT_GT(eigenvalues.GetValue(1), lines[0] + 1.0);
  for (TSize c = 2; c <= 6; ++c) EXPECT_LT(eigenvalues.GetValue(c), lines[c - 1]) << c;
}

// Permuting keeps every variable's values, so one iteration's eigenvalues add
// up to the trace of the data's own dispersion matrix: the variances under
// covariances (of the transformed data), p under correlations.
TEST(ParallelAnalysis, EachIterationKeepsTheTrace) {
  TDataMatrix data = RandomData(50, 5, 13, 0.8, 20.0);
  for (TSize v = 1; v <= data.valueCount; v += 2)
    data.values.SetValue(v, data.values.GetValue(v) * 3);
  for (DataTransform transform : {Raw, Log10, Ln}) {
    for (DispersionMethod method : {Cov, Corr}) {
      const TAnalysisState state = RunState(data, Options(method, transform, false));
      for (std::uint64_t seed = 1; seed <= 3; ++seed) {
        TParallelAnalysisSettings settings = Settings(1, 1, seed);
        settings.percentile = 50;
        const std::vector<double> values = ParallelAnalysis(ParallelAnalysisInput(state), settings);
        const double sum = std::accumulate(values.begin(), values.end(), 0.0);
        EXPECT_NEAR(sum, state.Results().trace, 1e-12 * state.Results().trace);
      }
    }
  }
}

// The input is the data as the run transformed them, with the run's method
// (not whatever options a window shows now).
TEST(ParallelAnalysis, InputIsTheDataTheRunAnalysed) {
  const TDataMatrix data = RandomData(10, 3, 17, 0.0, 5.0);
  const TAnalysisState state = RunState(data, Options(Cov, Log10, false));
  const TParallelAnalysisInput input = ParallelAnalysisInput(state);
  EXPECT_EQ(input.method, Cov);
  EXPECT_EQ(input.objectCount, 10u);
  EXPECT_EQ(input.variableCount, 3u);
  EXPECT_EQ(input.resultsStamp, state.ResultsStamp());
  for (TSize i = 1; i <= 10; ++i)
    for (TSize j = 1; j <= 3; ++j)
      EXPECT_EQ(input.data.GetValue(i, j), Log10OrZero(data.values.GetValue((i - 1) * 3 + j)));
}

// Data with imputed cells: the columns permuted are the completed ones, so
// the lines are those of the completed data loaded as if measured whole,
// whatever the missing cells hold; the trace is kept as for measured data.
TEST(ParallelAnalysis, ImputedCellsArePermutedNotTheirStoredValues) {
  TDataMatrix data = RandomData(60, 5, 31, 1.2, 10.0);
  data.missing.assign(data.valueCount, 0);
  for (std::size_t c = 2; c < data.missing.size(); c += 7) {
    data.missing[c] = 1;
    data.values.Data()[c] = 0.0;  // what a reader leaves in a missing cell
  }
  for (DataTransform transform : {Raw, Log10}) {
    for (DispersionMethod method : {Cov, Corr}) {
      const TAnalysisState state = RunState(data, Options(method, transform, false));
      ASSERT_TRUE(state.Results().tables.imputation);
      TDataMatrix completed = data;
      completed.values = state.Results().tables.imputation->values;
      completed.missing.clear();
      const TParallelAnalysisInput input = ParallelAnalysisInput(state);
      const TParallelAnalysisInput measured =
          ParallelAnalysisInput(RunState(completed, Options(method, transform, false)));
      for (TSize i = 1; i <= 60; ++i)
        for (TSize j = 1; j <= 5; ++j)
          EXPECT_NEAR(input.data.GetValue(i, j), measured.data.GetValue(i, j), 1e-13);
      const std::vector<double> lines = ParallelAnalysis(input, Settings(20, 2));
      const std::vector<double> measuredLines = ParallelAnalysis(measured, Settings(20, 2));
      for (std::size_t c = 0; c < 5; ++c)
        EXPECT_NEAR(lines[c], measuredLines[c], 1e-10 * measuredLines[0]);
      TParallelAnalysisSettings once = Settings(1, 1);
      once.percentile = 50;
      const std::vector<double> one = ParallelAnalysis(input, once);
      EXPECT_NEAR(std::accumulate(one.begin(), one.end(), 0.0), state.Results().trace,
                  1e-12 * state.Results().trace);
    }
  }
  // Results that imputed nothing cannot complete data with missing cells.
  TAnalysisResults none;
  EXPECT_THROW(ParallelAnalysisInput(data, none), Exception);
}

// Under covariances the lines follow the data's scale; under correlations
// they do not.
TEST(ParallelAnalysis, MethodDecidesTheScale) {
  TDataMatrix data = RandomData(40, 4, 21);
  TDataMatrix scaled = data;
  for (TSize v = 1; v <= scaled.valueCount; ++v)
    scaled.values.SetValue(v, data.values.GetValue(v) * 8);
  const auto lines = [](const TDataMatrix& d, DispersionMethod method) {
    return ParallelAnalysis(ParallelAnalysisInput(RunState(d, Options(method, Raw, false))),
                            Settings(30));
  };
  const std::vector<double> cov = lines(data, Cov), covScaled = lines(scaled, Cov);
  const std::vector<double> corr = lines(data, Corr), corrScaled = lines(scaled, Corr);
  for (std::size_t c = 0; c < 4; ++c) {
    EXPECT_NEAR(covScaled[c], 64 * cov[c], 1e-10 * covScaled[c]);
    EXPECT_NEAR(corrScaled[c], corr[c], 1e-12);
  }
}

class TStopAfter : public TRunObserver {
 public:
  explicit TStopAfter(const TSize& done, TSize limit) : done_(done), limit_(limit) {}
  bool CancelRequested() override { return done_ >= limit_; }

 private:
  const TSize& done_;
  TSize limit_;
};

TEST(ParallelAnalysis, ProgressInOrderAndCancel) {
  const TAnalysisState state = RunState(RandomData(30, 4, 23), Options(Corr, Raw, false));
  const TParallelAnalysisInput input = ParallelAnalysisInput(state);
  std::vector<TSize> seen;
  TSize done = 0;
  const auto progress = [&](TSize d, TSize total) {
    EXPECT_EQ(total, 25u);
    seen.push_back(d);
    done = d;
  };
  ParallelAnalysis(input, Settings(25, 2), progress);
  std::vector<TSize> expected(25);
  std::iota(expected.begin(), expected.end(), TSize(1));
  EXPECT_EQ(seen, expected);

  seen.clear();
  done = 0;
  TStopAfter stop(done, 5);
  EXPECT_THROW(ParallelAnalysis(input, Settings(25, 2), progress, &stop), ERunCancelled);
  EXPECT_EQ(done, 5u);
  TStopAfter stopAtOnce(done, 0);
  EXPECT_THROW(ParallelAnalysis(input, Settings(25, 2), {}, &stopAtOnce), ERunCancelled);
}

TEST(ParallelAnalysis, RefusesWhatItCannotDo) {
  TAnalysisState loaded;
  loaded.LoadData(RandomData(10, 3, 1), "random.nts");
  try {
    ParallelAnalysisInput(loaded);
    FAIL() << "no results, no input";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Parallel analysis needs the results of a run: run the analysis first");
  }
  const TParallelAnalysisInput input =
      ParallelAnalysisInput(RunState(RandomData(10, 3, 1), Options(Corr, Raw, false)));
  try {
    ParallelAnalysis(input, Settings(0));
    FAIL() << "no iterations";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Parallel analysis needs at least one iteration");
  }
  TParallelAnalysisSettings settings = Settings(5);
  settings.percentile = 101;
  try {
    ParallelAnalysis(input, settings);
    FAIL() << "percentile beyond 100";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "The percentile must be between 0 and 100, not 101.000000");
  }
}

TEST(LinearPercentile, HandValues) {
  const auto at = [](std::vector<double> v, double q) { return LinearPercentile(v, q); };
  EXPECT_EQ(at({4, 1, 3, 2}, 50), 2.5);
  EXPECT_DOUBLE_EQ(at({4, 1, 3, 2}, 95), 3.85);  // rank 2.85: 3 + 0.85 (4 - 3)
  EXPECT_EQ(at({4, 1, 3, 2}, 0), 1.0);
  EXPECT_EQ(at({4, 1, 3, 2}, 100), 4.0);
  EXPECT_EQ(at({7}, 95), 7.0);
  EXPECT_TRUE(std::isnan(at({}, 95)));
}

// The lines belong to the results they were computed for: a run or a load
// replaces the results and drops them, and lines of replaced results are
// refused.
TEST(ParallelAnalysisInState, KeptWithTheirResultsOnly) {
  TAnalysisState state = RunState(RandomData(20, 3, 2), Options(Corr, Raw, false));
  EXPECT_FALSE(state.Results().tables.parallelAnalysis.has_value());
  const std::uint64_t first = state.ResultsStamp();
  EXPECT_FALSE(state.SetParallelAnalysis(first, {1.0, 2.0}));  // not one per variable
  ASSERT_TRUE(state.SetParallelAnalysis(first, {1.5, 1.0, 0.5}));
  EXPECT_EQ(*state.Results().tables.parallelAnalysis, (std::vector<double>{1.5, 1.0, 0.5}));

  const TAnalysisState copy = state;  // a run works on a copy and keeps the stamp
  EXPECT_EQ(copy.ResultsStamp(), first);

  TReportListing listing;
  state.Run(Options(Cov, Raw, false), listing);
  EXPECT_FALSE(state.Results().tables.parallelAnalysis.has_value());
  EXPECT_NE(state.ResultsStamp(), first);
  EXPECT_FALSE(state.SetParallelAnalysis(first, {1.5, 1.0, 0.5}));
  EXPECT_TRUE(state.SetParallelAnalysis(state.ResultsStamp(), {3.0, 2.0, 1.0}));

  const std::uint64_t second = state.ResultsStamp();
  state.LoadData(RandomData(20, 3, 4), "other.nts");
  EXPECT_FALSE(state.Results().tables.parallelAnalysis.has_value());
  EXPECT_FALSE(state.SetParallelAnalysis(second, {3.0, 2.0, 1.0}));
  EXPECT_FALSE(state.SetParallelAnalysis(state.ResultsStamp(), {3.0, 2.0, 1.0}));  // no results
}

}  // namespace
}  // namespace talvex
