// The header line and the declared-size check: counts, markers, and the
// refusal of headers that declare more than a file can hold or 32 bits count.
#include "input/data_header.h"

#include <gtest/gtest.h>

#include <limits>

#include "test_support.h"

namespace talvex {
namespace {

using testing::ExpectThrowMessage;

TEST(DataHeader, ReadsCountsAndMarkers) {
  const TDataHeader header = ParseHeaderLine("1 5L 10l 0");
  EXPECT_EQ(header.objectCount, 5u);
  EXPECT_EQ(header.variableCount, 10u);
  EXPECT_TRUE(header.objectLabels);
  EXPECT_TRUE(header.variableLabels);
  const TDataHeader plain = ParseHeaderLine("1 +5 4294967295 0");
  EXPECT_EQ(plain.objectCount, 5u);
  EXPECT_EQ(plain.variableCount, 4294967295u);  // the largest count
  EXPECT_FALSE(plain.objectLabels);
  EXPECT_FALSE(plain.variableLabels);
}

TEST(DataHeader, FieldsAreCheckedInFileOrder) {
  // The first fault found wins, even when later fields are bad too.
  ExpectThrowMessage<EDataRefused>([] { ParseHeaderLine("2 x y z"); },
                                   "Invalid matrix type. Must be \"1\"");
  ExpectThrowMessage<EDataRefused>([] { ParseHeaderLine("1 -0 y z"); },
                                   "Invalid row specification in file!");
  ExpectThrowMessage<EConvertError>([] { ParseHeaderLine("1 L y z"); },
                                    "'' is not a valid integer value");
  ExpectThrowMessage<EConvertError>([] { ParseHeaderLine("1 3 2.0 z"); },
                                    "'2.0' is not a valid integer value");
  ExpectThrowMessage<EDataRefused>([] { ParseHeaderLine("1 3 -1 z"); },
                                   "Invalid column specification in file!");
  ExpectThrowMessage<EDataRefused>([] { ParseHeaderLine("1 3 2 z"); }, "Missing data not allowed!");
}

TEST(DataHeader, DeclaredSizeMustFitTheBytesLeft) {
  TDataHeader header;
  header.objectCount = 3;
  header.variableCount = 2;
  // Six one-character values need 11 bytes ("1 2 3 4 5 6").
  EXPECT_EQ(CheckDeclaredSize(header, 11), 6u);
  ExpectThrowMessage<EDataRefused>([&] { CheckDeclaredSize(header, 10); },
                                   "Not enough data in file");
  header.objectLabels = true;  // three labels more: 17 bytes
  EXPECT_EQ(CheckDeclaredSize(header, 17), 6u);
  ExpectThrowMessage<EDataRefused>([&] { CheckDeclaredSize(header, 16); },
                                   "Not enough data in file");
  header.variableLabels = true;
  ExpectThrowMessage<EDataRefused>([&] { CheckDeclaredSize(header, 20); },
                                   "Not enough data in file");
  EXPECT_EQ(CheckDeclaredSize(header, 21), 6u);
}

TEST(DataHeader, ValueCountBeyondThirtyTwoBitsIsRefused) {
  TDataHeader header;
  header.objectCount = 65536;
  header.variableCount = 65536;
  const std::size_t plenty = std::numeric_limits<std::size_t>::max();
  ExpectThrowMessage<EDataRefused>([&] { CheckDeclaredSize(header, plenty); },
                                   "Too many values in file");
  header.objectCount = std::numeric_limits<TSize>::max();
  header.variableCount = std::numeric_limits<TSize>::max();
  header.objectLabels = header.variableLabels = true;
  // 2^64 - 1 items: more than even 2^64 - 1 bytes can hold; a wrapping sum would pass.
  ExpectThrowMessage<EDataRefused>([&] { CheckDeclaredSize(header, plenty); },
                                   "Not enough data in file");
  header.objectCount = 65535;
  header.variableCount = 65537;  // 4294967295 values: the largest count
  header.objectLabels = header.variableLabels = false;
  EXPECT_EQ(CheckDeclaredSize(header, plenty), 4294967295u);
}

}  // namespace
}  // namespace talvex
