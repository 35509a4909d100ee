// talvex-cli with supplementary items: the listing is byte for byte the
// listing of the active data alone, rows picked out of a table or objects of
// another file; the diagnostics report and the results carry them; bad
// choices are refused with their place.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli_run.h"

namespace talvex {
namespace {

using testing::RunInProcess;
using testing::TRun;

std::string Table(const std::string& name) { return std::string(TALVEX_TABLES_DATA) + "/" + name; }

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

void WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// The listing but for its date and time lines, which follow the clock.
std::string Unclocked(const std::string& listing) {
  std::istringstream lines(listing);
  std::string result, line;
  for (int index = 0; std::getline(lines, line); ++index)
    if (index != 2 && index != 3) result += line + "\n";
  return result;
}

class CliSupplementary : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("talvex-cli-supplementary-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_ / "alone");
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_;
};

TEST_F(CliSupplementary, TheListingIsTheActiveDatasAlone) {
  // The table without its virginica rows, under the same name.
  std::istringstream rows(ReadFile(Table("iris_grouped.csv")));
  std::string alone, line;
  while (std::getline(rows, line))
    if (line.find(",virgin,") == std::string::npos) alone += line + "\n";
  WriteFile(dir_ / "alone" / "iris_grouped.csv", alone);
  const std::string both = (dir_ / "both.txt").string(), one = (dir_ / "one.txt").string();
  const TRun picked = RunInProcess({"--report", both, "--supplementary-rows", "species=virgin",
                                    "--supplementary-variables", "PetalWid", "--diagnostics",
                                    (dir_ / "d.txt").string(), Table("iris_grouped.csv")});
  ASSERT_EQ(picked.status, 0) << picked.err;
  const TRun plain = RunInProcess({"--report", one, "--variables", "SepalLen,SepalWid,PetalLen",
                                   (dir_ / "alone" / "iris_grouped.csv").string()});
  ASSERT_EQ(plain.status, 0) << plain.err;
  std::string expected = Unclocked(ReadFile(one));
  const std::string path = "alone/iris_grouped.csv";
  expected.replace(expected.find(path), path.size(), "iris_grouped.csv");
  std::string actual = Unclocked(ReadFile(both));
  const std::size_t at = actual.find(Table("iris_grouped.csv"));
  ASSERT_NE(at, std::string::npos);
  actual.replace(at, Table("iris_grouped.csv").size(),
                 (dir_ / "iris_grouped.csv").lexically_normal().string());
  EXPECT_EQ(actual, expected);
  EXPECT_EQ(picked.err,
            "talvex-cli: placed 50 supplementary objects, 1 supplementary variable, 1 grouping "
            "with group means\n");
  const std::string report = ReadFile(dir_ / "d.txt");
  EXPECT_NE(report.find("Supplementary objects: scores"), std::string::npos);
  EXPECT_NE(report.find("virgin (0 + 50)"), std::string::npos);
  EXPECT_NE(report.find("Supplementary variables: correlations with the components"),
            std::string::npos);
  EXPECT_NE(report.find("--supplementary-rows species=virgin --supplementary-variables PetalWid"),
            std::string::npos);
}

TEST_F(CliSupplementary, ObjectsOfAnotherFileLeaveTheListingAsItWas) {
  const std::string iris = std::string(TALVEX_SOURCE_DIR) + "/examples/iris.nts";
  WriteFile(dir_ / "fossil.csv",
            "specimen,PetalWid,PetalLen,SepalWid,SepalLen\nfossil,0.6,2.1,4.6,7.9\n");
  const TRun plain = RunInProcess({"--report", (dir_ / "one.txt").string(), iris});
  const TRun placed =
      RunInProcess({"--report", (dir_ / "both.txt").string(), "--supplementary",
                    (dir_ / "fossil.csv").string(), "--results", (dir_ / "r.json").string(), iris});
  ASSERT_EQ(placed.status, 0) << placed.err;
  EXPECT_EQ(Unclocked(ReadFile(dir_ / "both.txt")), Unclocked(ReadFile(dir_ / "one.txt")));
  const std::string json = ReadFile(dir_ / "r.json");
  EXPECT_NE(json.find("{\"name\": \"Supplementary scores\", \"columns\": [\"Object\", \"Axis\", "
                      "\"Score\", \"Estimate\", \"SE\", \"Lower 95%\", \"Upper 95%\"]"),
            std::string::npos);
}

TEST_F(CliSupplementary, BadChoicesAreRefusedWithTheirPlace) {
  TRun run = RunInProcess({"--supplementary-rows", "species=virginca", Table("iris_grouped.csv")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "talvex-cli: No object has that value\ntalvex-cli: column \"species\": \"virginca\"\n");
  run = RunInProcess(
      {"--supplementary-rows", "species=setosa,versi,virgin", Table("iris_grouped.csv")});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("All objects are supplementary"), std::string::npos);
  WriteFile(dir_ / "short.csv", "specimen,SepalLen,SepalWid,PetalLen\nfossil,7.9,4.6,2.1\n");
  run = RunInProcess({"--supplementary", (dir_ / "short.csv").string(), Table("iris_grouped.csv")});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("Supplementary file lacks a variable\ntalvex-cli: " +
                         (dir_ / "short.csv").string() + ": no variable \"PetalWid\""),
            std::string::npos)
      << run.err;
  WriteFile(dir_ / "zero.csv",
            "specimen,SepalLen,SepalWid,PetalLen,PetalWid\nfossil,7.9,0,2.1,1\n");
  run = RunInProcess({"--transform", "ln", "--supplementary", (dir_ / "zero.csv").string(),
                      Table("iris_grouped.csv")});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("Natural logarithm of a value <= 0 in a supplementary object\ntalvex-cli: "
                         "supplementary object \"fossil\" (" +
                         (dir_ / "zero.csv").string() + ", object 1), variable \"SepalWid\": 0"),
            std::string::npos)
      << run.err;
  // A variable stays one: rows are not picked by a column the analysis uses.
  run = RunInProcess({"--supplementary-rows", "SepalLen=5.1", Table("iris_grouped.csv")});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("No such column\ntalvex-cli: rows picked by column \"SepalLen\""),
            std::string::npos)
      << run.err;
  run = RunInProcess({"--supplementary-rows", "species", Table("iris_grouped.csv")});
  EXPECT_EQ(run.status, 2);
  run = RunInProcess(
      {"--supplementary-variables", "x", std::string(TALVEX_SOURCE_DIR) + "/examples/iris.nts"});
  EXPECT_EQ(run.status, 2);
}

}  // namespace
}  // namespace talvex
