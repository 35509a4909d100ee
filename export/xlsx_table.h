// An xlsx workbook of one sheet holding a table: a corner heading, column
// headings in the first row, row labels in the first column and numbers
// stored as numbers, each the shortest text that reads back as the same
// double. The scores and vectors exports write it.
#pragma once

#include <string>
#include <vector>

#include "export/workbook_writer.h"

namespace talvex {

struct TXlsxTable {
  std::string cornerHeading;                // cell A1
  std::vector<std::string> columnHeadings;  // B1, C1, ...
  std::vector<std::string> rowLabels;       // A2, A3, ...; missing ones stay empty
  std::size_t rowCount = 0;
  /// rowCount x columnHeadings.size() values, row after row. A value that is
  /// not finite is written as the text "Nan", "+Inf" or "-Inf".
  std::vector<double> values;
};

/// Writes the table to `path` as the sheet "Sheet1", replacing the file whole
/// or not at all. Texts read as Utf8FromEightBit decodes them.
/// Raises Exception when the table exceeds a sheet, EInOutError when the
/// file cannot be written ("Cannot create file ..." / "Cannot write file
/// PATH: REASON").
void WriteXlsxTable(const std::string& path, const TXlsxTable& table);

/// Raises Exception("Too many rows or columns for an xlsx sheet ...") when a
/// table of rowCount rows and columnCount columns of values (plus the heading
/// row and the label column) does not fit one sheet.
void CheckXlsxTableFits(std::size_t rowCount, std::size_t columnCount);

}  // namespace talvex
