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

TEST_F(CliSupplementary, CheckRefusesWhatTheRunRefusesWithTheSameMessages) {
  WriteFile(dir_ / "short.csv", "specimen,SepalLen,SepalWid,PetalLen\nfossil,7.9,4.6,2.1\n");
  WriteFile(dir_ / "zero.csv",
            "specimen,SepalLen,SepalWid,PetalLen,PetalWid\nfossil,7.9,0,2.1,1\n");
  // Six objects, five of one kind: picking them leaves one active object.
  WriteFile(dir_ / "six.csv",
            "name,kind,a,b\no1,x,1.5,2\no2,y,2.5,1\no3,y,3.5,5\no4,y,4.5,3\n"
            "o5,y,5.5,8\no6,y,6.5,5\n");
  const std::string iris = Table("iris_grouped.csv");
  const std::vector<std::vector<std::string>> refused{
      {"--supplementary", (dir_ / "none.csv").string(), iris},
      {"--supplementary", (dir_ / "short.csv").string(), iris},
      {"--transform", "ln", "--supplementary", (dir_ / "zero.csv").string(), iris},
      {"--supplementary-rows", "species=virginca", iris},
      {"--supplementary-rows", "colour=red", iris},
      {"--supplementary-rows", "species=setosa,versi,virgin", iris},
      {"--supplementary-variables", "PetalWidth", iris},
      {"--labels", "name", "--group", "kind", "--supplementary-rows", "kind=y",
       (dir_ / "six.csv").string()},
      {"--labels", "name", "--group", "kind", "--supplementary-rows", "kind=x,y",
       (dir_ / "six.csv").string()},
  };
  for (std::vector<std::string> arguments : refused) {
    const TRun run = RunInProcess(arguments);
    arguments.insert(arguments.begin(), "--check");
    const TRun check = RunInProcess(arguments);
    EXPECT_EQ(run.status, 1) << arguments.back();
    EXPECT_EQ(check.status, run.status) << run.err;
    EXPECT_EQ(check.err, run.err);
    EXPECT_EQ(check.out, "");
  }
  EXPECT_NE(RunInProcess(refused[7]).err.find("Fewer than two active objects"), std::string::npos);

  // Accepted, the check counts the items the run would place; the line and
  // the groups are those of the file as read.
  TRun check = RunInProcess({"--check", "--supplementary-rows", "species=virgin",
                             "--supplementary-variables", "PetalWid", iris});
  EXPECT_EQ(check.status, 0) << check.err;
  EXPECT_EQ(check.out,
            "150 objects, 3 descriptors, 3 groups\n50 supplementary objects, 1 supplementary "
            "variable\n");
  check = RunInProcess({"--check", "--supplementary", (dir_ / "zero.csv").string(), iris});
  EXPECT_EQ(check.status, 0) << check.err;
  EXPECT_EQ(check.out, "150 objects, 4 descriptors, 3 groups\n1 supplementary object\n");
}

}  // namespace
}  // namespace talvex
