// CSV text cells: quoted as RFC 4180 asks, and never taken for a formula.
#include "export/csv_text.h"

#include <gtest/gtest.h>

namespace talvex {
namespace {

TEST(CsvText, NeutralisesFormulaLikeTextsAndKeepsNumbers) {
  struct TCase {
    const char* text;
    const char* field;
  };
  const TCase cases[] = {
      {"setosa01", "setosa01"},
      {"=HYPERLINK(\"http://x\",\"a\")", "\"'=HYPERLINK(\"\"http://x\"\",\"\"a\"\")\""},
      {"+SUM(A1:A9)", "'+SUM(A1:A9)"},
      {"-A1", "'-A1"},
      {"@cmd", "'@cmd"},
      {"\tx", "'\tx"},
      {"\rx", "\"'\rx\""},
      {"-5", "-5"},
      {"+1.5e3", "+1.5e3"},
      {"-", "'-"},
      {"a, b", "\"a, b\""},
      {"", ""},
  };
  for (const TCase& c : cases) EXPECT_EQ(CsvText(c.text), c.field) << c.text;
}

}  // namespace
}  // namespace talvex
