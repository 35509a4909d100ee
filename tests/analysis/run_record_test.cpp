// The run record: its command line is one a POSIX shell reads back word for
// word, with every option that changes what is read or computed, and the
// record a completed run leaves is the run's own.
#include "analysis/run_record.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "analysis/analysis_state.h"
#include "test_support.h"

namespace talvex {
namespace {

// The words a shell makes of `line`, one a line, as printf prints them.
std::string ShellWords(const std::string& line) {
  const std::string command = "printf '%s\\n' " + line.substr(line.find(' ') + 1);
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return "popen failed";
  std::string words;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe.get()) != nullptr) words += buffer;
  return words;
}

TEST(RunRecord, ShellQuotingSurvivesTheShell) {
  EXPECT_EQ(ShellQuote("plain/path-1.csv"), "plain/path-1.csv");
  EXPECT_EQ(ShellQuote(""), "''");
  EXPECT_EQ(ShellQuote("a b"), "'a b'");
  EXPECT_EQ(ShellQuote("it's"), "'it'\\''s'");
  for (const std::string hostile :
       {"two  blanks", "it's", "$HOME", "`date`", "a;b|c&d", "tab\there", "new\nline", "*.csv",
        "back\\slash", "\"quoted\"", "!bang", "~user", "#hash"}) {
    EXPECT_EQ(ShellWords("x " + ShellQuote(hostile)), hostile + "\n") << hostile;
  }
}

TRunRecord TableRecord() {
  TRunRecord record;
  TRunSource& s = record.source;
  s.kind = TSourceKind::TableFile;
  s.path = "/data/my penguins.csv";
  s.format = "csv";
  s.separator = ';';
  s.decimalComma = true;
  s.header = true;
  s.hasGroup = true;
  s.group = {"species", 1, true};
  s.variables = {{"bill length", 3, true}, {"2007", 8, false}};
  s.omitMissing = true;
  s.missingMarkers = DefaultMissingMarkers();
  s.leftOut = {{"OBJ4", 4, "line 5"}};
  record.variableCount = 2;
  record.factorCount = 2;
  record.version = "1.2.3";
  record.date = "2026-12-08";
  record.time = "09:10:11";
  return record;
}

TEST(RunRecord, CommandLineOfATableNamesEveryChoice) {
  TRunRecord record = TableRecord();
  EXPECT_EQ(
      CommandLine(record),
      "talvex-cli --separator semicolon --decimal-comma --header yes --labels - --group species "
      "--variables 'bill length,8' --missing omit '/data/my penguins.csv'");
  record.options.method = DispersionMethod::Covariance;
  record.options.transformation = DataTransform::TransformDecimal;
  record.options.factorRule = FactorRule::FactorsNumber;  // lists like all
  record.factorCount = 1;
  record.options.jackknife = false;
  record.matchAxes = true;
  record.source.decimalComma = false;
  record.source.header = false;  // a first row switched to data by hand
  record.source.missingMarkers = {"", "NA", "-99"};
  record.source.groupsFromLabels = true;
  EXPECT_EQ(
      CommandLine(record),
      "talvex-cli --separator semicolon --decimal-point --header no --labels - --group species "
      "--variables 'bill length,8' --missing omit --missing-markers NA,-99 "
      "--groups-from-labels --method covariance --transform log10 --factors 1 "
      "--no-jackknife --match-axes '/data/my penguins.csv'");
  record.options.factorRule = FactorRule::FactorsJoliffe;
  EXPECT_NE(CommandLine(record).find(" --rule joliffe "), std::string::npos);
}

TEST(RunRecord, ImputationIsRepeatedWithItsChoices) {
  TRunRecord record = TableRecord();
  record.source.omitMissing = false;
  record.source.imputeMissing = true;
  record.source.leftOut.clear();
  EXPECT_EQ(
      CommandLine(record),
      "talvex-cli --separator semicolon --decimal-comma --header yes --labels - --group species "
      "--variables 'bill length,8' --missing impute '/data/my penguins.csv'");
  record.options.imputeComponents = 2;
  record.options.maxMissingShare = 0.3;
  EXPECT_NE(CommandLine(record).find(
                " --missing impute --impute-components 2 --impute-max-share 0.3 '/data/my"),
            std::string::npos)
      << CommandLine(record);
  const auto fields = RunRecordFields(record);
  const auto value = [&fields](const std::string& name) {
    for (const auto& [field, text] : fields)
      if (field == name) return text;
    return std::string("(absent)");
  };
  EXPECT_EQ(value("Missing values"), "imputed by iterative PCA");
  EXPECT_EQ(value("Imputation components"), "2");
  EXPECT_EQ(value("Largest share imputed"), "0.3");
}

