// The reader under hostile input: devices and pipes that never end, a bad
// header followed by more than anyone should read, a byte-order mark, and
// the place and the file named beside every refusal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "input/data_reader.h"
#include "test_support.h"

namespace talvex {
namespace {

using testing::ExpectThrowMessage;
using testing::Fixture;

long PeakKilobytes() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

std::string DetailOf(const std::string& path) {
  TDataMatrix data;
  try {
    ReadDataFile(path, data);
  } catch (const Exception& e) {
    return e.Detail();
  }
  return "no exception";
}

// A named pipe in a fresh folder, and a writer thread that feeds it.
class PipeInput : public ::testing::Test {
 protected:
  void SetUp() override {
    std::signal(SIGPIPE, SIG_IGN);  // the reader may close the pipe first
    folder_ = std::filesystem::temp_directory_path() /
              ("talvex-pipe-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
    path_ = (folder_ / "data.nts").string();
    ASSERT_EQ(::mkfifo(path_.c_str(), 0600), 0);
  }
  void TearDown() override {
    if (writer_.joinable()) writer_.join();
    std::filesystem::remove_all(folder_);
  }
  // Writes `head`, then `tail` over and over until the reader closes its end
  // or `done` is set; then closes the pipe.
  void Feed(std::string head, std::string tail) {
    writer_ = std::thread([this, head, tail] {
      const int fd = ::open(path_.c_str(), O_WRONLY);
      if (fd < 0) return;
      bool open = ::write(fd, head.data(), head.size()) == ssize_t(head.size());
      while (open && !done_ && !tail.empty()) {
        open = ::write(fd, tail.data(), tail.size()) > 0;
        written_ += tail.size();
      }
      if (tail.empty()) {
        while (!done_) std::this_thread::yield();  // keep the pipe open, silent
      }
      ::close(fd);
    });
  }

  std::filesystem::path folder_;
  std::string path_;
  std::thread writer_;
  std::atomic<bool> done_{false};
  std::atomic<std::uint64_t> written_{0};
};

TEST(HostileInput, EndlessDeviceIsRefusedWithinABoundedRead) {
  const long before = PeakKilobytes();
  TDataMatrix data;
  ExpectThrowMessage<EDataRefused>([&] { ReadDataFile("/dev/zero", data); },
                                   "Invalid matrix type. Must be \"1\"");
  EXPECT_EQ(DetailOf("/dev/zero"), "/dev/zero: no header line in the first 1048576 bytes");
  EXPECT_LT(PeakKilobytes() - before, 32 * 1024);  // a few MB at most, never the device
}

TEST_F(PipeInput, BadHeaderIsRefusedWithoutWaitingForTheRest) {
  // The writer keeps the pipe open and silent after the header: a reader that
  // wanted the whole input first would wait for ever.
  Feed("'title'\n2 3 3 0\n", "");
  TDataMatrix data;
  ExpectThrowMessage<EDataRefused>([&] { ReadDataFile(path_, data); },
                                   "Invalid matrix type. Must be \"1\"");
  done_ = true;
}

TEST_F(PipeInput, ReadingStopsAfterTheLastDeclaredValue) {
  // An endless stream of values: the reader takes the six it was promised.
  Feed("1 2 3 0\n", "7 ");
  TDataMatrix data;
  const long before = PeakKilobytes();
  ReadDataFile(path_, data);
  done_ = true;
  EXPECT_EQ(data.valueCount, 6u);
  EXPECT_EQ(data.values.GetValue(6), 7.0);
  EXPECT_LT(PeakKilobytes() - before, 32 * 1024);
}

TEST_F(PipeInput, PipeDeclaringMoreThanItDeliversIsRefusedWithoutTheMemory) {
  // 4e9 values declared, three delivered: nothing is allocated for the rest.
  done_ = true;  // the writer closes after the head: the reader sees the end
  Feed("1 4000000000 1 0\n1 2 3\n", "");
  TDataMatrix data;
  const long before = PeakKilobytes();
  ExpectThrowMessage<EDataRefused>([&] { ReadDataFile(path_, data); }, "Not enough data in file");
  EXPECT_LT(PeakKilobytes() - before, 32 * 1024);
}

TEST(HostileInput, ByteOrderMarkIsSkipped) {
  TDataMatrix data;
  ParseDataMatrix("\xEF\xBB\xBF'Saved by Notepad'\r\n1 1 2 0\r\n1.5 2\r\n", data);
  EXPECT_EQ(data.title, "Saved by Notepad");
  EXPECT_EQ(data.values.GetValue(1), 1.5);
  ParseDataMatrix(
      "\xEF\xBB\xBF"
      "1 1 1 0\n3\n",
      data);
  EXPECT_EQ(data.values.GetValue(1), 3.0);
  // Only at the very start, and only the whole mark.
  EXPECT_THROW(ParseDataMatrix("\n\xEF\xBB\xBF"
                               "1 1 1 0\n3\n",
                               data),
               EDataRefused);
  EXPECT_THROW(ParseDataMatrix("\xEF\xBB"
                               "1 1 1 0\n3\n",
                               data),
               EDataRefused);
}

TEST(HostileInput, RefusalsNameTheFileAndThePlace) {
  EXPECT_EQ(DetailOf(Fixture("comma_value.nts")),
            Fixture("comma_value.nts") + ": line 2: value 1 (object 1, variable 1)");
  EXPECT_EQ(DetailOf(Fixture("one_value_short.nts")),
            Fixture("one_value_short.nts") +
                ": line 3: the file ends before value 6 (object 2, variable 3) of 6");
  EXPECT_EQ(
      DetailOf(Fixture("one_label_short.nts")).rfind(Fixture("one_label_short.nts") + ": line ", 0),
      0u);
  EXPECT_EQ(DetailOf(Fixture("flag_one.nts")).rfind(Fixture("flag_one.nts") + ": line 1: 1 ", 0),
            0u);
  EXPECT_EQ(DetailOf(Fixture("empty.nts")), Fixture("empty.nts") + ": no header line");
  EXPECT_EQ(DetailOf(Fixture("no_such_file.nts")), Fixture("no_such_file.nts"));
  // In memory there is no file to name, only the place.
  TDataMatrix data;
  try {
    ParseDataMatrix("1 2 2 0\r\n1 2\r\n3 x\r\n", data);
    ADD_FAILURE() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Invalid numeric input");
    EXPECT_EQ(e.Detail(), "line 3: value 4 (object 2, variable 2)");
  }
}

TEST(HostileInput, EndlessLabelIsRefused) {
  TDataMatrix data;
  const std::string text = "1 1L 1 0\n" + std::string(70000, 'a') + " 5\n";
  ExpectThrowMessage<EDataRefused>([&] { ParseDataMatrix(text, data); }, "Label too long in file");
  ParseDataMatrix("1 1L 1 0\n" + std::string(65535, 'a') + " 5\n", data);
  EXPECT_EQ(data.objectLabels[0].size(), 65535u);
}

}  // namespace
}  // namespace talvex
