// Column roles: counts of numbers, texts and missing cells per column decide
// the defaults; the user's overrides are resolved by name or number.
#include "tables/table_roles.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <unordered_set>
#include <utility>

#include "base/file_name_case.h"
#include "input/data_refused.h"
#include "tables/cell_number.h"
#include "tables/identifier_columns.h"

namespace talvex {

namespace {

// Text the column names may hold in all.
constexpr std::uint64_t MaxNameBytes = std::uint64_t(64) << 20;

struct TColumnCounts {
  std::size_t numbers = 0;
  std::size_t texts = 0;  // numbers in another notation included
  std::size_t other = 0;  // numbers in another notation
  std::size_t missing = 0;
  std::size_t firstText = 0;   // row index in the grid of the first text cell
  std::size_t firstOther = 0;  // and of the first number in another notation
  const char* notation = nullptr;
};

[[noreturn]] void Refuse(const char* message, std::string detail) {
  EDataRefused error(message);
  error.SetDetail(std::move(detail));
  throw error;
}

std::string ColumnText(const std::vector<TImportColumn>& columns, std::size_t c) {
  return "column \"" + columns[c].name + "\" (column " + std::to_string(c + 1) + ")";
}

// A whole number written without sign, point or exponent.
std::optional<double> WholeCell(std::string_view cell) {
  cell = TrimBlanks(cell);
  if (cell.empty() || cell.size() > 9) return std::nullopt;
  for (const char c : cell) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  return ParseCellNumber(cell, false);
}

struct THeaderGuess {
  bool header = false;
  bool sure = true;
};

// A first row with a text above a column of numbers names the columns. A
// first row of texts above texts and numbers above numbers may be either: it
// names the columns when its numbers are whole, count up and each lies
// outside the values below it ("label,2020,2021" above measurements), and is
// data otherwise; the caller says which it chose.
THeaderGuess GuessHeader(const TCellGrid& grid, const TImportOptions& options, bool decimalComma) {
  if (grid.rows.size() < 2) return {false, true};
  const std::size_t width = grid.rows[0].count;
  // The column's kind shows in its first rows.
  const std::size_t sample = std::min<std::size_t>(grid.rows.size(), 101);
  bool anyText = false;
  bool textAboveNumbers = false;
  bool headerLike = true;
  bool numbers = false;
  double previous = 0;
  for (std::size_t c = 0; c < width; ++c) {
    if (IsMissingCell(grid.Cell(0, c), options.missingMarkers)) continue;
    if (grid.Number(0, c, decimalComma)) {
      const std::optional<double> whole = WholeCell(grid.Cell(0, c));
      bool outside = whole && (!numbers || *whole > previous);
      for (std::size_t r = 1; r < sample && outside; ++r) {
        const std::optional<double> below = grid.Number(r, c, decimalComma);
        outside = !below || std::abs(*below - *whole) > 0.5 * std::abs(*whole);
      }
      headerLike = headerLike && outside;
      numbers = true;
      if (whole) previous = *whole;
      continue;
    }
    anyText = true;
    for (std::size_t r = 1; r < sample && !textAboveNumbers; ++r)
      textAboveNumbers = grid.Number(r, c, decimalComma).has_value();
  }
  if (!anyText) return {false, true};
  if (textAboveNumbers) return {true, !numbers};
  return {numbers && headerLike, false};
}

// Whether `cell`, not a number in the table's notation, is one in another:
// the other decimal mark, or thousands separators. Returns how it is written.
std::string_view GroupedDigits(std::string_view text, char group, char mark, std::string& out) {
  out.clear();
  std::size_t i = 0;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) out += text[i++];
  std::size_t digits = 0;
  bool grouped = false;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    out += text[i++];
    ++digits;
  }
  if (digits == 0 || digits > 3) return {};
  while (i < text.size() && text[i] == group) {
    ++i;
    for (int k = 0; k < 3; ++k, ++i) {
      if (i >= text.size() || text[i] < '0' || text[i] > '9') return {};
      out += text[i];
    }
    grouped = true;
  }
  if (!grouped) return {};
  if (i < text.size() && text[i] == mark) {
    out += '.';
    ++i;
    if (i >= text.size()) return {};
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') out += text[i++];
  }
  return i == text.size() ? std::string_view(out) : std::string_view();
}