TEST(RunRecord, CommandLineOfOtherSources) {
  TRunRecord record;
  record.source.path = "-data.nts";  // not to be read as an option
  record.variableCount = record.factorCount = 4;
  record.options.transformation = DataTransform::TransformNatural;
  EXPECT_EQ(CommandLine(record), "talvex-cli --transform ln -- -data.nts");

  TRunRecord workbook = TableRecord();
  workbook.source.format = "xlsx";
  workbook.source.separator = 0;
  workbook.source.sheet = "Field data";
  EXPECT_EQ(CommandLine(workbook),
            "talvex-cli --sheet 'Field data' --header yes --labels - --group species "
            "--variables 'bill length,8' --missing omit '/data/my penguins.csv'");

  TRunRecord pasted = TableRecord();
  pasted.source.kind = TSourceKind::PastedData;
  pasted.source.path.clear();
  pasted.source.separator = '\t';
  EXPECT_EQ(CommandLine(pasted).substr(0, 28), "talvex-cli --separator tab -");
  EXPECT_EQ(CommandLine(pasted).substr(CommandLine(pasted).size() - 16), " pasted-data.tsv");
}

TEST(RunRecord, FieldsTellTheSourceAndTheOptions) {
  const auto fields = RunRecordFields(TableRecord());
  const auto value = [&](const std::string& name) {
    for (const auto& [field, text] : fields)
      if (field == name) return text;
    return std::string("(absent)");
  };
  EXPECT_EQ(fields.front().first, "Program");
  EXPECT_EQ(value("Program"), "TALVEX 1.2.3");
  EXPECT_EQ(value("Source"), "/data/my penguins.csv");
  EXPECT_EQ(value("Labels column"), "none: objects are named OBJ and their data row");
  EXPECT_EQ(value("Group column"), "species (column 1)");
  EXPECT_EQ(value("Variables"), "bill length, 2007");
  EXPECT_EQ(value("Objects left out"), "OBJ4 (data row 4, line 5)");
  EXPECT_EQ(value("Missing value markers"), "(empty cell) NA NaN . ? -");
  EXPECT_EQ(value("Method"), "correlation");
  EXPECT_EQ(value("Sheet"), "(absent)");
  EXPECT_EQ(fields.back().first, "Command line");
  EXPECT_EQ(fields.back().second, CommandLine(TableRecord()));
}

TEST(RunRecord, ACompletedRunRecordsItselfAndAFailedOneLeavesTheRecord) {
  TAnalysisState state;
  state.LoadFile(testing::FixturePath("morph.nts"));
  TReportListing listing;
  TAnalysisOptions options;
  options.method = DispersionMethod::Covariance;
  state.Run(options, listing, nullptr, 1, nullptr, true);
  const TRunRecord& record = state.Record();
  EXPECT_EQ(record.options.method, DispersionMethod::Covariance);
  EXPECT_TRUE(record.matchAxes);
  EXPECT_EQ(record.factorCount, state.Data().variableCount);
  EXPECT_EQ(record.version, ProgramVersion());
  // The listing's date and time are the record's.
  EXPECT_EQ(listing.Lines()[2], "Date of analysis - " + record.date);
  EXPECT_EQ(listing.Lines()[3], "Time of analysis - " + record.time);
  EXPECT_EQ(record.source.kind, TSourceKind::DataMatrixFile);
  EXPECT_EQ(record.source.path.front(), '/');

  TAnalysisOptions failing;
  failing.transformation = DataTransform::TransformNatural;
  state.LoadFile(testing::FixturePath("negative.nts"));
  state.Run(TAnalysisOptions(), listing, nullptr, 1);
  EXPECT_ANY_THROW(state.Run(failing, listing, nullptr, 1));
  EXPECT_EQ(state.Record().options.transformation, DataTransform::TransformRaw);
}

}  // namespace
}  // namespace talvex
