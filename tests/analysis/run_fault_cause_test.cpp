// A run that stops on a floating-point fault keeps the fault's own message
// and carries the cause the data show (the object, the variable, the count)
// as its detail; the fault's step and the listing do not change.
#include "analysis/run_fault_cause.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "analysis/analysis_run.h"
#include "test_support.h"

namespace talvex {
namespace {

using testing::LoadFixture;
using testing::Options;
using namespace testing::option_names;
using testing::Request;

const std::vector<std::string> FaultMessages = {"Invalid floating point operation",
                                                "Floating point division by zero",
                                                "Floating point overflow"};

// Rows of values; objects O1.., variables V1...
TDataMatrix Matrix(const std::vector<std::vector<double>>& rows) {
  TDataMatrix data;
  data.objectCount = TSize(rows.size());
  data.variableCount = TSize(rows[0].size());
  data.valueCount = data.objectCount * data.variableCount;
  data.values = TFloatVector(data.valueCount);
  TSize index = 0;
  for (const auto& row : rows)
    for (double value : row) data.values.SetValue(++index, value);
  for (TSize i = 1; i <= data.objectCount; ++i)
    data.objectLabels.push_back("O" + std::to_string(i));
  for (TSize j = 1; j <= data.variableCount; ++j)
    data.variableLabels.push_back("V" + std::to_string(j));
  return data;
}

struct TCauseCase {
  const char* name;
  TDataMatrix data;
  TAnalysisOptions options;
  std::string detail;
};

TEST(RunFaultCause, EachKnownCauseIsNamedBesideTheSpecifiedMessage) {
  const TCauseCase cases[] = {
      {"one object", LoadFixture("one_object.nts"), Options(Corr, Raw, true),
       "One object is too few: the analysis needs at least two."},
      {"ln of a negative value", LoadFixture("negative.nts"), Options(Cov, Ln, true),
       "Object OBJ2 has the value -1 in VAR1, which has no natural logarithm."},
      {"ln of zero", LoadFixture("zero.nts"), Options(Corr, Ln, false),
       "Object OBJ2 has the value 0 in VAR1, which has no natural logarithm."},
      {"several values without a logarithm", Matrix({{1.5, 2}, {2, -0.25}, {3, 1}, {-1e-7, 4}}),
       Options(Cov, Ln, false),
       "Object O2 has the value -0.25 in V2, which has no natural logarithm. 2 values in all "
       "are 0 or negative."},
      {"constant variable, correlations", LoadFixture("constant.nts"), Options(Corr, Raw, true),
       "The variable VAR2 is constant (standard deviation 0): its correlations are undefined."},
      {"constant variable, covariances", LoadFixture("constant.nts"), Options(Cov, Raw, true),
       "The variable VAR2 is constant (standard deviation 0): its correlations are undefined."},
      {"constant after decimal logarithms", Matrix({{1, -2}, {2, -3}, {4, 0}}),
       Options(Corr, Log10, false),
       "The variable V2 is constant after the logarithms (standard deviation 0): its "
       "correlations are undefined."},
      {"every variable constant, correlations", LoadFixture("all_constant.nts"),
       Options(Corr, Raw, false),
       "The variables SL and SW are constant (standard deviation 0): their correlations are "
       "undefined."},
      {"many constant variables", Matrix({{1, 2, 2, 2, 2, 2, 2, 2}, {3, 2, 2, 2, 2, 2, 2, 2}}),
       Options(Corr, Raw, false),
       "The variables V2, V3, V4, V5, V6 and 2 more are constant (standard deviation 0): their "
       "correlations are undefined."},
      {"zero total variance", LoadFixture("all_constant.nts"), Options(Cov, Raw, true),
       "Every variable is constant: the total variance is 0."},
      {"one constant variable alone", LoadFixture("one_constant_variable.nts"),
       Options(Cov, Raw, false), "The variable Size is constant: the total variance is 0."},
      {"two objects in the jackknife", LoadFixture("two_objects.nts"), Options(Corr, Raw, true),
       "Two objects are too few for the jackknife: without one of them, a single object is "
       "left."},
      {"constant without one object", LoadFixture("constant_without_one.nts"),
       Options(Corr, Raw, true),
       "Without object d the variable SW is constant (standard deviation 0), so its "
       "correlations in that jackknife sample are undefined."},
      {"constant without the first object", Matrix({{9, 1}, {2, 2}, {2, 3}, {2, 5}}),
       Options(Corr, Raw, true),
       "Without object O1 the variable V1 is constant (standard deviation 0), so its "
       "correlations in that jackknife sample are undefined."},
  };
  for (const TCauseCase& c : cases) {
    SCOPED_TRACE(c.name);
    TAnalysisResults results;
    TReportListing listing;
    try {
      RunAnalysis(Request(c.options, c.data.variableCount, 2), c.data, results, listing);
      ADD_FAILURE() << "the run did not fail";
    } catch (const Exception& e) {
      EXPECT_NE(std::find(FaultMessages.begin(), FaultMessages.end(), e.Message()),
                FaultMessages.end())
          << e.Message();
      EXPECT_EQ(e.Detail(), c.detail);
    }
  }
}

// Faults the data do not explain get no invented cause, and the causes of
// one stage are not given for the other.
TEST(RunFaultCause, NothingIsClaimedWithoutEvidence) {
  const TDataMatrix morph = LoadFixture("morph.nts");
  EXPECT_EQ(RunFaultCause(morph, Options(Corr, Ln, true), RunStage::FullSample), "");
  EXPECT_EQ(RunFaultCause(morph, Options(Corr, Raw, true), RunStage::Jackknife), "");
  // Without object d SW is constant, but only the jackknife leaves d out.
  const TDataMatrix oneOut = LoadFixture("constant_without_one.nts");
  EXPECT_EQ(RunFaultCause(oneOut, Options(Corr, Raw, true), RunStage::FullSample), "");
  // Under covariances the jackknife divides by no standard deviation.
  EXPECT_EQ(RunFaultCause(oneOut, Options(Cov, Raw, true), RunStage::Jackknife), "");
}

// Other failures keep their own text and no detail.
TEST(RunFaultCause, OnlyFloatingPointFaultsAreExplained) {
  const TDataMatrix data = LoadFixture("one_object.nts");
  TAnalysisResults results;
  TReportListing listing;
  try {
    RunAnalysis(Request(Options(Corr, Raw, false), 4), data, results, listing);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "The number of factors must be between 1 and 3");
    EXPECT_EQ(e.Detail(), "");
  }
}

}  // namespace
}  // namespace talvex
