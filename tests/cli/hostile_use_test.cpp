// talvex-cli under hostile use: standard output that cannot be written, an
// output that is the data file or another output, outputs that cannot be
// written, signals during an export, long names, many threads, little memory.
// In-process where the streams suffice; the built program, a forked child or
// a small file system of its own where the real descriptors matter.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <streambuf>
#include <thread>

#include "cli/interrupt_cleanup.h"
#include "cli_files.h"
#include "cli_run.h"
#include "export/atomic_file.h"
#include "tests/support/small_file_system.h"

namespace talvex {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::RunInProcess;
using testing::TRun;
using testing::WriteData;
using testing::WriteFile;

std::string Iris() { return std::string(TALVEX_SOURCE_DIR) + "/examples/iris.nts"; }
std::string R06() { return std::string(TALVEX_SOURCE_DIR) + "/tests/analysis/data/r06.nts"; }

// Standard output whose every write fails as on a full disk.
class TFullBuffer : public std::streambuf {
 protected:
  int_type overflow(int_type) override {
    errno = ENOSPC;
    return traits_type::eof();
  }
  std::streamsize xsputn(const char*, std::streamsize) override {
    errno = ENOSPC;
    return 0;
  }
};

TRun RunIntoFullOutput(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "talvex-cli");
  std::vector<char*> argv;
  for (auto& argument : arguments) argv.push_back(argument.data());
  TFullBuffer full;
  std::ostream out(&full);
  std::ostringstream err;
  TRun run;
  run.status = RunCli(int(argv.size()), argv.data(), out, err);
  run.err = err.str();
  return run;
}

// The built program through the shell, with `redirections` of its own.
TRun RunShell(const std::string& arguments, const std::string& redirections,
              const std::string& prefix = "") {
  const fs::path err =
      fs::temp_directory_path() / ("talvex_hostile_" + std::to_string(::getpid()) + "_err.txt");
  const std::string command = prefix + "\"" + TALVEX_CLI_PROGRAM + "\" " + arguments + " " +
                              redirections + " 2>\"" + err.string() + "\"";
  TRun run;
  const int raw = std::system(command.c_str());
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.err = ReadFile(err);
  fs::remove(err);
  return run;
}

class CliHostile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("talvex-hostile-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  std::set<std::string> Listing() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.insert(entry.path().filename());
    return names;
  }
  fs::path dir_;
};

TEST(CliStandardOutput, FailedWritesAreReportedForEveryCommand) {
  const std::string message = "talvex-cli: cannot write the listing: No space left on device\n";
  for (const auto& arguments : std::vector<std::vector<std::string>>{
           {"--no-jackknife", R06()}, {"--check", R06()}, {"--help"}, {"--version"}}) {
    SCOPED_TRACE(arguments.front());
    const TRun run = RunIntoFullOutput(arguments);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, message);
  }
}

TEST(CliStandardOutput, DevFullAndAClosedStreamFailTheRealProgram) {
  for (const std::string& arguments :
       {"--no-jackknife \"" + Iris() + "\"", "--check \"" + Iris() + "\"", std::string("--help")}) {
    SCOPED_TRACE(arguments);
    const TRun full = RunShell(arguments, ">/dev/full");
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err, "talvex-cli: cannot write the listing: No space left on device\n");
    const TRun closed = RunShell(arguments, ">&-");
    EXPECT_EQ(closed.status, 1);
    EXPECT_EQ(closed.err, "talvex-cli: cannot write the listing: Bad file descriptor\n");
  }
}

// Under a process limit no thread can be made: the run goes on on the
// calling thread alone, with the same listing. (The linear-algebra library
// once started threads of its own as it was loaded, and ended the process
// with SIGINT, status 130, when it could not.) Root ignores the limit, so
// root runs the program as nobody.
TEST_F(CliHostile, NoThreadToBeHadStillGivesTheListing) {
  std::string prefix;
  if (::geteuid() == 0) {
    if (std::system("command -v setpriv >/dev/null 2>&1") != 0) GTEST_SKIP() << "no setpriv";
    prefix = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
  }
  const std::string data = Path("iris.nts");
  fs::copy_file(Iris(), data);
  fs::permissions(dir_, fs::perms::all);
  const std::string listing = Path("listing.txt");
  // The leak checker of a sanitized build needs a thread of its own at exit;
  // the program's own answer to the limit is what is tested.
  const std::string command =
      prefix + "bash -c 'ulimit -u 1 && ASAN_OPTIONS=detect_leaks=0 exec \"" + TALVEX_CLI_PROGRAM +
      "\" \"" + data + "\" >\"" + listing + "\" 2>/dev/null'";
  const int raw = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), 0);
  const TRun plain = RunInProcess({data});
  const auto withoutTime = [](std::string text) {
    const std::size_t at = text.find("Time of analysis");
    return at == std::string::npos ? text : text.erase(at, text.find('\n', at) - at);
  };
  EXPECT_EQ(withoutTime(ReadFile(listing)), withoutTime(plain.out));
}

