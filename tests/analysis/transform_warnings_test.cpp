// Warnings about values that decimal logarithms take as 0.
#include "analysis/transform_warnings.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace talvex {
namespace {

using testing::LoadFixture;

TAnalysisOptions With(DataTransform transformation) {
  TAnalysisOptions options;
  options.transformation = transformation;
  return options;
}

TEST(TransformWarnings, OneLinePerVariableWithValuesAtOrBelowZero) {
  const struct {
    const char* file;
    DataTransform transformation;
    std::vector<std::string> warnings;
  } cases[] = {
      {"signs.nts",
       DataTransform::TransformDecimal,
       {"log10 of 2 values <= 0 in SL were taken as 0",
        "log10 of 1 value <= 0 in PL was taken as 0"}},
      {"zero.nts",
       DataTransform::TransformDecimal,
       {"log10 of 1 value <= 0 in VAR1 was taken as 0"}},
      {"morph.nts", DataTransform::TransformDecimal, {}},
      // Only decimal logarithms take such values as 0.
      {"signs.nts", DataTransform::TransformNatural, {}},
      {"signs.nts", DataTransform::TransformRaw, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    EXPECT_EQ(TransformWarnings(LoadFixture(c.file), With(c.transformation)), c.warnings);
  }
}

}  // namespace
}  // namespace talvex
