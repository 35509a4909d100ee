// The scores and vector-coefficients export; see results_export.h.
#include "export/results_export.h"

#include "export/atomic_file.h"
#include "export/biff_records.h"
#include "export/biff_sheet_file.h"
#include "export/export_format.h"
#include "export/scientific_text.h"
#include "export/xlsx_table.h"

namespace talvex {
namespace {

constexpr const char* LineEnd = "\r\n";

std::string Heading(TSize column) { return "Axis" + std::to_string(column); }

// Every element is read before the file is touched, so a read outside the
// matrix stops the export with nothing written.
std::vector<double> Elements(const TFloatMatrix& matrix, TSize rowCount, TSize columnCount) {
  std::vector<double> values;
  values.reserve(std::size_t(rowCount) * columnCount);
  for (TSize i = 1; i <= rowCount; ++i) {
    for (TSize j = 1; j <= columnCount; ++j) values.push_back(matrix.GetValue(i, j));
  }
  return values;
}

// sdf puts a blank after every field; csv a comma between fields.
void WriteText(const std::string& path, const std::vector<double>& values, TSize rowCount,
               TSize columnCount, bool commaSeparated) {
  const auto separate = [&](std::string& line, TSize j) {
    if (!commaSeparated) {
      line += ' ';
    } else if (j < columnCount) {
      line += ',';
    }
  };
  TAtomicFile file(path);
  std::string line;
  for (TSize j = 1; j <= columnCount; ++j) {
    line += Heading(j);
    separate(line, j);
  }
  line += LineEnd;
  file.Write(line);
  auto value = values.begin();
  for (TSize i = 1; i <= rowCount; ++i) {
    line.clear();
    for (TSize j = 1; j <= columnCount; ++j) {
      line += ScientificText(*value++);
      separate(line, j);
    }
    line += LineEnd;
    file.Write(line);
  }
  file.Commit();
}

void WriteXls(const std::string& path, const std::vector<double>& values, TSize rowCount,
              TSize columnCount) {
  TBiffSheetFile sheet;
  sheet.SetFileName(path);
  const TCellAttributes none;
  for (TSize j = 1; j <= columnCount; ++j) {
    sheet.AddStrCell(std::uint16_t(j), 1, none, Heading(j));
  }
  auto value = values.begin();
  for (TSize i = 1; i <= rowCount; ++i) {
    for (TSize j = 1; j <= columnCount; ++j) {
      sheet.AddDoubleCell(std::uint16_t(j), std::uint16_t(i + 1), none, *value++);
    }
  }
  sheet.Write();
}

void WriteXlsx(const std::string& path, std::vector<double> values, TSize rowCount,
               TSize columnCount, const std::vector<std::string>& rowLabels,
               const std::string& labelHeading) {
  TXlsxTable table;
  table.cornerHeading = labelHeading;
  for (TSize j = 1; j <= columnCount; ++j) table.columnHeadings.push_back(Heading(j));
  table.rowLabels.assign(rowLabels.begin(),
                         rowLabels.begin() + std::min<std::size_t>(rowLabels.size(), rowCount));
  table.rowCount = rowCount;
  table.values = std::move(values);
  WriteXlsxTable(path, table);
}

}  // namespace

void CheckExportFits(const std::string& path, TSize rowCount, TSize columnCount) {
  const TExportFormat format = ExportFormatOf(path);
  if (format == TExportFormat::Xls && (rowCount > XlsMaxRows || columnCount > XlsMaxColumns)) {
    throw Exception("Too many rows or columns for an xls file (at most " +
                    std::to_string(XlsMaxRows) + " rows and " + std::to_string(XlsMaxColumns) +
                    " columns of values); choose .csv, .sdf or .xlsx");
  }
  if (format == TExportFormat::Xlsx) CheckXlsxTableFits(rowCount, columnCount);
}

void ExportMatrix(const std::string& path, const TFloatMatrix& matrix, TSize rowCount,
                  TSize columnCount, const std::vector<std::string>& rowLabels,
                  const std::string& labelHeading) {
  CheckExportFits(path, rowCount, columnCount);
  const TExportFormat format = ExportFormatOf(path);
  std::vector<double> values = Elements(matrix, rowCount, columnCount);
  switch (format) {
    case TExportFormat::Sdf:
      WriteText(path, values, rowCount, columnCount, false);
      break;
    case TExportFormat::Csv:
      WriteText(path, values, rowCount, columnCount, true);
      break;
    case TExportFormat::Xls:
      WriteXls(path, values, rowCount, columnCount);
      break;
    case TExportFormat::Xlsx:
      WriteXlsx(path, std::move(values), rowCount, columnCount, rowLabels, labelHeading);
      break;
  }
}

void ExportScores(const std::string& path, const TFloatMatrix& scores, TSize objectCount,
                  TSize factorCount, const std::vector<std::string>& objectLabels) {
  ExportMatrix(path, scores, objectCount, factorCount, objectLabels, "Object");
}

void ExportVectors(const std::string& path, const TFloatMatrix& eigenvectors, TSize variableCount,
                   TSize factorCount, const std::vector<std::string>& variableLabels) {
  ExportMatrix(path, eigenvectors, variableCount, factorCount, variableLabels, "Variable");
}

}  // namespace talvex
