// Supplementary items: they never change the analysis or its listing; an
// active object given again as a supplementary one gets its own scores; the
// jackknife of the items is the same on any number of threads; bad input is
// refused with its place, before the run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "supplementary/supplementary_input.h"
#include "supplementary/supplementary_split.h"
#include "talvex/talvex.h"
#include "tests/api/api_test_support.h"

namespace talvex {
namespace {

using testing::Iris;
using testing::Undated;

std::vector<double> Row(const TDataMatrix& data, TSize i) {
  const double* row = data.values.Data() + std::size_t(i - 1) * data.variableCount;
  return {row, row + data.variableCount};
}

// Every kind of item: two outlying objects (one with a group), a variable,
// and a qualitative variable.
TSupplementaryData AllKinds(const TDataMatrix& data) {
  TSupplementaryData s;
  s.objects.labels = {"fossil", "odd"};
  s.objects.values = {9.5, 4.0, 7.5, 3.0, 5.0, 3.0, 1.5, 0.3};
  s.variables.labels = {"size"};
  TQualitativeVariable site{"site", {}, {"cave", ""}};
  for (TSize i = 1; i <= data.objectCount; ++i) {
    s.variables.values.push_back(Row(data, i)[0] * Row(data, i)[2] + 0.1 * (i % 7));
    site.activeLevels.push_back(i % 3 == 0 ? "cave" : "river");
  }
  s.qualitative.push_back(site);
  return s;
}

TEST(Supplementary, NeverChangeTheListingOrTheResults) {
  for (const bool matchAxes : {false, true}) {
    TRunOptions options{.factorCount = 3, .diagnostics = {.matchAxes = matchAxes}};
    options.analysis.method = DispersionMethod::Covariance;
    options.analysis.transformation = DataTransform::TransformDecimal;
    TAnalysis plain, placed;
    plain.Compute(Iris(), options);
    TRunData data = Iris();
    data.matrix.groups.assign(data.matrix.objectCount, "iris");
    data.supplementary = AllKinds(data.matrix);
    placed.Compute(std::move(data), options);
    EXPECT_EQ(Undated(placed.Outcome()->Listing().Lines()),
              Undated(plain.Outcome()->Listing().Lines()));
    EXPECT_EQ(placed.Outcome()->Listing().Lines().size(),
              plain.Outcome()->Listing().Lines().size());
    EXPECT_EQ(placed.Outcome()->Diagnostics().influence, plain.Outcome()->Diagnostics().influence);
    const TSupplementaryResults& s = placed.Outcome()->Supplementary();
    ASSERT_TRUE(s.available);
    EXPECT_TRUE(s.jackknife);
    EXPECT_EQ(s.scores.size(), 2u * 3);
    EXPECT_EQ(s.correlations.size(), 3u);
    ASSERT_EQ(s.groups.size(), 2u);  // the group column, then "site"
    EXPECT_EQ(s.groups[1].levels, (std::vector<std::string>{"river", "cave"}));
    EXPECT_EQ(s.groups[1].supplementaryCounts, (std::vector<TSize>{0, 1}));
    EXPECT_FALSE(plain.Outcome()->Supplementary().available);
    EXPECT_EQ(s.matchAxes, matchAxes);
    // The joint ellipses' covariances are covariances: within the product
    // of the two standard errors.
    ASSERT_EQ(s.ellipseAxes, 3u);
    for (std::size_t o = 0; o < 2; ++o) {
      const double cov = s.scoreCovariances[o * s.Pairs() + s.PairIndex(1, 3)];
      EXPECT_NE(cov, 0.0);
      EXPECT_LE(std::fabs(cov), s.Score(o, 1).standardError * s.Score(o, 3).standardError);
    }
  }
}

// The property: an object's supplementary scores are those it gets as an
// active object of a data set whose means, standard deviations and axes are
// the full sample's. Each active object, given again as a supplementary one,
// must therefore get its listed scores: forgetting the transformation, the
// centring or the scaling would move them.
TEST(Supplementary, AnActiveObjectPlacedAgainGetsItsOwnScores) {
  for (const auto method : {DispersionMethod::Correlation, DispersionMethod::Covariance}) {
    for (const auto transform : {DataTransform::TransformRaw, DataTransform::TransformDecimal,
                                 DataTransform::TransformNatural}) {
      TRunData data = Iris();
      // A large common offset under no transformation tests the centring.
      if (transform == DataTransform::TransformRaw)
        for (std::size_t v = 0; v < data.matrix.valueCount; ++v)
          data.matrix.values.Data()[v] += 1e4;
      for (TSize i = 1; i <= data.matrix.objectCount; ++i) {
        data.supplementary.objects.labels.push_back(data.matrix.objectLabels[i - 1]);
        for (const double x : Row(data.matrix, i)) data.supplementary.objects.values.push_back(x);
      }
      TRunOptions options{.factorCount = 4};
      options.analysis.method = method;
      options.analysis.transformation = transform;
      options.analysis.jackknife = false;
      TAnalysis analysis;
      analysis.Compute(std::move(data), options);
      const TRunOutcome& outcome = *analysis.Outcome();
      const TSupplementaryResults& s = outcome.Supplementary();
      ASSERT_TRUE(s.available);
      EXPECT_FALSE(s.jackknife);
      double worst = 0.0;
      for (TSize i = 1; i <= outcome.Data().objectCount; ++i) {
        for (TSize a = 1; a <= 4; ++a) {
          const double active = outcome.Results().scores.GetValue(i, a);
          worst = std::max(worst, std::fabs(s.Score(i - 1, a).value - active));
        }
      }
      EXPECT_LT(worst, 1e-9) << "method " << int(method) << ", transformation " << int(transform);
      EXPECT_TRUE(std::isnan(s.Score(0, 1).standardError));
    }
  }
}

// A supplementary variable equal to an active one correlates with the
// components as the active one does.
TEST(Supplementary, AVariableGivenAgainCorrelatesAsTheActiveOne) {
  for (const auto method : {DispersionMethod::Correlation, DispersionMethod::Covariance}) {
    TRunData data = Iris();
    const TSize n = data.matrix.objectCount;
    data.supplementary.variables.labels = {"again"};
    for (TSize i = 1; i <= n; ++i)
      data.supplementary.variables.values.push_back(Row(data.matrix, i)[1]);
    TRunOptions options{.factorCount = 4};
    options.analysis.method = method;
    TAnalysis analysis;
    analysis.Compute(std::move(data), options);
    const TRunOutcome& outcome = *analysis.Outcome();
    for (TSize a = 1; a <= 4; ++a)
      EXPECT_NEAR(outcome.Supplementary().Correlation(0, a).value,
                  outcome.Results().tables.correlations.GetValue(2, a), 1e-12);
  }
}

// With imputed cells the items are placed on the completed data: an active
// object without gaps placed again gets its own scores, and an active
// variable given again its own correlations, whatever the missing cells of
// the other objects hold.
TEST(Supplementary, ItemsArePlacedOnTheCompletedData) {
  for (const auto method : {DispersionMethod::Correlation, DispersionMethod::Covariance}) {
    TRunData data = Iris();
    const TSize n = data.matrix.objectCount, p = data.matrix.variableCount;
    data.matrix.missing.assign(data.matrix.valueCount, 0);
    for (TSize i = 4; i < n; i += 9) {
      data.matrix.missing[std::size_t(i) * p + 1 + i % 3] = 1;
      data.matrix.values.Data()[std::size_t(i) * p + 1 + i % 3] = 0.0;
    }
    data.supplementary.objects.labels = {"again"};
    for (const double x : Row(data.matrix, 1)) data.supplementary.objects.values.push_back(x);
    data.supplementary.variables.labels = {"again"};
    for (TSize i = 1; i <= n; ++i)
      data.supplementary.variables.values.push_back(Row(data.matrix, i)[0]);
    TRunOptions options{.factorCount = 4};
    options.analysis.method = method;
    options.analysis.jackknife = false;
    TAnalysis analysis;
    analysis.Compute(std::move(data), options);
    const TRunOutcome& outcome = *analysis.Outcome();
    ASSERT_TRUE(outcome.Results().tables.imputation);
    const TSupplementaryResults& s = outcome.Supplementary();
    for (TSize a = 1; a <= 4; ++a) {
      EXPECT_NEAR(s.Score(0, a).value, outcome.Results().scores.GetValue(1, a), 1e-9);
      EXPECT_NEAR(s.Correlation(0, a).value, outcome.Results().tables.correlations.GetValue(1, a),
                  1e-12);
    }
  }
}

TEST(Supplementary, TheJackknifeIsTheSameOnAnyNumberOfThreads) {
  std::vector<TSupplementaryValue> first;
  for (const unsigned threads : {1u, 2u, 3u}) {
    TRunData data = Iris();
    data.supplementary = AllKinds(data.matrix);
    TAnalysis analysis;
    analysis.Compute(std::move(data), {.factorCount = 2, .threads = threads});
    const TSupplementaryResults& s = analysis.Outcome()->Supplementary();
    if (first.empty()) {
      first = s.scores;
      ASSERT_GT(first[0].standardError, 0.0);
      continue;
    }
    for (std::size_t v = 0; v < first.size(); ++v) {
      EXPECT_EQ(s.scores[v].estimate, first[v].estimate);
      EXPECT_EQ(s.scores[v].standardError, first[v].standardError);
    }
  }
}

// A value that a sample leaves undefined is NaN; it never stops the run
// nor reaches its status flags.
TEST(Supplementary, UndefinedValuesAreNanAndNeverStopTheRun) {
  TRunData data = Iris();
  data.supplementary.variables.labels = {"constant"};
  data.supplementary.variables.values.assign(150, 5.0);
  TQualitativeVariable site{"site", std::vector<std::string>(150, "river"), {}};
  site.activeLevels[7] = "solo";  // without object 8 the group has no member
  data.supplementary.qualitative.push_back(site);
  TAnalysis analysis;
  analysis.Compute(std::move(data), {.factorCount = 2});
  const TSupplementaryResults& s = analysis.Outcome()->Supplementary();
  EXPECT_TRUE(std::isnan(s.Correlation(0, 1).value));
  const TGroupMeans& sites = s.groups.back();
  ASSERT_EQ(sites.levels, (std::vector<std::string>{"river", "solo"}));
  EXPECT_TRUE(std::isfinite(sites.means[2].value));
  EXPECT_TRUE(std::isnan(sites.means[2].standardError));
  EXPECT_TRUE(std::isfinite(sites.means[0].standardError));
  EXPECT_TRUE(analysis.Outcome()->Jackknife().has_value());
}

void ExpectRefused(const TDataMatrix& data, const TSupplementaryData& s, DataTransform transform,
                   const std::string& message, const std::string& detail) {
  try {
    PrepareSupplementary(data, s, transform);
    ADD_FAILURE() << "not refused: " << message;
  } catch (const ESupplementaryRefused& e) {
    EXPECT_EQ(e.Message(), message);
    EXPECT_EQ(e.Detail(), detail);
  }
}

TEST(Supplementary, BadInputIsRefusedWithItsPlace) {
  const TRunData iris = Iris();
  TSupplementaryData s;
  s.objects.labels = {"a", "b"};
  s.objects.values = {1, 2, 3, 4, 5, 6, 0, 8};
  s.objects.places = {"fossils.csv, object 1", "fossils.csv, object 2"};
  ExpectRefused(iris.matrix, s, DataTransform::TransformNatural,
                "Natural logarithm of a value <= 0 in a supplementary object",
                "supplementary object \"b\" (fossils.csv, object 2), variable \"PetalLen\": 0");
  // Decimal logarithms take it as 0, as for the active data, and say so.
  const TPreparedSupplementary prepared =
      PrepareSupplementary(iris.matrix, s, DataTransform::TransformDecimal);
  EXPECT_EQ(prepared.objectRows[6], 0.0);
  EXPECT_EQ(prepared.warnings,
            std::vector<std::string>{
                "log10 of 1 value <= 0 in PetalLen (supplementary objects) was taken as 0"});
  s.objects.values[1] = std::numeric_limits<double>::quiet_NaN();
  ExpectRefused(iris.matrix, s, DataTransform::TransformRaw,
                "Missing value in a supplementary object",
                "supplementary object \"a\" (fossils.csv, object 1), variable \"SepalWid\"");
  s.objects.values.pop_back();
  ExpectRefused(iris.matrix, s, DataTransform::TransformRaw,
                "Supplementary objects need a value for every variable",
                "2 objects and 4 variables, but 7 values");
  TSupplementaryData v;
  v.variables.labels = {"temp"};
  v.variables.values.assign(150, 1.0);
  v.variables.values[20] = std::numeric_limits<double>::quiet_NaN();
  ExpectRefused(iris.matrix, v, DataTransform::TransformRaw,
                "Missing value in a supplementary variable", "variable \"temp\", object 21");

  // A refused run leaves the last outcome as it was.
  TAnalysis analysis;
  analysis.Compute(Iris(), {});
  const auto before = analysis.Outcome();
  TRunData bad = Iris();
  bad.supplementary = s;
  EXPECT_THROW(analysis.Compute(std::move(bad), {}), ESupplementaryRefused);
  EXPECT_EQ(analysis.Outcome(), before);
}

void ExpectSplitRefused(TDataMatrix data, const TSupplementaryRowPick& pick,
                        const std::string& message, const std::string& detail) {
  const TDataMatrix before = data;
  try {
    SplitSupplementary(data, pick);
    ADD_FAILURE() << "not refused: " << message;
  } catch (const ESupplementaryRefused& e) {
    EXPECT_EQ(e.Message(), message);
    EXPECT_EQ(e.Detail(), detail);
    EXPECT_EQ(data.objectCount, before.objectCount);
  }
}

TEST(Supplementary, RowsArePickedByGroupOrLabel) {
  TDataMatrix data = Iris().matrix;
  data.groups.assign(150, "setosa");
  for (TSize i = 50; i < 150; ++i) data.groups[i] = i < 100 ? "versicolor" : "virginica";
  data.groupName = "species";
  TDataMatrix picked = data;
  const TSupplementaryData s = SplitSupplementary(picked, {"Species", {"virginica"}});
  EXPECT_EQ(picked.objectCount, 100u);
  EXPECT_EQ(picked.valueCount, 400u);
  EXPECT_EQ(picked.groups.size(), 100u);
  EXPECT_EQ(s.objects.labels.size(), 50u);
  EXPECT_EQ(s.objects.labels[0], data.objectLabels[100]);
  EXPECT_EQ(s.objects.values[4], data.values.Data()[404]);
  EXPECT_EQ(s.objects.groups[0], "virginica");
  EXPECT_EQ(picked.values.Data()[399], data.values.Data()[399]);

  TDataMatrix byLabel = data;
  SplitSupplementary(byLabel, {"label", {"setosa01", "virgin50"}});
  EXPECT_EQ(byLabel.objectCount, 148u);
  EXPECT_EQ(byLabel.objectLabels.front(), "setosa02");

  ExpectSplitRefused(data, {"species", {"setosa", "versicolor", "virginica"}},
                     "All objects are supplementary",
                     "column \"species\" picks all 150 objects; the axes need active ones");
  ExpectSplitRefused(data, {"species", {"virginca"}}, "No object has that value",
                     "column \"species\": \"virginca\"");
  ExpectSplitRefused(
      data, {"site", {"cave"}}, "No such column",
      "rows picked by column \"site\"; rows can be picked by \"label\", \"species\"");

  // Cells to impute: the active objects keep their flags in step with their
  // values, and a supplementary object's gap cannot be filled.
  TDataMatrix gaps = data;
  gaps.missing.assign(600, 0);
  gaps.missing[4 * 10 + 1] = 1;   // object 11, setosa
  gaps.missing[4 * 120 + 2] = 1;  // object 121, virginica
  TDataMatrix kept = gaps;
  SplitSupplementary(kept, {"species", {"versicolor"}});
  ASSERT_EQ(kept.missing.size(), 400u);
  EXPECT_EQ(kept.missing[41], 1);
  EXPECT_EQ(kept.missing[4 * 70 + 2], 1);
  EXPECT_EQ(std::count(kept.missing.begin(), kept.missing.end(), 1), 2);
  ExpectSplitRefused(gaps, {"species", {"virginica"}}, "Missing value in a supplementary object",
                     "object 121 \"" + data.objectLabels[120] + "\", variable \"" +
                         data.variableLabels[2] +
                         "\": only the active objects' missing values "
                         "are imputed");
}

TEST(Supplementary, AFileIsMatchedByVariableName) {
  const TDataMatrix active = Iris().matrix;
  TDataMatrix file;
  file.objectCount = 1;
  file.variableCount = 4;
  file.valueCount = 4;
  file.variableLabels = {"petalwid", "SepalLen", "PetalLen", "SepalWid"};
  file.objectLabels = {"fossil"};
  file.values = TFloatVector(4);
  for (TSize j = 1; j <= 4; ++j) file.values.SetValue(j, double(j));
  TSupplementaryObjects objects;
  AddSupplementaryFile(objects, active, file, "fossils.nts");
  EXPECT_EQ(objects.values, (std::vector<double>{2, 4, 3, 1}));
  EXPECT_EQ(objects.places, std::vector<std::string>{"fossils.nts, object 1"});
  file.variableLabels[2] = "Length";
  try {
    AddSupplementaryFile(objects, active, file, "fossils.nts");
    ADD_FAILURE() << "not refused";
  } catch (const ESupplementaryRefused& e) {
    EXPECT_EQ(e.Message(), "Supplementary file lacks a variable");
    EXPECT_EQ(e.Detail(),
              "fossils.nts: no variable \"PetalLen\"; it has \"petalwid\", \"SepalLen\", "
              "\"Length\", \"SepalWid\"");
  }
}

}  // namespace
}  // namespace talvex