const char* OtherNotation(std::string_view cell, bool decimalComma) {
  const std::string_view text = TrimBlanks(cell);
  // No number is longer than ParseCellNumber reads.
  if (text.size() > 64 || text.find_first_of(".,") == std::string_view::npos) return nullptr;
  if (ParseCellNumber(text, !decimalComma))
    return decimalComma ? "a decimal point" : "a decimal comma";
  std::string digits;
  if (!GroupedDigits(text, decimalComma ? '.' : ',', decimalComma ? ',' : '.', digits).empty())
    return "thousands separators";
  if (!GroupedDigits(text, decimalComma ? ',' : '.', decimalComma ? '.' : ',', digits).empty())
    return decimalComma ? "thousands separators and a decimal point"
                        : "thousands separators and a decimal comma";
  return nullptr;
}

// A column given by the user: "-" for none, a 1-based number or a name
// (exactly, then ignoring letter case).
std::size_t FindColumn(const std::string& reference, const char* what,
                       const std::vector<TImportColumn>& columns) {
  if (reference == "-") return TTableLayout::None;
  std::size_t number = 0;
  const auto result =
      std::from_chars(reference.data(), reference.data() + reference.size(), number);
  if (!reference.empty() && result.ec == std::errc() &&
      result.ptr == reference.data() + reference.size()) {
    if (number >= 1 && number <= columns.size()) return number - 1;
  } else {
    for (std::size_t c = 0; c < columns.size(); ++c) {
      if (columns[c].name == reference) return c;
    }
    for (std::size_t c = 0; c < columns.size(); ++c) {
      if (AsciiLower(columns[c].name) == AsciiLower(reference)) return c;
    }
  }
  std::string there;
  for (const TImportColumn& column : columns)
    there += (there.empty() ? "\"" : ", \"") + column.name + "\"";
  Refuse("No such column", std::string(what) + " column \"" + reference + "\"; the table has " +
                               std::to_string(columns.size()) + " columns: " + there);
}

bool AllDifferent(const TCellGrid& grid, std::size_t first, std::size_t c,
                  const std::vector<std::string>& markers) {
  std::unordered_set<std::string_view> seen;
  for (std::size_t r = first; r < grid.rows.size(); ++r) {
    const std::string_view cell = grid.Cell(r, c);
    if (IsMissingCell(cell, markers)) continue;
    if (!seen.insert(TrimBlanks(cell)).second) return false;
  }
  return true;
}

}  // namespace

bool IsMissingCell(std::string_view cell, const std::vector<std::string>& markers) {
  const std::string_view text = TrimBlanks(cell);
  for (const std::string& marker : markers) {
    if (text == TrimBlanks(marker)) return true;
  }
  return false;
}

bool IsGroupLikeName(const std::string& name) {
  static const char* const Words[] = {"group",    "species",   "sex",    "population", "island",
                                      "site",     "locality",  "taxon",  "genus",      "class",
                                      "category", "treatment", "region", "morph",      "gender"};
  const std::string lower = AsciiLower(TrimBlanks(name));
  for (const char* word : Words) {
    if (lower == word) return true;
  }
  return lower.find("group") != std::string::npos || lower.find("species") != std::string::npos;
}

