// The data-matrix writer: what it writes reads back through the program's
// own reader to the same title, labels and bits of every value; the labels
// and titles the format cannot hold as they are follow the stated rules; the
// bytes of a small file; and a failed write leaves the old file.
#include "export/data_matrix_writer.h"

#include <gtest/gtest.h>

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

#include "export/atomic_file.h"
#include "export_test_support.h"
#include "input/data_reader.h"
#include "tests/support/write_fault_seam.h"

namespace talvex {
namespace {

using testing::ReadFile;
using testing::TScratchFolder;

TDataMatrix MakeData(std::string title, std::vector<std::string> objectLabels,
                     std::vector<std::string> variableLabels, const std::vector<double>& values) {
  TDataMatrix data;
  data.title = std::move(title);
  data.objectCount = TSize(objectLabels.size());
  data.variableCount = TSize(variableLabels.size());
  data.valueCount = data.objectCount * data.variableCount;
  EXPECT_EQ(values.size(), data.valueCount);
  data.objectLabels = std::move(objectLabels);
  data.variableLabels = std::move(variableLabels);
  data.values = TFloatVector(data.valueCount);
  for (TSize k = 1; k <= data.valueCount; ++k) data.values.SetValue(k, values[k - 1]);
  return data;
}

// Written, then read into a matrix whose previous title would show through
// if the file had no title line.
TDataMatrix WrittenAndRead(const TDataMatrix& data) {
  TScratchFolder folder;
  const std::string path = folder / "saved.nts";
  WriteDataMatrixFile(path, data);
  TDataMatrix read;
  read.title = "previous title";
  ReadDataFile(path, read);
  return read;
}

void ExpectSameValueBits(const TDataMatrix& read, const TDataMatrix& data) {
  ASSERT_EQ(read.valueCount, data.valueCount);
  for (TSize k = 1; k <= data.valueCount; ++k) {
    EXPECT_EQ(std::bit_cast<std::uint64_t>(read.values.GetValue(k)),
              std::bit_cast<std::uint64_t>(data.values.GetValue(k)))
        << "value " << k << ": " << data.values.GetValue(k);
  }
}

void ExpectRoundTrip(const TDataMatrix& data) {
  const TDataMatrix read = WrittenAndRead(data);
  EXPECT_EQ(read.title, data.title);
  EXPECT_EQ(read.objectCount, data.objectCount);
  EXPECT_EQ(read.variableCount, data.variableCount);
  EXPECT_EQ(read.objectLabels, data.objectLabels);
  EXPECT_EQ(read.variableLabels, data.variableLabels);
  ExpectSameValueBits(read, data);
}

TEST(DataMatrixWriter, ExampleDataReadBackUnchanged) {
  TDataMatrix iris;
  ReadDataFile(std::string(TALVEX_SOURCE_DIR) + "/examples/iris.nts", iris);
  ASSERT_EQ(iris.objectCount, 150u);
  ExpectRoundTrip(iris);
}

TEST(DataMatrixWriter, EveryDoubleReadsBackToItsBits) {
  constexpr double Max = std::numeric_limits<double>::max();
  constexpr double TrueMin = std::numeric_limits<double>::denorm_min();
  constexpr double NormalMin = std::numeric_limits<double>::min();
  std::vector<double> values = {0.0,
                                -0.0,
                                1e-300,
                                -1e-300,
                                TrueMin,
                                -TrueMin,
                                NormalMin,
                                std::nextafter(NormalMin, 0.0),  // the largest subnormal
                                2.2250738585072009e-308,
                                Max,
                                -Max,
                                0.1 + 0.2,  // needs 17 digits
                                1.0 / 3.0,
                                std::nextafter(1.0, 2.0),
                                9007199254740993.0,
                                123456789012345680.0,
                                5e-324 * 3,
                                1e22,
                                1e23,
                                -7.0e-10};
  // Random bit patterns cover every exponent and mantissa shape.
  std::mt19937_64 random(20240615);
  while (values.size() < 20 * 50) {
    const double x = std::bit_cast<double>(random());
    if (std::isfinite(x)) values.push_back(x);
  }
  std::vector<std::string> objects, variables;
  for (int i = 1; i <= 50; ++i) objects.push_back("o" + std::to_string(i));
  for (int j = 1; j <= 20; ++j) variables.push_back("v" + std::to_string(j));
  ExpectRoundTrip(MakeData("Extremes", objects, variables, values));
}

TEST(DataMatrixWriter, LabelsTheFormatHoldsReadBackUnchanged) {
  // UTF-8, 8-bit Latin-1, quote characters, digits and signs are all ordinary label text.
  ExpectRoundTrip(
      MakeData("Bl\xC3\xBCten \xE2\x80\x94 Ma\xC3\x9F"
               "e",
               {"Bl\xC3\xBCtenblatt", "\xE6\xBC\xA2\xE5\xAD\x97",
                "Gr\xF6\xDF"
                "e",
                "\"quoted\"", "'1.5e3'", "-0"},
               {"L\xC3\xA4nge", "x"}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
}

TEST(DataMatrixWriter, LabelsWithSeparatorsAndEmptyLabelsFollowTheRule) {
  const TDataMatrix data =
      MakeData("t", {"two words", "tab\there", "line\r\nbreak", "", "\x1A\x01x", " "},
               {"", "Petal width"}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  const TDataMatrix read = WrittenAndRead(data);
  EXPECT_EQ(read.objectLabels,
            (std::vector<std::string>{"two_words", "tab_here", "line__break", "OBJ4", "__x", "_"}));
  EXPECT_EQ(read.variableLabels, (std::vector<std::string>{"VAR1", "Petal_width"}));
  ExpectSameValueBits(read, data);

  // Missing labels are made up like empty ones.
  TDataMatrix unlabelled = data;
  unlabelled.objectLabels.clear();
  unlabelled.variableLabels.resize(1);
  EXPECT_EQ(WrittenAndRead(unlabelled).objectLabels,
            (std::vector<std::string>{"OBJ1", "OBJ2", "OBJ3", "OBJ4", "OBJ5", "OBJ6"}));
  EXPECT_EQ(WrittenAndRead(unlabelled).variableLabels, (std::vector<std::string>{"VAR1", "VAR2"}));
}

TEST(DataMatrixWriter, OverlongLabelsAreCutWhereTheReaderStillTakesThem) {
  // 65534 ASCII bytes and then a two-byte character: the cut goes before it.
  const std::string utf8 = std::string(65534, 'a') + "\xC3\xA4" + "tail";
  const std::string latin1 = std::string(70000, '\xE4');
  const TDataMatrix read = WrittenAndRead(MakeData("t", {utf8, latin1}, {"v"}, {1, 2}));
  EXPECT_EQ(read.objectLabels[0], std::string(65534, 'a'));
  EXPECT_EQ(read.objectLabels[1], std::string(65535, '\xE4'));
}

TEST(DataMatrixWriter, TitlesReadBackUnchangedOrByTheRule) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", ""},  // an empty title, not the previous one
      {"Iris sample", "Iris sample"},
      {"  blanks around\t ", "  blanks around\t "},
      {"Bob's data", "Bob's data"},
      {"the \"best\" data", "the \"best\" data"},
      {"'quoted' and \"double\"", "'quoted' and 'double'"},
      {"first line\r\nsecond line", "first line"},
      {"first\nsecond", "first"},
      {"Ma\xC3\x9F"
       "e \xE6\xBC\xA2",
       "Ma\xC3\x9F"
       "e \xE6\xBC\xA2"},
      {"end\x1Amark", "end_mark"},
  };
  for (const auto& [title, expected] : cases) {
    SCOPED_TRACE(title);
    EXPECT_EQ(WrittenAndRead(MakeData(title, {"a", "b"}, {"v"}, {1, 2})).title, expected);
  }
}

TEST(DataMatrixWriter, SmallFileByteForByte) {
  TScratchFolder folder;
  const std::string path = folder / "small.nts";
  WriteDataMatrixFile(path, MakeData("Iris sample", {"setosa1", "", "versi 1"}, {"SL", "SW"},
                                     {5.1, 3.5, 4.9, 3.0, -0.0, 1e-300}));
  EXPECT_EQ(ReadFile(path),
            "\"Iris sample\"\r\n"
            "1 3L 2L 0\r\n"
            "setosa1 OBJ2 versi_1\r\n"
            "SL SW\r\n"
            "5.1 3.5\r\n"
            "4.9 3\r\n"
            "-0 1e-300\r\n");
}

TEST(DataMatrixWriter, ManyLabelsAreWrappedIntoShortLines) {
  std::vector<std::string> objects;
  for (int i = 1; i <= 300; ++i) objects.push_back("specimen" + std::to_string(i));
  TScratchFolder folder;
  const std::string path = folder / "many.nts";
  WriteDataMatrixFile(path, MakeData("t", objects, {"v"}, std::vector<double>(300, 1.0)));
  const std::string text = ReadFile(path);
  std::size_t lines = 0;
  for (std::size_t from = 0, end; (end = text.find("\r\n", from)) != std::string::npos;
       from = end + 2, ++lines) {
    EXPECT_LE(end - from, 80u) << "line " << lines + 1;
  }
  // Labels of at most 11 characters: at least six to a line of 80.
  EXPECT_LE(lines, 2u + 300u / 6u + 1u + 300u);
  EXPECT_EQ(
      WrittenAndRead(MakeData("t", objects, {"v"}, std::vector<double>(300, 1.0))).objectLabels,
      objects);
}

TEST(DataMatrixWriter, ValueWithoutFiniteFormIsRefusedBeforeWriting) {
  TScratchFolder folder;
  const std::string path = folder / "kept.nts";
  testing::WriteFile(path, "old");
  for (double bad :
       {std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::infinity()}) {
    EXPECT_THROW_MSG(
        WriteDataMatrixFile(path, MakeData("t", {"a", "b"}, {"x", "y"}, {1, 2, 3, bad})), Exception,
        "Object 2, variable 2 holds no finite number; a data-matrix file cannot hold it");
  }
  EXPECT_EQ(ReadFile(path), "old");
  EXPECT_EQ(folder.Listing(), std::set<std::string>{"kept.nts"});
}

TEST(DataMatrixWriter, FailedWriteKeepsTheOldFile) {
  TScratchFolder folder;
  const std::string path = folder / "kept.nts";
  testing::WriteFile(path, "old contents");
  std::vector<double> values(2000 * 5, 0.123456789);
  std::vector<std::string> objects(2000, "object");
  const TDataMatrix data = MakeData("t", objects, {"a", "b", "c", "d", "e"}, values);
  {
    const TScopedWriteFault fault({TWriteFaultStage::Write, 10000, ENOSPC});
    EXPECT_THROW_MSG(WriteDataMatrixFile(path, data), EInOutError,
                     "Cannot write file " + path + ": No space left on device");
  }
  EXPECT_EQ(ReadFile(path), "old contents");
  EXPECT_EQ(folder.Listing(), std::set<std::string>{"kept.nts"});

  const std::string missing = folder / "no-such-folder/x.nts";
  EXPECT_THROW_MSG(WriteDataMatrixFile(missing, data), EInOutError,
                   "Cannot create file " + missing + ": No such file or directory");
}

}  // namespace
}  // namespace talvex
