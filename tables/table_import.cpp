// The import: bytes to a cell grid (by format), the grid's layout, then the
// data matrix, built aside and handed back whole.
#include "tables/table_import.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <utility>

#include "input/data_refused.h"
#include "input/file_bytes.h"
#include "tables/cell_number.h"
#include "tables/delimited_text.h"
#include "tables/table_roles.h"
#include "tables/text_encoding.h"
#include "tables/workbook_sheet.h"

namespace talvex {

namespace {

// Larger than any table a person analyses; a file beyond it is refused
// before it is read.
constexpr std::uintmax_t MaxTableFileBytes = std::uintmax_t(1) << 30;
// Rows shown by the import dialog's preview.
constexpr std::size_t PreviewRows = 20;
// Labels named in the left-out note; the count says how many more.
constexpr std::size_t NamedLeftOut = 20;

[[noreturn]] void Refuse(const char* message, std::string detail) {
  EDataRefused error(message);
  error.SetDetail(std::move(detail));
  throw error;
}

std::string Extension(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return extension;
}

std::string Plural(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// An object without a label is named after its data row, which does not
// change when other rows are left out.
std::string UnlabelledName(TSize dataRow) { return "OBJ" + std::to_string(dataRow); }

TCellGrid TextGrid(std::string_view bytes, const TImportOptions& options, TImportReport& report) {
  TDecodedText decoded = DecodeTableText(bytes);
  report.encoding = decoded.encoding;
  report.separator = options.separator.value_or(DetectSeparator(decoded.text));
  TCellGrid grid = ParseDelimitedText(decoded.text, report.separator);
  report.decimalComma = options.decimalComma.value_or(DetectDecimalComma(grid, report.separator));
  return grid;
}

void TakeSheet(TWorkbookSheet sheet, TImportReport& report, TCellGrid& grid) {
  report.sheetNames = std::move(sheet.sheetNames);
  report.sheet = std::move(sheet.sheet);
  grid = std::move(sheet.grid);
}

// The data matrix of a grid whose layout is decided: objects are the data
// rows, less those left out for missing values.
TDataMatrix BuildData(const TCellGrid& grid, const TTableLayout& layout,
                      const TImportOptions& options, TImportReport& report) {
  const std::size_t first = layout.header ? 1 : 0;
  const std::size_t p = layout.variables.size();
  const auto placeOf = [&](const TGridRow& row) {
    return std::string(grid.placeName) + " " + std::to_string(row.place);
  };

  TDataMatrix data;
  std::vector<double> values;
  values.reserve((grid.rows.size() - first) * p);
  std::vector<std::string> labels;
  std::vector<std::string> groups;
  for (std::size_t r = first; r < grid.rows.size(); ++r) {
    const TGridRow& row = grid.rows[r];
    const TSize dataRow = r - first + 1;
    const std::string label =
        layout.labels != TTableLayout::None &&
                !IsMissingCell(row.cells[layout.labels], options.missingMarkers)
            ? std::string(TrimBlanks(row.cells[layout.labels]))
            : std::string();
    const auto missing = std::find_if(
        layout.variables.begin(), layout.variables.end(),
        [&](std::size_t c) { return IsMissingCell(row.cells[c], options.missingMarkers); });
    if (missing != layout.variables.end()) {
      if (options.missing == TMissingPolicy::Refuse) {
        Refuse("Missing value in table",
               placeOf(row) + " (data row " + std::to_string(dataRow) +
                   (label.empty() ? std::string() : ", object \"" + label + "\"") + "), column \"" +
                   report.columns[*missing].name + "\": \"" +
                   std::string(TrimBlanks(row.cells[*missing])) + "\" is a missing value");
      }
      report.omittedRows.push_back(dataRow);
      report.omittedLabels.push_back(label.empty() ? placeOf(row) : label);
      report.omittedNames.push_back(label.empty() ? UnlabelledName(dataRow) : label);
      report.omittedPlaces.push_back(placeOf(row));
      continue;
    }
    for (const std::size_t c : layout.variables) {
      // DecideLayout has made sure that every other cell of a variable is a number.
      values.push_back(*ParseCellNumber(row.cells[c], report.decimalComma));
    }
    labels.push_back(label.empty() ? UnlabelledName(dataRow) : label);
    if (layout.group != TTableLayout::None) {
      groups.emplace_back(IsMissingCell(row.cells[layout.group], options.missingMarkers)
                              ? std::string_view()
                              : TrimBlanks(row.cells[layout.group]));
    }
  }
  const TSize n = labels.size();
  if (n < 2) {
    Refuse("Fewer than two complete objects",
           std::to_string(n) + " of " + Plural(report.rowCount, "data row", "data rows") +
               " with a value in every variable used; the analysis needs two");
  }
  data.objectCount = n;
  data.variableCount = p;
  data.valueCount = n * p;
  data.values = TFloatVector(data.valueCount);
  std::copy(values.begin(), values.end(), data.values.Data());
  data.objectLabels = std::move(labels);
  for (const std::size_t c : layout.variables)
    data.variableLabels.push_back(report.columns[c].name);
  report.variableColumns = layout.variables;
  report.groupCount = std::set<std::string>(groups.begin(), groups.end()).size();
  data.groups = std::move(groups);
  if (layout.group != TTableLayout::None) data.groupName = report.columns[layout.group].name;
  if (!report.omittedRows.empty()) {
    std::string line =
        Plural(report.omittedRows.size(), "object", "objects") + " with missing values left out: ";
    for (std::size_t k = 0; k < report.omittedLabels.size() && k < NamedLeftOut; ++k)
      line += (k == 0 ? "" : ", ") + report.omittedLabels[k];
    if (report.omittedLabels.size() > NamedLeftOut) line += ", ...";
    data.notes.push_back(std::move(line));
  }
  return data;
}

TDataMatrix ImportGrid(const TCellGrid& grid, const TImportOptions& options,
                       TImportReport& report) {
  for (std::size_t r = 0; r < grid.rows.size() && r < PreviewRows; ++r)
    report.preview.push_back(grid.rows[r].cells);
  if (grid.rows.empty()) Refuse("Empty table", "the table has no cells with text");
  // Workbook rows are as long as their last cell; the table is as wide as the widest.
  std::size_t width = 0;
  for (const TGridRow& row : grid.rows) width = std::max(width, row.cells.size());
  const TCellGrid* rectangular = &grid;
  TCellGrid padded;
  if (std::any_of(grid.rows.begin(), grid.rows.end(),
                  [width](const TGridRow& row) { return row.cells.size() != width; })) {
    padded = grid;
    for (TGridRow& row : padded.rows) row.cells.resize(width);
    rectangular = &padded;
  }
  const TTableLayout layout = DecideLayout(*rectangular, options, report.decimalComma, report);
  report.rowCount = rectangular->rows.size() - (layout.header ? 1 : 0);
  return BuildData(*rectangular, layout, options, report);
}

}  // namespace

std::string TImportReport::Summary() const {
  std::size_t variables = 0;
  for (const TImportColumn& column : columns) variables += column.role == TColumnRole::Variable;
  std::string text = Plural(rowCount - omittedRows.size(), "object", "objects") + ", " +
                     Plural(variables, "variable", "variables");
  if (groupCount > 0) text += ", " + Plural(groupCount, "group", "groups");
  if (!omittedRows.empty()) {
    text +=
        "; " + Plural(omittedRows.size(), "object", "objects") + " with missing values left out";
  }
  return text;
}

bool IsTableFile(const std::string& path) {
  const std::string extension = Extension(path);
  return extension == ".csv" || extension == ".tsv" || extension == ".txt" ||
         extension == ".xlsx" || extension == ".ods" || extension == ".xls";
}

TDataMatrix ImportTable(const std::string& path, const TImportOptions& options,
                        TImportReport* report) {
  TImportReport read;
  try {
    const std::string extension = Extension(path);
    read.format = extension.empty() ? std::string() : extension.substr(1);
    if (extension == ".xls") {
      Refuse("Legacy .xls workbooks are not read",
             "save the sheet as .xlsx, .ods or .csv and open that");
    }
    std::error_code sizeError;
    const std::uintmax_t size = std::filesystem::file_size(path, sizeError);
    if (!sizeError && size > MaxTableFileBytes)
      Refuse("Table too large", std::to_string(size) + " bytes");
    const std::string bytes = ReadFileBytes(path);
    TCellGrid grid;
    if (extension == ".xlsx") {
      TakeSheet(ReadXlsxSheet(bytes, options.sheet), read, grid);
    } else if (extension == ".ods") {
      TakeSheet(ReadOdsSheet(bytes, options.sheet), read, grid);
    } else {
      if (bytes.size() > MaxTableFileBytes)
        Refuse("Table too large", std::to_string(bytes.size()) + " bytes");
      grid = TextGrid(bytes, options, read);
    }
    TDataMatrix data = ImportGrid(grid, options, read);
    data.title = std::filesystem::path(path).filename().string();
    if (report != nullptr) *report = std::move(read);
    return data;
  } catch (Exception& error) {
    error.SetDetail(error.Detail().empty() ? path : path + ": " + error.Detail());
    if (report != nullptr) *report = std::move(read);
    throw;
  }
}

TDataMatrix ImportTableText(std::string_view text, const TImportOptions& options,
                            TImportReport* report) {
  TImportReport read;
  read.format = "clipboard";
  try {
    const TCellGrid grid = TextGrid(text, options, read);
    TDataMatrix data = ImportGrid(grid, options, read);
    data.title = "Pasted data";
    if (report != nullptr) *report = std::move(read);
    return data;
  } catch (Exception&) {
    if (report != nullptr) *report = std::move(read);
    throw;
  }
}

std::vector<std::string> GroupsFromLabels(const std::vector<std::string>& labels,
                                          std::optional<char> separator) {
  std::vector<std::string> groups;
  groups.reserve(labels.size());
  for (const std::string& label : labels) {
    std::string group;
    const std::size_t at = separator ? label.find(*separator) : std::string::npos;
    if (at != std::string::npos) {
      group = label.substr(0, at);
    } else {
      std::size_t end = label.size();
      while (end > 0 && label[end - 1] >= '0' && label[end - 1] <= '9') --end;
      group = label.substr(0, end);
    }
    groups.push_back(group.empty() ? label : group);
  }
  return groups;
}

}  // namespace talvex
