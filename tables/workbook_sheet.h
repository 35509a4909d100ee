// Reading one sheet of a workbook (xlsx, ods) into a cell grid: the sheet
// chosen by name or number, the names of all sheets for the import dialog.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tables/cell_grid.h"

namespace talvex {

struct TWorkbookSheet {
  std::vector<std::string> sheetNames;  // in file order
  std::string sheet;                    // the name of the sheet read
  TCellGrid grid;                       // its rows, placed by sheet row
};

/// Sheets larger than any a person analyses are refused ("Sheet too large")
/// before they fill the memory.
constexpr std::size_t MaxSheetColumns = 16384;
constexpr std::uint64_t MaxSheetRows = 1048576;
constexpr std::size_t MaxSheetCells = std::size_t(1) << 24;

/// The sheet `request` names (its name; failing that, its 1-based number;
/// "#N" the N-th sheet whatever the names; empty: the first) of the workbook in `bytes`. Numbers
/// come as the text the file stores, booleans as TRUE and FALSE, error cells and dates' styles are
/// not interpreted (an error cell is empty, a date its serial number). Raises EDataRefused: "Not a
/// workbook file" (not a zip archive), "Encrypted workbook" (protected by a password), "Damaged
/// workbook" (a truncated or damaged archive, a part missing or not well-formed XML, nested too
/// deep, a shared string that does not exist, rows out of order), "Workbook too large" (a zip
/// bomb), "Sheet too large", "Table too large" (more text than the sheet's cap), "Cell text too
/// long", "No such sheet" (Detail: the sheets there are). Details name the part and the place.
TWorkbookSheet ReadXlsxSheet(std::string_view bytes, const std::string& request);
TWorkbookSheet ReadOdsSheet(std::string_view bytes, const std::string& request);

/// The index of the sheet `request` names among `names` (as above), or
/// names.size() when none does.
/// `ReadOdsSheet` streams its sheets: it reads the sheet the number names
/// and drops it for a later sheet of that name, so both formats agree.
std::size_t ChooseSheet(const std::vector<std::string>& names, const std::string& request);

}  // namespace talvex
