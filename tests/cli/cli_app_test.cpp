// talvex-cli end to end: --check on every kind of file the reader accepts,
// refuses or fails on, --help, --version, usage errors; in-process through
// RunCli and, for the exit status and streams of the real program, by running it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "cli_run.h"

namespace talvex {
namespace {

using testing::RunInProcess;
using testing::TRun;

std::string Data(const std::string& name) { return std::string(TALVEX_INPUT_DATA) + "/" + name; }

TEST(CliApp, CheckPrintsTheInformationLine) {
  const TRun run = RunInProcess({"--check", Data("default_labels.nts")});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "3 objects, 2 descriptors\n");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(RunInProcess({Data("labelled.nts"), "--check"}).out, "4 objects, 3 descriptors\n");
}

TEST(CliApp, CheckReportsEveryRefusalAndFailureWithItsMessage) {
  const struct {
    const char* file;
    const char* message;
  } cases[] = {
      {"matrix_type_01.nts", "Invalid matrix type. Must be \"1\""},
      {"empty.nts", "Invalid matrix type. Must be \"1\""},
      {"zero_rows.nts", "Invalid row specification in file!"},
      {"negative_rows.nts", "Invalid row specification in file!"},
      {"zero_columns.nts", "Invalid column specification in file!"},
      {"columns_beyond_32_bits.nts", "Invalid column specification in file!"},
      {"flag_one.nts", "Missing data not allowed!"},
      {"missing_flag_field.nts", "Missing data not allowed!"},
      {"one_value_short.nts", "Not enough data in file"},
      {"one_label_short.nts", "Not enough data in file"},
      {"declares_too_much.nts", "Not enough data in file"},
      {"count_not_integer.nts", "'3x' is not a valid integer value"},
      {"empty_column_field.nts", "'' is not a valid integer value"},
      {"comma_value.nts", "Invalid numeric input"},
      {"overflow_value.nts", "Invalid numeric input"},
      {"no_such_file.nts", "File not found"},
      {"labelled.nts/x", "Invalid filename"},
      {"", "File access denied"},  // the data directory itself
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const TRun run = RunInProcess({"--check", Data(c.file)});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    // The message as specified, then the file (and the place) it concerns.
    const std::string first = std::string("talvex-cli: ") + c.message + "\n";
    EXPECT_EQ(run.err.substr(0, first.size()), first);
    EXPECT_EQ(run.err.substr(first.size()).rfind("talvex-cli: " + Data(c.file), 0), 0u) << run.err;
  }
}

TEST(CliApp, UsageErrorsExitWithTwoAndAShortUsage) {
  const TRun run = RunInProcess({"--method", "pearson", Data("labelled.nts")});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err,
            "talvex-cli: bad value 'pearson' for --method (one of: correlation, covariance)\n"
            "Usage: talvex-cli [OPTIONS] FILE\n"
            "Try 'talvex-cli --help' for the options.\n");
  EXPECT_EQ(RunInProcess({}).status, 2);
  EXPECT_EQ(RunInProcess({"--check"}).status, 2);
}

TEST(CliApp, HelpListsEveryOptionAndVersionNamesTheProgram) {
  const TRun help = RunInProcess({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* option : {"--method", "--transform", "--rule", "--factors", "--jackknife",
                             "--no-jackknife", "--report", "--scores", "--vectors", "--check",
                             "--threads", "--progress", "--help", "--version"}) {
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  }
  const TRun version = RunInProcess({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("talvex-cli ", 0), 0u);
}

// A stream buffer that takes no character, as a full disk or a closed pipe.
class TRefusingBuffer : public std::streambuf {
 protected:
  int_type overflow(int_type) override { return traits_type::eof(); }
};

// A failure from outside the program's own family (here the library's
// std::ios_base::failure of an output stream that raises) is reported like
// any other: "talvex-cli: " and its text, status 1, and a failing run still
// names its own fault after it.
TEST(CliApp, AnyStandardExceptionIsReportedAndExitsWithOne) {
  const std::string analysisData = std::string(TALVEX_SOURCE_DIR) + "/tests/analysis/data/";
  const struct {
    std::vector<std::string> arguments;
    std::vector<std::string> laterLines;  // after the stream's own failure
  } cases[] = {
      {{"--check", Data("labelled.nts")}, {}},
      {{"--no-jackknife", analysisData + "r06.nts"}, {}},
      {{"--transform", "ln", analysisData + "negative.nts"},
       {"talvex-cli: Invalid floating point operation",
        "talvex-cli: Object OBJ2 has the value -1 in VAR1, which has no natural logarithm."}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.back());
    std::vector<std::string> arguments = c.arguments;
    arguments.insert(arguments.begin(), "talvex-cli");
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    TRefusingBuffer refusing;
    std::ostream out(&refusing);
    out.exceptions(std::ios::badbit);
    std::ostringstream err;
    int status = -1;
    ASSERT_NO_THROW(status = RunCli(int(arguments.size()), argv.data(), out, err));
    EXPECT_EQ(status, 1);
    std::istringstream lines(err.str());
    std::string line;
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_EQ(line.rfind("talvex-cli: ", 0), 0u) << line;
    EXPECT_GT(line.size(), std::string("talvex-cli: ").size());
    std::vector<std::string> later;
    while (std::getline(lines, line)) later.push_back(line);
    EXPECT_EQ(later, c.laterLines);
  }
}

// The built program: exit status and the two streams.
TRun RunProgram(const std::string& arguments) {
  const auto dir = std::filesystem::temp_directory_path();
  // ctest runs the tests of this file in parallel processes: names of their own.
  const std::string stem = "talvex_cli_test_" + std::to_string(::getpid());
  const auto outPath = dir / (stem + "_out.txt");
  const auto errPath = dir / (stem + "_err.txt");
  const std::string command = std::string("\"") + TALVEX_CLI_PROGRAM + "\" " + arguments + " >\"" +
                              outPath.string() + "\" 2>\"" + errPath.string() + "\"";
  TRun run;
  const int raw = std::system(command.c_str());
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  std::stringstream out;
  std::stringstream err;
  out << std::ifstream(outPath).rdbuf();
  err << std::ifstream(errPath).rdbuf();
  run.out = out.str();
  run.err = err.str();
  std::filesystem::remove(outPath);
  std::filesystem::remove(errPath);
  return run;
}

TEST(CliProgram, ChecksTheBundledIrisData) {
  const TRun run =
      RunProgram("--check \"" + std::string(TALVEX_SOURCE_DIR) + "/examples/iris.nts\"");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "150 objects, 4 descriptors\n");
  EXPECT_EQ(run.err, "");
}

TEST(CliProgram, RefusedFileAndUsageErrorExitStatuses) {
  const TRun refused = RunProgram("--check \"" + Data("flag_one.nts") + "\"");
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, "talvex-cli: Missing data not allowed!\ntalvex-cli: " +
                             Data("flag_one.nts") + ": line 1: 1 3 2 1\n");
  const TRun usage = RunProgram("--no-such-option");
  EXPECT_EQ(usage.status, 2);
  EXPECT_EQ(usage.err.rfind("talvex-cli: unknown option '--no-such-option'\n", 0), 0u);
}

}  // namespace
}  // namespace talvex
