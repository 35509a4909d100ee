// The All Results writers on a real run: the workbook read back with the
// program's own workbook reader (sheets, headings, the scores' cells), the
// CSV folder (file names, headings, labels that need quoting or decoding,
// shortest exact numbers, an empty cell for a number that is not finite),
// and the JSON's null for such a number; the paths it refuses.
#include "export/all_results.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "diagnostics/diagnostics_run.h"
#include "export/export_format.h"
#include "export_test_support.h"
#include "tables/workbook_sheet.h"

namespace talvex {
namespace {

using testing::ReadFile;
using testing::TScratchFolder;

// Objects 1..n of p positive variables, with labels that a CSV must quote
// ("a, \"b\"") and one in Windows-1252 ("caf\xE9").
TDataMatrix Data(TSize n, TSize p) {
  TDataMatrix data;
  data.objectCount = n;
  data.variableCount = p;
  data.valueCount = n * p;
  data.values = TFloatVector(data.valueCount);
  for (TSize i = 1; i <= n; ++i) {
    data.objectLabels.push_back(i == 1 ? "a, \"b\"" : i == 2 ? "caf\xE9" : "o" + std::to_string(i));
    for (TSize j = 1; j <= p; ++j)
      data.values.SetValue((i - 1) * p + j, 2.0 + double((i * 7 + j * j * 3) % 11) + 0.25 * j);
  }
  for (TSize j = 1; j <= p; ++j) data.variableLabels.push_back("v" + std::to_string(j));
  return data;
}

struct TRun {
  TAnalysisState state;
  TDiagnostics diagnostics;
};

// Covariances of decimal logarithms with the jackknife: every table there is.
void RunOn(TRun& run, TDataMatrix data, std::vector<std::string> groups = {}) {
  run.state.LoadData(std::move(data), "data.nts");
  run.state.SetGroups(std::move(groups));
  TAnalysisOptions options;
  options.method = DispersionMethod::Covariance;
  options.transformation = DataTransform::TransformDecimal;
  TReportListing listing;
  run.diagnostics = RunWithDiagnostics(run.state, options, listing);
}

const std::vector<std::string> AllTables = {"Run",
                                            "Basic statistics",
                                            "Covariance matrix",
                                            "Eigenvalues",
                                            "Eigenvectors",
                                            "Scores",
                                            "Component-variable correlations",
                                            "MACs",
                                            "JK eigenvalues",
                                            "JK eigenvectors",
                                            "JK MACs",
                                            "Influence",
                                            "Axis exchanges"};

double Parsed(const std::string& text) {
  double x = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), x);
  EXPECT_TRUE(error == std::errc() && end == text.data() + text.size()) << text;
  return x;
}

// The lines of a CSV file, without their CR LF ends (which must be there).
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    EXPECT_TRUE(end > start && text[end - 1] == '\r') << "line " << lines.size() + 1;
    lines.push_back(text.substr(start, end - start - 1));
  }
  EXPECT_EQ(start, text.size()) << "text after the last line end";
  return lines;
}

TEST(AllResults, TheWorkbookHoldsOneSheetPerTableAndTheScoresCellByCell) {
  TRun run;
  RunOn(run, Data(9, 3), {"g1", "g1", "g2", "g2", "g2", "g3", "g3", "g3", "g3"});
  TScratchFolder folder;
  WriteAllResults(folder / "all.xlsx", CompletedRun(run.state), run.diagnostics);
  const std::string bytes = ReadFile(folder / "all.xlsx");

  const std::vector<TResultTable> tables =
      AllResultTables(CompletedRun(run.state), run.diagnostics);
  const TWorkbookSheet first = ReadXlsxSheet(bytes, "");
  EXPECT_EQ(first.sheetNames, AllTables);
  ASSERT_EQ(tables.size(), AllTables.size());
  for (std::size_t t = 0; t < tables.size(); ++t) {
    SCOPED_TRACE(tables[t].name);
    const TWorkbookSheet sheet = ReadXlsxSheet(bytes, tables[t].name);
    ASSERT_FALSE(sheet.grid.rows.empty());
    EXPECT_EQ(sheet.grid.rows[0].place, 1u);
    EXPECT_EQ(sheet.grid.RowCells(0), tables[t].headings);
    EXPECT_EQ(sheet.grid.rows.size(), tables[t].rows.size() + 1);
  }

  // The scores: label (decoded to UTF-8), group, and every double exactly.
  const TWorkbookSheet scores = ReadXlsxSheet(bytes, "Scores");
  EXPECT_EQ(scores.grid.RowCells(0),
            (std::vector<std::string>{"Object", "Group", "Axis1", "Axis2", "Axis3"}));
  const TFloatMatrix& expected = run.state.Results().scores;
  ASSERT_EQ(scores.grid.rows.size(), 10u);
  for (TSize i = 1; i <= 9; ++i) {
    const std::vector<std::string> cells = scores.grid.RowCells(i);
    ASSERT_EQ(cells.size(), 5u) << i;
    EXPECT_EQ(cells[0], i == 1 ? "a, \"b\"" : i == 2 ? "caf\xC3\xA9" : "o" + std::to_string(i));
    EXPECT_EQ(cells[1], i <= 2 ? "g1" : i <= 5 ? "g2" : "g3");
    for (TSize a = 1; a <= 3; ++a) EXPECT_EQ(Parsed(cells[1 + a]), expected.GetValue(i, a));
  }
}

