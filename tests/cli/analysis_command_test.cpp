// talvex-cli's analysis: the listing on standard output or in a CR LF report
// file, the listing kept when a run fails, the factor count, the exports.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli_run.h"

namespace talvex {
namespace {

using testing::TRun;

TRun Cli(std::vector<std::string> arguments) { return testing::RunInProcess(std::move(arguments)); }

std::string AnalysisData(const std::string& name) {
  return std::string(TALVEX_SOURCE_DIR) + "/tests/analysis/data/" + name;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

std::string WithoutClockAndPath(std::string text, const std::string& lineEnd) {
  std::istringstream lines(text);
  std::string result, line;
  for (int index = 0; std::getline(lines, line); ++index) {
    if (!lineEnd.empty() && line.size() > 0 && line.back() == '\r') line.pop_back();
    if (index == 2) line = "Date of analysis - DATE";
    if (index == 3) line = "Time of analysis - TIME";
    if (index == 6) line = "Input file name  - PATH";
    result += line + "\n";
  }
  return result;
}

class CliAnalysis : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("talvex-cli-test-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_;
};

TEST_F(CliAnalysis, PrintsTheSameListingAsTheEngine) {
  const TRun run = Cli({"--method", "covariance", "--transform", "log10", "--threads", "2",
                        AnalysisData("morph.nts")});
  ASSERT_EQ(run.status, 0) << run.err;
  // Only the diagnostics' warnings (two axes turned in one reduced sample).
  EXPECT_EQ(run.err.rfind("talvex-cli: warning: axis 2 was exchanged in 1 of 10", 0), 0u)
      << run.err;
  EXPECT_EQ(WithoutClockAndPath(run.out, ""),
            ReadFile(std::string(TALVEX_SOURCE_DIR) +
                     "/tests/analysis/golden/morph_cov_log10_all_on.txt"));
}

TEST_F(CliAnalysis, ReportFileHasCarriageReturnLineEnds) {
  const std::filesystem::path report = dir_ / "report.txt";
  const TRun run = Cli(
      {"--rule", "kaiser", "--no-jackknife", "--report", report.string(), AnalysisData("r06.nts")});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
  const std::string text = ReadFile(report);
  ASSERT_GE(text.size(), 2u);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  std::size_t bareFeeds = 0;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) ++bareFeeds;
  EXPECT_EQ(bareFeeds, 0u);
  EXPECT_EQ(WithoutClockAndPath(text, "\r\n"),
            ReadFile(std::string(TALVEX_SOURCE_DIR) +
                     "/tests/analysis/golden/r06_corr_raw_kaiser_off.txt"));
}

TEST_F(CliAnalysis, ReportToADeviceIsWrittenStraightThrough) {
  const TRun run = Cli({"--no-jackknife", "--report", "/dev/null", AnalysisData("r06.nts")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
}

TEST_F(CliAnalysis, FailedRunKeepsTheListingSoFarAndExitsWithOne) {
  const TRun run = Cli({"--method", "covariance", "--transform", "ln", AnalysisData("zero.nts")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "talvex-cli: Floating point division by zero\n"
            "talvex-cli: Object OBJ2 has the value 0 in VAR1, which has no natural logarithm.\n");
  const std::string tail = "Data log (e) transformed\n\n";
  ASSERT_GE(run.out.size(), tail.size());
  EXPECT_EQ(run.out.substr(run.out.size() - tail.size()), tail);
}

// The cause of a fault follows the specified message on a line of its own;
// the listing still ends where the run stopped.
TEST_F(CliAnalysis, FailedRunNamesTheCauseAfterTheMessage) {
  const struct {
    std::vector<std::string> arguments;
    const char* err;
    const char* tail;
  } cases[] = {
      {{"one_object.nts"},
       "talvex-cli: Invalid floating point operation\n"
       "talvex-cli: One object is too few: the analysis needs at least two.\n",
       "Number of observations = 1\n\n"},
      {{"constant.nts"},
       "talvex-cli: Invalid floating point operation\n"
       "talvex-cli: The variable VAR2 is constant (standard deviation 0): its correlations are "
       "undefined.\n",
       "Correlation matrix\n\n"},
      {{"--method", "covariance", "all_constant.nts"},
       "talvex-cli: Invalid floating point operation\n"
       "talvex-cli: Every variable is constant: the total variance is 0.\n",
       "Average root = 0.0000000\n\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments = c.arguments;
    arguments.back() = AnalysisData(arguments.back());
    SCOPED_TRACE(arguments.back());
    const TRun run = Cli(arguments);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, c.err);
    const std::string tail = c.tail;
    ASSERT_GE(run.out.size(), tail.size());
    EXPECT_EQ(run.out.substr(run.out.size() - tail.size()), tail);
  }
}

// Decimal logarithms take values <= 0 as 0: the run completes with the same
// listing and says so on standard error, once per variable concerned.
TEST_F(CliAnalysis, WarnsOfValuesTakenAsZeroByDecimalLogarithms) {
  const TRun run =
      Cli({"--method", "covariance", "--transform", "log10", AnalysisData("zero.nts")});
  ASSERT_EQ(run.status, 0) << run.err;
  // First, before the run; the diagnostics' warnings (5 objects: axes 1 and
  // 2 exchanged) follow.
  EXPECT_EQ(run.err.rfind("talvex-cli: warning: log10 of 1 value <= 0 in VAR1 was taken as 0\n"
                          "talvex-cli: warning: axis 1 was exchanged",
                          0),
            0u)
      << run.err;
  EXPECT_EQ(WithoutClockAndPath(run.out, ""),
            ReadFile(std::string(TALVEX_SOURCE_DIR) +
                     "/tests/analysis/golden/zero_cov_log10_all_on.txt"));

  const TRun twice = Cli({"--transform", "log10", "--no-jackknife", AnalysisData("signs.nts")});
  EXPECT_EQ(twice.status, 0) << twice.err;
  EXPECT_EQ(twice.err,
            "talvex-cli: warning: log10 of 2 values <= 0 in SL were taken as 0\n"
            "talvex-cli: warning: log10 of 1 value <= 0 in PL was taken as 0\n");

  // Natural logarithms stop at such a value instead; no warning precedes that.
  const TRun ln = Cli({"--transform", "ln", AnalysisData("zero.nts")});
  EXPECT_EQ(ln.status, 1);
  EXPECT_EQ(ln.err.find("warning"), std::string::npos) << ln.err;
}

TEST_F(CliAnalysis, FactorCountMustFitTheVariables) {
  const TRun tooMany = Cli({"--factors", "3", AnalysisData("r06.nts")});
  EXPECT_EQ(tooMany.status, 1);
  EXPECT_EQ(tooMany.err, "talvex-cli: the number of factors must be between 1 and 2\n");
  EXPECT_EQ(tooMany.out, "");

  const TRun one = Cli({"--factors", "1", "--no-jackknife", AnalysisData("r06.nts")});
  ASSERT_EQ(one.status, 0) << one.err;
  EXPECT_NE(one.out.find("VAR1        -0.7071 \n"), std::string::npos);
}

TEST_F(CliAnalysis, ExportsScoresAndVectorsAfterTheRun) {
  const std::filesystem::path scores = dir_ / "scores.csv";
  const std::filesystem::path vectors = dir_ / "vectors.sdf";
  const TRun run =
      Cli({"--factors", "2", "--no-jackknife", "--scores", scores.string(), "--vectors",
           vectors.string(), "--report", (dir_ / "r.txt").string(), AnalysisData("r06.nts")});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string csv = ReadFile(scores);
  EXPECT_EQ(csv.substr(0, csv.find("\r\n")), "Axis1,Axis2");
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 6);  // heading and five objects
  const std::string sdf = ReadFile(vectors);
  EXPECT_EQ(std::count(sdf.begin(), sdf.end(), '\n'), 3);  // heading and two variables

  const TRun unknown = Cli({"--scores", (dir_ / "scores.txt").string(), AnalysisData("r06.nts")});
  EXPECT_EQ(unknown.status, 1);
  EXPECT_EQ(unknown.out, "");  // refused before the run
  EXPECT_NE(unknown.err.find("xlsx"), std::string::npos) << unknown.err;
  EXPECT_FALSE(std::filesystem::exists(dir_ / "scores.txt"));
}

TEST_F(CliAnalysis, DiagnosticsAndAllResultsBesideAnUnchangedListing) {
  const std::string data = AnalysisData("morph.nts");
  const TRun plain = Cli({"--method", "covariance", "--transform", "log10", data});
  const TRun run =
      Cli({"--method", "covariance", "--transform", "log10", "--match-axes", "--diagnostics",
           (dir_ / "diag.txt").string(), "--results", (dir_ / "csv/").string(), "--scores",
           (dir_ / "s.csv").string(), "--labelled", data});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(WithoutClockAndPath(run.out, ""), WithoutClockAndPath(plain.out, ""));
  EXPECT_EQ(run.err, plain.err);  // the same warnings, and nothing else
  const std::string diagnostics = ReadFile(dir_ / "diag.txt");
  EXPECT_NE(diagnostics.find("match axes before aligning signs: on"), std::string::npos);
  EXPECT_NE(diagnostics.find("Allometry: the MAC's against isometry (1)"), std::string::npos);
  for (const char* file : {"scores.csv", "jk-macs.csv", "influence.csv", "axis-exchanges.csv"})
    EXPECT_TRUE(std::filesystem::exists(dir_ / "csv" / file)) << file;
  // The labelled csv: the specified csv with the labels in front.
  const TRun specified = Cli({"--method", "covariance", "--transform", "log10", "--scores",
                              (dir_ / "plain.csv").string(), data});
  ASSERT_EQ(specified.status, 0) << specified.err;
  const std::string labelled = ReadFile(dir_ / "s.csv");
  const std::string unlabelled = ReadFile(dir_ / "plain.csv");
  const auto secondLine = [](const std::string& text) {
    const std::size_t start = text.find("\r\n") + 2;
    return text.substr(start, text.find("\r\n", start) - start);
  };
  EXPECT_EQ(labelled.substr(0, 7), "Object,");
  const std::string row = secondLine(labelled);
  EXPECT_EQ(row.substr(row.find(',') + 1), secondLine(unlabelled));
}

TEST_F(CliAnalysis, NewOutputsAreCheckedBeforeTheRun) {
  const std::string data = AnalysisData("morph.nts");
  TRun run = Cli({"--results", (dir_ / "all.txt").string(), data});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");  // refused before the run: no listing
  EXPECT_NE(run.err.find("must end in .xlsx, .json or /"), std::string::npos) << run.err;
  run = Cli({"--diagnostics", (dir_ / "missing" / "d.txt").string(), data});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  run = Cli({"--labelled", "--scores", (dir_ / "s.xls").string(), data});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("--labelled applies to a .csv export"), std::string::npos) << run.err;
}

// Figures: checked before the run like the other outputs (place, size,
// components), then drawn after it in every format.
TEST_F(CliAnalysis, FiguresAreCheckedBeforeTheRunAndDrawnAfterIt) {
  const std::string data = AnalysisData("morph.nts");
  TRun run = Cli({"--figure", "scores=" + (dir_ / "missing" / "f.png").string(), data});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("Cannot create file"), std::string::npos) << run.err;
  run = Cli({"--figure", "scores=" + (dir_ / "f.png").string(), "--figure-size", "1x1px", data});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  run = Cli({"--figure", "scores=" + (dir_ / "f.png").string(), "--factors", "2",
             "--figure-components", "1,3", data});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("components must be between 1 and 2"), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(dir_ / "f.png"));

  run =
      Cli({"--report", (dir_ / "r.txt").string(), "--figure", "biplot=" + (dir_ / "b.svg").string(),
           "--figure", "scree=" + (dir_ / "s.pdf").string(), "--figure",
           "influence=" + (dir_ / "i.png").string(), data});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadFile(dir_ / "b.svg").rfind("<?xml", 0), 0u);
  EXPECT_EQ(ReadFile(dir_ / "s.pdf").rfind("%PDF", 0), 0u);
  EXPECT_EQ(ReadFile(dir_ / "i.png").substr(1, 3), "PNG");
}

}  // namespace
}  // namespace talvex
