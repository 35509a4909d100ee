// The xlsx workbook writer: its parts and their links, cell names, numbers
// in their shortest exact form, XML-safe texts, sheet limits and names, read
// back by the tests' own zip reader and, where installed, by openpyxl.
#include "export/workbook_writer.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "export/xlsx_table.h"
#include "export_test_support.h"
#include "zip_reader.h"

namespace talvex {
namespace {

using testing::ReadZip;
using testing::ZipMember;

constexpr const char* Declaration =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
constexpr const char* SheetStart =
    "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";

std::string SheetXml(const TWorkbookWriter& workbook, int number = 1) {
  return ZipMember(ReadZip(workbook.Bytes()),
                   "xl/worksheets/sheet" + std::to_string(number) + ".xml");
}

// The sheetData of a one-sheet workbook whose only cell is A1.
std::string OnlyCell(const TWorkbookWriter& workbook) {
  const std::string xml = SheetXml(workbook);
  const std::string prefix = std::string(Declaration) + SheetStart +
                             "<dimension ref=\"A1\"/><sheetData><row r=\"1\"><c r=\"A1\"";
  const std::string suffix = "</c></row></sheetData></worksheet>";
  EXPECT_EQ(xml.substr(0, prefix.size()), prefix);
  EXPECT_GE(xml.size(), prefix.size() + suffix.size());
  EXPECT_EQ(xml.substr(xml.size() - suffix.size()), suffix);
  return xml.substr(prefix.size(), xml.size() - prefix.size() - suffix.size());
}

TEST(WorkbookWriter, CellNames) {
  const struct {
    std::size_t row, column;
    const char* name;
  } cases[] = {{0, 0, "A1"},     {1, 25, "Z2"},
               {0, 26, "AA1"},   {9, 51, "AZ10"},
               {0, 52, "BA1"},   {0, 701, "ZZ1"},
               {0, 702, "AAA1"}, {XlsxMaxRows - 1, XlsxMaxColumns - 1, "XFD1048576"}};
  for (const auto& c : cases) EXPECT_EQ(XlsxCellName(c.row, c.column), c.name);
}

TEST(WorkbookWriter, PartsLinkEverySheetInOrder) {
  TWorkbookWriter workbook;
  workbook.AddSheet("Scores").AddNumber(0, 0, 1);
  workbook.AddSheet("Vectors");
  workbook.AddSheet("A&B \xE9");  // 8-bit text, escaped in the attribute
  const testing::TZipMembers members = ReadZip(workbook.Bytes());
  std::vector<std::string> names;
  for (const auto& member : members) names.push_back(member.first);
  EXPECT_EQ(names, (std::vector<std::string>{
                       "[Content_Types].xml", "_rels/.rels", "xl/workbook.xml",
                       "xl/_rels/workbook.xml.rels", "xl/styles.xml", "xl/worksheets/sheet1.xml",
                       "xl/worksheets/sheet2.xml", "xl/worksheets/sheet3.xml"}));

  const std::string types = ZipMember(members, "[Content_Types].xml");
  for (const char* part : {"/xl/workbook.xml\" ContentType=\"application/"
                           "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"",
                           "/xl/styles.xml\" ContentType=\"application/"
                           "vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"",
                           "/xl/worksheets/sheet3.xml\" ContentType=\"application/"
                           "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\""}) {
    EXPECT_NE(types.find(std::string("<Override PartName=\"") + part), std::string::npos) << part;
  }
  EXPECT_NE(ZipMember(members, "_rels/.rels").find("/officeDocument\" Target=\"xl/workbook.xml\""),
            std::string::npos);

  const std::string book = ZipMember(members, "xl/workbook.xml");
  EXPECT_NE(book.find("<sheets><sheet name=\"Scores\" sheetId=\"1\" r:id=\"rId1\"/>"
                      "<sheet name=\"Vectors\" sheetId=\"2\" r:id=\"rId2\"/>"
                      "<sheet name=\"A&amp;B \xC3\xA9\" sheetId=\"3\" r:id=\"rId3\"/></sheets>"),
            std::string::npos)
      << book;
  const std::string links = ZipMember(members, "xl/_rels/workbook.xml.rels");
  for (const char* link : {"Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/"
                           "2006/relationships/worksheet\" Target=\"worksheets/sheet1.xml\"",
                           "Id=\"rId3\" Type=\"http://schemas.openxmlformats.org/officeDocument/"
                           "2006/relationships/worksheet\" Target=\"worksheets/sheet3.xml\"",
                           "Id=\"rId4\" Type=\"http://schemas.openxmlformats.org/officeDocument/"
                           "2006/relationships/styles\" Target=\"styles.xml\""}) {
    EXPECT_NE(links.find(link), std::string::npos) << link;
  }
  EXPECT_EQ(SheetXml(workbook, 2), std::string(Declaration) + SheetStart +
                                       "<dimension ref=\"A1\"/><sheetData/></worksheet>");
  // Fixed time stamps: the same workbook gives the same bytes.
  EXPECT_EQ(workbook.Bytes(), workbook.Bytes());
}

TEST(WorkbookWriter, RowsAndCellsInReadingOrder) {
  TWorkbookWriter workbook;
  TWorksheet& sheet = workbook.AddSheet("S");
  sheet.AddText(0, 0, "a");
  sheet.AddNumber(0, 2, 2);
  sheet.AddNumber(3, 1, -1);  // rows 2 and 3 stay empty
  EXPECT_EQ(SheetXml(workbook),
            std::string(Declaration) + SheetStart +
                "<dimension ref=\"A1:C4\"/><sheetData>"
                "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>a</t></is></c>"
                "<c r=\"C1\"><v>2</v></c></row>"
                "<row r=\"4\"><c r=\"B4\"><v>-1</v></c></row></sheetData></worksheet>");
}

TEST(WorkbookWriter, NumbersInTheirShortestExactForm) {
  const struct {
    double value;
    const char* text;
  } cases[] = {{1.5, "1.5"},
               {100, "100"},
               {0.1, "0.1"},
               {0.1 + 0.2, "0.30000000000000004"},
               {-0.0, "-0"},
               {9.999999999999998, "9.999999999999998"},
               {1e21, "1e+21"},
               {1e-300 / 3, "3.3333333333333334e-301"},
               {std::numeric_limits<double>::denorm_min(), "5e-324"},
               {-std::numeric_limits<double>::max(), "-1.7976931348623157e+308"}};
  for (const auto& c : cases) {
    TWorkbookWriter workbook;
    workbook.AddSheet("S").AddNumber(0, 0, c.value);
    EXPECT_EQ(OnlyCell(workbook), std::string("><v>") + c.text + "</v>") << c.text;
    double back = 0;
    std::from_chars(c.text, c.text + std::strlen(c.text), back);
    EXPECT_EQ(std::signbit(back), std::signbit(c.value));
    EXPECT_EQ(back, c.value);
  }
}

TEST(WorkbookWriter, TextsAreXmlSafe) {
  const struct {
    const char* text;
    const char* cell;
  } cases[] = {
      {"Axis1", "<t>Axis1</t>"},
      {"", "<t></t>"},
      {"a<b&c>d\"e'", "<t>a&lt;b&amp;c&gt;d&quot;e'</t>"},
      // Controls XML 1.0 cannot hold, and U+FFFE / U+FFFF, become U+FFFD.
      {"x\x01y\x1Fz", "<t>x\xEF\xBF\xBDy\xEF\xBF\xBDz</t>"},
      {"\xEF\xBF\xBE\xEF\xBF\xBF", "<t>\xEF\xBF\xBD\xEF\xBF\xBD</t>"},
      // A literal carriage return would read back as a line feed.
      {"a\r\nb\tc", "<t>a&#13;\nb\tc</t>"},
      {" lead", "<t xml:space=\"preserve\"> lead</t>"},
      {"trail\t", "<t xml:space=\"preserve\">trail\t</t>"},
      // 8-bit text: valid UTF-8 kept, anything else Windows-1252.
      {"Z\xC3\xBCrich \xF0\x9F\x98\x80", "<t>Z\xC3\xBCrich \xF0\x9F\x98\x80</t>"},
      {"\x80 \xE9t\xE9 \x81", "<t>\xE2\x82\xAC \xC3\xA9t\xC3\xA9 \xEF\xBF\xBD</t>"},
  };
  for (const auto& c : cases) {
    TWorkbookWriter workbook;
    workbook.AddSheet("S").AddText(0, 0, c.text);
    EXPECT_EQ(OnlyCell(workbook), std::string(" t=\"inlineStr\"><is>") + c.cell + "</is>")
        << c.text;
  }
}

TEST(WorkbookWriter, NotFiniteNumbersBecomeTexts) {
  TWorkbookWriter workbook;
  TWorksheet& sheet = workbook.AddSheet("S");
  sheet.AddNumber(0, 0, std::numeric_limits<double>::quiet_NaN());
  sheet.AddNumber(0, 1, HUGE_VAL);
  sheet.AddNumber(0, 2, -HUGE_VAL);
  EXPECT_NE(SheetXml(workbook).find("<c r=\"A1\" t=\"inlineStr\"><is><t>Nan</t></is></c>"
                                    "<c r=\"B1\" t=\"inlineStr\"><is><t>+Inf</t></is></c>"
                                    "<c r=\"C1\" t=\"inlineStr\"><is><t>-Inf</t></is></c>"),
            std::string::npos);
}

TEST(WorkbookWriter, CellsBeyondTheSheetAreRefused) {
  TWorkbookWriter workbook;
  TWorksheet& sheet = workbook.AddSheet("S");
  const std::string limits = " lies beyond an xlsx sheet (at most 1048576 rows and 16384 columns)";
  EXPECT_THROW_MSG(sheet.AddNumber(0, XlsxMaxColumns, 1), Exception, "Cell 1, 16385" + limits);
  EXPECT_THROW_MSG(sheet.AddText(XlsxMaxRows, 0, "x"), Exception, "Cell 1048577, 1" + limits);
  sheet.AddNumber(XlsxMaxRows - 1, XlsxMaxColumns - 1, 1);
  EXPECT_NE(SheetXml(workbook).find("<dimension ref=\"A1:XFD1048576\"/>"), std::string::npos);
}

TEST(WorkbookWriter, SheetNames) {
  const std::string accepted[] = {"Sheet1", std::string(31, 'x'),
                                  [] {
                                    std::string s;  // 31 characters in 62 bytes
                                    for (int k = 0; k < 31; ++k) s += "\xC3\xA9";
                                    return s;
                                  }(),
                                  "it's"};
  for (const std::string& name : accepted) {
    TWorkbookWriter workbook;
    EXPECT_EQ(workbook.AddSheet(name).Name(), name);
  }
  const std::string length = "a sheet name has 1 to 31 characters";
  const std::string characters = "it may not contain control characters nor any of : \\ / ? * [ ]";
  const struct {
    std::string name, why;
  } refused[] = {{"", length},
                 {std::string(32, 'x'), length},
                 {"a:b", characters},
                 {"a/b", characters},
                 {"a[1]", characters},
                 {"a\tb", characters},
                 {"'a", "it may not begin or end with '"},
                 {"a'", "it may not begin or end with '"},
                 {"sHEET1", "another sheet has that name"}};
  for (const auto& r : refused) {
    TWorkbookWriter workbook;
    workbook.AddSheet("Sheet1");
    EXPECT_THROW_MSG(workbook.AddSheet(r.name), Exception,
                     "Invalid sheet name \"" + r.name + "\": " + r.why);
  }
}

TEST(WorkbookWriter, ScoresTableSheet) {
  testing::TScratchFolder folder;
  TXlsxTable table;
  table.cornerHeading = "Object";
  table.columnHeadings = {"Axis1", "Axis2"};
  table.rowLabels = {"", "b"};  // a missing label leaves its cell out
  table.rowCount = 3;
  table.values = {1.5, -0.25, 0, 0.1, 2e-5, -7};
  WriteXlsxTable(folder / "t.xlsx", table);
  const testing::TZipMembers members = ReadZip(testing::ReadFile(folder / "t.xlsx"));
  EXPECT_NE(ZipMember(members, "xl/workbook.xml").find("<sheet name=\"Sheet1\""),
            std::string::npos);
  const auto text = [](const char* cell, const char* t) {
    return std::string("<c r=\"") + cell + "\" t=\"inlineStr\"><is><t>" + t + "</t></is></c>";
  };
  const auto number = [](const char* cell, const char* v) {
    return std::string("<c r=\"") + cell + "\"><v>" + v + "</v></c>";
  };
  EXPECT_EQ(ZipMember(members, "xl/worksheets/sheet1.xml"),
            std::string(Declaration) + SheetStart + "<dimension ref=\"A1:C4\"/><sheetData>" +
                "<row r=\"1\">" + text("A1", "Object") + text("B1", "Axis1") + text("C1", "Axis2") +
                "</row><row r=\"2\">" + number("B2", "1.5") + number("C2", "-0.25") +
                "</row><row r=\"3\">" + text("A3", "b") + number("B3", "0") + number("C3", "0.1") +
                "</row><row r=\"4\">" + number("B4", "2e-05") + number("C4", "-7") +
                "</row></sheetData></worksheet>");
}

TEST(WorkbookWriter, OpenpyxlReadsEverySheet) {
  if (!testing::HasPythonModule("openpyxl")) GTEST_SKIP() << "python3-openpyxl is missing";
  testing::TScratchFolder folder;
  TWorkbookWriter workbook;
  TWorksheet& first = workbook.AddSheet("Eigenvalues");
  first.AddText(0, 0, "Axis");
  first.AddText(0, 1, "Value");
  first.AddNumber(1, 0, 1);
  first.AddNumber(1, 1, 0.1 + 0.2);
  TWorksheet& second = workbook.AddSheet("Labels \x80");
  second.AddText(0, 1, "a<&>\x01 \xE9 ");
  second.AddNumber(2, 0, std::numeric_limits<double>::quiet_NaN());
  workbook.Write(folder / "w.xlsx");
  EXPECT_EQ(testing::ReadFile(folder / "w.xlsx"), workbook.Bytes());
  int status = 0;
  const std::string output = testing::RunCommand(std::string(testing::Python) + " " +
                                                     testing::TestData("read_workbook.py") + " '" +
                                                     (folder / "w.xlsx") + "' 2>&1",
                                                 &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(output,
            "sheet:Eigenvalues\n"
            "s:Axis\ts:Value\n"
            "n:1.0\tn:0.30000000000000004\n"
            "sheet:Labels \xE2\x82\xAC\n"
            "-\ts:a<&>\xEF\xBF\xBD \xC3\xA9 \n"
            "-\t-\n"
            "s:Nan\t-\n");
}

}  // namespace
}  // namespace talvex
