// The listing's fixed-point fields are printf's "%<width>.<decimals>f" to the
// character: against the exact conversion for values of every magnitude, for
// decimal ties and the doubles beside them, signed zeros, values too large
// for integer arithmetic, and the field widths.
#include "analysis/listing_fields.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace talvex {
namespace {

std::string Exact(double x, int width, int decimals) {
  char buffer[400];
  char* end =
      std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::fixed, decimals).ptr;
  std::string digits(buffer, end);
  return std::string(width > int(digits.size()) ? std::size_t(width) - digits.size() : 0, ' ') +
         digits;
}

void ExpectExact(double x, int decimals) {
  ASSERT_EQ(FloatField(x, 10, decimals), Exact(x, 10, decimals))
      << std::hexfloat << x << " with " << decimals << " decimals";
}

TEST(ListingFields, AgreeWithTheExactConversion) {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> exponent(-12.0, 17.0);
  for (int decimals = 0; decimals <= 9; ++decimals) {
    for (int i = 0; i < 100000; ++i) {
      const double magnitude = std::pow(10.0, exponent(rng));
      ExpectExact(i % 2 ? -magnitude : magnitude, decimals);
    }
  }
}

TEST(ListingFields, TiesAndTheirNeighboursRoundAsTheExactValue) {
  std::vector<double> values;
  // Exact binary ties at the last decimal (0.03125 = 1/32, 1.03125, 2.5e-5
  // is not one) and decimal ties that no double represents exactly.
  for (double tie : {0.03125, 1.03125, 0.5, 2.5, 1234.5, 0.00005, 0.00015, 0.12345, 2.675, 1.0005,
                     0.125, 0.375, 999.99995, 4503599627370495.5}) {
    values.push_back(tie);
    values.push_back(std::nextafter(tie, 0.0));
    values.push_back(std::nextafter(tie, 1e300));
  }
  for (int k = 0; k < 4096; ++k) values.push_back((2 * k + 1) / 8192.0);  // ties at 4 decimals
  for (double x : values) {
    for (int decimals = 0; decimals <= 8; ++decimals) {
      ExpectExact(x, decimals);
      ExpectExact(-x, decimals);
    }
  }
  // The doubles nearest the decimal ties of each precision, and a few either
  // side: there the product with the power of ten can round across the tie.
  std::mt19937_64 rng(11);
  for (int decimals = 1; decimals <= 8; ++decimals) {
    std::uniform_int_distribution<long long> units(0, decimals < 6 ? 100000000 : 1000000000);
    for (int i = 0; i < 20000; ++i) {
      double x = (2.0 * double(units(rng)) + 1.0) / (2.0 * std::pow(10.0, decimals));
      for (int step = 0; step < 3; ++step) x = std::nextafter(x, 0.0);
      for (int step = 0; step < 7; ++step, x = std::nextafter(x, 1e300)) ExpectExact(x, decimals);
    }
  }
}

TEST(ListingFields, SignsLargeValuesAndWidths) {
  for (int decimals : {0, 4, 8}) {
    for (double x :
         {0.0, -0.0, -1e-9, 1e-9, 1e15, -1e15, 9.99999999e14, 1e300, -1e300,
          std::numeric_limits<double>::max(), std::numeric_limits<double>::denorm_min(),
          -std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::infinity(),
          -std::numeric_limits<double>::infinity()}) {
      ExpectExact(x, decimals);
    }
  }
  EXPECT_EQ(FloatField(-0.00001, 10, 4), "   -0.0000");
  EXPECT_EQ(FloatField(1234567.0, 5, 2), "1234567.00");  // a wider value shifts the row
  EXPECT_EQ(FloatField(std::nan(""), 10, 4), "       nan");
  EXPECT_EQ(FloatField(-std::nan(""), 6, 4), "   nan");
  std::string row = "x";
  AppendFloatField(row, 2.5, 6, 1);
  AppendFloatField(row, -3.25, 0, 2);
  EXPECT_EQ(row, "x   2.5-3.25");
}

}  // namespace
}  // namespace talvex
