// The data-matrix reader on fixture files, one per quirk of the format: what a
// file reads as, which files it refuses with which message, and that a failed
// read leaves the previous data alone.
#include "input/data_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "test_support.h"

namespace talvex {
namespace {

using testing::ExpectThrowMessage;
using testing::Fixture;
using Labels = std::vector<std::string>;

TDataMatrix Read(const std::string& name, const std::string& previousTitle = "previous") {
  TDataMatrix data;
  data.title = previousTitle;
  ReadDataFile(Fixture(name), data);
  return data;
}

std::vector<double> Values(const TDataMatrix& data) {
  std::vector<double> values;
  for (TSize k = 1; k <= data.values.Length(); ++k) values.push_back(data.values.GetValue(k));
  return values;
}

void ExpectRefused(const std::string& name, const std::string& message) {
  SCOPED_TRACE(name);
  TDataMatrix data;
  ExpectThrowMessage<EDataRefused>([&] { ReadDataFile(Fixture(name), data); }, message);
}

void ExpectConvertError(const std::string& name, const std::string& message) {
  SCOPED_TRACE(name);
  TDataMatrix data;
  ExpectThrowMessage<EConvertError>([&] { ReadDataFile(Fixture(name), data); }, message);
}

TEST(DataReader, LabelledFileReadsTitleLabelsAndRowMajorValues) {
  const TDataMatrix data = Read("labelled.nts");
  EXPECT_EQ(data.title, "Iris sample");
  EXPECT_EQ(data.objectCount, 4u);
  EXPECT_EQ(data.variableCount, 3u);
  EXPECT_EQ(data.valueCount, 12u);
  EXPECT_EQ(data.objectLabels, (Labels{"setosa1", "setosa2", "versi1", "versi2"}));
  EXPECT_EQ(data.variableLabels, (Labels{"SL", "SW", "PL"}));
  EXPECT_EQ(Values(data),
            (std::vector<double>{5.1, 3.5, 1.4, 4.9, 3.0, 1.4, 7.0, 3.2, 4.7, 6.4, 3.2, 4.5}));
  // Object 3, variable 2 stands at (3 - 1) * 3 + 2.
  EXPECT_EQ(data.values.GetValue(8), 3.2);
  EXPECT_EQ(InformationLine(data), "4 objects, 3 descriptors");
}

TEST(DataReader, UnlabelledFileGetsMadeUpLabels) {
  const TDataMatrix data = Read("default_labels.nts");
  EXPECT_EQ(data.objectLabels, (Labels{"OBJ1", "OBJ2", "OBJ3"}));
  EXPECT_EQ(data.variableLabels, (Labels{"VAR1", "VAR2"}));
  EXPECT_EQ(Values(data), (std::vector<double>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(InformationLine(data), "3 objects, 2 descriptors");
}

TEST(DataReader, LabelMarkerInEitherCaseAnywhereInTheField) {
  const TDataMatrix lower = Read("lowercase_marker.nts");
  EXPECT_EQ(lower.objectLabels, (Labels{"first", "second"}));
  EXPECT_EQ(lower.variableLabels, (Labels{"only"}));
  EXPECT_EQ(Values(lower), (std::vector<double>{1.5, -2.5}));

  const TDataMatrix inside = Read("marker_inside_count.nts");  // 1L2: twelve labelled objects
  EXPECT_EQ(inside.objectCount, 12u);
  EXPECT_EQ(inside.objectLabels.back(), "L");
  EXPECT_EQ(inside.variableLabels, (Labels{"VAR1"}));
  EXPECT_EQ(inside.values.GetValue(12), 12.0);
}

TEST(DataReader, FourthFieldNeedsAZeroAnywhere) {
  EXPECT_EQ(Read("flag_ten.nts").valueCount, 6u);  // and text after it is ignored
  ExpectRefused("flag_one.nts", "Missing data not allowed!");
  ExpectRefused("empty_flag_field.nts", "Missing data not allowed!");
  ExpectRefused("missing_flag_field.nts", "Missing data not allowed!");
}

TEST(DataReader, MatrixTypeMustBeExactlyOne) {
  ExpectRefused("matrix_type_01.nts", "Invalid matrix type. Must be \"1\"");
  ExpectRefused("header_with_tabs.nts",
                "Invalid matrix type. Must be \"1\"");  // tabs do not split fields
  ExpectRefused("empty.nts", "Invalid matrix type. Must be \"1\"");
  ExpectRefused("only_quoted_lines.nts", "Invalid matrix type. Must be \"1\"");
  ExpectRefused("only_blank_lines.nts", "Invalid matrix type. Must be \"1\"");
}

TEST(DataReader, CountsThatAreZeroNegativeOrTooLargeAreRefused) {
  ExpectRefused("zero_rows.nts",
                "Invalid row specification in file!");  // before field 3 is looked at
  ExpectRefused("zero_columns.nts", "Invalid column specification in file!");
  ExpectRefused("negative_rows.nts", "Invalid row specification in file!");
  ExpectRefused("columns_beyond_32_bits.nts", "Invalid column specification in file!");
  ExpectRefused("rows_beyond_64_bits.nts", "Invalid row specification in file!");
}

TEST(DataReader, CountsThatAreNotIntegersRaiseConvertErrors) {
  ExpectConvertError("count_not_integer.nts", "'3x' is not a valid integer value");
  ExpectConvertError("empty_column_field.nts", "'' is not a valid integer value");
}

TEST(DataReader, HeaderDeclaringMoreThanTheFileHoldsIsRefusedUpFront) {
  ExpectRefused("declares_too_much.nts", "Not enough data in file");
}

TEST(DataReader, RunningOutOfLabelsOrValuesIsRefused) {
  ExpectRefused("one_value_short.nts", "Not enough data in file");
  ExpectRefused("one_value_short_trailing_blanks.nts", "Not enough data in file");
  ExpectRefused("one_label_short.nts", "Not enough data in file");
  ExpectRefused("eof_mark.nts", "Not enough data in file");  // nothing after 0x1A is read
}

TEST(DataReader, TitleComesFromTheFirstQuotedLineWithoutItsQuoteCharacter) {
  EXPECT_EQ(Read("title_apostrophes.nts").title, "Bobs data");
  EXPECT_EQ(Read("title_double_quotes.nts").title, "The new 'set'");
  EXPECT_EQ(Read("no_title.nts", "kept from before").title, "kept from before");
}

TEST(DataReader, TabLineFeedBlankAndCarriageReturnEndLabels) {
  const TDataMatrix data = Read("tab_in_label.nts");
  EXPECT_EQ(data.objectLabels, (Labels{"A", "B"}));
  EXPECT_EQ(data.variableLabels, (Labels{"XY", "Z"}));  // other control characters are dropped
}

TEST(DataReader, LineFeedAloneAndCarriageReturnAloneEndLines) {
  for (const char* name : {"lf_line_ends.nts", "cr_line_ends.nts"}) {
    SCOPED_TRACE(name);
    const TDataMatrix data = Read(name);
    EXPECT_EQ(data.objectLabels, (Labels{"A", "B"}));
    EXPECT_EQ(data.variableLabels, (Labels{"X", "Y"}));
    EXPECT_EQ(Values(data), (std::vector<double>{1, 2, 3, 4}));
  }
  EXPECT_EQ(Read("lf_line_ends.nts").title, "Linux file");
}

TEST(DataReader, ValuesSpreadOverLinesAndExtraTextIgnored) {
  EXPECT_EQ(Values(Read("spread_values.nts")), (std::vector<double>{1, 2, 3, 4, 5, 6}));
}

TEST(DataReader, ValueRunsLongerThanSixtyFourCharactersAreRefusedNotCut) {
  // Cutting the run would read its remainder (25) as the next value and shift
  // every later value; the run is refused where it stands.
  ExpectConvertError("long_value_run.nts", "Invalid numeric input");
  try {
    Read("long_value_run.nts");
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Detail(), Fixture("long_value_run.nts") +
                              ": line 2: value 1 (object 1, variable 1) is longer than 64 "
                              "characters");
  }
  TDataMatrix data;
  ParseDataMatrix("1 1 2 0\r\n" + std::string(63, '1') + ".  25\r\n", data);
  EXPECT_DOUBLE_EQ(data.values.GetValue(1), 1.111111111111111111e62);
  EXPECT_EQ(data.values.GetValue(2), 25.0);
}

TEST(DataReader, ValuesThatAreNotDecimalNumbersFail) {
  ExpectConvertError("comma_value.nts", "Invalid numeric input");
  ExpectConvertError("infinity_value.nts", "Invalid numeric input");
  ExpectConvertError("overflow_value.nts", "Invalid numeric input");
  const TDataMatrix underflow = Read("underflow_value.nts");
  EXPECT_EQ(underflow.values.GetValue(1), 0.0);
  EXPECT_TRUE(std::signbit(underflow.values.GetValue(2)));
}

TEST(DataReader, MissingFileRaisesTheIoMessage) {
  TDataMatrix data;
  ExpectThrowMessage<EInOutError>([&] { ReadDataFile(Fixture("no_such_file.nts"), data); },
                                  "File not found");
}

// Every kind of failure leaves the caller's data set as it was.
TEST(DataReader, FailedReadLeavesPreviousDataUntouched) {
  TDataMatrix data;
  ReadDataFile(Fixture("labelled.nts"), data);
  const std::vector<double> before = Values(data);
  for (const char* name : {"zero_columns.nts", "one_value_short.nts", "comma_value.nts",
                           "count_not_integer.nts", "no_such_file.nts", "one_label_short.nts"}) {
    SCOPED_TRACE(name);
    EXPECT_THROW(ReadDataFile(Fixture(name), data), Exception);
    EXPECT_EQ(data.title, "Iris sample");
    EXPECT_EQ(data.objectCount, 4u);
    EXPECT_EQ(data.variableCount, 3u);
    EXPECT_EQ(data.valueCount, 12u);
    EXPECT_EQ(data.objectLabels.size(), 4u);
    EXPECT_EQ(data.variableLabels.size(), 3u);
    EXPECT_EQ(Values(data), before);
  }
}

TEST(DataReader, ParsesBytesInMemoryLikeAFile) {
  TDataMatrix data;
  ParseDataMatrix("'t'\r\n1 1 1 0\r\n42", data);
  EXPECT_EQ(data.title, "t");
  EXPECT_EQ(data.values.GetValue(1), 42.0);
  // A quoted title line inside a refused file does not reach the caller.
  ExpectThrowMessage<EDataRefused>([&] { ParseDataMatrix("'other'\r\n1 1 2 0\r\n1", data); },
                                   "Not enough data in file");
  EXPECT_EQ(data.title, "t");
}

TEST(DataReader, LargeGeneratedMatrixRoundTrips) {
  // 300 objects by 40 variables with distinct values, one object per line.
  std::string text = "'generated'\n1 300 40 0\n";
  for (int i = 0; i < 300; ++i) {
    for (int j = 0; j < 40; ++j) text += std::to_string(i * 1000 + j) + ".25 ";
    text += "\n";
  }
  TDataMatrix data;
  ParseDataMatrix(text, data);
  ASSERT_EQ(data.valueCount, 12000u);
  EXPECT_EQ(data.values.GetValue((150 - 1) * 40 + 7), 149006.25);
  EXPECT_EQ(data.objectLabels[299], "OBJ300");
  EXPECT_EQ(data.variableLabels[39], "VAR40");
}

// The bundled example: Fisher's iris measurements, with their published column
// sums (means 5.843, 3.057, 3.758, 1.199 cm).
TEST(DataReader, BundledIrisExample) {
  TDataMatrix data;
  ReadDataFile(std::string(TALVEX_SOURCE_DIR) + "/examples/iris.nts", data);
  EXPECT_EQ(InformationLine(data), "150 objects, 4 descriptors");
  EXPECT_EQ(data.title.rfind("Fisher's iris data", 0), 0u);
  EXPECT_EQ(data.variableLabels, (Labels{"SepalLen", "SepalWid", "PetalLen", "PetalWid"}));
  EXPECT_EQ(data.objectLabels[0], "setosa01");
  EXPECT_EQ(data.objectLabels[149], "virgin50");
  const double expectedSums[] = {876.5, 458.6, 563.7, 179.9};
  for (TSize j = 1; j <= 4; ++j) {
    double sum = 0.0;
    for (TSize i = 1; i <= 150; ++i) sum += data.values.GetValue((i - 1) * 4 + j);
    EXPECT_NEAR(sum, expectedSums[j - 1], 1e-9) << "variable " << j;
  }
}

}  // namespace
}  // namespace talvex