TTableLayout DecideLayout(const TCellGrid& grid, const TImportOptions& options, bool decimalComma,
                          TImportReport& report) {
  TTableLayout layout;
  if (options.header) {
    layout.header = *options.header;
  } else {
    const THeaderGuess guess = GuessHeader(grid, options, decimalComma);
    layout.header = guess.header;
    if (!guess.sure) {
      report.notes.push_back(layout.header ? "The first " + std::string(grid.placeName) +
                                                 " was read as the column names (header \"no\" "
                                                 "reads it as data)"
                                           : "The first " + std::string(grid.placeName) +
                                                 " was read as data (header \"yes\" reads it as "
                                                 "the column names)");
    }
  }
  report.header = layout.header;
  const std::size_t width = grid.Width();
  const std::size_t first = layout.header ? 1 : 0;

  report.columns.assign(width, TImportColumn());
  std::vector<TColumnCounts> counts(width);
  std::uint64_t nameBytes = 0;
  for (std::size_t c = 0; c < width; ++c) {
    TImportColumn& column = report.columns[c];
    // A header cell repeated over a wide sheet is one text in the grid but a
    // copy in each name: their sum is capped like a sheet's text.
    if (layout.header) nameBytes += TrimBlanks(grid.Cell(0, c)).size();
    if (nameBytes > MaxNameBytes)
      Refuse("Table too large", "the column names hold more than " +
                                    std::to_string(MaxNameBytes >> 20) + " MB of text");
    if (layout.header) column.name = std::string(TrimBlanks(grid.Cell(0, c)));
    if (column.name.empty()) column.name = "VAR" + std::to_string(c + 1);
  }
  for (std::size_t r = first; r < grid.rows.size(); ++r) {
    for (std::size_t c = 0; c < width; ++c) {
      TColumnCounts& count = counts[c];
      const std::string_view cell = grid.Cell(r, c);
      if (IsMissingCell(cell, options.missingMarkers)) {
        ++count.missing;
      } else if (grid.Number(r, c, decimalComma)) {
        ++count.numbers;
      } else {
        if (count.texts++ == 0) count.firstText = r;
        if (const char* notation = OtherNotation(cell, decimalComma)) {
          if (count.other++ == 0) {
            count.firstOther = r;
            count.notation = notation;
          }
        }
      }
    }
  }
  for (std::size_t c = 0; c < width; ++c) {
    report.columns[c].numeric = counts[c].texts == 0 && counts[c].numbers > 0;
    report.columns[c].missingCount = counts[c].missing;
    if (report.columns[c].numeric) {
      report.columns[c].identifier = IdentifierReason(grid, first, c, report.columns[c].name,
                                                      decimalComma, options.missingMarkers);
    }
  }
  const auto isText = [&](std::size_t c) { return counts[c].texts > counts[c].numbers; };
  const auto textCellPlace = [&](std::size_t c) {
    const std::size_t r = counts[c].firstText;
    return std::string(grid.placeName) + " " + std::to_string(grid.rows[r].place) + ", " +
           ColumnText(report.columns, c) + ": \"" + std::string(TrimBlanks(grid.Cell(r, c))) +
           "\" is not a number";
  };
  // A column of numbers written another way (thousands separators, the other
  // decimal mark) is no text column: it must not quietly become the labels,
  // the group, or be left out.
  const auto otherNotation = [&](std::size_t c) {
    const TColumnCounts& count = counts[c];
    return count.other > 0 && 2 * count.other >= count.texts &&
           count.numbers + count.other > count.texts - count.other;
  };
  const auto refuseNotation = [&](std::size_t c) {
    const std::size_t r = counts[c].firstOther;
    Refuse("Numbers in another notation",
           std::string(grid.placeName) + " " + std::to_string(grid.rows[r].place) + ", " +
               ColumnText(report.columns, c) + ": \"" + std::string(TrimBlanks(grid.Cell(r, c))) +
               "\" is written with " + counts[c].notation + ", where the table's numbers have " +
               (decimalComma ? "a decimal comma" : "a decimal point"));
  };

  // The variables given are resolved first, so that detection never gives
  // one of them another role.
  std::vector<std::size_t> given;
  for (const std::string& reference : options.variables) {
    const std::size_t c = FindColumn(reference, "variable", report.columns);
    if (c != TTableLayout::None) given.push_back(c);
  }
  const auto isGiven = [&](std::size_t c) {
    return std::find(given.begin(), given.end(), c) != given.end();
  };
  const auto detectable = [&](std::size_t c) {
    return isText(c) && !isGiven(c) && !otherNotation(c);
  };

  // Labels and group: as given, or detected among the text columns.
  if (!options.labelsColumn.empty()) {
    layout.labels = FindColumn(options.labelsColumn, "labels", report.columns);
  } else if (layout.header && width > 1 && TrimBlanks(grid.Cell(0, 0)).empty() &&
             counts[0].missing == 0 && AllDifferent(grid, first, 0, options.missingMarkers)) {
    // R's write.csv puts the row names first under an empty heading, numbers or not.
    layout.labels = 0;
  } else {
    for (std::size_t c = 0; c < width && layout.labels == TTableLayout::None; ++c) {
      if (detectable(c) && !IsGroupLikeName(report.columns[c].name) &&
          AllDifferent(grid, first, c, options.missingMarkers))
        layout.labels = c;
    }
  }
  if (!options.groupColumn.empty()) {
    layout.group = FindColumn(options.groupColumn, "group", report.columns);
  } else {
    for (std::size_t c = 0; c < width && layout.group == TTableLayout::None; ++c) {
      if (c != layout.labels && detectable(c) && IsGroupLikeName(report.columns[c].name))
        layout.group = c;
    }
    for (std::size_t c = 0; c < width && layout.group == TTableLayout::None; ++c) {
      if (c != layout.labels && detectable(c)) layout.group = c;
    }
  }
  if (layout.labels != TTableLayout::None && layout.labels == layout.group)
    Refuse("Column given two roles",
           ColumnText(report.columns, layout.labels) + " is both labels and group");

  const auto taken = [&](std::size_t c) { return c == layout.labels || c == layout.group; };
  if (!options.variables.empty()) {
    for (const std::size_t c : given) {
      if (taken(c))
        Refuse("Column given two roles", ColumnText(report.columns, c) + " is a variable and " +
                                             (c == layout.labels ? "the labels" : "the group"));
      if (std::find(layout.variables.begin(), layout.variables.end(), c) != layout.variables.end())
        continue;
      if (counts[c].other > 0) refuseNotation(c);
      if (counts[c].texts > 0) Refuse("Text in a numeric column", textCellPlace(c));
      if (counts[c].numbers == 0)
        Refuse("Column without values", ColumnText(report.columns, c) + " has no value in any row");
      layout.variables.push_back(c);
    }
  } else {
    for (std::size_t c = 0; c < width; ++c) {
      if (taken(c)) continue;
      const TColumnCounts& count = counts[c];
      if (otherNotation(c)) refuseNotation(c);
      if (count.numbers > 0 && count.texts > 0 && !isText(c))
        Refuse("Text in a numeric column", textCellPlace(c));
      if (count.numbers == 0 && count.texts == 0 && layout.header &&
          !TrimBlanks(grid.Cell(0, c)).empty())
        Refuse("Column without values", ColumnText(report.columns, c) + " has no value in any row");
      if (count.numbers > 0 && count.texts == 0) layout.variables.push_back(c);
    }
  }
  if (layout.variables.empty()) {
    Refuse("No numeric column", "none of the " + std::to_string(width) +
                                    " columns holds numbers in every row that has a value");
  }

  for (std::size_t c = 0; c < width; ++c) report.columns[c].role = TColumnRole::Ignore;
  for (const std::size_t c : layout.variables) report.columns[c].role = TColumnRole::Variable;
  if (layout.labels != TTableLayout::None) report.columns[layout.labels].role = TColumnRole::Labels;
  if (layout.group != TTableLayout::None) report.columns[layout.group].role = TColumnRole::Group;
  return layout;
}

}  // namespace talvex
