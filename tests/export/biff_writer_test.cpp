// The spreadsheet writer: the worked example and the empty sheet byte for
// byte, record framing, cell positions, attribute bytes, Clear and Write.
#include <gtest/gtest.h>

#include <tuple>

#include "export/biff_records.h"
#include "export/biff_sheet_file.h"
#include "export_test_support.h"

namespace talvex {
namespace {

using testing::ReadFile;
using testing::TestData;

// The bytes of the one cell record that follows BOF and DIMENSIONS.
std::string SingleCellRecord(TBiffSheetFile& sheet) {
  const std::string bytes = sheet.Bytes();
  return bytes.substr(22, bytes.size() - 22 - 4);
}

TEST(XlsFile, WorkedExampleIsByteForByte) {
  testing::TScratchFolder folder;
  TBiffSheetFile sheet;
  sheet.AddStrCell(1, 1, {}, "Axis1");
  sheet.AddDoubleCell(1, 2, {}, 1.5);
  sheet.SetFileName(folder / "example.xls");
  sheet.Write();
  EXPECT_EQ(ReadFile(folder / "example.xls"), ReadFile(TestData("worked_example.xls")));
  EXPECT_EQ(ReadFile(TestData("worked_example.xls")).size(), 62u);

  // A second Write without Clear writes the same cells again.
  sheet.SetFileName(folder / "again.xls");
  sheet.Write();
  EXPECT_EQ(ReadFile(folder / "again.xls"), ReadFile(TestData("worked_example.xls")));
}

TEST(XlsFile, EmptySheetAndClear) {
  TBiffSheetFile sheet;
  const std::string empty = ReadFile(TestData("empty_sheet.xls"));
  ASSERT_EQ(empty.size(), 26u);
  EXPECT_EQ(sheet.Bytes(), empty);

  sheet.AddStrCell(2, 2, {}, "x");
  sheet.AddDoubleCell(1, 1, {}, 2.0);
  sheet.Clear();
  EXPECT_EQ(sheet.Bytes(), empty);
  ASSERT_EQ(sheet.Dispatcher().Records().size(), 2u);
  EXPECT_EQ(sheet.Dispatcher().Records()[0]->recordId, 0x0809);
  EXPECT_EQ(sheet.Dispatcher().Records()[1]->recordId, 0x0000);

  sheet.AddDoubleCell(1, 2, {}, 1.5);
  EXPECT_EQ(sheet.Bytes().size(), 26u + 19u);
}

TEST(XlsFile, CellPositionIsStoredRowFirstAndZeroBased) {
  TBiffSheetFile sheet;
  sheet.AddDoubleCell(3, 10, {}, -2.0);
  const std::string record = SingleCellRecord(sheet);
  // id 3, length 15, row 9, column 2, three zero attribute bytes, -2.0.
  EXPECT_EQ(record, std::string("\x03\x00\x0F\x00\x09\x00\x02\x00\x00\x00\x00"
                                "\x00\x00\x00\x00\x00\x00\x00\xC0",
                                19));
}

TEST(XlsFile, LabelLengths) {
  TBiffSheetFile empty;
  empty.AddStrCell(1, 1, {}, "");
  EXPECT_EQ(SingleCellRecord(empty),
            std::string("\x04\x00\x08\x00\x00\x00\x00\x00\x00\x00\x00\x00", 12));

  // The length is one byte: a longer text is cut at 255 bytes.
  TBiffSheetFile longer;
  longer.AddStrCell(1, 1, {}, std::string(300, 'a'));
  const std::string record = SingleCellRecord(longer);
  EXPECT_EQ(record.size(), 4u + 8u + 255u);
  EXPECT_EQ(record.substr(0, 4), std::string("\x04\x00\x07\x01", 4));  // 263
  EXPECT_EQ(std::uint8_t(record[11]), 255);
}

TEST(XlsFile, Utf8LabelsAreStoredInWindows1252) {
  const auto label = [](std::string_view text) {
    TBiffSheetFile sheet;
    sheet.AddStrCell(1, 1, {}, text);
    return SingleCellRecord(sheet).substr(12);
  };
  // Latin-1 letters, the 1252-only euro sign and dash, and characters 1252 lacks.
  EXPECT_EQ(label("Bl\xC3\xBCtenblatt \xE2\x82\xAC\xE2\x80\x94"), "Bl\xFCtenblatt \x80\x97");
  EXPECT_EQ(label("\xE6\xBC\xA2\xF0\x9F\x8C\xBC-\xC3\xA9"),
            "?"
            "?-\xE9");
  EXPECT_EQ(label("e\xCC\x81"), "e?");  // a combining mark cannot be attached in 1252
  // 8-bit text that is not UTF-8 is taken as 1252 already, byte for byte.
  EXPECT_EQ(label("Bl\xFCte \x80"), "Bl\xFCte \x80");
  EXPECT_EQ(label("Axis1"), "Axis1");
  // The length byte counts the stored bytes: 300 two-byte characters become 255 bytes.
  std::string umlauts;
  for (int i = 0; i < 300; ++i) umlauts += "\xC3\xA4";
  EXPECT_EQ(label(umlauts), std::string(255, '\xE4'));
}

TEST(XlsFile, DimensionsStayFixedBeyondThem) {
  TBiffSheetFile sheet;
  sheet.AddDoubleCell(200, 2000, {}, 1.0);
  sheet.AddDoubleCell(200, 2000, {}, 2.0);  // the same position twice: both written
  const std::string bytes = sheet.Bytes();
  EXPECT_EQ(bytes.substr(10, 12),
            std::string("\x00\x00\x08\x00\x00\x00\xE8\x03\x00\x00\x64\x00", 12));
  ASSERT_EQ(bytes.size(), 26u + 2 * 19u);
  EXPECT_EQ(bytes.substr(22 + 4, 4), std::string("\xCF\x07\xC7\x00", 4));  // row 1999, col 199
  EXPECT_EQ(bytes.substr(22 + 19 + 4, 4), std::string("\xCF\x07\xC7\x00", 4));
}

using TAttributeCase = std::tuple<std::vector<TCellAttribute>, std::array<std::uint8_t, 3>>;
class CellAttributeBytes : public ::testing::TestWithParam<TAttributeCase> {};

TEST_P(CellAttributeBytes, FollowTheFlags) {
  const auto& [flags, expected] = GetParam();
  TCellAttributes set;
  for (TCellAttribute flag : flags) set.set(std::size_t(flag));
  EXPECT_EQ(AttributeBytes(set), expected);

  // They reach the cell record as given.
  TBiffSheetFile sheet;
  sheet.AddStrCell(1, 1, set, "a");
  const std::string record = SingleCellRecord(sheet);
  EXPECT_EQ(std::uint8_t(record[8]), expected[0]);
  EXPECT_EQ(std::uint8_t(record[9]), 0);
  EXPECT_EQ(std::uint8_t(record[10]), expected[2]);
}

using A = TCellAttribute;
INSTANTIATE_TEST_SUITE_P(
    Table, CellAttributeBytes,
    ::testing::Values(
        TAttributeCase{{}, {0, 0, 0}}, TAttributeCase{{A::Hidden}, {0x80, 0, 0}},
        TAttributeCase{{A::Locked}, {0x40, 0, 0}},
        TAttributeCase{{A::Hidden, A::Locked}, {0xC0, 0, 0}},
        TAttributeCase{{A::Shaded}, {0, 0, 0x80}}, TAttributeCase{{A::BottomBorder}, {0, 0, 0x40}},
        TAttributeCase{{A::TopBorder}, {0, 0, 0x20}},
        TAttributeCase{{A::RightBorder}, {0, 0, 0x10}},
        TAttributeCase{{A::LeftBorder}, {0, 0, 0x08}}, TAttributeCase{{A::AlignLeft}, {0, 0, 1}},
        TAttributeCase{{A::AlignCenter}, {0, 0, 2}}, TAttributeCase{{A::AlignRight}, {0, 0, 3}},
        TAttributeCase{{A::AlignFill}, {0, 0, 4}},
        // Left wins over centre and right, centre over right; fill adds.
        TAttributeCase{{A::AlignLeft, A::AlignCenter, A::AlignRight}, {0, 0, 1}},
        TAttributeCase{{A::AlignCenter, A::AlignRight}, {0, 0, 2}},
        TAttributeCase{{A::AlignRight, A::AlignFill}, {0, 0, 7}},
        TAttributeCase{
            {A::Hidden, A::Locked, A::Shaded, A::BottomBorder, A::TopBorder, A::RightBorder,
             A::LeftBorder, A::AlignLeft, A::AlignCenter, A::AlignRight, A::AlignFill},
            {0xC0, 0, 0xFD}}));

TEST(XlsFile, UnwritableNameLeavesCellsForAnotherTry) {
  testing::TScratchFolder folder;
  TBiffSheetFile sheet;
  sheet.AddStrCell(1, 1, {}, "Axis1");
  sheet.AddDoubleCell(1, 2, {}, 1.5);
  const std::string missing = folder / "no-such-folder/sheet.xls";
  sheet.SetFileName(missing);
  EXPECT_THROW_MSG(sheet.Write(), EInOutError,
                   "Cannot create file " + missing + ": No such file or directory");
  sheet.SetFileName(folder / "sheet.xls");
  sheet.Write();
  EXPECT_EQ(ReadFile(folder / "sheet.xls"), ReadFile(TestData("worked_example.xls")));
}

}  // namespace
}  // namespace talvex
