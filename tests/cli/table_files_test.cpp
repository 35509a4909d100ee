// talvex-cli with tables: detection by extension, the column options, --check
// lines, refusals with their place, and --save-data read back.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "cli/cli_options.h"
#include "cli_run.h"
#include "input/data_reader.h"

namespace talvex {
namespace {

using testing::RunInProcess;
using testing::TRun;

std::string Table(const std::string& name) { return std::string(TALVEX_TABLES_DATA) + "/" + name; }

TEST(TableFiles, CheckReportsObjectsVariablesGroupsAndLeftOut) {
  struct TCase {
    std::vector<std::string> arguments;
    int status;
    std::string out;
    std::string err;
  };
  const TCase cases[] = {
      {{"--check", Table("iris_grouped.csv")}, 0, "150 objects, 4 descriptors, 3 groups\n", ""},
      {{"--check", Table("iris_comma.csv")}, 0, "150 objects, 4 descriptors\n", ""},
      {{"--check", "--sheet", "Iris", Table("iris_openpyxl.xlsx")},
       0,
       "150 objects, 4 descriptors, 3 groups\nSheet \"Iris\" (2 of 2)\n",
       ""},
      {{"--check", "--group=-", Table("iris_libreoffice.ods")},
       0,
       "150 objects, 4 descriptors\nSheet \"iris_libreoffice\" (1 of 1)\n",
       ""},
      {{"--check", "--missing", "omit", Table("iris_missing.csv")},
       0,
       "147 objects, 4 descriptors\n"
       "3 objects with missing values left out: setosa04, versi11, virgin50\n",
       ""},
      {{"--check", "--missing=omit", "--variables", "bill_length_mm,4,5,body_mass_g",
        Table("penguins.csv")},
       0,
       "342 objects, 4 descriptors, 3 groups\n"
       "2 objects with missing values left out: line 5, line 273\n",
       ""},
      {{"--check", "--separator", "comma", "--decimal-comma", Table("iris_semicolon.csv")},
       1,
       "",
       "talvex-cli: Ragged table\n"},
      {{"--check", Table("penguins.csv")},
       1,
       "",
       "talvex-cli: Missing value in table\ntalvex-cli: " + Table("penguins.csv") +
           ": line 5 (data row 4), column \"bill_length_mm\": \"NA\" is a missing value\n"},
      {{"--check", Table("bad_ragged.csv")},
       1,
       "",
       "talvex-cli: Ragged table\ntalvex-cli: " + Table("bad_ragged.csv") +
           ": line 5 has 4 cells where line 1 has 5 (separator: comma, detected from the first "
           "lines; give the separator if it is another)\n"},
      {{"--check", Table("bad_not_zip.xlsx")}, 1, "", "talvex-cli: Not a workbook file\n"},
      {{"--check", "--labels", "label", std::string(TALVEX_SOURCE_DIR) + "/examples/iris.nts"},
       2,
       "",
       "talvex-cli: --sheet, --labels"},
  };
  for (const TCase& c : cases) {
    const TRun run = RunInProcess(c.arguments);
    EXPECT_EQ(run.status, c.status) << c.arguments.back() << run.err;
    EXPECT_EQ(run.out, c.out) << c.arguments.back();
    EXPECT_EQ(run.err.substr(0, c.err.size()), c.err) << c.arguments.back();
  }
}

TEST(TableFiles, SaveDataWritesADataMatrixFileThatReadsBackTheSame) {
  const std::string saved =
      (std::filesystem::temp_directory_path() / "talvex_cli_saved_iris.nts").string();
  const TRun run = RunInProcess({"--check", Table("iris_grouped.csv"), "--save-data", saved});
  ASSERT_EQ(run.status, 0) << run.err;
  TDataMatrix back, iris;
  ReadDataFile(saved, back);
  std::filesystem::remove(saved);
  ReadDataFile(std::string(TALVEX_SOURCE_DIR) + "/examples/iris.nts", iris);
  EXPECT_EQ(back.title, "iris_grouped.csv");
  EXPECT_EQ(back.objectLabels, iris.objectLabels);
  EXPECT_EQ(back.variableLabels, iris.variableLabels);
  ASSERT_EQ(back.valueCount, iris.valueCount);
  EXPECT_EQ(std::memcmp(back.values.Data(), iris.values.Data(), iris.valueCount * sizeof(double)),
            0);
}

TEST(TableFiles, AnalysisOfATableListsLeftOutObjectsOnStandardError) {
  const TRun run = RunInProcess({"--missing", "omit", "--no-jackknife", Table("iris_missing.csv")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err,
            "talvex-cli: 3 objects with missing values left out: setosa04, versi11, virgin50\n");
  EXPECT_NE(run.out.find("Number of observations = 147"), std::string::npos);
}

// The options a desktop run's command line may need beyond the column roles.
TEST(TableFiles, DecimalMarkMissingMarkersAndGroupsFromLabels) {
  // A decimal point said outright: "5,1" is then not five point one, and the
  // refusal names the notation.
  TRun run = RunInProcess({"--check", "--decimal-point", Table("iris_semicolon.csv")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err.rfind("talvex-cli: Numbers in another notation\n", 0), 0u) << run.err;
  run = RunInProcess({"--check", "--decimal-comma", Table("iris_semicolon.csv")});
  EXPECT_EQ(run.status, 0) << run.err;

  // Markers named by the user replace the usual ones; the empty cell stays one.
  run = RunInProcess(
      {"--check", "--missing=omit", "--missing-markers", "NA,?", Table("iris_missing.csv")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.substr(0, 27), "147 objects, 4 descriptors\n");
  run = RunInProcess(
      {"--check", "--missing=omit", "--missing-markers", "NA", Table("iris_missing.csv")});
  EXPECT_EQ(run.status, 1);  // "?" is no longer a missing value
  EXPECT_EQ(run.err.substr(0, 37), "talvex-cli: Text in a numeric column\n");

  // Groups from the labels reach All Results, and the run record says so.
  const std::string results =
      (std::filesystem::temp_directory_path() / "talvex_cli_groups_from_labels.json").string();
  run = RunInProcess({"--no-jackknife", "--groups-from-labels", "--results", results, "--report",
                      "/dev/null", Table("iris_comma.csv")});
  ASSERT_EQ(run.status, 0) << run.err;
  std::ifstream in(results);
  const std::string json((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::filesystem::remove(results);
  EXPECT_NE(json.find("\"columns\": [\"Object\", \"Group\", \"Axis1\""), std::string::npos);
  EXPECT_NE(json.find("[\"setosa01\", \"setosa\", "), std::string::npos);
  EXPECT_NE(json.find("[\"Groups\", \"from the object labels\"]"), std::string::npos);
  EXPECT_NE(json.find("--groups-from-labels --no-jackknife "), std::string::npos);
}

TEST(TableFiles, IdentifierLikeVariablesAreAnalysedWithAWarning) {
  TRun run = RunInProcess({"--no-jackknife", "--missing=omit", Table("penguins.csv")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("talvex-cli: warning: column \"year\" (column 8) looks like an "
                         "identifier (whole numbers named like an identifier) and is analysed as "
                         "a variable; --variables names the variables to analyse\n"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.out.find("Number of variables    = 5"), std::string::npos);
  // Named variables are the user's choice: nothing to warn of.
  run = RunInProcess(
      {"--no-jackknife", "--missing=omit", "--variables", "3,4,year", Table("penguins.csv")});
  EXPECT_EQ(run.err.find("warning"), std::string::npos) << run.err;
}

TEST(TableFiles, TableOptionsParse) {
  struct TCase {
    std::vector<std::string> arguments;
    char separator;
    std::vector<std::string> variables;
    const char* usage;  // the start of the ECliUsage message, or nullptr
  };
  const TCase cases[] = {
      {{"--separator", "semicolon", "a.csv"}, ';', {}, nullptr},
      {{"--separator=tab", "a.tsv"}, '\t', {}, nullptr},
      {{"--separator", "|", "a.txt"}, '|', {}, nullptr},
      {{"--separator", "pipe", "a.txt"}, 0, {}, "bad value 'pipe' for --separator"},
      {{"--variables", "SL,2,PW", "a.csv"}, 0, {"SL", "2", "PW"}, nullptr},
      {{"--variables", "SL,,PW", "a.csv"}, 0, {}, "bad value 'SL,,PW' for --variables"},
      {{"--missing", "drop", "a.csv"}, 0, {}, "bad value 'drop' for --missing"},
      {{"--sheet", "", "a.xlsx"}, 0, {}, "option '--sheet' needs a value"},
      {{"--decimal-comma", "a.nts"}, 0, {}, "--sheet, --labels"},
  };
  for (const TCase& c : cases) {
    try {
      const TCliOptions options = ParseCliOptions(c.arguments);
      EXPECT_EQ(c.usage, nullptr) << c.arguments[0];
      EXPECT_EQ(options.table.separator.value_or(0), c.separator);
      EXPECT_EQ(options.table.variables, c.variables);
    } catch (const ECliUsage& e) {
      ASSERT_NE(c.usage, nullptr) << e.Message();
      EXPECT_EQ(e.Message().rfind(c.usage, 0), 0u) << e.Message();
    }
  }
}

}  // namespace
}  // namespace talvex
