// The text routines: padding, runs, fixed-point rounding, character removal,
// field splitting.
#include "base/text_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "base/eight_bit_text.h"

namespace talvex {
namespace {

TEST(TextFormat, ChooseTextPicksByFlag) {
  EXPECT_EQ(ChooseText(true, "10", "e"), "10");
  EXPECT_EQ(ChooseText(false, "10", "e"), "e");
}

TEST(TextFormat, PaddingNeverShortens) {
  EXPECT_EQ(PadLeft("3.25", ' ', 6), "  3.25");
  EXPECT_EQ(PadRight("SLen", ' ', 8), "SLen    ");
  EXPECT_EQ(PadLeft("123456", ' ', 4), "123456");
  EXPECT_EQ(PadRight("123456", '*', 6), "123456");
  EXPECT_EQ(PadLeft("ab", '0', 0), "ab");
  EXPECT_EQ(PadRight("ab", '0', -5), "ab");
  EXPECT_EQ(PadLeft("", '-', 3), "---");
}

TEST(TextFormat, Utf8IsRecognisedStrictly) {
  EXPECT_TRUE(IsUtf8(""));
  EXPECT_TRUE(IsUtf8("SepalLen"));
  EXPECT_TRUE(IsUtf8("Bl\xC3\xBCtenblatt"));
  EXPECT_TRUE(IsUtf8("\xE6\xBC\xA2\xF0\x9F\x8C\xBC"));  // three and four bytes
  EXPECT_FALSE(IsUtf8("Bl\xFCtenblatt"));               // Latin-1
  EXPECT_FALSE(IsUtf8("\xC3"));                         // cut short
  EXPECT_FALSE(IsUtf8("\xBC"));                         // continuation without a lead
  EXPECT_FALSE(IsUtf8("\xC0\xAF"));                     // overlong "/"
  EXPECT_FALSE(IsUtf8("\xE0\x80\xAF"));                 // overlong, three bytes
  EXPECT_FALSE(IsUtf8("\xED\xA0\x80"));                 // a surrogate
  EXPECT_FALSE(IsUtf8("\xF4\x90\x80\x80"));             // beyond U+10FFFF
}

TEST(TextFormat, DisplayWidthCountsCharactersOfUtf8AndBytesOfOtherText) {
  EXPECT_EQ(DisplayWidth("Bluetenblat"), 11u);
  EXPECT_EQ(DisplayWidth("Bl\xC3\xBCtenblatt"), 11u);
  EXPECT_EQ(DisplayWidth("\xE6\xBC\xA2\xF0\x9F\x8C\xBC"), 2u);
  EXPECT_EQ(DisplayWidth("Gr\xF6\xDF"
                         "e"),
            5u);  // Latin-1: a byte is a character
  // One invalid byte makes the whole text 8-bit, valid sequences included.
  EXPECT_EQ(DisplayWidth("\xC3\xBC\xFC"), 3u);
  // A combining mark is a code point of its own: e + U+0301 counts 2.
  EXPECT_EQ(DisplayWidth("e\xCC\x81"), 2u);
}

TEST(TextFormat, PaddingOfUtf8CountsCharacters) {
  EXPECT_EQ(PadRight("Bl\xC3\xBCtenblatt", ' ', 25), "Bl\xC3\xBCtenblatt" + std::string(14, ' '));
  EXPECT_EQ(PadRight("Bl\xC3\xBCtenblatt", ' ', 25).size(),
            PadRight("Bluetenblat", ' ', 25).size() + 1);
  EXPECT_EQ(PadLeft("\xE2\x82\xAC"
                    "5",
                    ' ', 4),
            "  \xE2\x82\xAC"
            "5");
  EXPECT_EQ(PadRight("L\xC3\xA4nge", '*', 5), "L\xC3\xA4nge");  // five characters already
  // 8-bit text pads by bytes, as it always did.
  EXPECT_EQ(PadRight("Gr\xF6\xDF"
                     "e",
                     ' ', 8),
            "Gr\xF6\xDF"
            "e   ");
  EXPECT_EQ(PadLeft("\xC3\xBC\xFC", ' ', 4), " \xC3\xBC\xFC");
}

TEST(TextFormat, RunsOfCharactersAreEmptyForNonPositiveCounts) {
  EXPECT_EQ(RepeatChar('-', 70), std::string(70, '-'));
  EXPECT_EQ(RepeatChar('=', 1), "=");
  EXPECT_EQ(RepeatChar('-', 0), "");
  EXPECT_EQ(Blanks(3), "   ");
  EXPECT_EQ(Blanks(0), "");
  EXPECT_EQ(Blanks(-3), "");
}

TEST(TextFormat, FixedTextDecimalsAndPoint) {
  EXPECT_EQ(FixedText(2, 3.14159), "3.14");
  EXPECT_EQ(FixedText(9, 3.14159), "3.1415900");  // at most seven decimals
  EXPECT_EQ(FixedText(12, 1.0 / 3.0), "0.3333333");
  EXPECT_EQ(FixedText(0, 2.4), "2");
  EXPECT_EQ(FixedText(0, 0.0), "0");
  EXPECT_EQ(FixedText(4, 0.0), "0.0000");
  EXPECT_EQ(FixedText(3, 123456.0), "123456.000");
  EXPECT_EQ(FixedText(4, 0.00012), "0.0001");
  EXPECT_EQ(FixedText(7, 1e-7), "0.0000001");
  EXPECT_EQ(FixedText(7, 4e-8), "0.0000000");
}

TEST(TextFormat, FixedTextRoundsTheEighteenDigitFormHalfAwayFromZero) {
  EXPECT_EQ(FixedText(2, 0.125), "0.13");  // an exact tie
  EXPECT_EQ(FixedText(2, -0.125), "-0.13");
  EXPECT_EQ(FixedText(2, 1.005), "1.00");  // stored as 1.00499999999999989...
  EXPECT_EQ(FixedText(0, -0.5), "-1");
  EXPECT_EQ(FixedText(0, 0.5), "1");
  EXPECT_EQ(FixedText(0, 2.5), "3");        // not to even
  EXPECT_EQ(FixedText(1, 0.05), "0.1");     // 0.05000000000000000277 at 18 digits
  EXPECT_EQ(FixedText(2, 9.995), "9.99");   // 9.99499999999999922...
  EXPECT_EQ(FixedText(2, 9.999), "10.00");  // a carry through every digit
  EXPECT_EQ(FixedText(3, -999.9996), "-1000.000");
  EXPECT_EQ(FixedText(0, 0.49), "0");
  EXPECT_EQ(FixedText(3, 0.0005), "0.001");  // the rounding digit is the first one
  EXPECT_EQ(FixedText(3, 0.00049), "0.000");
}

TEST(TextFormat, FixedTextSignFollowsTheValue) {
  EXPECT_EQ(FixedText(2, -0.001), "-0.00");
  EXPECT_EQ(FixedText(2, -0.0), "-0.00");
  EXPECT_EQ(FixedText(0, -0.2), "-0");
  EXPECT_EQ(FixedText(4, -2.71828), "-2.7183");
}

TEST(TextFormat, FixedTextLargeMagnitudesStayFixedPoint) {
  EXPECT_EQ(FixedText(2, 1e20), "100000000000000000000.00");
  // Beyond 18 significant digits the integer digits are zeros.
  EXPECT_EQ(FixedText(0, 123456789012345678901.0), "123456789012345684000");
  // 1e36 is stored as 1000000000000000042420637374017961984.
  EXPECT_EQ(FixedText(1, 1e36), "100000000000000004" + std::string(19, '0') + ".0");
  EXPECT_EQ(FixedText(0, -2e300).size(), 302u);
  EXPECT_EQ(FixedText(2, std::numeric_limits<double>::max()).substr(0, 18), "179769313486231571");
}

TEST(TextFormat, FixedTextNonFiniteValues) {
  EXPECT_EQ(FixedText(4, std::numeric_limits<double>::quiet_NaN()), "nan");
  EXPECT_EQ(FixedText(4, -std::numeric_limits<double>::quiet_NaN()), "nan");
  EXPECT_EQ(FixedText(2, std::numeric_limits<double>::infinity()), "inf");
  EXPECT_EQ(FixedText(2, -std::numeric_limits<double>::infinity()), "-inf");
}

TEST(TextFormat, FixedTextTinyAndSubnormalValues) {
  EXPECT_EQ(FixedText(7, std::numeric_limits<double>::denorm_min()), "0.0000000");
  EXPECT_EQ(FixedText(7, -std::numeric_limits<double>::min()), "-0.0000000");
}

TEST(TextFormat, RemoveCharDeletesEveryOccurrence) {
  EXPECT_EQ(RemoveChar('L', "15L"), "15");
  EXPECT_EQ(RemoveChar('\'', "'Bob's data'"), "Bobs data");
  EXPECT_EQ(RemoveChar('\'', "\"it's\""), "\"its\"");
  EXPECT_EQ(RemoveChar('x', "abc"), "abc");
  EXPECT_EQ(RemoveChar('a', "aaaa"), "");  // adjacent occurrences, each re-examined
  EXPECT_EQ(RemoveChar('a', ""), "");
}

TEST(TextFormat, FieldOfSplitsAtEveryDelimiter) {
  const std::string header = "1 5L 3L 0";
  EXPECT_EQ(FieldOf(header, ' ', 1), "1");
  EXPECT_EQ(FieldOf(header, ' ', 2), "5L");
  EXPECT_EQ(FieldOf(header, ' ', 4), "0");
  EXPECT_EQ(FieldOf(header, ' ', 5), "");
  EXPECT_EQ(FieldOf(header, ' ', 0), "");
  EXPECT_EQ(FieldOf(header, ' ', 255), "");
}

TEST(TextFormat, FieldOfKeepsEmptyFields) {
  const std::string header = "1  5 3 0";
  EXPECT_EQ(FieldOf(header, ' ', 2), "");
  EXPECT_EQ(FieldOf(header, ' ', 3), "5");
  EXPECT_EQ(FieldOf(header, ' ', 5), "0");
  EXPECT_EQ(FieldOf("a,", ',', 1), "a");
  EXPECT_EQ(FieldOf("a,", ',', 2), "");  // the empty field after the last delimiter
  EXPECT_EQ(FieldOf(",b", ',', 2), "b");
  EXPECT_EQ(FieldOf("", ' ', 1), "");
  EXPECT_EQ(FieldOf("a\tb c", ' ', 1), "a\tb");  // only the given delimiter splits
}

TEST(TextFormat, FieldOfHasNoLengthLimit) {
  const std::string longText = std::string(300, 'x') + " tail";
  EXPECT_EQ(FieldOf(longText, ' ', 1), std::string(300, 'x'));
  EXPECT_EQ(FieldOf(longText, ' ', 2), "tail");
}

}  // namespace
}  // namespace talvex