TEST_F(CliHostile, ListingRedirectedToAFullFileSystemFails) {
  // A 64 KiB file system of its own (a private mount namespace), where the
  // listing of 3000 objects' scores does not fit.
  const std::string data = Path("big.nts");
  WriteData(data, 3000, 5);
  const std::string mountPoint = Path("small");
  fs::create_directory(mountPoint);
  const int status = testing::InSmallFileSystem(mountPoint, "64k", [&] {
    const TRun run =
        RunShell("--no-jackknife \"" + data + "\"", ">\"" + mountPoint + "/listing.txt\"");
    const bool told = run.err == "talvex-cli: cannot write the listing: No space left on device\n";
    return run.status == 1 && told ? 0 : 1;
  });
  if (status == testing::CannotMount) GTEST_SKIP() << "no permission to mount a small file system";
  EXPECT_EQ(status, 0) << "the full disk was not reported with exit status 1";
}

TEST_F(CliHostile, OutputThatIsTheDataFileIsRefusedBeforeAnyWork) {
  const std::string data = Path("in.nts");
  fs::copy_file(R06(), data);
  const std::string original = ReadFile(data);
  fs::create_symlink("in.nts", Path("link.sdf"));
  fs::create_hard_link(data, Path("hard.csv"));

  const TRun report = RunInProcess({"--no-jackknife", "--report", data, data});
  EXPECT_EQ(report.status, 2);
  EXPECT_EQ(report.err.substr(0, report.err.find('\n')),
            "talvex-cli: --report '" + data + "' is the data file '" + data + "'");
  for (const std::string& output : {Path("link.sdf"), Path("hard.csv"), Path("./in.nts")}) {
    SCOPED_TRACE(output);
    const TRun run = RunInProcess({"--scores", output, data});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
  }
  EXPECT_EQ(ReadFile(data), original);

  const TRun twice =
      RunInProcess({"--scores", Path("s.csv"), "--vectors", Path("x/../s.csv"), data});
  EXPECT_EQ(twice.status, 2);
  EXPECT_NE(twice.err.find("--scores and --vectors name the same file"), std::string::npos);
  EXPECT_EQ(Listing(), (std::set<std::string>{"in.nts", "link.sdf", "hard.csv"}));
}

TEST_F(CliHostile, EveryOutputPlaceIsCheckedBeforeTheRun) {
  WriteFile(Path("r.txt"), "yesterday");
  const TRun missing = RunInProcess({"--report", Path("r.txt"), "--scores", Path("nodir/s.csv"),
                                     "--vectors", Path("v.csv"), R06()});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "talvex-cli: Cannot create file " + Path("nodir/s.csv") +
                             ": No such file or directory\n");
  EXPECT_EQ(ReadFile(Path("r.txt")), "yesterday");  // nothing was run or written
  EXPECT_EQ(Listing(), std::set<std::string>{"r.txt"});

  fs::create_directory(Path("outd"));
  const TRun folder = RunInProcess({"--report", Path("outd"), R06()});
  EXPECT_EQ(folder.status, 1);
  EXPECT_EQ(folder.err, "talvex-cli: Cannot create file " + Path("outd") + ": Is a directory\n");
  EXPECT_EQ(folder.out, "");

  ASSERT_EQ(::mkfifo(Path("pipe.csv").c_str(), 0600), 0);
  const TRun pipe = RunInProcess({"--scores", Path("pipe.csv"), R06()});
  EXPECT_EQ(pipe.status, 1);
  EXPECT_EQ(pipe.err,
            "talvex-cli: Cannot create file " + Path("pipe.csv") + ": Not a regular file\n");
}

TEST_F(CliHostile, OneFailedExportDoesNotStopTheOthers) {
  // The scores do not fit a 64 KiB file system; the report and the vectors
  // are still written, and the status and the message tell which failed.
  const std::string data = Path("big.nts");
  WriteData(data, 3000, 5);
  const std::string mountPoint = Path("small");
  fs::create_directory(mountPoint);
  const int status = testing::InSmallFileSystem(mountPoint, "64k", [&] {
    const std::string scores = mountPoint + "/s.csv";
    const TRun run = RunInProcess({"--no-jackknife", "--report", Path("r.txt"), "--scores", scores,
                                   "--vectors", mountPoint + "/v.csv", data});
    int code = 0;
    if (run.status != 1) code = 1;
    if (run.err != "talvex-cli: Cannot write file " + scores + ": No space left on device\n")
      code = 2;
    if (!fs::exists(Path("r.txt")) || !fs::exists(mountPoint + "/v.csv")) code = 3;
    if (fs::exists(scores)) code = 4;
    return code;
  });
  if (status == testing::CannotMount) GTEST_SKIP() << "no permission to mount a small file system";
  EXPECT_EQ(status, 0)
      << "1: status, 2: message, 3: report or vectors missing, 4: scores half-written";
}

