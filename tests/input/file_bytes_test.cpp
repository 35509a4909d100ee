// Whole-file reading and the I/O messages of files that cannot be read.
#include "input/file_bytes.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include "test_support.h"

namespace talvex {
namespace {

using testing::ExpectThrowMessage;

TEST(FileBytes, ReadsEveryByte) {
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / "talvex_reader_bytes.bin";
  std::string bytes;
  for (int i = 0; i < 200000; ++i) bytes += static_cast<char>(i % 256);
  std::ofstream(path, std::ios::binary) << bytes;
  EXPECT_EQ(ReadFileBytes(path.string()), bytes);
  std::ofstream(path, std::ios::binary | std::ios::trunc).close();
  EXPECT_EQ(ReadFileBytes(path.string()), "");
  std::filesystem::remove(path);
}

TEST(FileBytes, UnreadablePathsGiveTheIoMessages) {
  ExpectThrowMessage<EInOutError>([] { ReadFileBytes(testing::Fixture("absent.nts")); },
                                  "File not found");
  ExpectThrowMessage<EInOutError>([] { ReadFileBytes(""); }, "File not found");
  ExpectThrowMessage<EInOutError>([] { ReadFileBytes(testing::Fixture("labelled.nts/inside")); },
                                  "Invalid filename");
  ExpectThrowMessage<EInOutError>([] { ReadFileBytes(std::string("a\0b", 3)); },
                                  "Invalid filename");
  ExpectThrowMessage<EInOutError>([] { ReadFileBytes(TALVEX_TEST_DATA); }, "File access denied");
}

TEST(FileBytes, ErrorNumbersMapToMessages) {
  EXPECT_EQ(InOutErrorMessage(ENOENT), "File not found");
  EXPECT_EQ(InOutErrorMessage(ENAMETOOLONG), "Invalid filename");
  EXPECT_EQ(InOutErrorMessage(EMFILE), "Too many open files");
  EXPECT_EQ(InOutErrorMessage(ENFILE), "Too many open files");
  EXPECT_EQ(InOutErrorMessage(EACCES), "File access denied");
  EXPECT_EQ(InOutErrorMessage(EIO), "I/O error " + std::to_string(EIO));
}

}  // namespace
}  // namespace talvex
