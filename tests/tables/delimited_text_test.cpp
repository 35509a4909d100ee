// The delimited-text layer: encodings, separators, decimal marks, quoting and
// the refusals of text that is not a table.
#include "tables/delimited_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/eight_bit_text.h"
#include "input/data_refused.h"
#include "tables/cell_number.h"
#include "tables/text_encoding.h"

namespace talvex {
namespace {

TEST(TextEncoding, KeepsUtf8DropsTheMarkAndDecodesWindows1252) {
  struct TCase {
    std::string bytes, text, encoding;
  };
  const TCase cases[] = {
      {"a,b", "a,b", "UTF-8"},
      {"\xEF\xBB\xBF"
       "a,b",
       "a,b", "UTF-8"},
      {"Stra\xC3\x9F"
       "e",
       "Stra\xC3\x9F"
       "e",
       "UTF-8"},
      {"Stra\xDF"
       "e",
       "Stra\xC3\x9F"
       "e",
       "Windows-1252"},
      {"\x80 \x9F", "\xE2\x82\xAC \xC5\xB8", "Windows-1252"},            // euro sign, Y diaeresis
      {"\xC0\xAF", "\xC3\x80\xC2\xAF", "Windows-1252"},                  // overlong '/'
      {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC", "Windows-1252"},  // a surrogate
  };
  for (const TCase& c : cases) {
    const TDecodedText decoded = DecodeTableText(c.bytes);
    EXPECT_EQ(decoded.text, c.text) << c.bytes;
    EXPECT_EQ(decoded.encoding, c.encoding) << c.bytes;
  }
  EXPECT_FALSE(IsUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
  EXPECT_FALSE(IsUtf8("\xE2\x82"));          // cut short
  EXPECT_TRUE(IsUtf8("\xF0\x9F\x8C\xB8"));
}

TEST(CellNumber, ReadsNumbersInTheCLocaleOnly) {
  struct TCase {
    const char* text;
    bool decimalComma;
    std::optional<double> value;
  };
  const TCase cases[] = {
      {"5.1", false, 5.1},       {" -0.25\t", false, -0.25}, {"+3", false, 3.0},
      {"1.2E-3", false, 1.2e-3}, {".5", false, 0.5},         {"5,1", true, 5.1},
      {"5,1", false, {}},        {"5.1", true, {}},          {"1.234,5", true, {}},
      {"inf", false, {}},        {"nan", false, {}},         {"-", false, {}},
      {"+-1", false, {}},        {"0x10", false, {}},        {"1e999", false, {}},
      {"", false, {}},           {"12abc", false, {}},       {"setosa", false, {}},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(ParseCellNumber(c.text, c.decimalComma), c.value) << c.text;
}

TEST(DelimitedText, DetectsTheSeparatorAndTheDecimalMark) {
  struct TCase {
    const char* text;
    char separator;
    bool decimalComma;
  };
  const TCase cases[] = {
      {"a,b,c\n1.5,2,3\n4,5,6\n", ',', false},
      {"a;b;c\n1,5;2;3\n4;5,25;6\n", ';', true},
      {"a;b\n1.5;2\n", ';', false},
      {"a\tb\tc\n1,5\t2\t3\n", '\t', true},
      {"a b  c\n1 2 3\n", ' ', false},
      // Commas inside quotes do not split.
      {"\"x,y\";b\n\"1,2\";3\n", ';', true},
      {"a,b,c\n1,2,3\n4,5\n", ',', false},  // ragged: the widest first record decides
  };
  for (const TCase& c : cases) {
    const char separator = DetectSeparator(c.text);
    EXPECT_EQ(separator, c.separator) << c.text;
    if (std::string(c.text).find("4,5\n") != std::string::npos) continue;
    EXPECT_EQ(DetectDecimalComma(ParseDelimitedText(c.text, separator), separator), c.decimalComma)
        << c.text;
  }
}

TEST(DelimitedText, SplitsQuotedCellsAsRfc4180WritesThem) {
  const TCellGrid grid = ParseDelimitedText(
      "name,note\r\n\"Smith, J.\",\"said \"\"hi\"\"\"\r\n\n\"two\nlines\",x\r\nlast,\n", ',');
  ASSERT_EQ(grid.rows.size(), 4u);
  EXPECT_EQ(grid.RowCells(1), (std::vector<std::string>{"Smith, J.", "said \"hi\""}));
  EXPECT_EQ(grid.RowCells(2), (std::vector<std::string>{"two\nlines", "x"}));
  EXPECT_EQ(grid.RowCells(3), (std::vector<std::string>{"last", ""}));
  // Places are the lines the rows start on; the blank line is not a row.
  EXPECT_EQ(grid.rows[2].place, 4u);
  EXPECT_EQ(grid.rows[3].place, 6u);
}

TEST(DelimitedText, BlankSeparatorTakesRunsAsOne) {
  const TCellGrid grid = ParseDelimitedText("  a   b \"c d\"\n1 2  3  \n", ' ');
  ASSERT_EQ(grid.rows.size(), 2u);
  EXPECT_EQ(grid.RowCells(0), (std::vector<std::string>{"a", "b", "c d"}));
  EXPECT_EQ(grid.RowCells(1), (std::vector<std::string>{"1", "2", "3"}));
}

TEST(DelimitedText, TrailingSeparatorsAreNotRagged) {
  const TCellGrid grid = ParseDelimitedText("a,b,\n1,2,,\n", ',');
  EXPECT_EQ(grid.rows[1].count, 3u);
}

TEST(DelimitedText, RefusesTextThatIsNoTable) {
  struct TCase {
    std::string text;
    const char* message;
    const char* detail;
  };
  const TCase cases[] = {
      {"a,b\n1,2\n3\n", "Ragged table", "line 3 has 1 cells where line 1 has 2"},
      {"a,b\n1,2,3\n", "Ragged table", "line 2 has 3 cells where line 1 has 2"},
      {"a,b\n\"1,2\n3,4\n", "Unclosed quote in table", "line 2: the quote opened here"},
      {std::string("a,b\n1,\0\n", 8), "Not a text table", "line 2: byte 0x00"},
      {"a,b\n\"x\x01\",2\n", "Not a text table", "line 2: byte 0x01"},
  };
  for (const TCase& c : cases) {
    try {
      ParseDelimitedText(c.text, ',');
      ADD_FAILURE() << c.text;
    } catch (const EDataRefused& e) {
      EXPECT_EQ(e.Message(), c.message);
      EXPECT_EQ(e.Detail(), c.detail);
    }
  }
}

}  // namespace
}  // namespace talvex
