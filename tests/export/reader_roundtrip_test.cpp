// What we write, read by independent readers (Debian's python3-xlrd for
// xls, python3-openpyxl for xlsx): the same headings and numbers as the csv
// export, the xlsx labels, and every double back unchanged.
#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <cmath>
#include <limits>

#include "export/results_export.h"
#include "export/scientific_text.h"
#include "export_test_support.h"

namespace talvex {
namespace {

using testing::TScratchFolder;

using TSheet = std::vector<std::vector<std::string>>;

std::vector<std::string> Split(const std::string& line, char separator) {
  std::vector<std::string> fields;
  std::size_t from = 0;
  for (std::size_t at = line.find(separator); at != std::string::npos;
       at = line.find(separator, from)) {
    fields.push_back(line.substr(from, at - from));
    from = at + 1;
  }
  fields.push_back(line.substr(from));
  return fields;
}

// The cells as read_sheet.py prints them: "s:text", "n:repr" or "-".
TSheet ReadSheet(const std::string& path) {
  int status = 0;
  const std::string output = testing::RunCommand(
      std::string(testing::Python) + " " + testing::TestData("read_sheet.py") + " '" + path + "'",
      &status);
  EXPECT_EQ(status, 0) << output;
  TSheet sheet;
  for (const std::string& line : Split(output, '\n')) {
    if (!line.empty()) sheet.push_back(Split(line, '\t'));
  }
  return sheet;
}

TSheet ReadCsv(const std::string& path) {
  const std::string text = testing::ReadFile(path);
  TSheet sheet;
  std::size_t from = 0;
  for (std::size_t end = text.find("\r\n"); end != std::string::npos;
       end = text.find("\r\n", from)) {
    sheet.push_back(Split(text.substr(from, end - from), ','));
    from = end + 2;
  }
  EXPECT_EQ(from, text.size()) << "text after the last line end";
  return sheet;
}

double Number(const std::string& cell) {
  EXPECT_EQ(cell.substr(0, 2), "n:") << cell;
  double x = 0;
  const auto result = std::from_chars(cell.data() + 2, cell.data() + cell.size(), x);
  if (result.ec != std::errc()) {  // Python spells them its own way
    x = cell == "n:nan" ? std::nan("") : cell == "n:inf" ? HUGE_VAL : -HUGE_VAL;
  }
  return x;
}

// Doubles that need all 17 digits, signs, extremes of the exponent.
TFloatMatrix Values(TSize rows, TSize cols) {
  TFloatMatrix m(rows, cols + 2);  // wider than exported, as after a run
  for (TSize i = 1; i <= rows; ++i) {
    for (TSize j = 1; j <= cols; ++j) {
      const double base = std::sqrt(double(i * 131 + j)) / 7.0;
      m.SetValue(i, j, (i + j) % 3 == 0 ? -base : base * std::pow(10.0, double(int(i % 9) - 4)));
    }
  }
  m.SetValue(1, 1, 0.1 + 0.2);
  m.SetValue(2, 2, 1e-300 / 3);
  m.SetValue(3, 1, -1.7976931348623157e308);
  m.SetValue(4, 1, 9.999999999999998);
  m.SetValue(5, 2, 0.0);
  return m;
}

class ReaderRoundTrip : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* module : {"xlrd", "openpyxl"}) {
      if (!testing::HasPythonModule(module)) {
        GTEST_SKIP() << testing::Python << " or its module " << module << " is missing";
      }
    }
  }
  TScratchFolder folder;
};

