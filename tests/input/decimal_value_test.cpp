// Conversion of single data values: the accepted decimal forms and the texts
// that must fail with "Invalid numeric input".
#include "input/decimal_value.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

#include "test_support.h"

namespace talvex {
namespace {

TEST(DecimalValue, AcceptsSignsPointsAndExponents) {
  const struct {
    const char* text;
    double value;
  } cases[] = {
      {"0", 0.0},
      {"42", 42.0},
      {"-2.5", -2.5},
      {"+2.5", 2.5},
      {".5", 0.5},
      {"5.", 5.0},
      {"-.25", -0.25},
      {"1e3", 1000.0},
      {"1E3", 1000.0},
      {"1.5e+2", 150.0},
      {"-1.5E-2", -0.015},
      {"007", 7.0},
      {"0.1", 0.1},
      {"1e308", 1e308},
      {"4.9e-324", 4.9e-324},
      {"123456789012345678901234567890", 1.2345678901234568e29},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ParseDecimalValue(c.text), c.value);
  }
  EXPECT_TRUE(std::signbit(ParseDecimalValue("-0")));
}

TEST(DecimalValue, UnderflowReadsAsSignedZero) {
  EXPECT_EQ(ParseDecimalValue("1e-999"), 0.0);
  EXPECT_TRUE(std::signbit(ParseDecimalValue("-1e-400")));
  EXPECT_EQ(ParseDecimalValue("0.000001e-320"), 0.0);
  EXPECT_EQ(ParseDecimalValue("0e999"), 0.0);
}

TEST(DecimalValue, RefusesEverythingElse) {
  for (const char* text :
       {"",      "+",      "-",        ".",         "1,5",  "1.5.2",    "1e",  "1e+", "e5",
        "--1",   "+-1",    "-+1",      "inf",       "-inf", "infinity", "nan", "NaN", "0x10",
        "1e999", "-1e999", "1000e306", "0.001e400", "1d3",  "12a",      "1 2", "\xff"}) {
    SCOPED_TRACE(text);
    testing::ExpectThrowMessage<EConvertError>([&] { ParseDecimalValue(text); },
                                               "Invalid numeric input");
  }
}

TEST(DecimalValue, PointIsAFullStopWhateverTheLocale) {
  const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) std::setlocale(LC_NUMERIC, "C.UTF-8");
  EXPECT_EQ(ParseDecimalValue("1.5"), 1.5);
  testing::ExpectThrowMessage<EConvertError>([&] { ParseDecimalValue("1,5"); },
                                             "Invalid numeric input");
  std::setlocale(LC_NUMERIC, saved.c_str());
}

}  // namespace
}  // namespace talvex
