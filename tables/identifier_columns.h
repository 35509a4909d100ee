// Numeric columns that identify rows rather than measure them: a running
// number, or whole numbers under a name such as id, year or date. Analysed,
// they put stripes into the scores plot (one per year) or a trend along the
// row order; the import dialog offers them as Ignore, the command line warns.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tables/cell_grid.h"

namespace talvex {

/// Why the numeric column `c` of `grid` (data from row `first` on) looks
/// like an identifier: "consecutive whole numbers", "whole numbers named like
/// an identifier", or empty when it does not. Missing cells (`markers`) are
/// passed over; a column of fewer than three values is never an identifier.
std::string IdentifierReason(const TCellGrid& grid, std::size_t first, std::size_t c,
                             const std::string& name, bool decimalComma,
                             const std::vector<std::string>& markers);

/// True when `name` reads like an identifier's: id, year, date, index, row,
/// alone or as a word of the name ("sample_id", "Row no").
bool IsIdentifierLikeName(const std::string& name);

}  // namespace talvex
