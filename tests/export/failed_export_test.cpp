// Exports that cannot be written: a missing folder, a write that fails
// half-way (injected, over the file-size limit, on a full file system), a
// failing flush or rename, a folder in the way. Each reports the failure,
// leaves an existing file byte for byte as it was and no temporary file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <csignal>

#include "export/atomic_file.h"
#include "export/results_export.h"
#include "export_test_support.h"
#include "tests/support/small_file_system.h"
#include "tests/support/write_fault_seam.h"

namespace talvex {
namespace {

using testing::ReadFile;
using testing::TScratchFolder;

// Large enough that every format takes several writes.
TFloatMatrix Scores(TSize rows = 400, TSize cols = 5) {
  TFloatMatrix m(rows, cols);
  for (TSize i = 1; i <= rows; ++i) {
    for (TSize j = 1; j <= cols; ++j) m.SetValue(i, j, (i * 31.0 + j) / 7.0);
  }
  return m;
}

class FailedExport : public ::testing::TestWithParam<std::string> {
 protected:
  FailedExport() : name("scores." + GetParam()), path(folder / name) {
    testing::WriteFile(path, previous);
  }
  void ExpectUntouched() {
    EXPECT_EQ(ReadFile(path), previous);
    EXPECT_EQ(folder.Listing(), std::set<std::string>{name});
  }
  void Export() { ExportScores(path, Scores(), 400, 5, {}); }

  TScratchFolder folder;
  const std::string name;
  const std::string path;
  const std::string previous = "the results of yesterday\r\n";
};

TEST_P(FailedExport, MissingFolder) {
  const std::string missing = folder / ("no-such-folder/" + name);
  EXPECT_THROW_MSG(ExportScores(missing, Scores(), 400, 5, {}), EInOutError,
                   "Cannot create file " + missing + ": No such file or directory");
  ExpectUntouched();
}

TEST_P(FailedExport, InjectedWriteFailureHalfWay) {
  {
    const TScopedWriteFault fault({TWriteFaultStage::Write, 5000, ENOSPC});
    EXPECT_THROW_MSG(Export(), EInOutError,
                     "Cannot write file " + path + ": No space left on device");
  }
  ExpectUntouched();
  Export();  // the fault is gone: the same export now succeeds
  EXPECT_NE(ReadFile(path), previous);
  EXPECT_EQ(folder.Listing(), std::set<std::string>{name});
}

TEST_P(FailedExport, InjectedFlushAndRenameFailures) {
  for (TWriteFaultStage stage : {TWriteFaultStage::Sync, TWriteFaultStage::Rename}) {
    const TScopedWriteFault fault({stage, 0, EIO});
    EXPECT_THROW_MSG(Export(), EInOutError, "Cannot write file " + path + ": Input/output error");
    ExpectUntouched();
  }
}

TEST_P(FailedExport, FileSizeLimitReachedHalfWay) {
  // A real write failure that needs no privileges: the file-size limit.
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto* const savedHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string message;
  try {
    Export();
  } catch (const EInOutError& error) {
    message = error.what();
  }
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, savedHandler);

  EXPECT_EQ(message, "Cannot write file " + path + ": File too large");
  ExpectUntouched();
}

TEST_P(FailedExport, FolderInTheWay) {
  const std::string inTheWay = folder / ("folder." + GetParam());
  ASSERT_EQ(::mkdir(inTheWay.c_str(), 0755), 0);
  EXPECT_THROW_MSG(ExportScores(inTheWay, Scores(), 400, 5, {}), EInOutError,
                   "Cannot create file " + inTheWay + ": Is a directory");
  ASSERT_EQ(::rmdir(inTheWay.c_str()), 0);
  ExpectUntouched();
}

TEST_P(FailedExport, ReadOnlyFileIsNotReplaced) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write any file";
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  EXPECT_THROW_MSG(Export(), EInOutError, "Cannot create file " + path + ": Permission denied");
  ExpectUntouched();
}