TEST_F(CliHostile, AReportThatDoesNotFitStopsNeitherTheRunNorTheExports) {
  // The listing goes to the report file while the run makes it: where it does
  // not fit, the run goes on, the exports are written, the failure is told
  // once and no half-written report is left.
  const std::string data = Path("big.nts");
  WriteData(data, 3000, 5);
  const std::string mountPoint = Path("small");
  fs::create_directory(mountPoint);
  const int status = testing::InSmallFileSystem(mountPoint, "64k", [&] {
    const std::string report = mountPoint + "/r.txt";
    const TRun run = RunInProcess({"--no-jackknife", "--report", report, "--scores", Path("s.csv"),
                                   "--vectors", Path("v.csv"), data});
    int code = 0;
    if (run.status != 1) code = 1;
    if (run.err != "talvex-cli: Cannot write file " + report + ": No space left on device\n")
      code = 2;
    if (!fs::exists(Path("s.csv")) || !fs::exists(Path("v.csv"))) code = 3;
    if (!fs::is_empty(mountPoint)) code = 4;
    return code;
  });
  if (status == testing::CannotMount) GTEST_SKIP() << "no permission to mount a small file system";
  EXPECT_EQ(status, 0) << "1: status, 2: message, 3: exports missing, 4: report left behind";
}

TEST_F(CliHostile, SignalsRemoveTemporaryFilesAndExitConventionally) {
  for (const int signal : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(signal);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      InstallInterruptCleanup();
      TAtomicFile file(Path("s.csv"));
      file.Write(std::string(1 << 20, 'x'));  // an export half-way
      ::raise(signal);
      ::_exit(0);  // not reached
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
    EXPECT_EQ(Listing(), std::set<std::string>{});
  }
}

TEST_F(CliHostile, LongOutputNamesAreWritten) {
  const std::string name = std::string(246, 's') + ".csv";  // 250 characters
  const TRun run = RunInProcess({"--no-jackknife", "--scores", Path(name), "--report",
                                 Path(std::string(246, 'r') + ".txt"), R06()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadFile(Path(name)).substr(0, 6), "Axis1,");
}

TEST_F(CliHostile, ReportDashIsStandardOutput) {
  const fs::path here = fs::current_path();
  fs::current_path(dir_);
  const TRun run = RunInProcess({"--no-jackknife", "--report", "-", R06()});
  fs::current_path(here);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("Eigenvalues"), std::string::npos);
  EXPECT_EQ(Listing(), std::set<std::string>{});
}

TEST_F(CliHostile, ProgressShowsTheStepsAndTheThreadsUsed) {
  const TRun run = RunInProcess({"--no-jackknife", "--progress", R06()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err,
            "Basic statistics\nDispersion matrix\nEigen-decomposition\nComponent scores\n");

  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  if (cores >= 1024) GTEST_SKIP() << "more cores than --threads accepts";
  const TRun many = RunInProcess({"--threads", "1024", "--progress", R06()});
  ASSERT_EQ(many.status, 0) << many.err;
  EXPECT_EQ(many.err.rfind("Using " + std::to_string(cores) +
                               " threads, one per core (1024 were asked for)\nBasic statistics\n",
                           0),
            0u)
      << many.err;
  EXPECT_NE(many.err.find("Jackknife\n"), std::string::npos);
  EXPECT_EQ(RunInProcess({"--threads", "1024", R06()}).err, "");  // said only with --progress
}

TEST_F(CliHostile, TooLittleMemoryForTheThreadsEndsWithAMessage) {
  // Address-space limits from ample down to too small for a worker's stack
  // (the limit on processes does not bind root): every run ends with its
  // status and a message, never an abort.
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer's shadow memory cannot run under an address-space limit";
#endif
  const std::string data = Path("d.nts");
  WriteData(data, 200, 20);
  bool refused = false;
  for (int limit = 40000; limit >= 10000; limit -= 2000) {
    SCOPED_TRACE(limit);
    const TRun run = RunShell("--threads 2 \"" + data + "\"", ">/dev/null",
                              "ulimit -v " + std::to_string(limit) + " && ");
    if (run.status == 127) break;  // too small to load the program at all
    // Too small for the C++ runtime to start (no room even for the exception
    // that reports a failed allocation): nothing the program can answer.
    if (RunShell("--version", ">/dev/null", "ulimit -v " + std::to_string(limit) + " && ").status !=
        0)
      break;
    EXPECT_TRUE(run.status == 0 || run.status == 1) << run.status << " " << run.err;
    if (run.status != 1) continue;
    refused = true;
    EXPECT_EQ(run.err.rfind("talvex-cli: ", 0), 0u) << run.err;
  }
  if (!refused) GTEST_SKIP() << "no limit between loading and running the workers here";
}

TEST_F(CliHostile, XlsWiderThan256ColumnsIsRefusedBeforeTheRun) {
  const std::string data = Path("wide.nts");
  WriteData(data, 3, 257);
  const TRun run =
      RunInProcess({"--no-jackknife", "--factors", "257", "--vectors", Path("v.xls"), data});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("256 columns"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(".xlsx"), std::string::npos);
  EXPECT_EQ(Listing(), std::set<std::string>{"wide.nts"});
}

}  // namespace
}  // namespace talvex
