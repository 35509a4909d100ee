// The results export: whole sdf and csv outputs against golden files, the
// choice of format by extension, the xls record order, and the refusals
// that must leave an existing file as it was.
#include "export/results_export.h"

#include <gtest/gtest.h>

#include <cstring>

#include "export/export_format.h"
#include "export_test_support.h"

namespace talvex {
namespace {

using testing::ReadFile;
using testing::TestData;
using testing::TScratchFolder;

TFloatMatrix Matrix(TSize rows, TSize cols, std::initializer_list<double> rowMajor) {
  TFloatMatrix m(rows, cols);
  auto x = rowMajor.begin();
  for (TSize i = 1; i <= rows; ++i) {
    for (TSize j = 1; j <= cols; ++j) m.SetValue(i, j, *x++);
  }
  return m;
}

// The scores of 2 objects on 2 axes, stored in a wider matrix as after a run.
TFloatMatrix TwoByTwo() {
  TFloatMatrix m(2, 4);
  m.SetValue(1, 1, 1.5);
  m.SetValue(1, 2, -0.25);
  m.SetValue(2, 1, 0.0);
  m.SetValue(2, 2, 12345.678);
  m.SetValue(2, 4, 99.0);  // beyond factorCount: not exported
  return m;
}

TEST(ResultsExport, SdfAndCsvMatchGoldenFiles) {
  TScratchFolder folder;
  ExportScores(folder / "scores.sdf", TwoByTwo(), 2, 2, {});
  ExportScores(folder / "scores.csv", TwoByTwo(), 2, 2, {});
  EXPECT_EQ(ReadFile(folder / "scores.sdf"), ReadFile(TestData("scores_2x2.sdf")));
  EXPECT_EQ(ReadFile(folder / "scores.csv"), ReadFile(TestData("scores_2x2.csv")));
}

TEST(ResultsExport, OneColumnCsvHasNoComma) {
  TScratchFolder folder;
  ExportVectors(folder / "v.csv", Matrix(3, 1, {0.5, -1.0, 2.0}), 3, 1, {"a", "b", "c"});
  EXPECT_EQ(ReadFile(folder / "v.csv"),
            "Axis1\r\n 5.00000000000000E-0001\r\n-1.00000000000000E+0000\r\n"
            " 2.00000000000000E+0000\r\n");
}

TEST(ResultsExport, FormatFollowsExtensionInAnyCase) {
  EXPECT_EQ(ExportFormatOf("RESULT.CSV"), TExportFormat::Csv);
  EXPECT_EQ(ExportFormatOf("/tmp/a.b/r.Sdf"), TExportFormat::Sdf);
  EXPECT_EQ(ExportFormatOf("r.xLs"), TExportFormat::Xls);
  EXPECT_EQ(ExportFormatOf("r.XLSX"), TExportFormat::Xlsx);
  EXPECT_EQ(ExportFormatOf(".csv"), TExportFormat::Csv);

  const auto refused = [](const std::string& path) {
    EXPECT_THROW_MSG(
        ExportFormatOf(path), EUnknownExportFormat,
        "Cannot export to " + path + ": the file name must end in .xls, .csv, .sdf or .xlsx");
  };
  refused("result.txt");
  refused("result");
  refused("result.");
  refused("result.csv.txt");
  refused("folder.csv/result");
  refused("result.xl");
}

TEST(ResultsExport, CsvWrittenForUpperCaseName) {
  TScratchFolder folder;
  ExportScores(folder / "RESULT.CSV", TwoByTwo(), 2, 2, {});
  EXPECT_EQ(ReadFile(folder / "RESULT.CSV"), ReadFile(TestData("scores_2x2.csv")));
}

struct TRecord {
  std::uint16_t id;
  std::string body;
};

std::vector<TRecord> Records(const std::string& bytes) {
  std::vector<TRecord> records;
  std::size_t at = 0;
  while (at + 4 <= bytes.size()) {
    const auto word = [&](std::size_t k) {
      return std::uint16_t(std::uint8_t(bytes[k]) | std::uint8_t(bytes[k + 1]) << 8);
    };
    const std::uint16_t length = word(at + 2);
    records.push_back({word(at), bytes.substr(at + 4, length)});
    at += 4 + length;
  }
  EXPECT_EQ(at, bytes.size());
  return records;
}

TEST(ResultsExport, XlsHoldsHeadingsThenValuesRowByRow) {
  TScratchFolder folder;
  TFloatMatrix m(4, 3);
  for (TSize i = 1; i <= 4; ++i) {
    for (TSize j = 1; j <= 3; ++j) m.SetValue(i, j, 10.0 * i + j);
  }
  ExportScores(folder / "s.xls", m, 4, 3, {});
  const std::vector<TRecord> records = Records(ReadFile(folder / "s.xls"));
  ASSERT_EQ(records.size(), 2u + 3u + 12u + 1u);
  EXPECT_EQ(records[0].id, 0x0809);
  EXPECT_EQ(records[1].id, 0x0000);
  EXPECT_EQ(records.back().id, 0x000A);
  for (TSize j = 1; j <= 3; ++j) {
    const TRecord& label = records[1 + j];
    EXPECT_EQ(label.id, 0x0004);
    EXPECT_EQ(label.body.substr(0, 4), std::string("\0\0", 2) + char(j - 1) + '\0');
    EXPECT_EQ(label.body.substr(7), std::string("\x05") + "Axis" + std::to_string(j));
  }
  std::size_t k = 5;
  for (TSize i = 1; i <= 4; ++i) {
    for (TSize j = 1; j <= 3; ++j, ++k) {
      ASSERT_EQ(records[k].id, 0x0003);
      double value;
      std::memcpy(&value, records[k].body.data() + 7, 8);
      EXPECT_EQ(records[k].body.substr(0, 4), std::string(1, char(i)) + '\0' + char(j - 1) + '\0');
      EXPECT_EQ(value, 10.0 * i + j);
    }
  }
}

TEST(ResultsExport, SuccessiveXlsExportsHoldOnlyTheirOwnCells) {
  TScratchFolder folder;
  ExportScores(folder / "scores.xls", Matrix(4, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}), 4, 3,
               {});
  ExportVectors(folder / "vectors.xls", Matrix(2, 2, {1, 2, 3, 4}), 2, 2, {});
  EXPECT_EQ(ReadFile(folder / "scores.xls").size(), 26u + 3 * 17u + 12 * 19u);
  EXPECT_EQ(ReadFile(folder / "vectors.xls").size(), 26u + 2 * 17u + 4 * 19u);
}

// Refusals, each with an existing file of the target's name.
class RefusedExport : public ::testing::TestWithParam<std::string> {
 protected:
  void ExpectUntouched(const std::string& name) {
    EXPECT_EQ(ReadFile(folder / name), previous);
    EXPECT_EQ(folder.Listing(), std::set<std::string>{name});
  }
  TScratchFolder folder;
  const std::string previous = "previous content\r\n";
};

TEST_P(RefusedExport, ElementOutsideTheMatrixWritesNothing) {
  const std::string name = "out." + GetParam();
  testing::WriteFile(folder / name, previous);
  TFloatMatrix m = Matrix(2, 2, {1, 2, 3, 4});
  EXPECT_THROW_MSG(ExportScores(folder / name, m, 2, 3, {}), EOutOfBounds,
                   "Array Reference Out of Bounds");
  ExpectUntouched(name);
}

INSTANTIATE_TEST_SUITE_P(Formats, RefusedExport, ::testing::Values("csv", "sdf", "xls", "xlsx"));

TEST(ResultsExport, UnknownExtensionLeavesExistingFile) {
  TScratchFolder folder;
  testing::WriteFile(folder / "result.txt", "keep");
  EXPECT_THROW_MSG(ExportScores(folder / "result.txt", TwoByTwo(), 2, 2, {}), EUnknownExportFormat,
                   "Cannot export to " + (folder / "result.txt") +
                       ": the file name must end in .xls, .csv, .sdf or .xlsx");
  EXPECT_EQ(ReadFile(folder / "result.txt"), "keep");
  EXPECT_EQ(folder.Listing(), std::set<std::string>{"result.txt"});
}

TEST(ResultsExport, TooLargeForTheSpreadsheetWritesNothing) {
  for (const std::string extension : {"xls", "xlsx"}) {
    TScratchFolder folder;
    const std::string name = "big." + extension;
    testing::WriteFile(folder / name, "keep");
    const TSize rows = extension == "xls" ? XlsMaxRows + 1 : 1048576;
    TFloatMatrix m(rows, 1);
    const std::string message =
        extension == "xls"
            ? "Too many rows or columns for an xls file (at most 65534 rows and 256 columns of "
              "values); choose .csv, .sdf or .xlsx"
            : "Too many rows or columns for an xlsx sheet (at most 1048575 rows and 16383 "
              "columns of values)";
    EXPECT_THROW_MSG(ExportScores(folder / name, m, rows, 1, {}), Exception, message);
    EXPECT_EQ(ReadFile(folder / name), "keep");
    EXPECT_EQ(folder.Listing(), std::set<std::string>{name});
  }
}

TEST(ResultsExport, XlsWiderThanSpreadsheetProgramsReadIsRefused) {
  // 256 columns is what a BIFF sheet may hold in the programs that read it;
  // a wider one is refused before any byte, pointing to the wider formats.
  TScratchFolder folder;
  TFloatMatrix m(2, XlsMaxColumns + 1);
  EXPECT_THROW_MSG(ExportVectors(folder / "wide.xls", m, 2, XlsMaxColumns + 1, {}), Exception,
                   "Too many rows or columns for an xls file (at most 65534 rows and 256 columns "
                   "of values); choose .csv, .sdf or .xlsx");
  EXPECT_THROW_MSG(CheckExportFits(folder / "wide.xls", 2, 257), Exception,
                   "Too many rows or columns for an xls file (at most 65534 rows and 256 columns "
                   "of values); choose .csv, .sdf or .xlsx");
  EXPECT_EQ(folder.Listing(), std::set<std::string>{});
  ExportVectors(folder / "widest.xls", m, 2, XlsMaxColumns, {});
  ExportVectors(folder / "wide.xlsx", m, 2, XlsMaxColumns + 1, {});
  EXPECT_NO_THROW(CheckExportFits(folder / "wide.csv", 2, 5000));
  EXPECT_THROW(CheckExportFits(folder / "wide.txt", 2, 2), EUnknownExportFormat);
  EXPECT_EQ(folder.Listing(), (std::set<std::string>{"widest.xls", "wide.xlsx"}));
}

TEST(ResultsExport, LargestXlsIsWritten) {
  TScratchFolder folder;
  TFloatMatrix m(XlsMaxRows, 1);
  m.SetValue(XlsMaxRows, 1, 7.0);
  ExportScores(folder / "full.xls", m, XlsMaxRows, 1, {});
  const std::string bytes = ReadFile(folder / "full.xls");
  ASSERT_EQ(bytes.size(), 26u + 17u + XlsMaxRows * 19u);
  // The last cell sits in stored row 65534.
  EXPECT_EQ(bytes.substr(bytes.size() - 4 - 19 + 4, 2), "\xFE\xFF");
}

}  // namespace
}  // namespace talvex