TEST(AllResults, TheCsvFolderHasOneLabelledFilePerTable) {
  TRun run;
  RunOn(run, Data(9, 3));
  TScratchFolder folder;
  // A folder that does not exist yet is made.
  WriteAllResults(folder / "out/", CompletedRun(run.state), run.diagnostics);
  std::set<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder / "out"))
    files.insert(entry.path().filename().string());
  EXPECT_EQ(files,
            (std::set<std::string>{"run.csv", "basic-statistics.csv", "covariance-matrix.csv",
                                   "eigenvalues.csv", "eigenvectors.csv", "scores.csv",
                                   "component-variable-correlations.csv", "macs.csv",
                                   "jk-eigenvalues.csv", "jk-eigenvectors.csv", "jk-macs.csv",
                                   "influence.csv", "axis-exchanges.csv"}));

  // Without groups the scores have no group column; the labels are quoted
  // where they must be and decoded to UTF-8.
  const std::vector<std::string> scores = Lines(ReadFile(folder / "out/scores.csv"));
  ASSERT_EQ(scores.size(), 10u);
  EXPECT_EQ(scores[0], "Object,Axis1,Axis2,Axis3");
  const std::string quoted = "\"a, \"\"b\"\"\",";
  EXPECT_EQ(scores[1].substr(0, quoted.size()), quoted);
  EXPECT_EQ(scores[2].substr(0, 6), "caf\xC3\xA9,");
  const std::string last = scores[9];
  EXPECT_EQ(last.substr(0, 3), "o9,");
  // Every number as the shortest text that reads back as the same double.
  std::vector<std::string> fields;
  for (std::size_t start = 3, end; start <= last.size(); start = end + 1) {
    end = std::min(last.find(',', start), last.size());
    fields.push_back(last.substr(start, end - start));
  }
  ASSERT_EQ(fields.size(), 3u);
  for (TSize a = 1; a <= 3; ++a) {
    const double x = run.state.Results().scores.GetValue(9, a);
    char shortest[32];
    EXPECT_EQ(fields[a - 1], std::string(shortest, std::to_chars(shortest, shortest + 32, x).ptr));
    EXPECT_EQ(Parsed(fields[a - 1]), x);
  }

  const std::vector<std::string> values = Lines(ReadFile(folder / "out/jk-eigenvalues.csv"));
  EXPECT_EQ(values[0], "Axis,Estimate,SE,P,Lower 95%,Upper 95%");
  EXPECT_EQ(values.size(), 4u);
  const std::vector<std::string> macs = Lines(ReadFile(folder / "out/jk-macs.csv"));
  EXPECT_EQ(macs[0], "Variable,Estimate,SE,P one-sided,Lower 95%,Upper 95%,P two-sided,Verdict");
  EXPECT_EQ(macs[1].substr(0, 3), "v1,");
  EXPECT_EQ(Lines(ReadFile(folder / "out/axis-exchanges.csv"))[0],
            "Axis,Exchanged,With axis 1,With axis 2,With axis 3,With an axis not shown");
}

