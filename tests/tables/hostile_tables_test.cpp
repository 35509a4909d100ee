// Tables made to hurt: workbooks and text tables that are small on disk and
// huge once read, nest without end, never end, or read wrongly without a
// word. The hostile files are made here, in memory (workbook_bytes.h), or
// in a temporary folder.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "input/data_refused.h"
#include "tables/table_import.h"
#include "tests/tables/workbook_bytes.h"

namespace talvex {
namespace {

namespace fs = std::filesystem;
using testing::OdsBytes;
using testing::OdsRow;
using testing::OdsTable;
using testing::XlsxBytes;
using testing::XlsxRow;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool AddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool AddressSanitizer = true;
#else
constexpr bool AddressSanitizer = false;
#endif
#else
constexpr bool AddressSanitizer = false;
#endif

struct TRefusal {
  std::string message;
  std::string detail;
};

// The refusal an import raises, or an empty message when it loads.
TRefusal Refusal(const std::function<void()>& import) {
  try {
    import();
  } catch (const Exception& e) {
    return {e.Message(), e.Detail()};
  }
  return {};
}

TRefusal RefusalOfBytes(const std::string& bytes, const std::string& format,
                        const TImportOptions& options = TImportOptions()) {
  return Refusal([&] { ImportTableBytes(bytes, format, options); });
}

// Runs `body` in a child whose address space is capped at `bytes`; the
// child's status: 0 when `body` returned true, 1 when false, 3 on bad_alloc.
int UnderMemoryLimit(std::size_t bytes, const std::function<bool()>& body) {
  const pid_t child = ::fork();
  if (child == 0) {
    const rlimit limit{bytes, bytes};
    ::setrlimit(RLIMIT_AS, &limit);
    try {
      ::_exit(body() ? 0 : 1);
    } catch (const std::bad_alloc&) {
      ::_exit(3);
    } catch (...) {
      ::_exit(4);
    }
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

constexpr std::size_t Gigabyte = std::size_t(1) << 30;

std::string Numbers(int rows) {
  std::string xml;
  for (int r = 1; r <= rows; ++r)
    xml += XlsxRow(r + 1, {"o" + std::to_string(r), std::to_string(r), std::to_string(r * r % 7)});
  return xml;
}

TEST(HostileWorkbooks, OneLongSharedStringInManyCellsIsKeptOnce) {
  if (AddressSanitizer) GTEST_SKIP() << "the address sanitizer cannot run under a memory cap";
  // 30,000 bytes used by 20,000 cells: 600 MB if each cell had a copy.
  const std::string text(30000, 'x');
  std::string rows = XlsxRow(1, {"name", "a", "b"});
  for (int r = 2; r <= 20001; ++r) {
    rows += "<row r=\"" + std::to_string(r) + "\"><c r=\"A" + std::to_string(r) +
            "\" t=\"s\"><v>0</v></c><c r=\"B" + std::to_string(r) + "\"><v>" + std::to_string(r) +
            "</v></c><c r=\"C" + std::to_string(r) + "\"><v>" + std::to_string(r % 13) +
            "</v></c></row>";
  }
  const std::string bytes = XlsxBytes({{"Data", rows}}, "<si><t>" + text + "</t></si>");
  EXPECT_EQ(UnderMemoryLimit(Gigabyte / 2,
                             [&] {
                               TImportOptions options;
                               options.labelsColumn = "-";
                               options.groupColumn = "-";
                               const TDataMatrix data = ImportTableBytes(bytes, "xlsx", options);
                               return data.objectCount == 20000 && data.variableCount == 2;
                             }),
            0);
  // A cell beyond a spreadsheet cell's size is refused, naming the cap.
  const std::string longer =
      XlsxBytes({{"Data", XlsxRow(1, {"a"})}}, "<si><t>" + std::string(40000, 'y') + "</t></si>");
  const TRefusal refusal = RefusalOfBytes(longer, "xlsx");
  EXPECT_EQ(refusal.message, "Cell text too long");
  EXPECT_NE(refusal.detail.find("32767 bytes"), std::string::npos) << refusal.detail;
}

TEST(HostileWorkbooks, RepeatedOdsCellsShareTheirText) {
  if (AddressSanitizer) GTEST_SKIP() << "the address sanitizer cannot run under a memory cap";
  // A 30,000-byte cell over 16,384 columns and 1,000 rows: 490 GB as copies.
  const std::string content =
      OdsTable("Sheet1",
               "<table:table-row table:number-rows-repeated=\"1000\"><table:table-cell "
               "table:number-columns-repeated=\"16384\" office:value-type=\"string\"><text:p>" +
                   std::string(30000, 'x') + "</text:p></table:table-cell></table:table-row>");
  const std::string bytes = OdsBytes(content);
  EXPECT_LT(bytes.size(), 2000u);
  EXPECT_EQ(
      UnderMemoryLimit(Gigabyte,
                       [&] { return RefusalOfBytes(bytes, "ods").message == "No numeric column"; }),
      0);
  // Spaces made by <text:s> count against the cell's cap as they are made.
  std::string spaces;
  for (int k = 0; k < 40; ++k) spaces += "<text:s text:c=\"1000\"/>";
  const TRefusal refusal =
      RefusalOfBytes(OdsBytes(OdsTable("S", "<table:table-row><table:table-cell><text:p>" + spaces +
                                                "</text:p></table:table-cell></table:table-row>")),
                     "ods");
  EXPECT_EQ(refusal.message, "Cell text too long");
}

TEST(HostileWorkbooks, DeepNestingIsRefusedBeforeItFillsTheMemory) {
  if (AddressSanitizer) GTEST_SKIP() << "the address sanitizer cannot run under a memory cap";
  std::string deep;
  for (int k = 0; k < 2000000; ++k) deep += "<x>";
  const std::string xlsx = XlsxBytes({{"Data", deep}});
  const std::string ods = OdsBytes(deep);
  for (const auto& [bytes, format] : {std::pair{xlsx, "xlsx"}, std::pair{ods, "ods"}}) {
    EXPECT_EQ(UnderMemoryLimit(Gigabyte / 2,
                               [&] {
                                 const TRefusal refusal = RefusalOfBytes(bytes, format);
                                 return refusal.message == "Damaged workbook" &&
                                        refusal.detail.find("nested deeper than 64") !=
                                            std::string::npos;
                               }),
              0)
        << format;
  }
}

TEST(HostileWorkbooks, SheetsAreChosenByNameThenNumberInBothFormats) {
  const auto xlsxRows = [](const std::string& first) {
    return XlsxRow(1, {"label", "a", "b"}) + XlsxRow(2, {first, "1", "2"}) +
           XlsxRow(3, {"q", "3", "5"});
  };
  const auto odsRows = [](const std::string& first) {
    return OdsRow({"label", "a", "b"}) + OdsRow({first, "1", "2"}) + OdsRow({"q", "3", "5"});
  };
  const std::string xlsx = XlsxBytes({{"Hidden one", xlsxRows("h")},
                                      {"Donn\xC3\xA9"
                                       "es",
                                       xlsxRows("d")},
                                      {"2", xlsxRows("n")}});
  const std::string ods = OdsBytes(OdsTable("Hidden one", odsRows("h")) +
                                   OdsTable("Donn\xC3\xA9"
                                            "es",
                                            odsRows("d")) +
                                   OdsTable("2", odsRows("n")));
  struct TCase {
    const char* request;
    const char* firstLabel;
    const char* note;
  };
  const TCase cases[] = {{"2", "n", "Sheet \"2\" (3 of 3)"},
                         {"#2", "d",
                          "Sheet \"Donn\xC3\xA9"
                          "es\" (2 of 3)"},
                         {"1", "h", "Sheet \"Hidden one\" (1 of 3)"},
                         {"", "h", "Sheet \"Hidden one\" (1 of 3)"}};
  for (const auto& [bytes, format] : {std::pair{xlsx, "xlsx"}, std::pair{ods, "ods"}}) {
    for (const TCase& c : cases) {
      TImportOptions options;
      options.sheet = c.request;
      const TDataMatrix data = ImportTableBytes(bytes, format, options);
      EXPECT_EQ(data.objectLabels[0], c.firstLabel) << format << " " << c.request;
      ASSERT_FALSE(data.notes.empty());
      EXPECT_EQ(data.notes[0], c.note) << format;
    }
    TImportOptions options;
    options.sheet = "#4";
    EXPECT_EQ(RefusalOfBytes(bytes, format, options).message, "No such sheet") << format;
  }
}

TEST(HostileWorkbooks, MisleadingMessagesNameTheRealCause) {
  const std::string good = XlsxBytes({{"Data", XlsxRow(1, {"x", "y"}) + Numbers(3)}});
  // Truncated, or with bytes appended: the archive is damaged, not something else.
  EXPECT_EQ(RefusalOfBytes(good.substr(0, good.size() - 30), "xlsx").message, "Damaged workbook");
  const TRefusal appended = RefusalOfBytes(good + std::string(100, 'z'), "xlsx");
  EXPECT_EQ(appended.message, "Damaged workbook");
  EXPECT_NE(appended.detail.find("truncated or damaged"), std::string::npos);
  // A password-protected ods keeps its parts encrypted, as its manifest says.
  const std::string manifest =
      "<?xml version=\"1.0\"?><manifest:manifest "
      "xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\">"
      "<manifest:file-entry manifest:full-path=\"content.xml\"><manifest:encryption-data "
      "manifest:checksum-type=\"SHA1/1K\"/></manifest:file-entry></manifest:manifest>";
  EXPECT_EQ(RefusalOfBytes(OdsBytes("", manifest), "ods").message, "Encrypted workbook");
  // A password-protected xlsx is a compound document with an EncryptionInfo stream.
  std::string compound("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
  compound +=
      std::string(500, '\0') + std::string("E\0n\0c\0r\0y\0p\0t\0i\0o\0n\0I\0n\0f\0o\0", 28);
  EXPECT_EQ(RefusalOfBytes(compound, "xlsx").message, "Encrypted workbook");
  // Rows are numbered from 1, in order.
  const TRefusal rowZero =
      RefusalOfBytes(XlsxBytes({{"Data", "<row r=\"0\"><c><v>1</v></c></row>"}}), "xlsx");
  EXPECT_EQ(rowZero.message, "Damaged workbook");
  EXPECT_NE(rowZero.detail.find("row \"0\""), std::string::npos) << rowZero.detail;
  // A refusal after the sheet is read names the sheet.
  const TRefusal noNumbers = RefusalOfBytes(
      XlsxBytes({{"Notes", XlsxRow(1, {"a", "b"}) + XlsxRow(2, {"c", "d"})}}), "xlsx");
  EXPECT_EQ(noNumbers.message, "No numeric column");
  EXPECT_EQ(noNumbers.detail.rfind("sheet \"Notes\": ", 0), 0u) << noNumbers.detail;
}

TEST(HostileWorkbooks, DecimalCommaAppliesToTextCellsOfWorkbooks) {
  // Numbers stored as text "1,5" beside numbers stored as numbers.
  const std::string rows = XlsxRow(1, {"label", "a", "b"}) + XlsxRow(2, {"p", "1,5", "2.25"}) +
                           XlsxRow(3, {"q", "3,25", "4"});
  const std::string bytes = XlsxBytes({{"Data", rows}});
  TImportOptions options;
  options.decimalComma = true;
  const TDataMatrix data = ImportTableBytes(bytes, "xlsx", options);
  ASSERT_EQ(data.variableCount, 2u);
  EXPECT_EQ(data.values.Data()[0], 1.5);
  EXPECT_EQ(data.values.Data()[1], 2.25);
  EXPECT_EQ(data.values.Data()[2], 3.25);
  // Detected too: the texts use a comma, the stored numbers do not count.
  TImportReport report;
  ImportTableBytes(bytes, "xlsx", TImportOptions(), &report);
  EXPECT_TRUE(report.decimalComma);
}

TEST(HostileTextTables, EndlessDevicesAreRefusedAtOnce) {
  const fs::path folder =
      fs::temp_directory_path() / ("talvex-endless-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  for (const char* name : {"z.csv", "z.xlsx", "z.ods"}) {
    fs::create_symlink("/dev/zero", folder / name);
    const TRefusal refusal = Refusal([&] { ImportTable((folder / name).string(), {}); });
    EXPECT_EQ(refusal.message,
              std::string(name) == "z.csv" ? "Not a text table" : "Not a workbook file")
        << name;
  }
  fs::remove_all(folder);
}

TEST(HostileTextTables, NumericHeaderRowsAndOtherNotations) {
  // A header whose numbers count up is a header, and the reader says it chose.
  TImportReport report;
  TDataMatrix data = ImportTableText("label,2020,2021\na,1,2\nb,3,5\nc,4,4\n", {}, &report);
  EXPECT_TRUE(report.header);
  EXPECT_EQ(data.variableLabels, (std::vector<std::string>{"2020", "2021"}));
  EXPECT_EQ(data.objectCount, 3u);
  ASSERT_EQ(data.notes.size(), 1u);
  EXPECT_NE(data.notes[0].find("was read as the column names"), std::string::npos);
  // Other data rows are data, said as well; given, nothing is said.
  data = ImportTableText("a,1.5,2\nb,3,5\nc,4,4\n", {}, &report);
  EXPECT_FALSE(report.header);
  ASSERT_EQ(data.notes.size(), 1u);
  EXPECT_NE(data.notes[0].find("was read as data"), std::string::npos);
  TImportOptions options;
  options.header = false;
  data = ImportTableText("label,2020,2021\na,1,2\nb,3,5\n", options, &report);
  EXPECT_EQ(data.objectCount, 3u);
  EXPECT_TRUE(data.notes.empty());

  // Thousands separators or the other decimal mark: refused, naming the
  // column and the notation, and never taken as the group.
  struct TCase {
    const char* text;
    const char* notation;
  };
  const TCase cases[] = {
      {"name;a;b\np;2;1.234,5\nq;3;2.345,5\nr;1;3.456,5\n", "thousands separators"},
      {"name,a,b\np,1.5,\"2,5\"\nq,2.5,\"3,5\"\nr,3.5,\"1,5\"\n", "a decimal comma"},
      {"name,a,b\np,1.5,\"2,500.5\"\nq,2.5,\"3,100\"\nr,3.5,\"1,000\"\n", "thousands separators"},
  };
  for (const TCase& c : cases) {
    for (const bool given : {false, true}) {
      TImportOptions withVariables;
      if (given) withVariables.variables = {"a", "b"};
      const TRefusal refusal = Refusal([&] { ImportTableText(c.text, withVariables); });
      EXPECT_EQ(refusal.message, "Numbers in another notation") << c.text;
      EXPECT_NE(refusal.detail.find("column \"b\" (column 3)"), std::string::npos)
          << refusal.detail;
      EXPECT_NE(refusal.detail.find(c.notation), std::string::npos) << refusal.detail;
    }
  }
}

TEST(HostileTextTables, Utf16IsReadAndSeparatorGuessesAreNamed) {
  std::string little("\xFF\xFE", 2), big("\xFE\xFF", 2), unmarked;
  const std::u16string wide = u"label,x,y\nst\u00E9,1,2\nb,3,5\n";
  for (const char16_t u : wide) {
    little += char(u & 0xFF);
    little += char(u >> 8);
    big += char(u >> 8);
    big += char(u & 0xFF);
    unmarked += char(u & 0xFF);
    unmarked += char(u >> 8);
  }
  for (const auto& [bytes, encoding] : {std::pair{little, "UTF-16LE"}, std::pair{big, "UTF-16BE"},
                                        std::pair{unmarked, "UTF-16LE"}}) {
    TImportReport report;
    const TDataMatrix data = ImportTableBytes(bytes, "csv", {}, &report);
    EXPECT_EQ(report.encoding, encoding);
    EXPECT_EQ(data.objectLabels[0], "st\xC3\xA9");
  }
  // A title line whose blanks looked like the separator.
  const TRefusal refusal =
      Refusal([] { ImportTableText("Iris data set\n5.1 3.5\n4.9 3.0 1.4\n", {}); });
  EXPECT_EQ(refusal.message, "Ragged table");
  EXPECT_NE(refusal.detail.find("separator: blanks, detected"), std::string::npos)
      << refusal.detail;
}

TEST(HostileTextTables, LargeTextTablesStayWithinAFewTimesTheirValues) {
  if (AddressSanitizer) GTEST_SKIP() << "the address sanitizer cannot run under a memory cap";
  // 20,000 x 500 one-digit cells: 20 MB of text, 80 MB of values. Read as
  // strings the cells took 25 times the text (500 MB and more).
  std::string text;
  for (int c = 0; c < 500; ++c) text += (c ? ",v" : "v") + std::to_string(c);
  text += '\n';
  for (int r = 0; r < 20000; ++r) {
    for (int c = 0; c < 500; ++c) {
      text += char('0' + (r * 7 + c * 3) % 10);
      text += c + 1 < 500 ? ',' : '\n';
    }
  }
  const std::size_t values = std::size_t(20000) * 500 * sizeof(double);
  EXPECT_EQ(UnderMemoryLimit(5 * values + text.size() + (std::size_t(64) << 20),
                             [&] {
                               const TDataMatrix data = ImportTableText(text, {});
                               return data.objectCount == 20000 && data.variableCount == 500;
                             }),
            0);
}

}  // namespace
}  // namespace talvex
