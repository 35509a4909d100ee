// TCellGrid: a table as its cells' text, row by row, whatever file it came
// from; the place of each row (a line of a text file, a row of a sheet) is
// kept so that a refusal can point at it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace talvex {

struct TGridRow {
  std::uint64_t place = 0;         // 1-based line or sheet row
  std::vector<std::string> cells;  // as written; a number in a workbook as its stored text
};

struct TCellGrid {
  const char* placeName = "line";  // what `place` counts: "line" or "row"
  std::vector<TGridRow> rows;      // rows without any text are not kept
};

}  // namespace talvex
