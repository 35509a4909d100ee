// Column roles: counts of numbers, texts and missing cells per column decide
// the defaults; the user's overrides are resolved by name or number.
#include "tables/table_roles.h"

#include <algorithm>
#include <charconv>
#include <unordered_set>
#include <utility>

#include "input/data_refused.h"
#include "tables/cell_number.h"
#include "tables/identifier_columns.h"

namespace talvex {

namespace {

struct TColumnCounts {
  std::size_t numbers = 0;
  std::size_t texts = 0;
  std::size_t missing = 0;
  std::size_t firstText = 0;  // row index in the grid of the first text cell
};

[[noreturn]] void Refuse(const char* message, std::string detail) {
  EDataRefused error(message);
  error.SetDetail(std::move(detail));
  throw error;
}

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string ColumnText(const std::vector<TImportColumn>& columns, std::size_t c) {
  return "column \"" + columns[c].name + "\" (column " + std::to_string(c + 1) + ")";
}

bool DetectHeader(const TCellGrid& grid, const TImportOptions& options, bool decimalComma) {
  if (grid.rows.size() < 2) return false;
  const auto& first = grid.rows[0].cells;
  bool textAboveNumbers = false;
  for (std::size_t c = 0; c < first.size(); ++c) {
    if (ParseCellNumber(first[c], decimalComma)) return false;
    if (IsMissingCell(first[c], options.missingMarkers)) continue;
    for (std::size_t r = 1; r < grid.rows.size() && !textAboveNumbers; ++r) {
      textAboveNumbers = ParseCellNumber(grid.rows[r].cells[c], decimalComma).has_value();
      if (r > 100) break;  // the column's kind shows in its first rows
    }
  }
  return textAboveNumbers;
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
      if (Lower(columns[c].name) == Lower(reference)) return c;
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
    const std::string& cell = grid.rows[r].cells[c];
    if (IsMissingCell(cell, markers)) continue;
    if (!seen.insert(TrimBlanks(cell)).second) return false;
  }
  return true;
}

}  // namespace

bool IsMissingCell(const std::string& cell, const std::vector<std::string>& markers) {
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
  const std::string lower = Lower(std::string(TrimBlanks(name)));
  for (const char* word : Words) {
    if (lower == word) return true;
  }
  return lower.find("group") != std::string::npos || lower.find("species") != std::string::npos;
}

TTableLayout DecideLayout(const TCellGrid& grid, const TImportOptions& options, bool decimalComma,
                          TImportReport& report) {
  TTableLayout layout;
  layout.header = options.header.value_or(DetectHeader(grid, options, decimalComma));
  report.header = layout.header;
  const std::size_t width = grid.rows.empty() ? 0 : grid.rows[0].cells.size();
  const std::size_t first = layout.header ? 1 : 0;

  report.columns.assign(width, TImportColumn());
  std::vector<TColumnCounts> counts(width);
  for (std::size_t c = 0; c < width; ++c) {
    TImportColumn& column = report.columns[c];
    if (layout.header) column.name = std::string(TrimBlanks(grid.rows[0].cells[c]));
    if (column.name.empty()) column.name = "VAR" + std::to_string(c + 1);
  }
  for (std::size_t r = first; r < grid.rows.size(); ++r) {
    const auto& cells = grid.rows[r].cells;
    for (std::size_t c = 0; c < width; ++c) {
      TColumnCounts& count = counts[c];
      if (IsMissingCell(cells[c], options.missingMarkers)) {
        ++count.missing;
      } else if (ParseCellNumber(cells[c], decimalComma)) {
        ++count.numbers;
      } else if (count.texts++ == 0) {
        count.firstText = r;
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
    const TGridRow& row = grid.rows[counts[c].firstText];
    return std::string(grid.placeName) + " " + std::to_string(row.place) + ", " +
           ColumnText(report.columns, c) + ": \"" + std::string(TrimBlanks(row.cells[c])) +
           "\" is not a number";
  };

  // Labels and group: as given, or detected among the text columns.
  if (!options.labelsColumn.empty()) {
    layout.labels = FindColumn(options.labelsColumn, "labels", report.columns);
  } else if (layout.header && width > 1 && TrimBlanks(grid.rows[0].cells[0]).empty() &&
             counts[0].missing == 0 && AllDifferent(grid, first, 0, options.missingMarkers)) {
    // R's write.csv puts the row names first under an empty heading, numbers or not.
    layout.labels = 0;
  } else {
    for (std::size_t c = 0; c < width && layout.labels == TTableLayout::None; ++c) {
      if (isText(c) && !IsGroupLikeName(report.columns[c].name) &&
          AllDifferent(grid, first, c, options.missingMarkers))
        layout.labels = c;
    }
  }
  if (!options.groupColumn.empty()) {
    layout.group = FindColumn(options.groupColumn, "group", report.columns);
  } else {
    for (std::size_t c = 0; c < width && layout.group == TTableLayout::None; ++c) {
      if (c != layout.labels && isText(c) && IsGroupLikeName(report.columns[c].name))
        layout.group = c;
    }
    for (std::size_t c = 0; c < width && layout.group == TTableLayout::None; ++c) {
      if (c != layout.labels && isText(c)) layout.group = c;
    }
  }
  if (layout.labels != TTableLayout::None && layout.labels == layout.group)
    Refuse("Column given two roles",
           ColumnText(report.columns, layout.labels) + " is both labels and group");

  const auto taken = [&](std::size_t c) { return c == layout.labels || c == layout.group; };
  if (!options.variables.empty()) {
    for (const std::string& reference : options.variables) {
      const std::size_t c = FindColumn(reference, "variable", report.columns);
      if (c == TTableLayout::None) continue;
      if (taken(c))
        Refuse("Column given two roles", ColumnText(report.columns, c) + " is a variable and " +
                                             (c == layout.labels ? "the labels" : "the group"));
      if (std::find(layout.variables.begin(), layout.variables.end(), c) != layout.variables.end())
        continue;
      if (counts[c].texts > 0) Refuse("Text in a numeric column", textCellPlace(c));
      if (counts[c].numbers == 0)
        Refuse("Column without values", ColumnText(report.columns, c) + " has no value in any row");
      layout.variables.push_back(c);
    }
  } else {
    for (std::size_t c = 0; c < width; ++c) {
      if (taken(c)) continue;
      const TColumnCounts& count = counts[c];
      if (count.numbers > 0 && count.texts > 0 && !isText(c))
        Refuse("Text in a numeric column", textCellPlace(c));
      if (count.numbers == 0 && count.texts == 0 && layout.header &&
          !TrimBlanks(grid.rows[0].cells[c]).empty())
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
