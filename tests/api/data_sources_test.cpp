// A program's values as the data of a run: every bit kept, in either layout;
// missing values refused or left out as a table's; labels that do not fit
// refused; and the jackknife in parts through the entry point.
#include "talvex/data_sources.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "input/data_reader.h"
#include "talvex/jackknife_parts.h"
#include "talvex/option_names.h"

namespace talvex {
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

TValueTable Table(const std::vector<double>& values, TSize n, TSize p) {
  TValueTable table;
  table.objectCount = n;
  table.variableCount = p;
  table.values = values;
  return table;
}

TEST(DataSources, ValuesKeepEveryBitInEitherLayout) {
  // Values that a short decimal text would not give back exactly.
  const std::vector<double> rows{0.1 + 0.2, 1e-300, -7.0, 1.0 / 3.0, 6.02214076e23, 2.5};
  const std::vector<double> columns{rows[0], rows[2], rows[4], rows[1], rows[3], rows[5]};
  TValueTable byRows = Table(rows, 3, 2);
  byRows.objectLabels = {"a", "NA", "c"};
  byRows.variableNames = {"x", "y"};
  byRows.groups = {"g", "h", "g"};
  byRows.title = "frame";
  TValueTable byColumns = byRows;
  byColumns.values = columns;
  byColumns.columnMajor = true;
  for (const TValueTable& table : {byRows, byColumns}) {
    const TRunData data = RunDataOfValues(table, TMissingPolicy::Refuse);
    const TDataMatrix& m = data.matrix;
    ASSERT_EQ(m.valueCount, 6u);
    EXPECT_EQ(std::memcmp(m.values.Data(), rows.data(), 6 * sizeof(double)), 0);
    // A label that reads like a missing value is a name.
    EXPECT_EQ(m.objectLabels, (std::vector<std::string>{"a", "NA", "c"}));
    EXPECT_EQ(m.variableLabels, (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(m.groups, (std::vector<std::string>{"g", "h", "g"}));
    EXPECT_EQ(m.title, "frame");
    EXPECT_EQ(data.source.kind, TSourceKind::PastedData);
  }
  const TRunData unnamed = RunDataOfValues(Table(rows, 3, 2), TMissingPolicy::Refuse);
  EXPECT_EQ(unnamed.matrix.objectLabels, (std::vector<std::string>{"OBJ1", "OBJ2", "OBJ3"}));
  EXPECT_EQ(unnamed.matrix.variableLabels, (std::vector<std::string>{"VAR1", "VAR2"}));
  EXPECT_TRUE(unnamed.matrix.groups.empty());
}

TEST(DataSources, MissingValuesAreRefusedOrTheirObjectsLeftOut) {
  const std::vector<double> values{1, 2, NaN, 3, 4, 5, 6, 8};
  TValueTable table = Table(values, 4, 2);
  table.objectLabels = {"a", "b", "c", "d"};
  try {
    RunDataOfValues(table, TMissingPolicy::Refuse);
    ADD_FAILURE() << "accepted";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Missing value in table");
    EXPECT_EQ(e.Detail(),
              "row 2 (data row 2, object \"b\"), column \"VAR1\": \"\" is a missing value");
  }
  TImportReport report;
  const TRunData data = RunDataOfValues(table, TMissingPolicy::Omit, &report);
  EXPECT_EQ(data.matrix.objectLabels, (std::vector<std::string>{"a", "c", "d"}));
  EXPECT_EQ(data.matrix.notes.back(), "1 object with missing values left out: b");
  EXPECT_EQ(report.omittedRows, std::vector<TSize>{2});
  EXPECT_TRUE(data.source.omitMissing);
  // Infinity is no missing value but no number either.
  const std::vector<double> infinite{1, 2, INFINITY, 3, 4, 5};
  EXPECT_THROW(RunDataOfValues(Table(infinite, 3, 2), TMissingPolicy::Omit), Exception);
}

TEST(DataSources, LabelsThatDoNotFitAreRefused) {
  const std::vector<double> values{1, 2, 3, 4};
  TValueTable table = Table(values, 2, 2);
  table.objectLabels = {"a"};
  try {
    RunDataOfValues(table, TMissingPolicy::Refuse);
    ADD_FAILURE() << "accepted";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "The labels do not match the values");
    EXPECT_EQ(e.Detail(), "1 object labels for 2");
  }
  EXPECT_THROW(RunDataOfValues(Table(values, 3, 2), TMissingPolicy::Refuse), Exception);
}

TEST(OptionNames, NameEveryChoiceAndRefuseOthers) {
  EXPECT_EQ(MethodNamed("covariance"), DispersionMethod::Covariance);
  EXPECT_EQ(TransformNamed("ln"), DataTransform::TransformNatural);
  EXPECT_EQ(RuleNamed("joliffe"), FactorRule::FactorsJoliffe);
  EXPECT_EQ(MissingPolicyNamed("omit"), TMissingPolicy::Omit);
  for (const std::string& name : MissingPolicyNames()) EXPECT_NO_THROW(MissingPolicyNamed(name));
  try {
    MethodNamed("pearson");
    ADD_FAILURE() << "accepted";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Unknown method 'pearson' (one of: correlation, covariance)");
  }
}

TEST(JackknifeParts, MergedThroughTheEntryPointTheyAreTheRunsJackknife) {
  TRunData iris{.path = std::string(TALVEX_SOURCE_DIR) + "/examples/iris.nts"};
  ReadDataFile(iris.path, iris.matrix);
  TRunOptions options;
  options.analysis.method = DispersionMethod::Covariance;
  options.analysis.transformation = DataTransform::TransformDecimal;
  options.factorCount = 2;
  TAnalysis analysis;
  analysis.Compute(iris, options);
  const TJackknifeResults& whole = *analysis.Outcome()->Jackknife();
  const std::vector<TJackknifePart> parts{ComputeJackknifePart(iris, options, 51, 150),
                                          ComputeJackknifePart(iris, options, 1, 50)};
  const TJackknifeResults merged = MergeJackknifeParts(parts).jackknife;
  const auto same = [](const std::vector<TJackknifeStatistic>& a,
                       const std::vector<TJackknifeStatistic>& b) {
    return a.size() == b.size() &&
           std::memcmp(a.data(), b.data(), a.size() * sizeof(TJackknifeStatistic)) == 0;
  };
  EXPECT_TRUE(same(merged.eigenvalues, whole.eigenvalues));
  EXPECT_TRUE(same(merged.vectors, whole.vectors));
  EXPECT_TRUE(same(merged.macs, whole.macs));
  EXPECT_EQ(merged.macs.size(), 4u);
}

}  // namespace
}  // namespace talvex
