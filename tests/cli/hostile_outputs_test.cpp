// The outputs of talvex-cli under hostile use: a results folder whose fixed
// names meet the data file, other outputs or links; stale tables of an
// earlier run; a link to a file not yet there; a reader that goes away; a
// full disk under --save-data; workbooks too small for the results; labels
// that a spreadsheet would run as formulas; and the table options that
// decide how a table is read.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "cli_files.h"
#include "cli_run.h"
#include "tests/support/small_file_system.h"
#include "tests/support/write_fault_seam.h"

namespace talvex {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::RunInProcess;
using testing::TRun;
using testing::WriteFile;
using testing::WriteLabelledData;

class CliOutputs : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("talvex-outputs-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  std::set<std::string> Files(const std::string& folder) const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_ / folder))
      names.insert(entry.path().filename());
    return names;
  }
  fs::path dir_;
};

TEST_F(CliOutputs, AResultsFolderNeverReplacesTheDataOrAnotherOutput) {
  fs::create_directory(Path("out"));
  const std::string data = Path("out/scores.csv");
  WriteFile(data, "label,a,b\np,1,2\nq,3,5\nr,4,4\ns,2,9\n");
  const std::string original = ReadFile(data);
  const std::string nts = Path("data.nts");
  WriteLabelledData(nts, 6, 3);
  fs::create_directory(Path("linked"));
  fs::create_symlink("../data.nts", Path("linked/eigenvalues.csv"));
  const std::vector<std::vector<std::string>> cases = {
      {"--results", Path("out/"), data},
      {"--results", Path("linked/"), nts},
      {"--scores", Path("res/scores.csv"), "--results", Path("res/"), nts},
      {"--diagnostics", Path("res/influence.csv"), "--results", Path("res/"), nts},
      {"--results", Path("res/"), "--report", Path("res/macs.csv"), nts},
  };
  for (const auto& arguments : cases) {
    const TRun run = RunInProcess(arguments);
    EXPECT_EQ(run.status, 2) << arguments[1] << run.err;
    EXPECT_NE(run.err.find("talvex-cli: --"), std::string::npos) << run.err;
  }
  EXPECT_EQ(ReadFile(data), original);
  EXPECT_FALSE(fs::exists(Path("res")));
}

TEST_F(CliOutputs, ALinkToAFileNotYetThereIsThatFile) {
  const std::string nts = Path("data.nts");
  WriteLabelledData(nts, 6, 3);
  fs::create_symlink("o.txt", Path("link.txt"));
  const TRun run =
      RunInProcess({"--report", Path("o.txt"), "--diagnostics", Path("link.txt"), nts});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("--report and --diagnostics name the same file"), std::string::npos)
      << run.err;
  // Alone, an output through such a link makes the file and keeps the link.
  ASSERT_EQ(RunInProcess({"--no-jackknife", "--diagnostics", Path("link.txt"), "--report",
                          Path("r.txt"), nts})
                .status,
            0);
  EXPECT_TRUE(fs::is_symlink(Path("link.txt")));
  EXPECT_TRUE(fs::is_regular_file(Path("o.txt")));
  // A link to the data file through a folder link is the data file too.
  fs::create_directory_symlink(dir_, Path("here"));
  EXPECT_EQ(RunInProcess({"--save-data", Path("here/data.nts"), nts}).status, 2);
}

TEST_F(CliOutputs, AResultsFolderHoldsOneRunsTablesOnly) {
  const std::string nts = Path("data.nts");
  WriteLabelledData(nts, 8, 3);
  const std::string out = Path("out/");
  ASSERT_EQ(RunInProcess({"--report", Path("r1.txt"), "--results", out, nts}).status, 0);
  ASSERT_TRUE(fs::exists(Path("out/jk-eigenvalues.csv")));
  WriteFile(Path("out/my-notes.csv"), "mine\n");
  WriteFile(Path("out/readme.txt"), "mine\n");

  // Without the jackknife its tables would be stale: they go, and are named.
  const TRun run =
      RunInProcess({"--no-jackknife", "--report", Path("r2.txt"), "--results", out, nts});
  EXPECT_EQ(run.status, 0) << run.err;
  const std::set<std::string> files = Files("out");
  EXPECT_TRUE(files.count("my-notes.csv") && files.count("readme.txt"));
  EXPECT_TRUE(files.count("scores.csv") && files.count("eigenvalues.csv"));
  for (const char* name :
       {"jk-eigenvalues.csv", "jk-eigenvectors.csv", "influence.csv", "axis-exchanges.csv"}) {
    EXPECT_FALSE(files.count(name)) << name;
    EXPECT_NE(run.err.find("removed " + out + name + ", left by an earlier run"), std::string::npos)
        << name << run.err;
  }

  // A run whose writing fails leaves the folder as the last run left it:
  // nothing is put in place before every table is written.
  const std::string scores = ReadFile(Path("out/scores.csv"));
  WriteLabelledData(nts, 9, 3);
  {
    TScopedWriteFault fault({TWriteFaultStage::Sync, 0, EIO});
    const TRun failed = RunInProcess({"--report", "-", "--results", out, nts});
    EXPECT_EQ(failed.status, 1);
  }
  EXPECT_EQ(ReadFile(Path("out/scores.csv")), scores);
  EXPECT_FALSE(fs::exists(Path("out/jk-eigenvalues.csv")));
  for (const std::string& name : Files("out")) EXPECT_EQ(name.find(".tmp"), std::string::npos);
}

