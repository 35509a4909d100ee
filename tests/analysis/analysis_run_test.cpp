// The run's failure behaviour, its determinism across runs and thread
// counts, the observer, and the state's load/run/factor-count rules.
#include <gtest/gtest.h>

#include <algorithm>

#include "analysis/analysis_state.h"
#include "input/data_refused.h"
#include "test_support.h"

namespace talvex {
namespace {

using testing::FixturePath;
using testing::LoadFixture;
using testing::Options;
using namespace testing::option_names;
using testing::Request;

const std::string ZeroDivide = "Floating point division by zero";
const std::string Invalid = "Invalid floating point operation";

struct TFailureCase {
  const char* data;
  TAnalysisOptions options;
  std::vector<std::string> messages;  // any of these
  const char* lastLine;               // the last line the listing keeps
  int fromEnd;                        // ... counted from its end (0 = last)
  bool workingRunFirst = true;        // whether the file has a run that works
};

// Each fault stops the run with its message, keeps the lines written before
// it, and leaves the previous results and resultsReady as they were.
TEST(AnalysisFailures, StopAtTheFaultAndKeepEarlierResults) {
  const std::vector<TFailureCase> cases = {
      {"zero.nts", Options(Cov, Ln, true), {ZeroDivide}, "Data log (e) transformed", 1},
      {"negative.nts", Options(Cov, Ln, true), {Invalid}, "Data log (e) transformed", 1},
      {"one_object.nts",
       Options(Corr, Raw, true),
       {ZeroDivide, Invalid},
       "Number of observations = 1",
       1,
       false},
      {"constant.nts",
       Options(Corr, Raw, true),
       {ZeroDivide, Invalid},
       "Correlation matrix",
       1,
       false},
      // A trace of 0: the eigenvalue table's percentages fault before its heading.
      {"all_constant.nts",
       Options(Cov, Raw, true),
       {Invalid},
       "Average root = 0.0000000",
       1,
       false},
      {"one_constant_variable.nts",
       Options(Cov, Raw, false),
       {Invalid},
       "Average root = 0.0000000",
       1,
       false},
      {"two_objects.nts",
       Options(Corr, Raw, true),
       {ZeroDivide, Invalid},
       "Correlations between components and original variables",
       4},
  };
  for (const TFailureCase& c : cases) {
    SCOPED_TRACE(c.data);
    TAnalysisState state;
    state.LoadFile(FixturePath(c.data));
    TReportListing listing;
    // A run that works first, so that there are results to keep.
    TAnalysisOptions working = Options(Cov, Raw, false);
    // (A constant variable has no correlation with any component, so such a
    // file has no working run.)
    if (c.workingRunFirst) {
      state.Run(working, listing);
      ASSERT_TRUE(state.ResultsReady());
    }
    const TAnalysisResults before = state.Results();
    const bool readyBefore = state.ResultsReady();
    try {
      state.Run(c.options, listing, nullptr, 2);
      FAIL() << "the run did not fail";
    } catch (const Exception& e) {
      EXPECT_NE(std::find(c.messages.begin(), c.messages.end(), e.Message()), c.messages.end())
          << e.Message();
    }
    const std::vector<std::string>& lines = listing.Lines();
    ASSERT_GT(lines.size(), std::size_t(c.fromEnd));
    EXPECT_EQ(lines[lines.size() - 1 - c.fromEnd], c.lastLine);
    EXPECT_EQ(state.ResultsReady(), readyBefore);
    const TAnalysisResults& after = state.Results();
    EXPECT_EQ(after.trace, before.trace);
    EXPECT_EQ(after.eigenvalues.Length(), before.eigenvalues.Length());
    for (TSize i = 1; i <= before.eigenvalues.Length(); ++i)
      EXPECT_EQ(after.eigenvalues.GetValue(i), before.eigenvalues.GetValue(i));
    EXPECT_EQ(after.scores.GetSize(), before.scores.GetSize());
  }
}

TEST(AnalysisFailures, DecimalLogarithmOfZeroIsZero) {
  const TDataMatrix data = LoadFixture("zero.nts");
  TAnalysisResults results;
  TReportListing listing;
  EXPECT_NO_THROW(RunAnalysis(Request(Options(Cov, Log10, true), 2), data, results, listing));
  EXPECT_EQ(listing.Lines().back().substr(0, 4), "VAR2");  // the JK MAC rows end the listing
}

TEST(AnalysisFailures, FactorCountOutsideTheVariablesIsRefusedBeforeAnyOutput) {
  const TDataMatrix data = LoadFixture("morph.nts");
  TAnalysisResults results;
  TReportListing listing;
  for (TSize k : {0u, 5u}) {
    try {
      RunAnalysis(Request(Options(Corr, Raw, false), k), data, results, listing);
      FAIL();
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), "The number of factors must be between 1 and 4");
    }
    EXPECT_TRUE(listing.Empty());
  }
}

std::vector<std::string> WithoutClock(std::vector<std::string> lines) {
  lines.at(2).clear();
  lines.at(3).clear();
  return lines;
}

TEST(AnalysisDeterminism, SameListingForAnyRunAndAnyThreadCount) {
  const TDataMatrix data = LoadFixture("morph.nts");
  for (auto method : {Corr, Cov}) {
    std::vector<std::string> first;
    for (unsigned threads : {1u, 2u, 3u, 7u, 1u}) {
      TAnalysisResults results;
      TReportListing listing;
      RunAnalysis(Request(Options(method, Log10, true), 4, threads), data, results, listing);
      if (first.empty()) {
        first = WithoutClock(listing.Lines());
      } else {
        EXPECT_EQ(WithoutClock(listing.Lines()), first) << threads << " threads";
      }
    }
  }
}

