// Identifier-like columns: whole numbers that count or date the rows.
#include "tables/identifier_columns.h"

#include <cmath>

#include "tables/cell_number.h"
#include "tables/table_roles.h"

namespace talvex {

namespace {

// Fewer values say nothing about a pattern.
constexpr std::size_t FewestValues = 3;

bool IsWordCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

}  // namespace

bool IsIdentifierLikeName(const std::string& name) {
  static const char* const Words[] = {"id", "year", "date", "index", "row"};
  std::vector<std::string> words{std::string()};
  for (const char c : TrimBlanks(name)) {
    if (IsWordCharacter(c)) {
      words.back() += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    } else if (!words.back().empty()) {
      words.emplace_back();
    }
  }
  for (const std::string& word : words) {
    for (const char* identifier : Words) {
      if (word == identifier) return true;
    }
  }
  return false;
}

std::string IdentifierReason(const TCellGrid& grid, std::size_t first, std::size_t c,
                             const std::string& name, bool decimalComma,
                             const std::vector<std::string>& markers) {
  std::vector<double> values;
  for (std::size_t r = first; r < grid.rows.size(); ++r) {
    if (IsMissingCell(grid.Cell(r, c), markers)) continue;
    const std::optional<double> value = grid.Number(r, c, decimalComma);
    if (!value || *value != std::floor(*value) || std::fabs(*value) > 1e15) return std::string();
    values.push_back(*value);
  }
  if (values.size() < FewestValues) return std::string();
  bool consecutive = true;
  for (std::size_t k = 1; k < values.size() && consecutive; ++k)
    consecutive = values[k] == values[k - 1] + 1;
  if (consecutive) return "consecutive whole numbers";
  if (IsIdentifierLikeName(name)) return "whole numbers named like an identifier";
  return std::string();
}

}  // namespace talvex
