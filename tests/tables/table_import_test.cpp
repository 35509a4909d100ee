// The import of real-looking tables: every iris table, whatever wrote it,
// loads to the numbers of examples/iris.nts and lists as it does; bad tables
// are refused with the file and the place; penguins show groups and missing
// values as users have them.
#include "tables/table_import.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "analysis/analysis_state.h"
#include "export/results_export.h"
#include "input/data_reader.h"
#include "input/data_refused.h"
#include "tables/identifier_columns.h"

namespace talvex {
namespace {

std::string Fixture(const std::string& name) { return std::string(TALVEX_TEST_DATA) + "/" + name; }

TDataMatrix Iris() {
  TDataMatrix data;
  ReadDataFile(std::string(TALVEX_SOURCE_DIR) + "/examples/iris.nts", data);
  return data;
}

// The values of objects `kept` (0-based) of `data`, bit for bit.
void ExpectSameValues(const TDataMatrix& table, const TDataMatrix& data,
                      const std::vector<TSize>& kept, const std::string& name) {
  ASSERT_EQ(table.objectCount, kept.size()) << name;
  ASSERT_EQ(table.variableCount, data.variableCount) << name;
  EXPECT_EQ(table.variableLabels, data.variableLabels) << name;
  for (TSize i = 0; i < kept.size(); ++i) {
    EXPECT_EQ(std::memcmp(table.values.Data() + i * data.variableCount,
                          data.values.Data() + kept[i] * data.variableCount,
                          data.variableCount * sizeof(double)),
              0)
        << name << ", object " << i + 1;
  }
}

std::vector<TSize> AllObjects(TSize n) {
  std::vector<TSize> all(n);
  for (TSize i = 0; i < n; ++i) all[i] = i;
  return all;
}

// The listing from "Number of variables" on: what follows the header block
// (file name, title, date).
std::vector<std::string> ListingBody(const TDataMatrix& data) {
  TAnalysisState state;
  state.LoadData(data, "data");
  TReportListing listing;
  state.Run(TAnalysisOptions(), listing, nullptr, 1);
  std::istringstream text(listing.Text("\n"));
  std::vector<std::string> lines;
  bool body = false;
  for (std::string line; std::getline(text, line);) {
    body = body || line.rfind("Number of variables", 0) == 0;
    if (body) lines.push_back(line);
  }
  return lines;
}

TEST(TableImport, EveryIrisTableLoadsAndListsAsTheDataMatrixFile) {
  struct TCase {
    const char* file;
    const char* format;
    bool groups;
    char separator;
    bool decimalComma;
    const char* encoding;
  };
  const TCase cases[] = {
      {"iris_comma.csv", "csv", false, ',', false, "UTF-8"},
      {"iris_semicolon.csv", "csv", false, ';', true, "UTF-8"},
      {"iris_grouped.tsv", "tsv", true, '\t', false, "UTF-8"},
      {"iris_grouped.csv", "csv", true, ',', false, "UTF-8"},
      {"iris_quoted.csv", "csv", true, ',', false, "UTF-8"},
      {"iris_libreoffice.xlsx", "xlsx", true, 0, false, ""},
      {"iris_libreoffice.ods", "ods", true, 0, false, ""},
  };
  const TDataMatrix iris = Iris();
  const std::vector<std::string> irisListing = ListingBody(iris);
  for (const TCase& c : cases) {
    TImportReport report;
    const TDataMatrix table = ImportTable(Fixture(c.file), TImportOptions(), &report);
    ExpectSameValues(table, iris, AllObjects(iris.objectCount), c.file);
    EXPECT_EQ(table.objectLabels, iris.objectLabels) << c.file;
    EXPECT_EQ(table.title, c.file);
    // A workbook's listing names the sheet read; nothing else is noted.
    if (report.sheet.empty()) {
      EXPECT_TRUE(table.notes.empty()) << c.file;
    } else {
      EXPECT_EQ(table.notes,
                (std::vector<std::string>{"Sheet \"" + report.sheet + "\" (1 of " +
                                          std::to_string(report.sheetNames.size()) + ")"}))
          << c.file;
    }
    EXPECT_EQ(report.format, c.format);
    EXPECT_EQ(report.separator, c.separator) << c.file;
    EXPECT_EQ(report.decimalComma, c.decimalComma) << c.file;
    EXPECT_EQ(report.encoding, c.encoding) << c.file;
    EXPECT_TRUE(report.header) << c.file;
    if (c.groups) {
      EXPECT_EQ(table.groups, GroupsFromLabels(iris.objectLabels)) << c.file;
      EXPECT_EQ(report.Summary(), "150 objects, 4 variables, 3 groups") << c.file;
      EXPECT_EQ(report.columns[1].role, TColumnRole::Group);
    } else {
      EXPECT_TRUE(table.groups.empty()) << c.file;
      EXPECT_EQ(report.Summary(), "150 objects, 4 variables") << c.file;
    }
    EXPECT_EQ(report.columns[0].role, TColumnRole::Labels) << c.file;
    EXPECT_EQ(ListingBody(table), irisListing) << c.file;
  }
}

TEST(TableImport, OpenpyxlWorkbookWithAbsoluteTargetsReadsByNameOrNumber) {
  const TDataMatrix iris = Iris();
  for (const char* sheet : {"Iris", "2"}) {
    TImportOptions options;
    options.sheet = sheet;
    TImportReport report;
    const TDataMatrix table = ImportTable(Fixture("iris_openpyxl.xlsx"), options, &report);
    ExpectSameValues(table, iris, AllObjects(iris.objectCount), sheet);
    EXPECT_EQ(table.groups, GroupsFromLabels(iris.objectLabels));
    EXPECT_EQ(report.sheetNames, (std::vector<std::string>{"Notes", "Iris"}));
    EXPECT_EQ(report.sheet, "Iris");
  }
  // The first sheet holds a note and no numbers.
  try {
    ImportTable(Fixture("iris_openpyxl.xlsx"), TImportOptions());
    ADD_FAILURE();
  } catch (const EDataRefused& e) {
    EXPECT_EQ(e.Message(), "No numeric column");
  }
  TImportOptions missing;
  missing.sheet = "Setosa";
  try {
    ImportTable(Fixture("iris_openpyxl.xlsx"), missing);
    ADD_FAILURE();
  } catch (const EDataRefused& e) {
    EXPECT_EQ(e.Message(), "No such sheet");
    EXPECT_EQ(e.Detail(), Fixture("iris_openpyxl.xlsx") +
                              ": sheet \"Setosa\"; the workbook has \"Notes\", \"Iris\"");
  }
}

TEST(TableImport, OwnScoresExportReadsBack) {
  TAnalysisState state;
  state.LoadData(Iris(), "iris");
  TReportListing listing;
  state.Run(TAnalysisOptions(), listing, nullptr, 1);
  const std::string path =
      (std::filesystem::temp_directory_path() / "talvex_tables_scores.xlsx").string();
  ExportScores(path, state.Results().scores, state.Data().objectCount, state.FactorCount(),
               state.Data().objectLabels);
  const TDataMatrix table = ImportTable(path, TImportOptions());
  std::filesystem::remove(path);
  ASSERT_EQ(table.objectCount, state.Data().objectCount);
  ASSERT_EQ(table.variableCount, state.FactorCount());
  EXPECT_EQ(table.objectLabels, state.Data().objectLabels);
  for (TSize i = 1; i <= table.objectCount; ++i) {
    for (TSize j = 1; j <= table.variableCount; ++j) {
      EXPECT_EQ(table.values.Data()[(i - 1) * table.variableCount + j - 1],
                state.Results().scores.GetValue(i, j));
    }
  }
}

TEST(TableImport, HandMadeWorkbookWithInlineStringsGapsBooleansAndErrors) {
  TImportOptions options;
  options.missing = TMissingPolicy::Omit;
  TImportReport report;
  const TDataMatrix table = ImportTable(Fixture("inline_gaps.xlsx"), options, &report);
  // Column C is a gap with no header and no cells; "flag" holds booleans (text).
  ASSERT_EQ(report.columns.size(), 5u);
  EXPECT_EQ(report.columns[2].role, TColumnRole::Ignore);
  EXPECT_EQ(report.columns[3].role, TColumnRole::Group);
  EXPECT_EQ(table.variableLabels, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(table.objectLabels, (std::vector<std::string>{"one", "three"}));
  EXPECT_EQ(table.groups, (std::vector<std::string>{"TRUE", "TRUE"}));
  EXPECT_EQ(table.notes, (std::vector<std::string>{"Sheet \"Data\" (1 of 1)",
                                                   "1 object with missing values left out: two"}));
  EXPECT_EQ(report.omittedRows, (std::vector<TSize>{2}));
  EXPECT_EQ(report.Summary(),
            "2 objects, 2 variables, 1 group; 1 object with missing values left out");
}

TEST(TableImport, MissingCellsAreRefusedOrLeftOut) {
  const TDataMatrix iris = Iris();
  try {
    ImportTable(Fixture("iris_missing.csv"), TImportOptions());
    ADD_FAILURE();
  } catch (const EDataRefused& e) {
    EXPECT_EQ(e.Message(), "Missing value in table");
    EXPECT_EQ(e.Detail(), Fixture("iris_missing.csv") +
                              ": line 5 (data row 4, object \"setosa04\"), column \"SepalWid\": "
                              "\"NA\" is a missing value");
  }
  TImportOptions options;
  options.missing = TMissingPolicy::Omit;
  TImportReport report;
  const TDataMatrix table = ImportTable(Fixture("iris_missing.csv"), options, &report);
  std::vector<TSize> kept;
  for (TSize i = 0; i < iris.objectCount; ++i) {
    if (i != 3 && i != 60 && i != 149) kept.push_back(i);
  }
  ExpectSameValues(table, iris, kept, "iris_missing.csv");
  EXPECT_EQ(report.omittedRows, (std::vector<TSize>{4, 61, 150}));
  EXPECT_EQ(report.omittedLabels, (std::vector<std::string>{"setosa04", "versi11", "virgin50"}));
  EXPECT_EQ(table.notes,
            (std::vector<std::string>{
                "3 objects with missing values left out: setosa04, versi11, virgin50"}));
  EXPECT_EQ(report.Summary(), "147 objects, 4 variables; 3 objects with missing values left out");
  EXPECT_EQ(report.columns[1].missingCount, 1u);
  EXPECT_EQ(report.columns[4].missingCount, 1u);
}

// Kept for imputation: every object, the missing cells flagged and holding 0,
// every other value as read.
TEST(TableImport, MissingCellsAreMaskedForImputation) {
  const TDataMatrix iris = Iris();
  TImportOptions options;
  options.missing = TMissingPolicy::Impute;
  TImportReport report;
  const TDataMatrix table = ImportTable(Fixture("iris_missing.csv"), options, &report);
  ASSERT_EQ(table.objectCount, 150u);
  ASSERT_EQ(table.missing.size(), table.valueCount);
  EXPECT_EQ(table.MissingCount(), 3u);
  EXPECT_EQ(report.missingCells, 3u);
  EXPECT_TRUE(report.omittedRows.empty());
  EXPECT_TRUE(table.notes.empty());
  EXPECT_EQ(report.Summary(), "150 objects, 4 variables; 3 missing values");
  for (std::size_t c = 0; c < table.valueCount; ++c) {
    if (table.missing[c] != 0) {
      EXPECT_EQ(table.values.Data()[c], 0.0);
    } else {
      EXPECT_EQ(table.values.Data()[c], iris.values.Data()[c]) << c;
    }
  }
  EXPECT_EQ(table.missing[3 * 4 + 1], 1u);  // setosa04's SepalWid
  // A table without a gap carries no mask.
  EXPECT_TRUE(ImportTable(Fixture("iris_comma.csv"), options).missing.empty());
}

TEST(TableImport, LabelsBeyondAsciiAreKeptAsUtf8FromEitherEncoding) {
  const TDataMatrix iris = Iris();
  TImportReport utf8Report, cp1252Report;
  const TDataMatrix utf8 = ImportTable(Fixture("iris_utf8.csv"), TImportOptions(), &utf8Report);
  const TDataMatrix cp1252 =
      ImportTable(Fixture("iris_cp1252.csv"), TImportOptions(), &cp1252Report);
  ExpectSameValues(utf8, iris, AllObjects(iris.objectCount), "iris_utf8.csv");
  ExpectSameValues(cp1252, iris, AllObjects(iris.objectCount), "iris_cp1252.csv");
  EXPECT_EQ(utf8.objectLabels[0], "s\xC3\xA9tosa01");
  EXPECT_EQ(utf8.objectLabels[50],
            "vers\xC3\xAD"
            "01");
  EXPECT_EQ(cp1252.objectLabels, utf8.objectLabels);
  EXPECT_EQ(utf8Report.encoding, "UTF-8");
  EXPECT_EQ(cp1252Report.encoding, "Windows-1252");
}

TEST(TableImport, BadTablesAreRefusedNamingTheFileAndThePlace) {
  struct TCase {
    const char* file;
    bool inOut;
    const char* message;
    const char* detail;  // after "PATH: "
  };
  const TCase cases[] = {
      {"bad_ragged.csv", false, "Ragged table",
       "line 5 has 4 cells where line 1 has 5 (separator: comma, detected from the first lines; "
       "give the separator if it is another)"},
      {"bad_text_in_numeric.csv", false, "Text in a numeric column",
       "line 4, column \"SepalWid\" (column 3): \"3.O\" is not a number"},
      {"bad_all_missing_column.csv", false, "Column without values",
       "column \"Weight\" (column 6) has no value in any row"},
      {"bad_one_complete.csv", false, "Missing value in table",
       "line 3 (data row 2, object \"setosa02\"), column \"SepalLen\": \"NA\" is a missing value"},
      {"bad_binary.csv", false, "Not a text table", nullptr},
      {"bad_empty.csv", false, "Empty table", "the table has no cells with text"},
      {"bad_not_zip.xlsx", false, "Not a workbook file", nullptr},
      {"bad_bomb.ods", false, "Workbook too large", "content.xml inflates beyond 512 MB"},
      {"no_such_file.csv", true, "File not found", ""},
      {"legacy.xls", false, "Legacy .xls workbooks are not read",
       "save the sheet as .xlsx, .ods or .csv and open that"},
  };
  for (const TCase& c : cases) {
    const std::string path = Fixture(c.file);
    TImportReport report;
    try {
      ImportTable(path, TImportOptions(), &report);
      ADD_FAILURE() << c.file;
    } catch (const Exception& e) {
      EXPECT_EQ(dynamic_cast<const EInOutError*>(&e) != nullptr, c.inOut) << c.file;
      EXPECT_EQ(dynamic_cast<const EDataRefused*>(&e) != nullptr, !c.inOut) << c.file;
      EXPECT_EQ(e.Message(), c.message) << c.file;
      EXPECT_EQ(e.Detail().rfind(path, 0), 0u) << e.Detail();
      if (c.detail != nullptr) {
        EXPECT_EQ(e.Detail(), std::string(c.detail).empty() ? path : path + ": " + c.detail);
      }
    }
  }
  TImportOptions omit;
  omit.missing = TMissingPolicy::Omit;
  try {
    ImportTable(Fixture("bad_one_complete.csv"), omit);
    ADD_FAILURE();
  } catch (const EDataRefused& e) {
    EXPECT_EQ(e.Message(), "Fewer than two complete objects");
    EXPECT_EQ(e.Detail(), Fixture("bad_one_complete.csv") +
                              ": 1 of 4 data rows with a value in every variable used; the "
                              "analysis needs two");
  }
}

TEST(TableImport, PenguinsGroupBySpeciesAndRefuseOrLeaveOutTheirMissingValues) {
  try {
    ImportTable(Fixture("penguins.csv"), TImportOptions());
    ADD_FAILURE();
  } catch (const EDataRefused& e) {
    EXPECT_EQ(e.Message(), "Missing value in table");
    EXPECT_EQ(e.Detail(), Fixture("penguins.csv") +
                              ": line 5 (data row 4), column \"bill_length_mm\": \"NA\" is a "
                              "missing value");
  }
  TImportOptions options;
  options.missing = TMissingPolicy::Omit;
  options.variables = {"bill_length_mm", "bill_depth_mm", "5", "body_mass_g"};
  TImportReport report;
  const TDataMatrix data = ImportTable(Fixture("penguins.csv"), options, &report);
  EXPECT_EQ(report.Summary(),
            "342 objects, 4 variables, 3 groups; 2 objects with missing values left out");
  EXPECT_EQ(data.notes,
            (std::vector<std::string>{"2 objects with missing values left out: line 5, line 273"}));
  EXPECT_EQ(data.objectLabels.front(), "OBJ1");
  EXPECT_EQ(data.groups.front(), "Adelie");
  EXPECT_EQ(data.groups.back(), "Chinstrap");
  EXPECT_EQ(data.variableLabels[2], "flipper_length_mm");
  EXPECT_EQ(report.columns[0].role, TColumnRole::Group);
  EXPECT_EQ(report.columns[1].role, TColumnRole::Ignore);  // island
  EXPECT_EQ(report.columns[7].role, TColumnRole::Ignore);  // year, not asked for
  EXPECT_TRUE(report.columns[7].numeric);
  // Without the list, the year is a variable too; sex (text) never is.
  options.variables.clear();
  const TDataMatrix all = ImportTable(Fixture("penguins.csv"), options);
  EXPECT_EQ(all.variableCount, 5u);
  EXPECT_EQ(all.variableLabels.back(), "year");
}

// An object without a label keeps its name whatever else is left out: the
// influential OBJ292 is the 292nd penguin of the table, not the 292nd kept.
TEST(TableImport, UnlabelledObjectsAreNamedByTheirDataRow) {
  TImportOptions complete;  // year has no missing value: every penguin is kept
  complete.variables = {"year"};
  const TDataMatrix all = ImportTable(Fixture("penguins.csv"), complete);
  ASSERT_EQ(all.objectCount, 344u);
  TImportOptions options;
  options.missing = TMissingPolicy::Omit;
  options.variables = {"bill_length_mm", "year"};
  TImportReport report;
  const TDataMatrix kept = ImportTable(Fixture("penguins.csv"), options, &report);
  ASSERT_EQ(kept.objectCount, 342u);
  EXPECT_EQ(report.omittedRows, (std::vector<TSize>{4, 272}));
  EXPECT_EQ(report.omittedNames, (std::vector<std::string>{"OBJ4", "OBJ272"}));
  EXPECT_EQ(report.omittedPlaces, (std::vector<std::string>{"line 5", "line 273"}));
  std::size_t row = 0;  // in `all`
  for (TSize i = 0; i < kept.objectCount; ++i, ++row) {
    while (std::find(report.omittedRows.begin(), report.omittedRows.end(), row + 1) !=
           report.omittedRows.end())
      ++row;
    EXPECT_EQ(kept.objectLabels[i], all.objectLabels[row]);
    EXPECT_EQ(kept.objectLabels[i], "OBJ" + std::to_string(row + 1));
    EXPECT_EQ(kept.values.GetValue(i * 2 + 2), all.values.GetValue(row + 1)) << i;  // the year
  }
  EXPECT_EQ(kept.objectLabels[3], "OBJ5");
  EXPECT_EQ(kept.objectLabels[290], "OBJ293");
}

// write.csv puts R's row names first under an empty heading; numbers or
// not, they name the objects and are never analysed.
TEST(TableImport, RowNamesOfRAreTheLabels) {
  TImportOptions options;
  options.missing = TMissingPolicy::Omit;
  TImportReport report;
  const TDataMatrix data = ImportTable(Fixture("r_row_names.csv"), options, &report);
  EXPECT_EQ(report.columns[0].role, TColumnRole::Labels);
  EXPECT_EQ(data.objectLabels, (std::vector<std::string>{"1", "2", "3", "4", "6"}));
  EXPECT_EQ(data.variableLabels,
            (std::vector<std::string>{"Ozone", "Solar.R", "Wind", "Temp", "Month", "Day"}));
  EXPECT_EQ(report.omittedNames, (std::vector<std::string>{"5"}));
  // A first column with a heading stays what its values make it.
  TImportOptions named;
  named.variables = {"row", "length"};
  const TDataMatrix numbered = ImportTable(Fixture("identifier_columns.csv"), named);
  EXPECT_EQ(numbered.variableLabels, (std::vector<std::string>{"row", "length"}));
}

TEST(TableImport, IdentifierLikeColumnsAreNotedButStillVariables) {
  TImportReport report;
  const TDataMatrix data =
      ImportTable(Fixture("identifier_columns.csv"), TImportOptions(), &report);
  EXPECT_EQ(data.variableCount, 5u);  // the import itself keeps them, for scripts
  EXPECT_EQ(report.columns[0].identifier, "consecutive whole numbers");               // row
  EXPECT_EQ(report.columns[1].identifier, "whole numbers named like an identifier");  // sample_id
  EXPECT_EQ(report.columns[2].identifier, "whole numbers named like an identifier");  // year
  EXPECT_EQ(report.columns[3].identifier, "");  // length: measured
  EXPECT_EQ(report.columns[4].identifier, "");
  TImportReport airquality;
  TImportOptions omit;
  omit.missing = TMissingPolicy::Omit;
  ImportTable(Fixture("r_row_names.csv"), omit, &airquality);
  EXPECT_EQ(airquality.columns[5].identifier, "");                           // Month: 5, 5, 5
  EXPECT_EQ(airquality.columns[6].identifier, "consecutive whole numbers");  // Day
  for (const char* name : {"ID", "sample_id", "Year", "Row no", "date", "index"})
    EXPECT_TRUE(IsIdentifierLikeName(name)) << name;
  for (const char* name : {"width", "idle", "yearly", "rowing", "Ozone"})
    EXPECT_FALSE(IsIdentifierLikeName(name)) << name;
}

TEST(TableImport, RolesCanBeGivenByNameOrNumber) {
  struct TCase {
    const char* labels;
    const char* group;
    std::vector<std::string> variables;
    std::string firstLabel, firstGroup;
    std::vector<std::string> variableLabels;
    const char* refusal;
  };
  const TCase cases[] = {
      {"", "", {}, "setosa01", "setosa", {"SepalLen", "SepalWid", "PetalLen", "PetalWid"}, nullptr},
      {"-", "-", {"PetalLen", "1"}, "OBJ1", "", {}, "Text in a numeric column"},
      {"-", "-", {"petallen", "sepallen"}, "OBJ1", "", {"PetalLen", "SepalLen"}, nullptr},
      {"species", "label", {"3"}, "setosa", "setosa01", {"SepalLen"}, nullptr},
      // A variable given is never detected as the group: its text is the cause.
      {"", "", {"species"}, "", "", {}, "Text in a numeric column"},
      {"", "species", {"species"}, "", "", {}, "Column given two roles"},
      {"Name", "", {}, "", "", {}, "No such column"},
      {"", "7", {}, "", "", {}, "No such column"},
  };
  for (const TCase& c : cases) {
    TImportOptions options;
    options.labelsColumn = c.labels;
    options.groupColumn = c.group;
    options.variables = c.variables;
    try {
      const TDataMatrix data = ImportTable(Fixture("iris_grouped.csv"), options);
      EXPECT_EQ(c.refusal, nullptr) << c.labels << " " << c.group;
      EXPECT_EQ(data.objectLabels[0], c.firstLabel);
      EXPECT_EQ(data.groups.empty() ? std::string() : data.groups[0], c.firstGroup);
      EXPECT_EQ(data.variableLabels, c.variableLabels);
    } catch (const EDataRefused& e) {
      ASSERT_NE(c.refusal, nullptr) << e.Message() << ": " << e.Detail();
      EXPECT_EQ(e.Message(), c.refusal);
    }
  }
}

TEST(TableImport, PastedTextWithoutHeaderGetsMadeUpNames) {
  TImportReport report;
  const TDataMatrix data = ImportTableText("1\t2\n3\t4\n5\t6\n", TImportOptions(), &report);
  EXPECT_FALSE(report.header);
  EXPECT_EQ(report.format, "clipboard");
  EXPECT_EQ(data.title, "Pasted data");
  EXPECT_EQ(data.variableLabels, (std::vector<std::string>{"VAR1", "VAR2"}));
  EXPECT_EQ(data.objectLabels, (std::vector<std::string>{"OBJ1", "OBJ2", "OBJ3"}));
  EXPECT_EQ(data.values.Data()[5], 6.0);
  EXPECT_EQ(report.preview.size(), 3u);
}

TEST(TableImport, RefusedImportStillReportsWhatItDetected) {
  TImportReport report;
  EXPECT_THROW(ImportTable(Fixture("penguins.csv"), TImportOptions(), &report), EDataRefused);
  ASSERT_EQ(report.columns.size(), 8u);
  EXPECT_EQ(report.columns[2].name, "bill_length_mm");
  EXPECT_EQ(report.separator, ',');
  EXPECT_FALSE(report.preview.empty());
}

TEST(GroupsFromLabels, TakesTheTextBeforeTrailingDigitsOrTheSeparator) {
  EXPECT_EQ(GroupsFromLabels({"setosa01", "versi10", "42", "a-1x", "abc"}),
            (std::vector<std::string>{"setosa", "versi", "42", "a-1x", "abc"}));
  EXPECT_EQ(GroupsFromLabels({"ad_f_1", "ch_m_2", "x", "_y"}, '_'),
            (std::vector<std::string>{"ad", "ch", "x", "_y"}));
}

}  // namespace
}  // namespace talvex