// One variable: its axis is the variable itself in every reduced sample, so
// the allometric coefficient is exactly 1 with a standard error of 0, and
// its P values are not numbers.
TEST(AllResults, NumbersThatAreNotFiniteAreEmptyCellsAndJsonNulls) {
  TRun run;
  RunOn(run, Data(6, 1));
  const TJackknifeStatistic& mac = run.diagnostics.Estimates().macs.at(0);
  ASSERT_EQ(mac.estimate, 1.0);
  ASSERT_EQ(mac.standardError, 0.0);
  ASSERT_TRUE(std::isnan(mac.probability));
  TScratchFolder folder;

  WriteAllResults(folder / "csv/", CompletedRun(run.state), run.diagnostics);
  EXPECT_EQ(Lines(ReadFile(folder / "csv/jk-macs.csv"))[1], "v1,1,0,,1,1,,isometry");

  WriteAllResults(folder / "all.json", CompletedRun(run.state), run.diagnostics);
  const std::string json = ReadFile(folder / "all.json");
  EXPECT_NE(json.find("{\"name\": \"JK MACs\", \"columns\": [\"Variable\", \"Estimate\", \"SE\", "
                      "\"P one-sided\", \"Lower 95%\", \"Upper 95%\", \"P two-sided\", "
                      "\"Verdict\"], \"rows\": [\n      [\"v1\", 1, 0, null, 1, 1, null, "
                      "\"isometry\"]]}"),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("\"notes\": [\"Numbers are the shortest decimals that read back as the "
                      "same double; NaN and infinite values are written as null.\", "),
            std::string::npos);
  // Labels are JSON strings: quotes escaped, 8-bit text decoded.
  EXPECT_NE(json.find("[\"a, \\\"b\\\"\", "), std::string::npos);
  EXPECT_NE(json.find("[\"caf\xC3\xA9\", "), std::string::npos);
  // Neither "nan" nor "inf" as a number: only in the notes' words.
  const std::size_t tables = json.find("\"tables\"");
  EXPECT_EQ(json.find("nan", tables), std::string::npos);
  EXPECT_EQ(json.find("inf", tables), std::string::npos);

  // The workbook keeps a cell for it, as text.
  WriteAllResults(folder / "all.xlsx", CompletedRun(run.state), run.diagnostics);
  const TWorkbookSheet sheet = ReadXlsxSheet(ReadFile(folder / "all.xlsx"), "JK MACs");
  ASSERT_EQ(sheet.grid.rows.size(), 2u);
  EXPECT_EQ(sheet.grid.RowCells(1),
            (std::vector<std::string>{"v1", "1", "0", "Nan", "1", "1", "Nan", "isometry"}));
}

TEST(AllResults, WhatIsRefused) {
  TRun run;
  RunOn(run, Data(6, 2));
  TScratchFolder folder;
  EXPECT_THROW_MSG(WriteAllResults(folder / "all.txt", CompletedRun(run.state), run.diagnostics),
                   EUnknownExportFormat,
                   "Cannot write all results to " + (folder / "all.txt") +
                       ": the name must end in .xlsx, .json or / (a folder of CSV files)");
  EXPECT_THROW_MSG(CheckAllResultsPath("results.csv"), EUnknownExportFormat,
                   "Cannot write all results to results.csv: the name must end in .xlsx, .json "
                   "or / (a folder of CSV files)");
  TAnalysisState notRun;
  notRun.LoadData(Data(6, 2), "data.nts");
  EXPECT_THROW_MSG(WriteAllResults(folder / "none.json", CompletedRun(notRun), TDiagnostics{}),
                   Exception, "No results: run the analysis first");
  // A folder where a file stands cannot be made.
  testing::WriteFile(folder / "file", "x");
  EXPECT_THROW(WriteAllResults(folder / "file/", CompletedRun(run.state), run.diagnostics),
               EInOutError);
  EXPECT_EQ(folder.Listing(), (std::set<std::string>{"file"}));

  // Without the jackknife the tables stop before the jackknife's.
  TReportListing listing;
  TAnalysisOptions options;
  options.jackknife = false;
  const TDiagnostics none = RunWithDiagnostics(run.state, options, listing);
  std::vector<std::string> names;
  for (const TResultTable& table : AllResultTables(CompletedRun(run.state), none))
    names.push_back(table.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Run", "Basic statistics", "Correlation matrix",
                                             "Eigenvalues", "Eigenvectors", "Scores",
                                             "Component-variable correlations"}));
}

}  // namespace
}  // namespace talvex