TEST_F(CliOutputs, ABrokenPipeLosesNoOtherOutput) {
  const std::string nts = Path("data.nts");
  WriteLabelledData(nts, 8, 3);
  int pipeEnds[2];
  ASSERT_EQ(::pipe(pipeEnds), 0);
  ::close(pipeEnds[0]);  // the reader is gone before the first line
  const std::string json = Path("r.json");
  const std::string err = Path("err.txt");
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(pipeEnds[1], 1);
    const int errFile = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(errFile, 2);
    ::signal(SIGPIPE, SIG_DFL);
    ::execl(TALVEX_CLI_PROGRAM, "talvex-cli", "--results", json.c_str(), nts.c_str(), nullptr);
    ::_exit(127);
  }
  ::close(pipeEnds[1]);
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(ReadFile(err).rfind("talvex-cli: cannot write the listing: Broken pipe\n", 0), 0u);
  EXPECT_NE(ReadFile(json).find("\"tables\""), std::string::npos);
}

TEST_F(CliOutputs, AFailedSaveDataStopsNoOtherOutput) {
  const std::string nts = Path("data.nts");
  WriteLabelledData(nts, 3000, 5);
  const std::string mountPoint = Path("full");
  fs::create_directory(mountPoint);
  const int status = testing::InSmallFileSystem(mountPoint, "16k", [&] {
    const std::string saved = mountPoint + "/x.nts";
    const TRun run = RunInProcess({"--no-jackknife", "--save-data", saved, "--report",
                                   Path("r.txt"), "--scores", Path("s.csv"), nts});
    int code = 0;
    if (run.status != 1) code = 1;
    if (run.err.find("Cannot write file " + saved) == std::string::npos) code = 2;
    if (!fs::exists(Path("r.txt")) || !fs::exists(Path("s.csv"))) code = 3;
    if (fs::exists(saved)) code = 4;
    return code;
  });
  if (status == testing::CannotMount) GTEST_SKIP() << "no permission to mount a small file system";
  EXPECT_EQ(status, 0) << "1: status, 2: message, 3: report or scores missing, 4: half-saved";
  // --check also says what it read when the data cannot be saved.
  const int checked = testing::InSmallFileSystem(mountPoint, "16k", [&] {
    const TRun run = RunInProcess({"--check", "--save-data", mountPoint + "/x.nts", nts});
    return run.status == 1 && run.out == "3000 objects, 5 descriptors\n" ? 0 : 1;
  });
  EXPECT_EQ(checked, 0);
}

TEST_F(CliOutputs, ResultsThatCannotFitAWorkbookAreRefusedBeforeTheRun) {
  // 1,025 variables, every component asked for: the jackknife's eigenvectors
  // need 1,025 x 1,025 rows.
  const std::string nts = Path("wide.nts");
  WriteLabelledData(nts, 3, 1025);
  const TRun run = RunInProcess(
      {"--factors", "1025", "--results", Path("r.xlsx"), "--report", Path("r.txt"), nts});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err.rfind("talvex-cli: --results: Too many rows or columns for an xlsx sheet in " +
                              Path("r.xlsx"),
                          0),
            0u)
      << run.err;
  EXPECT_FALSE(fs::exists(Path("r.txt")));  // nothing was run
}

TEST_F(CliOutputs, LabelsThatLookLikeFormulasAreNeutralisedInCsv) {
  const std::string nts = Path("data.nts");
  WriteLabelledData(nts, 5, 3, {"=HYPERLINK(1)", "+SUM(A1)", "-5", "@cmd", "plain"});
  ASSERT_EQ(RunInProcess({"--no-jackknife", "--report", Path("r.txt"), "--results", Path("out/"),
                          "--labelled", "--scores", Path("s.csv"), nts})
                .status,
            0);
  for (const std::string& file : {Path("out/scores.csv"), Path("s.csv")}) {
    const std::string text = ReadFile(file);
    EXPECT_NE(text.find("\r\n'=HYPERLINK(1),"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n'+SUM(A1),"), std::string::npos) << file;
    EXPECT_NE(text.find("\r\n-5,"), std::string::npos) << file;  // a number stays one
    EXPECT_NE(text.find("\r\n'@cmd,"), std::string::npos) << file;
    EXPECT_NE(text.find("\r\nplain,"), std::string::npos) << file;
  }
}

TEST_F(CliOutputs, TableOptionsOfTheCommandLine) {
  const std::string csv = Path("years.csv");
  WriteFile(csv, "label,2020,2021\na,1,2\nb,3,5\nc,4,4\n");
  TRun run = RunInProcess({"--check", csv});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "3 objects, 2 descriptors\nThe first line was read as the column names (header "
            "\"no\" reads it as data)\n");
  run = RunInProcess({"--check", "--header", "no", csv});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "4 objects, 2 descriptors\n");
  run = RunInProcess({"--check", "--header=yes", csv});
  EXPECT_EQ(run.out, "3 objects, 2 descriptors\n");
  struct TUsage {
    std::vector<std::string> arguments;
    const char* message;
  };
  const TUsage usages[] = {
      {{"--header", "maybe", csv}, "bad value 'maybe' for --header (one of: yes, no, auto)"},
      {{"--variables", "-", csv}, "bad value '-' for --variables"},
      {{"--save-data", Path("out.xlsx"), csv}, "--save-data writes a data-matrix file (.nts)"},
      {{"--save-data", Path("out.CSV"), csv}, "--save-data writes a data-matrix file (.nts)"},
  };
  for (const TUsage& usage : usages) {
    run = RunInProcess(usage.arguments);
    EXPECT_EQ(run.status, 2) << usage.message;
    EXPECT_NE(run.err.find(usage.message), std::string::npos) << run.err;
  }
}

}  // namespace
}  // namespace talvex
