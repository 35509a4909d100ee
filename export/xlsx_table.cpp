// The xlsx table writer; see xlsx_table.h.
#include "export/xlsx_table.h"

#include <cassert>

#include "base/exception.h"
#include "base/text_format.h"

namespace talvex {

void CheckXlsxTableFits(std::size_t rowCount, std::size_t columnCount) {
  if (rowCount + 1 > XlsxMaxRows || columnCount + 1 > XlsxMaxColumns) {
    throw Exception("Too many rows or columns for an xlsx sheet (at most " +
                    std::to_string(XlsxMaxRows - 1) + " rows and " +
                    std::to_string(XlsxMaxColumns - 1) + " columns of values)");
  }
}

void WriteXlsxTable(const std::string& path, const TXlsxTable& table) {
  const std::size_t columnCount = table.columnHeadings.size();
  assert(table.values.size() == table.rowCount * columnCount);
  CheckXlsxTableFits(table.rowCount, columnCount);

  TWorkbookWriter workbook;
  TWorksheet& sheet = workbook.AddSheet("Sheet1");
  sheet.AddText(0, 0, table.cornerHeading);
  for (std::size_t j = 0; j < columnCount; ++j) sheet.AddText(0, j + 1, table.columnHeadings[j]);
  for (std::size_t i = 0; i < table.rowCount; ++i) {
    if (i < table.rowLabels.size() && !table.rowLabels[i].empty()) {
      sheet.AddText(i + 1, 0, table.rowLabels[i]);
    }
    for (std::size_t j = 0; j < columnCount; ++j) {
      sheet.AddNumber(i + 1, j + 1, table.values[i * columnCount + j]);
    }
  }
  workbook.Write(path);
}

}  // namespace talvex
