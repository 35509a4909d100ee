// File-name rules: extensions are told apart whatever their case, and only
// the last name of a path counts.
#include "base/file_name_case.h"

#include <gtest/gtest.h>

namespace talvex {
namespace {

TEST(FileNameCase, LowerCasingFoldsAsciiLettersOnly) {
  EXPECT_EQ(AsciiLower("Iris.CSV"), "iris.csv");
  // Bytes of other scripts (Latin-1 and UTF-8 alike) stay as they are.
  EXPECT_EQ(AsciiLower("\xC4PFEL-\xC3\x84"), "\xC4pfel-\xC3\x84");
}

TEST(FileNameCase, ExtensionOfTheLastNameWhateverItsCase) {
  EXPECT_EQ(FileExtension("Data/Iris.CSV"), "csv");
  EXPECT_EQ(FileExtension("results.tar.XLSX"), "xlsx");
  EXPECT_EQ(FileExtension(".csv"), "csv");
  // A dot in a folder's name is not the file's extension.
  EXPECT_EQ(FileExtension("runs.2026/notes"), "");
  EXPECT_EQ(FileExtension("notes."), "");
  EXPECT_EQ(FileExtension(".."), "");
  EXPECT_TRUE(HasExtension("ALL.XLSX", "xlsx"));
  EXPECT_TRUE(HasExtension("scores.Csv", "csv"));
  EXPECT_FALSE(HasExtension("scores.csv.bak", "csv"));
  EXPECT_FALSE(HasExtension("csv", "csv"));
}

}  // namespace
}  // namespace talvex