class TRecordingObserver : public TRunObserver {
 public:
  explicit TRecordingObserver(TSize cancelAfter = 0) : cancelAfter_(cancelAfter) {}
  void JackknifeIteration(TSize object, TSize count) override {
    objects.push_back(object);
    total = count;
  }
  bool CancelRequested() override { return cancelAfter_ != 0 && objects.size() >= cancelAfter_; }
  std::vector<TSize> objects;
  TSize total = 0;

 private:
  TSize cancelAfter_;
};

TEST(AnalysisObserver, SeesEveryObjectInOrder) {
  TAnalysisState state;
  state.LoadFile(FixturePath("morph.nts"));
  TRecordingObserver observer;
  TReportListing listing;
  state.Run(Options(Corr, Raw, true), listing, &observer, 2);
  std::vector<TSize> expected(10);
  for (TSize i = 0; i < 10; ++i) expected[i] = i + 1;
  EXPECT_EQ(observer.objects, expected);
  EXPECT_EQ(observer.total, 10u);
}

TEST(AnalysisObserver, CancelEndsLikeAFailure) {
  // Enough objects for several batches, so that the cancel is seen mid-run.
  TDataMatrix data;
  data.objectCount = 20000;
  data.variableCount = 3;
  data.valueCount = 60000;
  data.values = TFloatVector(60000);
  for (TSize i = 1; i <= 60000; ++i) data.values.SetValue(i, double((i * 7919) % 101) + i % 3);
  for (TSize i = 1; i <= 20000; ++i) data.objectLabels.push_back("O" + std::to_string(i));
  data.variableLabels = {"A", "B", "C"};
  TAnalysisResults results;
  TReportListing listing;
  TRecordingObserver observer(5000);
  TRunRequest request = Request(Options(Corr, Raw, true), 3, 2);
  request.observer = &observer;
  EXPECT_THROW(RunAnalysis(request, data, results, listing), ERunCancelled);
  EXPECT_LT(observer.objects.size(), 20000u);
  EXPECT_EQ(results.eigenvalues.Capacity(), 0u);  // nothing committed
  EXPECT_EQ(listing.Lines().back(), "");          // the full-sample sections stay
}

TEST(AnalysisState, LoadRunAndFactorCount) {
  TAnalysisState state;
  EXPECT_FALSE(state.DataLoaded());
  state.LoadFile(FixturePath("morph.nts"));
  EXPECT_TRUE(state.DataLoaded());
  EXPECT_FALSE(state.ResultsReady());
  EXPECT_EQ(state.FactorCount(), 4u);
  EXPECT_FALSE(state.SetFactorCount(0));
  EXPECT_FALSE(state.SetFactorCount(5));
  EXPECT_FALSE(state.SetFactorCount(-1));
  EXPECT_EQ(state.FactorCount(), 4u);
  EXPECT_TRUE(state.SetFactorCount(2));
  TReportListing listing;
  state.Run(Options(Corr, Raw, false), listing);
  EXPECT_TRUE(state.ResultsReady());
  // Scores: columns 1..k filled, the rest zero.
  EXPECT_NE(state.Results().scores.GetValue(1, 2), 0.0);
  EXPECT_EQ(state.Results().scores.GetValue(1, 3), 0.0);

  // A load that fails changes nothing: data, results, flags, factor count.
  const double firstScore = state.Results().scores.GetValue(1, 1);
  EXPECT_THROW(state.LoadFile(FixturePath("no_such_file.nts")), Exception);
  EXPECT_THROW(state.LoadFile(FixturePath("refused.nts")), EDataRefused);
  EXPECT_TRUE(state.DataLoaded());
  EXPECT_TRUE(state.ResultsReady());
  EXPECT_EQ(state.FactorCount(), 2u);
  EXPECT_EQ(state.Data().objectCount, 10u);
  EXPECT_EQ(state.DataFileName(), FixturePath("morph.nts"));
  EXPECT_EQ(state.Results().scores.GetValue(1, 1), firstScore);

  // A new load resets the factor count and the results, which it leaves
  // empty: a run sizes what it computes.
  state.LoadFile(FixturePath("r06.nts"));
  EXPECT_EQ(state.FactorCount(), 2u);
  EXPECT_FALSE(state.ResultsReady());
  EXPECT_EQ(state.Results().scores.MaxRows(), 0u);
  EXPECT_EQ(state.Results().eigenvectors.MaxRows(), 0u);
}

TEST(AnalysisState, OneComponentStillGivesTheScorePlotASecondAxis) {
  TAnalysisState two;
  two.LoadFile(FixturePath("morph.nts"));
  ASSERT_TRUE(two.SetFactorCount(2));
  TReportListing listingTwo;
  two.Run(Options(Corr, Raw, false), listingTwo);

  TAnalysisState one;
  one.LoadFile(FixturePath("morph.nts"));
  ASSERT_TRUE(one.SetFactorCount(1));
  TReportListing listingOne;
  one.Run(Options(Corr, Raw, false), listingOne);
  for (TSize i = 1; i <= 10; ++i) {
    EXPECT_EQ(one.Results().scores.GetValue(i, 2), two.Results().scores.GetValue(i, 2));
  }
  EXPECT_NE(one.Results().scores.GetValue(1, 2), 0.0);
  EXPECT_EQ(one.Results().scores.GetValue(1, 3), 0.0);
}

}  // namespace
}  // namespace talvex
