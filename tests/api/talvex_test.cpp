// The entry point for a run: the same listing and results as the state's own
// run, an outcome that later runs and failures leave alone, and the refusals.
#include "talvex/talvex.h"

#include <gtest/gtest.h>

#include "diagnostics/diagnostics_run.h"
#include "tests/api/api_test_support.h"

namespace talvex {
namespace {

using testing::Iris;
using testing::Undated;

TEST(Analysis, MakesWhatTheStatesOwnRunMakes) {
  TAnalysisState state;
  state.LoadFile(Iris().path);
  ASSERT_TRUE(state.SetFactorCount(2));
  TAnalysisOptions analysisOptions;
  analysisOptions.method = DispersionMethod::Covariance;
  analysisOptions.transformation = DataTransform::TransformNatural;
  TReportListing expected;
  const TDiagnostics diagnostics =
      RunWithDiagnostics(state, analysisOptions, expected, {.matchAxes = true});

  TAnalysis analysis;
  EXPECT_EQ(analysis.Outcome(), nullptr);
  analysis.Compute(
      Iris(), {.analysis = analysisOptions, .factorCount = 2, .diagnostics = {.matchAxes = true}});
  const TRunOutcome& outcome = *analysis.Outcome();
  EXPECT_EQ(Undated(outcome.Listing().Lines()), Undated(expected.Lines()));
  EXPECT_EQ(outcome.FactorCount(), 2u);
  EXPECT_EQ(outcome.Data().objectCount, state.Data().objectCount);
  for (TSize j = 1; j <= 4; ++j) {
    EXPECT_EQ(outcome.Results().eigenvalues.GetValue(j), state.Results().eigenvalues.GetValue(j));
    EXPECT_EQ(outcome.Results().tables.macs.GetValue(j), state.Results().tables.macs.GetValue(j));
  }
  ASSERT_TRUE(outcome.Jackknife().has_value());
  EXPECT_EQ(outcome.Jackknife()->eigenvalues.size(), 4u);
  EXPECT_TRUE(outcome.Diagnostics().available);
  EXPECT_EQ(outcome.Diagnostics().influence, diagnostics.influence);
  EXPECT_EQ(outcome.Record().factorCount, 2u);
  EXPECT_TRUE(outcome.Record().matchAxes);
  EXPECT_EQ(outcome.Record().source.path, state.Source().path);
}

TEST(Analysis, AnOutcomeOnceMadeNeverChanges) {
  TAnalysis analysis;
  TRunData grouped = Iris();
  grouped.matrix.groups.assign(grouped.matrix.objectCount, "iris");
  grouped.matrix.groupName = "species";  // the column that gave them
  analysis.Compute(std::move(grouped), {.factorCount = 3});
  const std::shared_ptr<const TRunOutcome> first = analysis.Outcome();
  EXPECT_EQ(first->Data().groups.size(), 150u);
  EXPECT_EQ(first->Data().groupName, "species");
  const double firstValue = first->Results().eigenvalues.GetValue(1);
  const std::size_t firstLines = first->Listing().Lines().size();

  TRunOptions covariances;
  covariances.analysis.method = DispersionMethod::Covariance;
  covariances.analysis.jackknife = false;
  analysis.Compute(Iris(), covariances);
  EXPECT_NE(analysis.Outcome(), first);
  EXPECT_EQ(analysis.Outcome()->FactorCount(), 4u);  // 0: every variable
  EXPECT_FALSE(analysis.Outcome()->Jackknife().has_value());
  EXPECT_FALSE(analysis.Outcome()->Diagnostics().available);
  EXPECT_EQ(first->Results().eigenvalues.GetValue(1), firstValue);
  EXPECT_EQ(first->Listing().Lines().size(), firstLines);
  EXPECT_EQ(first->FactorCount(), 3u);

  // A failed run leaves the last outcome in place.
  const std::shared_ptr<const TRunOutcome> second = analysis.Outcome();
  EXPECT_THROW(analysis.Compute(Iris(), {.factorCount = 5}), Exception);
  EXPECT_EQ(analysis.Outcome(), second);
}

TEST(Analysis, RefusesWhatNoRunCanUse) {
  TAnalysis analysis;
  try {
    analysis.Compute(Iris(), {.factorCount = 5});
    FAIL() << "five factors of four variables";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "The number of factors must be between 1 and 4");
  }
  TRunData data = Iris();
  data.matrix.groups = {"setosa", "versicolor"};
  try {
    analysis.Compute(std::move(data), {});
    FAIL() << "two groups for 150 objects";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Groups must be given for every object");
  }
  TRunData masked = Iris();
  masked.matrix.missing = {0, 1};
  try {
    analysis.Compute(std::move(masked), {});
    FAIL() << "two flags for 600 values";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "The missing-value mask must have one flag per value");
  }
  EXPECT_EQ(analysis.Outcome(), nullptr);
}

TEST(Analysis, TheComponentsComputedAreThoseShownAndASecondForThePlot) {
  TAnalysis analysis;
  analysis.Compute(Iris(), {.threads = 1});
  const std::shared_ptr<const TRunOutcome> all = analysis.Outcome();
  EXPECT_EQ(all->ComponentCount(), 4u);
  const std::pair<TSize, TSize> shownAndComputed[] = {{1, 2}, {2, 2}, {3, 3}};
  for (const auto& [shown, computed] : shownAndComputed) {
    analysis.Compute(Iris(), {.factorCount = shown, .threads = 1});
    const TRunOutcome& outcome = *analysis.Outcome();
    EXPECT_EQ(outcome.ComponentCount(), computed) << shown;
    // What it counts are the scores every component has when all are shown.
    for (TSize c = 1; c <= computed; ++c)
      for (TSize i = 1; i <= 150; ++i)
        ASSERT_EQ(outcome.Results().scores.GetValue(i, c), all->Results().scores.GetValue(i, c));
  }
}

TEST(Analysis, AFollowedListingGetsTheLinesAsTheyComeAndKeepsThemOnFailure) {
  TAnalysis analysis;
  TReportListing live;
  std::string handedOn;
  live.PassOn("\n", [&](std::string_view text) { handedOn += text; });
  analysis.Compute(Iris(), {}, {.listing = &live});
  live.Flush();
  EXPECT_NE(handedOn.find("Eigenvectors"), std::string::npos);
  // What was handed on is not held twice.
  EXPECT_TRUE(analysis.Outcome()->Listing().Lines().empty());

  class TCancel : public TRunObserver {
    bool CancelRequested() override { return true; }
  } cancel;
  TReportListing kept;
  TRunData groups = Iris();
  groups.matrix.groups.assign(groups.matrix.objectCount, "one");
  EXPECT_THROW(analysis.Compute(std::move(groups), {}, {.observer = &cancel, .listing = &kept}),
               ERunCancelled);
  EXPECT_FALSE(kept.Lines().empty());  // the full sample's lines came before the jackknife
  EXPECT_TRUE(analysis.Outcome()->Data().groups.empty());
}

}  // namespace
}  // namespace talvex
