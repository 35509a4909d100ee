// An xlsx workbook of one sheet holding a table: a corner heading, column
// headings in the first row, row labels in the first column and numbers
// stored as numbers. Written through libxlsxwriter, then the worksheet's
// numbers are replaced by their shortest exact text, because the library
// writes only 16 significant digits (and in the decimal notation of the
// current locale); a double needs up to 17 to come back unchanged.
#pragma once

#include <string>
#include <vector>

namespace talvex {

/// Most rows and columns of an xlsx sheet.
inline constexpr std::size_t XlsxMaxRows = 1048576;
inline constexpr std::size_t XlsxMaxColumns = 16384;

struct TXlsxTable {
  std::string cornerHeading;                // cell A1
  std::vector<std::string> columnHeadings;  // B1, C1, ...
  std::vector<std::string> rowLabels;       // A2, A3, ...; missing ones stay empty
  std::size_t rowCount = 0;
  /// rowCount x columnHeadings.size() values, row after row. A value that is
  /// not finite is written as the text "Nan", "+Inf" or "-Inf".
  std::vector<double> values;
};

/// Writes the table to `path`, replacing it whole or not at all. Texts are
/// taken as UTF-8 when they are valid UTF-8 and as Windows-1252 otherwise.
/// Raises Exception when the table exceeds a sheet, EInOutError when the
/// file cannot be written ("Cannot create file ..." / "Cannot write file
/// PATH: REASON").
void WriteXlsxTable(const std::string& path, const TXlsxTable& table);

/// Raises Exception("Too many rows or columns for an xlsx sheet ...") when a
/// table of rowCount rows and columnCount columns of values (plus the heading
/// row and the label column) does not fit one sheet.
void CheckXlsxTableFits(std::size_t rowCount, std::size_t columnCount);

}  // namespace talvex