// A file system that fills up half-way: a 64 KiB tmpfs in a mount namespace
// of a child process, so nothing outside the test sees it. Needs the right
// to mount; skipped without it.
TEST_P(FailedExport, FullFileSystem) {
  const std::string mountPoint = folder / "small";
  ASSERT_EQ(::mkdir(mountPoint.c_str(), 0755), 0);
  const int status = testing::InSmallFileSystem(mountPoint, "64k", [&] {
    const std::string target = mountPoint + "/" + name;
    testing::WriteFile(target, previous);
    int code = 0;
    try {
      ExportScores(target, Scores(3000, 5), 3000, 5, {});  // 360 KB as text
      code = 1;
    } catch (const EInOutError& error) {
      const std::string expected = "Cannot write file " + target + ": No space left on device";
      if (error.what() != expected) code = 2;
    }
    if (ReadFile(target) != previous) code = 3;
    std::error_code ignored;
    std::size_t entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(mountPoint, ignored)) {
      (void)entry;
      ++entries;
    }
    if (entries != 1) code = 4;
    return code;
  });
  if (status == testing::CannotMount) GTEST_SKIP() << "no permission to mount a small file system";
  EXPECT_EQ(status, 0)
      << "1: no failure reported, 2: wrong message, 3: file changed, 4: temporary file left";
  ASSERT_EQ(::rmdir(mountPoint.c_str()), 0);
  ExpectUntouched();
}

INSTANTIATE_TEST_SUITE_P(Formats, FailedExport, ::testing::Values("csv", "sdf", "xls", "xlsx"));

TEST(AtomicFile, ReplacementKeepsPermissionsAndFollowsLinks) {
  TScratchFolder folder;
  const std::string real = folder / "real.txt";
  testing::WriteFile(real, "old");
  ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
  ASSERT_EQ(::symlink("real.txt", (folder / "link.txt").c_str()), 0);

  WriteFileAtomically(folder / "link.txt", "new\r\n");
  EXPECT_EQ(ReadFile(real), "new\r\n");
  struct stat info {};
  ASSERT_EQ(::lstat((folder / "link.txt").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  ASSERT_EQ(::stat(real.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(folder.Listing(), (std::set<std::string>{"link.txt", "real.txt"}));
}

TEST(AtomicFile, UncommittedFileLeavesNothing) {
  TScratchFolder folder;
  {
    TAtomicFile file(folder / "never.txt");
    file.Write(std::string(200000, 'x'));  // reaches the disk, not the target
    EXPECT_EQ(folder.Listing().size(), 1u);
  }
  EXPECT_TRUE(folder.Listing().empty());
}

TEST(AtomicFile, NamesUpToTheFileSystemLimitAreWritten) {
  // The temporary name must not push a legal name over the limit.
  TScratchFolder folder;
  for (std::size_t length : {250u, 255u}) {
    const std::string name = std::string(length - 4, 'n') + ".csv";
    WriteFileAtomically(folder / name, "first");
    WriteFileAtomically(folder / name, "second");
    EXPECT_EQ(ReadFile(folder / name), "second");
    ExportScores(folder / name, Scores(), 400, 5, {});
  }
  EXPECT_EQ(folder.Listing().size(), 2u);
}

TEST(AtomicFile, TemporaryFilesCanBeRemovedAtOnceForASignal) {
  TScratchFolder folder;
  testing::WriteFile(folder / "kept.csv", "old");
  TAtomicFile first(folder / "kept.csv");
  TAtomicFile second(folder / "new.csv");
  first.Write(std::string(100000, 'x'));
  second.Write(std::string(100000, 'y'));
  ASSERT_EQ(folder.Listing().size(), 3u);
  RemoveTemporaryFilesNow();
  EXPECT_EQ(folder.Listing(), std::set<std::string>{"kept.csv"});
  EXPECT_EQ(ReadFile(folder / "kept.csv"), "old");
  // A committed or discarded file is no longer the handler's business.
  TAtomicFile third(folder / "third.csv");
  third.Write("z");
  third.Commit();
  RemoveTemporaryFilesNow();
  EXPECT_EQ(ReadFile(folder / "third.csv"), "z");
}

TEST(AtomicFile, StreamedPiecesArriveInOrder) {
  TScratchFolder folder;
  std::string expected;
  TAtomicFile file(folder / "pieces.txt");
  for (int i = 0; i < 5000; ++i) {
    const std::string piece = std::to_string(i) + std::string(i % 97, 'a') + "\n";
    expected += piece;
    file.Write(piece);
  }
  file.Write(std::string(100000, 'z'));
  expected += std::string(100000, 'z');
  file.Commit();
  EXPECT_EQ(ReadFile(folder / "pieces.txt"), expected);
  EXPECT_EQ(folder.Listing(), std::set<std::string>{"pieces.txt"});
}

TEST(AtomicFile, DeviceIsNotReplaced) {
  EXPECT_THROW_MSG(WriteFileAtomically("/dev/null", "x"), EInOutError,
                   "Cannot create file /dev/null: Not a regular file");
  struct stat info {};
  ASSERT_EQ(::stat("/dev/null", &info), 0);
  EXPECT_TRUE(S_ISCHR(info.st_mode));
}

}  // namespace
}  // namespace talvex