TEST_F(ReaderRoundTrip, XlsAndXlsxHoldWhatTheCsvHolds) {
  constexpr TSize Rows = 7;
  constexpr TSize Cols = 3;
  const TFloatMatrix m = Values(Rows, Cols);
  const std::vector<std::string> labels = {"ob1", "Z\xC3\xBCrich", "\xE9t\xE9", "", "a b", "x,y"};
  for (const char* name : {"s.csv", "s.xls", "s.xlsx"}) {
    ExportScores(folder / name, m, Rows, Cols, labels);
  }
  const TSheet csv = ReadCsv(folder / "s.csv");
  const TSheet xls = ReadSheet(folder / "s.xls");
  const TSheet xlsx = ReadSheet(folder / "s.xlsx");
  ASSERT_EQ(csv.size(), Rows + 1);
  ASSERT_EQ(xls.size(), Rows + 1);
  ASSERT_EQ(xlsx.size(), Rows + 1);

  EXPECT_EQ(xlsx[0][0], "s:Object");
  for (TSize j = 1; j <= Cols; ++j) {
    EXPECT_EQ("s:" + csv[0][j - 1], xls[0][j - 1]);
    EXPECT_EQ("s:" + csv[0][j - 1], xlsx[0][j]);
  }
  const std::vector<std::string> readLabels = {
      "s:ob1", "s:Z\xC3\xBCrich", "s:\xC3\xA9t\xC3\xA9", "-", "s:a b", "s:x,y", "-"};
  for (TSize i = 1; i <= Rows; ++i) {
    ASSERT_EQ(csv[i].size(), Cols);
    ASSERT_EQ(xls[i].size(), Cols);
    ASSERT_EQ(xlsx[i].size(), Cols + 1);
    EXPECT_EQ(xlsx[i][0], readLabels[i - 1]);
    for (TSize j = 1; j <= Cols; ++j) {
      const double fromXls = Number(xls[i][j - 1]);
      const double fromXlsx = Number(xlsx[i][j]);
      EXPECT_EQ(ScientificText(fromXls), csv[i][j - 1]) << i << "," << j;
      EXPECT_EQ(ScientificText(fromXlsx), csv[i][j - 1]) << i << "," << j;
      // Both store the double itself, not 15 or 16 digits of it.
      EXPECT_EQ(fromXls, m.GetValue(i, j)) << xls[i][j - 1];
      EXPECT_EQ(fromXlsx, m.GetValue(i, j)) << xlsx[i][j];
    }
  }
}

TEST_F(ReaderRoundTrip, XlsCellsBeyondTheDimensionsAreRead) {
  // The DIMENSIONS record always says 1000 rows and 100 columns.
  constexpr TSize Rows = 1200;
  constexpr TSize Cols = 120;
  const TFloatMatrix m = Values(Rows, Cols);
  ExportVectors(folder / "v.xls", m, Rows, Cols, {});
  const TSheet xls = ReadSheet(folder / "v.xls");
  ASSERT_EQ(xls.size(), Rows + 1);
  ASSERT_EQ(xls.back().size(), Cols);
  EXPECT_EQ(xls[0].back(), "s:Axis120");
  EXPECT_EQ(Number(xls[Rows][Cols - 1]), m.GetValue(Rows, Cols));
  EXPECT_EQ(Number(xls[1001][101]), m.GetValue(1001, 102));
}

TEST_F(ReaderRoundTrip, NotFiniteValues) {
  TFloatMatrix m(1, 3);
  m.SetValue(1, 1, std::numeric_limits<double>::quiet_NaN());
  m.SetValue(1, 2, HUGE_VAL);
  m.SetValue(1, 3, -HUGE_VAL);
  ExportVectors(folder / "n.csv", m, 1, 3, {"v"});
  ExportVectors(folder / "n.xls", m, 1, 3, {"v"});
  ExportVectors(folder / "n.xlsx", m, 1, 3, {"v"});
  const std::string blanks(20, ' ');
  EXPECT_EQ(ReadCsv(folder / "n.csv")[1],
            (std::vector<std::string>{blanks + "Nan", blanks.substr(1) + "+Inf",
                                      blanks.substr(1) + "-Inf"}));
  // xls keeps the doubles; an xlsx sheet cannot hold them and gets the texts.
  const TSheet xls = ReadSheet(folder / "n.xls");
  EXPECT_TRUE(std::isnan(Number(xls[1][0])));
  EXPECT_EQ(Number(xls[1][1]), HUGE_VAL);
  EXPECT_EQ(Number(xls[1][2]), -HUGE_VAL);
  EXPECT_EQ(ReadSheet(folder / "n.xlsx"), (TSheet{{"s:Variable", "s:Axis1", "s:Axis2", "s:Axis3"},
                                                  {"s:v", "s:Nan", "s:+Inf", "s:-Inf"}}));
}

TEST_F(ReaderRoundTrip, CommaLocaleKeepsDecimalPoints) {
  const char* comma = nullptr;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "nl_NL.UTF-8"}) {
    if (std::setlocale(LC_NUMERIC, name) != nullptr) {
      comma = name;
      break;
    }
  }
  if (comma == nullptr) GTEST_SKIP() << "no locale with a decimal comma installed";
  const TFloatMatrix m = Values(3, 2);
  ExportScores(folder / "l.xlsx", m, 3, 2, {});
  ExportScores(folder / "l.csv", m, 3, 2, {});
  std::setlocale(LC_NUMERIC, "C");
  const TSheet xlsx = ReadSheet(folder / "l.xlsx");
  ASSERT_EQ(xlsx.size(), 4u);
  EXPECT_EQ(Number(xlsx[3][2]), m.GetValue(3, 2));
  EXPECT_EQ(ReadCsv(folder / "l.csv")[3][1], ScientificText(m.GetValue(3, 2)));
}

}  // namespace
}  // namespace talvex
