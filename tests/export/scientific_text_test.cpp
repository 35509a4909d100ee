// The 23-character number form: the documented examples, rounding at the
// 16th significant digit (carries, exact ties), signs, extremes, and a
// comparison over thousands of doubles with an exact decimal reference.
#include "export/scientific_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>

#include "export_test_support.h"

namespace talvex {
namespace {

TEST(ScientificText, DocumentedExamples) {
  EXPECT_EQ(ScientificText(1.5), " 1.50000000000000E+0000");
  EXPECT_EQ(ScientificText(-0.25), "-2.50000000000000E-0001");
  EXPECT_EQ(ScientificText(0.0), " 0.00000000000000E+0000");
  EXPECT_EQ(ScientificText(12345.678), " 1.23456780000000E+0004");
  // The carry out of the first digit raises the exponent.
  EXPECT_EQ(ScientificText(9.999999999999998), " 1.00000000000000E+0001");
  EXPECT_EQ(ScientificText(-9.999999999999998), "-1.00000000000000E+0001");
}

TEST(ScientificText, SignOfZeroAndNotFiniteValues) {
  EXPECT_EQ(ScientificText(-0.0), " 0.00000000000000E+0000");
  EXPECT_EQ(ScientificText(std::numeric_limits<double>::quiet_NaN()), std::string(20, ' ') + "Nan");
  EXPECT_EQ(ScientificText(-std::numeric_limits<double>::quiet_NaN()),
            std::string(20, ' ') + "Nan");
  EXPECT_EQ(ScientificText(HUGE_VAL), std::string(19, ' ') + "+Inf");
  EXPECT_EQ(ScientificText(-HUGE_VAL), std::string(19, ' ') + "-Inf");
}

TEST(ScientificText, SixteenthDigitFiveRoundsUp) {
  // Exactly representable ties round up, also where the 15th digit is even
  // (round-half-even would keep it).
  EXPECT_EQ(ScientificText(1000000000000005.0), " 1.00000000000001E+0015");
  EXPECT_EQ(ScientificText(123456789012344.5), " 1.23456789012345E+0014");
  EXPECT_EQ(ScientificText(-123456789012344.5), "-1.23456789012345E+0014");
  EXPECT_EQ(ScientificText(1000000000000004.0), " 1.00000000000000E+0015");
  // 0.30000000000000004: the 16th digit is 0.
  EXPECT_EQ(ScientificText(0.1 + 0.2), " 3.00000000000000E-0001");
  // 2^53 + 2 = 9007199254740994: 16th digit 4 stays down.
  EXPECT_EQ(ScientificText(9007199254740994.0), " 9.00719925474099E+0015");
}

TEST(ScientificText, ExtremesKeepFourExponentDigits) {
  EXPECT_EQ(ScientificText(std::numeric_limits<double>::max()), " 1.79769313486232E+0308");
  EXPECT_EQ(ScientificText(std::numeric_limits<double>::denorm_min()), " 4.94065645841247E-0324");
  EXPECT_EQ(ScientificText(-std::numeric_limits<double>::min()), "-2.22507385850720E-0308");
  EXPECT_EQ(ScientificText(1e-5), " 1.00000000000000E-0005");
  EXPECT_EQ(ScientificText(1e100), " 1.00000000000000E+0100");
}

// Doubles from every part of the range, and doubles next to 15-digit ties,
// where only the exact value decides.
std::vector<double> ReferenceCases() {
  std::vector<double> cases;
  std::mt19937_64 generator(20240611);
  std::uniform_int_distribution<std::uint64_t> bits;
  for (int i = 0; i < 1500; ++i) {
    double x;
    std::uint64_t b = bits(generator);
    std::memcpy(&x, &b, sizeof x);
    if (std::isfinite(x)) cases.push_back(x);
  }
  std::uniform_int_distribution<std::int64_t> mantissa(100000000000000, 999999999999999);
  std::uniform_int_distribution<int> exponent(-320, 290);
  for (int i = 0; i < 1500; ++i) {
    char text[64];
    std::snprintf(text, sizeof text, "%lld5e%d", static_cast<long long>(mantissa(generator)),
                  exponent(generator));
    const double tie = std::strtod(text, nullptr);
    cases.push_back(tie);
    cases.push_back(std::nextafter(tie, 0.0));
    cases.push_back(-std::nextafter(tie, HUGE_VAL));
  }
  for (std::int64_t n = 1000000000000005; n < 1000000000000005 + 2000; n += 10) {
    cases.push_back(double(n));
  }
  return cases;
}

TEST(ScientificText, AgreesWithExactDecimalReference) {
  if (!testing::HasPythonModule("decimal")) GTEST_SKIP() << "no " << testing::Python;
  testing::TScratchFolder folder;
  const std::vector<double> cases = ReferenceCases();
  {
    std::FILE* out = std::fopen((folder / "cases.txt").c_str(), "w");
    for (double x : cases) std::fprintf(out, "%a\n", x);
    std::fclose(out);
  }
  int status = 0;
  const std::string expected = testing::RunCommand(
      std::string(testing::Python) + " " + testing::TestData("scientific_reference.py") + " < " +
          (folder / "cases.txt"),
      &status);
  ASSERT_EQ(status, 0);
  std::istringstream lines(expected);
  std::string line;
  std::size_t index = 0;
  int mismatches = 0;
  while (std::getline(lines, line) && index < cases.size()) {
    const double x = cases[index++];
    if (ScientificText(x) != line && ++mismatches <= 10) {
      ADD_FAILURE() << std::hexfloat << x << ": " << ScientificText(x) << " != " << line;
    }
  }
  EXPECT_EQ(index, cases.size());
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
}  // namespace talvex
