// Delimited text (csv, tsv, txt and text pasted from a spreadsheet): the
// separator and the decimal mark detected from the text, quoting as RFC 4180
// writes it (doubled quotes, separators and line ends inside quotes).
#pragma once

#include <string_view>

#include "tables/cell_grid.h"

namespace talvex {

/// The separator the text most likely uses: the first of tab, semicolon,
/// comma and blank that splits the first records into the same number (more
/// than one) of cells; failing that, the one that splits the first record
/// most; failing that, comma.
char DetectSeparator(std::string_view text);

/// Whether the cells write their numbers with a decimal comma: some cell is a
/// number with a comma and none is a number with a point. Never with a comma
/// separator.
bool DetectDecimalComma(const TCellGrid& grid, char separator);

/// The records of `text` (UTF-8) split at `separator`. A blank separator takes
/// a run of blanks as one and ignores blanks at either end of a line. Rows
/// without any text are dropped; empty cells at the end of a row beyond the
/// first row's width are dropped.
/// Raises EDataRefused "Not a text table" for a control character other than
/// tab, line ends and form feed ("line 3: byte 0x00"), "Unclosed quote in
/// table" for a quote that the text never closes ("line 7: the quote opened
/// here"), "Ragged table" for a row with another number of cells than the
/// first ("line 9 has 3 cells where line 1 has 5"), and "Cell text too long"
/// for a cell beyond TCellGrid::MaxCellBytes.
TCellGrid ParseDelimitedText(std::string_view text, char separator);

}  // namespace talvex
