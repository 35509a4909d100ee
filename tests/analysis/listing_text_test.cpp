// The listing's text beyond the golden cases: the header's notes from an
// import, and UTF-8 labels, which must take the columns of 8-bit labels of
// the same character count.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/analysis_run.h"
#include "test_support.h"

namespace talvex {
namespace {

using testing::LoadFixture;
using testing::Options;
using testing::Request;

std::vector<std::string> ListingOf(const TDataMatrix& data) {
  TAnalysisResults results;
  TReportListing listing;
  RunAnalysis(Request(Options(DispersionMethod::Covariance, DataTransform::TransformNatural, true),
                      data.variableCount),
              data, results, listing);
  std::vector<std::string> lines = listing.Lines();
  lines.at(2).clear();  // date and time
  lines.at(3).clear();
  return lines;
}

std::string Replaced(std::string line,
                     const std::vector<std::pair<std::string, std::string>>& pairs) {
  for (const auto& [from, to] : pairs) {
    for (std::size_t at = line.find(from); at != std::string::npos; at = line.find(from, at))
      line.replace(at, from.size(), to);
  }
  return line;
}

TEST(ListingHeader, NotesStandAfterTheTitleAndAnEmptyLine) {
  TDataMatrix data = LoadFixture("morph.nts");
  const std::vector<std::string> plain = ListingOf(data);
  ASSERT_EQ(plain.at(8), "Morphometrics of ten specimens");
  ASSERT_EQ(plain.at(10), "Number of variables    = 4");

  data.notes = {"3 objects with missing values left out: Ab4, Ab5, Bc9",
                "groups taken from column Species"};
  const std::vector<std::string> noted = ListingOf(data);
  std::vector<std::string> expected = plain;
  expected.insert(expected.begin() + 10, {data.notes[0], data.notes[1], ""});
  EXPECT_EQ(noted, expected);

  data.notes = {"one note"};
  expected = plain;
  expected.insert(expected.begin() + 10, {"one note", ""});
  EXPECT_EQ(ListingOf(data), expected);
}

TEST(ListingColumns, Utf8LabelsTakeTheWidthOfTheirCharacters) {
  // Each UTF-8 label stands in for an ASCII one of as many characters; both
  // shorter than 8 (the tables) and between 8 and 25 (the basic statistics).
  const std::vector<std::pair<std::string, std::string>> pairs = {
      {"Bl\xC3\xBCtenblatt", "Bluetenblat"},
      {"L\xC3\xA4nge", "Lxnge"},
      {"\xE6\xBC\xA2\xE5\xAD\x97", "Kj"},
      {"Fl\xC3\xBC\xC3\xBC\xC3\xBCgel", "Fluuugel"},
      {"\xC5\x92uf1", "Xuf1"},
  };
  TDataMatrix ascii = LoadFixture("morph.nts");
  ascii.variableLabels = {"Bluetenblat", "Lxnge", "Kj", "Fluuugel"};
  ascii.objectLabels[0] = "Xuf1";
  TDataMatrix utf8 = ascii;
  utf8.variableLabels = {pairs[0].first, pairs[1].first, pairs[2].first, pairs[3].first};
  utf8.objectLabels[0] = pairs[4].first;

  const std::vector<std::string> expected = ListingOf(ascii);
  std::vector<std::string> lines = ListingOf(utf8);
  ASSERT_EQ(lines.size(), expected.size());
  for (std::string& line : lines) line = Replaced(line, pairs);
  EXPECT_EQ(lines, expected);
}

TEST(ListingColumns, OtherEightBitLabelsTakeOneColumnPerByte) {
  // Latin-1, and a text whose one stray byte makes it 8-bit although it
  // begins with a valid UTF-8 sequence: padded by bytes, as always.
  const std::vector<std::pair<std::string, std::string>> pairs = {
      {"Gr\xF6\xDF"
       "e",
       "Grsze"},
      {"\xC3\xBC\xFC", "uuu"},
      {"L\xE4nge der Fl\xFCgel", "Laenge der Flgel"},
  };
  TDataMatrix ascii = LoadFixture("morph.nts");
  ascii.variableLabels = {"Grsze", "uuu", "Laenge der Flgel", "Tail"};
  TDataMatrix latin1 = ascii;
  latin1.variableLabels = {pairs[0].first, pairs[1].first, pairs[2].first, "Tail"};

  const std::vector<std::string> expected = ListingOf(ascii);
  std::vector<std::string> lines = ListingOf(latin1);
  for (std::string& line : lines) line = Replaced(line, pairs);
  EXPECT_EQ(lines, expected);
}

// Handed on, the lines arrive in order and in pieces, the ones held before
// first; joined they are the text the held lines give, and none is kept.
TEST(ListingPassOn, PiecesJoinToTheHeldText) {
  TReportListing held, passed;
  std::string received;
  int pieces = 0;
  held.Append("first");
  passed.Append("first");
  passed.PassOn("\r\n", [&](std::string_view text) {
    received += text;
    ++pieces;
  });
  EXPECT_EQ(pieces, 0);  // nothing goes before a piece is full or flushed
  for (int i = 0; i < 100000; ++i) {
    const std::string line = "line " + std::to_string(i) + std::string(20, 'x');
    held.Append(line);
    passed.Append(line);
  }
  held.AppendEmpty();
  passed.AppendEmpty();
  EXPECT_TRUE(passed.Lines().empty());
  EXPECT_FALSE(passed.Empty());
  passed.Flush();
  EXPECT_EQ(received, held.Text("\r\n"));
  EXPECT_GT(pieces, 1);
  passed.Flush();  // nothing more to hand on
  EXPECT_EQ(received.size(), held.Text("\r\n").size());
}

}  // namespace
}  // namespace talvex
