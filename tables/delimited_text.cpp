// The delimited-text scanner: one pass over the text, a cell at a time.
#include "tables/delimited_text.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "input/data_refused.h"
#include "tables/cell_number.h"

namespace talvex {

namespace {

// Records looked at to detect the separator: enough to see past a title or a
// note line, few enough to cost nothing on a large file.
constexpr std::size_t DetectionRecords = 30;

template <typename TError>
[[noreturn]] void Raise(TError error, std::string detail) {
  error.SetDetail(std::move(detail));
  throw error;
}

std::string LineText(std::uint64_t line) { return "line " + std::to_string(line); }

bool IsControl(unsigned char c) {
  return c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f';
}

// Splits the text into records and cells. `onRecord(place, cells)` receives
// each record; returns false to stop early. Shared by the detection and the
// parse so that both read quotes alike.
template <typename TOnRecord>
void ScanRecords(std::string_view text, char separator, TOnRecord onRecord) {
  const bool blanks = separator == ' ';
  std::vector<std::string> cells;
  std::string cell;
  std::uint64_t line = 1;
  std::uint64_t recordLine = 1;
  bool cellStarted = false;  // blank separator: a cell has begun on this record
  std::size_t i = 0;
  const std::size_t n = text.size();

  const auto endCell = [&] {
    cells.push_back(std::move(cell));
    cell.clear();
    cellStarted = false;
  };
  const auto endRecord = [&] {
    if (!blanks || cellStarted) endCell();
    const bool more = onRecord(recordLine, cells);
    cells.clear();
    recordLine = line;
    return more;
  };

  while (i < n) {
    const char c = text[i];
    if (c == '"' && cell.empty() && (!cellStarted || blanks)) {
      // A quoted cell: up to the closing quote, "" standing for one quote.
      const std::uint64_t openedOn = line;
      ++i;
      for (;;) {
        if (i >= n)
          Raise(EDataRefused("Unclosed quote in table"),
                LineText(openedOn) + ": the quote opened here");
        const char q = text[i];
        if (q == '"') {
          if (i + 1 < n && text[i + 1] == '"') {
            cell += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        if (q == '\n') ++line;
        if (IsControl(static_cast<unsigned char>(q))) {
          char code[8];
          std::snprintf(code, sizeof code, "0x%02X", static_cast<unsigned char>(q));
          Raise(EDataRefused("Not a text table"), LineText(line) + ": byte " + code);
        }
        cell += q;
        ++i;
      }
      cellStarted = true;
      continue;
    }
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
      ++i;
      ++line;
      if (!endRecord()) return;
      continue;
    }
    if (c == separator) {
      ++i;
      if (blanks) {
        if (cellStarted) endCell();
      } else {
        endCell();
      }
      continue;
    }
    if (IsControl(static_cast<unsigned char>(c))) {
      char code[8];
      std::snprintf(code, sizeof code, "0x%02X", static_cast<unsigned char>(c));
      Raise(EDataRefused("Not a text table"), LineText(line) + ": byte " + code);
    }
    // The rest of a plain run at once: most of a table's bytes are here.
    std::size_t end = i + 1;
    while (end < n) {
      const char d = text[end];
      if (d == separator || d == '\r' || d == '\n' || d == '"' ||
          IsControl(static_cast<unsigned char>(d)))
        break;
      ++end;
    }
    cell.append(text.data() + i, end - i);
    cellStarted = true;
    i = end;
  }
  if (!cells.empty() || cellStarted || !cell.empty()) endRecord();
}

bool HasText(const std::vector<std::string>& cells) {
  for (const std::string& cell : cells) {
    if (!TrimBlanks(cell).empty()) return true;
  }
  return false;
}

}  // namespace

char DetectSeparator(std::string_view text) {
  constexpr char Candidates[] = {'\t', ';', ',', ' '};
  char widest = ',';
  std::size_t widestCount = 1;
  for (const char separator : Candidates) {
    std::size_t first = 0;
    bool consistent = true;
    std::size_t records = 0;
    try {
      ScanRecords(text, separator, [&](std::uint64_t, const std::vector<std::string>& cells) {
        if (!HasText(cells)) return true;
        if (records == 0) first = cells.size();
        consistent = consistent && cells.size() == first;
        return ++records < DetectionRecords && consistent;
      });
    } catch (const EDataRefused&) {
      // The parse proper says what is wrong with the text.
    }
    if (records > 0 && consistent && first > 1) return separator;
    if (first > widestCount) {
      widest = separator;
      widestCount = first;
    }
  }
  return widest;
}

bool DetectDecimalComma(const TCellGrid& grid, char separator) {
  if (separator == ',') return false;
  bool comma = false;
  for (std::size_t r = 0; r < grid.rows.size(); ++r) {
    for (std::size_t c = 0; c < grid.rows[r].count; ++c) {
      // A workbook's stored numbers always have a point; only its texts tell.
      if (grid.IsStoredNumber(r, c)) continue;
      const std::string_view cell = grid.Cell(r, c);
      if (cell.size() > 64) continue;  // no number is longer
      if (cell.find('.') != std::string_view::npos) {
        if (ParseCellNumber(cell, false)) return false;
      } else if (!comma && cell.find(',') != std::string_view::npos) {
        comma = ParseCellNumber(cell, true).has_value();
      }
    }
  }
  return comma;
}

TCellGrid ParseDelimitedText(std::string_view text, char separator) {
  TCellGrid grid("line");
  grid.ReserveText(text.size());
  std::size_t width = 0;
  std::uint64_t firstLine = 0;
  std::uint64_t firstBytes = 0;  // bytes of the first records, for the cells' estimate
  ScanRecords(text, separator, [&](std::uint64_t place, std::vector<std::string>& cells) {
    if (!HasText(cells)) return true;
    if (grid.rows.empty()) {
      width = cells.size();
      firstLine = place;
    }
    // A trailing separator (common in exported files) adds empty cells only.
    while (cells.size() > width && TrimBlanks(cells.back()).empty()) cells.pop_back();
    if (cells.size() != width) {
      Raise(EDataRefused("Ragged table"), LineText(place) + " has " + std::to_string(cells.size()) +
                                              " cells where " + LineText(firstLine) + " has " +
                                              std::to_string(width));
    }
    if (grid.rows.size() == DetectionRecords) {
      // Room for the cells the rest of the text will likely hold, so that the
      // references are not copied as they grow (pages never used cost nothing).
      grid.cells.reserve(static_cast<std::size_t>(double(text.size()) /
                                                  double(std::max<std::uint64_t>(firstBytes, 1)) *
                                                  double(grid.cells.size()) * 1.25) +
                         width);
    }
    TGridRow row{place, grid.cells.size(), width};
    for (std::size_t c = 0; c < cells.size(); ++c) {
      const std::string_view cell = cells[c];
      if (grid.rows.size() < DetectionRecords) firstBytes += cell.size() + 1;
      grid.cells.push_back(grid.Keep(cell, place, c));
    }
    grid.rows.push_back(row);
    return true;
  });
  return grid;
}

}  // namespace talvex
