// Whole listings compared with the ones an independent model of the analysis
// wrote (golden/listing_model.py), for every method, transformation and
// factor rule, with and without the jackknife.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <regex>
#include <sstream>

#include "analysis/analysis_run.h"
#include "test_support.h"

namespace talvex {
namespace {

using testing::LoadFixture;
using testing::Request;

struct TGoldenCase {
  std::string name, data, method, transform, rule, jackknife;
  TSize factors = 0;
};

std::vector<TGoldenCase> ReadCases() {
  std::ifstream file(std::string(TALVEX_GOLDEN_DIR) + "/cases.txt");
  std::vector<TGoldenCase> cases;
  for (std::string line; std::getline(file, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    TGoldenCase c;
    fields >> c.name >> c.data >> c.method >> c.transform >> c.rule >> c.jackknife >> c.factors;
    cases.push_back(c);
  }
  return cases;
}

TAnalysisOptions OptionsOf(const TGoldenCase& c) {
  TAnalysisOptions o;
  o.method = c.method == "cov" ? DispersionMethod::Covariance : DispersionMethod::Correlation;
  o.transformation = c.transform == "log10" ? DataTransform::TransformDecimal
                     : c.transform == "ln"  ? DataTransform::TransformNatural
                                            : DataTransform::TransformRaw;
  o.factorRule = c.rule == "kaiser"    ? FactorRule::FactorsKaiser
                 : c.rule == "joliffe" ? FactorRule::FactorsJoliffe
                 : c.rule == "number"  ? FactorRule::FactorsNumber
                                       : FactorRule::FactorsAll;
  o.jackknife = c.jackknife == "on";
  return o;
}

// The three lines that depend on the machine and the moment, as placeholders.
std::string Normalised(const TReportListing& listing) {
  std::vector<std::string> lines = listing.Lines();
  EXPECT_TRUE(std::regex_match(lines.at(2), std::regex("Date of analysis - \\d{4}-\\d\\d-\\d\\d")));
  EXPECT_TRUE(std::regex_match(lines.at(3), std::regex("Time of analysis - \\d\\d:\\d\\d:\\d\\d")));
  EXPECT_EQ(lines.at(6).rfind("Input file name  - /", 0), 0u) << "not an absolute path";
  lines[2] = "Date of analysis - DATE";
  lines[3] = "Time of analysis - TIME";
  lines[6] = "Input file name  - PATH";
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

TEST(ListingGolden, EveryCaseMatchesTheIndependentModel) {
  const std::vector<TGoldenCase> cases = ReadCases();
  ASSERT_GE(cases.size(), 15u);
  for (const TGoldenCase& c : cases) {
    SCOPED_TRACE(c.name);
    const TDataMatrix data = LoadFixture(c.data);
    TAnalysisResults results;
    TReportListing listing;
    RunAnalysis(Request(OptionsOf(c), c.factors), data, results, listing);
    std::ifstream golden(std::string(TALVEX_GOLDEN_DIR) + "/" + c.name + ".txt", std::ios::binary);
    ASSERT_TRUE(golden) << "missing golden file";
    std::stringstream expected;
    expected << golden.rdbuf();
    EXPECT_EQ(Normalised(listing), expected.str());
  }
}

// The worked example of two variables correlated at 0.6, checked line by line
// against values derived by hand.
TEST(ListingGolden, TwoVariablesCorrelatedAtPointSix) {
  const TDataMatrix data = LoadFixture("r06.nts");
  for (FactorRule rule :
       {FactorRule::FactorsAll, FactorRule::FactorsKaiser, FactorRule::FactorsJoliffe}) {
    TAnalysisOptions options;
    options.factorRule = rule;
    options.jackknife = false;
    TAnalysisResults results;
    TReportListing listing;
    RunAnalysis(Request(options, 2), data, results, listing);
    const std::vector<std::string>& lines = listing.Lines();
    const auto at = [&](const std::string& line) {
      return std::find(lines.begin(), lines.end(), line) - lines.begin();
    };
    const auto table = at("i  Eigenvalue   % Variance  % Cumulative");
    ASSERT_LT(std::size_t(table), lines.size());
    EXPECT_EQ(lines[at("Trace = 2.0000000")], "Trace = 2.0000000");
    EXPECT_EQ(lines[at("Trace = 2.0000000") + 1], "Average root = 1.0000000");
    EXPECT_EQ(lines[table + 1], "1   1.600000      80.0000      80.0000");
    if (rule == FactorRule::FactorsAll) {
      EXPECT_EQ(lines[table + 2], "2   0.400000      20.0000     100.0000");
    } else {
      EXPECT_EQ(lines[table + 2], "");
    }
    EXPECT_NEAR(results.eigenvalues.GetValue(1), 1.6, 1e-14);
    EXPECT_NEAR(std::abs(results.eigenvectors.GetValue(2, 2)), std::sqrt(0.5), 1e-14);
  }
}

}  // namespace
}  // namespace talvex
