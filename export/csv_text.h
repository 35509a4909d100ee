// A text cell of our CSV files: quoted as RFC 4180 asks, and kept from being
// taken for a formula by the spreadsheet that opens the file.
#pragma once

#include <string>
#include <string_view>

namespace talvex {

/// `text` as a CSV field. A text that starts with '=', '+', '-', '@', a tab
/// or a carriage return, and is not a number, gets a leading apostrophe, so
/// that a label such as "=HYPERLINK(...)" is shown as written and never run;
/// "-1.5" stays a number. The field is quoted when it holds a comma, a
/// quote or a line end (quotes doubled).
std::string CsvText(std::string_view text);

}  // namespace talvex
