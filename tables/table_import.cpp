// The import: bytes to a cell grid (by format), the grid's layout, then the
// data matrix, built aside and handed back whole.
#include "tables/table_import.h"

#include <algorithm>
#include <filesystem>
#include <utility>

#include "base/file_name_case.h"
#include "input/data_refused.h"
#include "input/file_source.h"
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
// Text the labels and groups of a table may hold in all.
constexpr std::uint64_t MaxLabelBytes = std::uint64_t(256) << 20;
// Rows shown by the import dialog's preview, and the text of a cell there:
// a cell repeated over a wide sheet must not be copied whole into each.
constexpr std::size_t PreviewRows = 10;
constexpr std::size_t PreviewCellBytes = 200;
// Labels named in the left-out note; the count says how many more.
constexpr std::size_t NamedLeftOut = 20;

[[noreturn]] void Refuse(const char* message, std::string detail) {
  EDataRefused error(message);
  error.SetDetail(std::move(detail));
  throw error;
}

// Every workbook we read is a zip archive (or, protected by a password, a
// compound document): anything else is refused before more is read.
void CheckWorkbookStart(std::string_view bytes) {
  const std::string_view start = bytes.substr(0, 4);
  if (start == "PK\x03\x04" || start == std::string_view("PK\x05\x06", 4) ||
      start == "\xD0\xCF\x11\xE0" || bytes.size() < 4)
    return;
  Refuse("Not a workbook file", "the file is not a zip archive");
}

// A text has no NUL byte unless it is UTF-16, whose every other byte is one.
void CheckTextStart(std::string_view bytes) {
  const std::size_t nul = bytes.find('\0');
  if (nul == std::string_view::npos || LooksLikeUtf16(bytes)) return;
  const std::string_view before = bytes.substr(0, nul);
  Refuse(
      "Not a text table",
      "line " + std::to_string(1 + std::count(before.begin(), before.end(), '\n')) + ": byte 0x00");
}

std::string SeparatorName(char separator) {
  switch (separator) {
    case ',':
      return "comma";
    case ';':
      return "semicolon";
    case '\t':
      return "tab";
    case ' ':
      return "blanks";
    default:
      return std::string("\"") + separator + "\"";
  }
}

std::string Plural(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// An object without a label is named after its data row, which does not
// change when other rows are left out.
std::string UnlabelledName(TSize dataRow) { return "OBJ" + std::to_string(dataRow); }

TCellGrid TextGrid(std::string_view bytes, const TImportOptions& options, TImportReport& report) {
  // Plain UTF-8 is scanned where it lies; only a text to decode is copied.
  std::string decoded;
  const std::string_view body = DecodeTableText(bytes, decoded, report.encoding);
  const bool detected = !options.separator;
  report.separator = options.separator.value_or(DetectSeparator(body));
  TCellGrid grid;
  try {
    grid = ParseDelimitedText(body, report.separator);
  } catch (EDataRefused& error) {
    // A refused shape is often a wrongly detected separator: say which.
    if (detected && std::string_view(error.Message()) == "Ragged table") {
      error.SetDetail(error.Detail() + " (separator: " + SeparatorName(report.separator) +
                      ", detected from the first lines; give the separator if it is another)");
    }
    throw;
  }
  report.decimalComma = options.decimalComma.value_or(DetectDecimalComma(grid, report.separator));
  return grid;
}

void TakeSheet(TWorkbookSheet sheet, const TImportOptions& options, TImportReport& report,
               TCellGrid& grid) {
  report.sheetNames = std::move(sheet.sheetNames);
  report.sheet = std::move(sheet.sheet);
  grid = std::move(sheet.grid);
  // Numbers the workbook stores have a point; texts written "1,5" follow the
  // decimal mark given or detected among the texts.
  report.decimalComma = options.decimalComma.value_or(DetectDecimalComma(grid, 0));
  std::size_t index = 0;
  while (index < report.sheetNames.size() && report.sheetNames[index] != report.sheet) ++index;
  report.notes.push_back("Sheet \"" + report.sheet + "\" (" + std::to_string(index + 1) + " of " +
                         std::to_string(report.sheetNames.size()) + ")");
}

// The first column of row r whose missing value keeps the row out: a
// variable's, else a numeric supplementary column's; None when there is none.
template <typename TIsMissing>
std::size_t MissingColumn(const TTableLayout& layout, const TImportReport& report, std::size_t r,
                          const TIsMissing& isMissing, bool variablesToo) {
  if (variablesToo)
    for (const std::size_t c : layout.variables)
      if (isMissing(r, c)) return c;
  for (const std::size_t c : layout.supplementary)
    if (report.columns[c].numeric && isMissing(r, c)) return c;
  return TTableLayout::None;
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
  const auto isMissing = [&](std::size_t r, std::size_t c) {
    return IsMissingCell(grid.Cell(r, c), options.missingMarkers);
  };
  const auto trimmed = [&](std::size_t r, std::size_t c) { return TrimBlanks(grid.Cell(r, c)); };

  // The objects first, so that the values are made once, in their place.
  std::vector<std::size_t> objects;
  std::uint64_t textBytes = 0;
  for (std::size_t r = first; r < grid.rows.size(); ++r) {
    const TGridRow& row = grid.rows[r];
    const TSize dataRow = r - first + 1;
    const std::string_view label =
        layout.labels != TTableLayout::None && !isMissing(r, layout.labels)
            ? trimmed(r, layout.labels)
            : std::string_view();
    // Imputation fills the variables' gaps; a gap in a supplementary column
    // still leaves its row out.
    const auto missing =
        MissingColumn(layout, report, r, isMissing, options.missing != TMissingPolicy::Impute);
    if (missing != TTableLayout::None) {
      if (options.missing == TMissingPolicy::Refuse) {
        Refuse("Missing value in table",
               placeOf(row) + " (data row " + std::to_string(dataRow) +
                   (label.empty() ? std::string() : ", object \"" + std::string(label) + "\"") +
                   "), column \"" + report.columns[missing].name + "\": \"" +
                   std::string(trimmed(r, missing)) + "\" is a missing value");
      }
      report.omittedRows.push_back(dataRow);
      report.omittedLabels.push_back(label.empty() ? placeOf(row) : std::string(label));
      report.omittedNames.push_back(label.empty() ? UnlabelledName(dataRow) : std::string(label));
      report.omittedPlaces.push_back(placeOf(row));
      continue;
    }
    objects.push_back(r);
    // Labels and groups are copied out of the grid: their text is capped
    // like a sheet's, so that many long texts cannot fill the memory.
    textBytes += label.size();
    if (layout.group != TTableLayout::None) textBytes += trimmed(r, layout.group).size();
    if (textBytes > MaxLabelBytes) {
      Refuse("Table too large", "the labels and groups hold more than " +
                                    std::to_string(MaxLabelBytes >> 20) + " MB of text");
    }
  }
  const TSize n = objects.size();
  if (n == 0 && options.supplementaryObjects) {
    Refuse("No complete object", "none of the " + Plural(report.rowCount, "data row", "data rows") +
                                     " has a value in every variable used");
  }
  if (n < 2 && !options.supplementaryObjects && options.missing == TMissingPolicy::Impute) {
    Refuse("Fewer than two objects", std::to_string(n) + " data rows; the analysis needs two");
  }
  if (n < 2 && !options.supplementaryObjects) {
    Refuse("Fewer than two complete objects",
           std::to_string(n) + " of " + Plural(report.rowCount, "data row", "data rows") +
               " with a value in every variable used; the analysis needs two");
  }
  TDataMatrix data;
  data.objectCount = n;
  data.variableCount = p;
  data.valueCount = n * p;
  data.values = TFloatVector(data.valueCount);
  double* value = data.values.Data();
  std::vector<std::string> labels;
  labels.reserve(n);
  std::vector<std::string> groups;
  if (options.missing == TMissingPolicy::Impute) data.missing.assign(data.valueCount, 0);
  std::size_t cell = 0;
  for (const std::size_t r : objects) {
    // DecideLayout has made sure that every other cell of a variable is a number.
    for (const std::size_t c : layout.variables) {
      if (options.missing == TMissingPolicy::Impute && isMissing(r, c)) {
        data.missing[cell] = 1;
        *value++ = 0.0;
      } else {
        *value++ = *grid.Number(r, c, report.decimalComma);
      }
      ++cell;
    }
    if (layout.labels != TTableLayout::None && !isMissing(r, layout.labels)) {
      labels.emplace_back(trimmed(r, layout.labels));
    } else {
      labels.push_back(UnlabelledName(r - first + 1));
    }
    if (layout.group != TTableLayout::None) {
      groups.emplace_back(isMissing(r, layout.group) ? std::string_view()
                                                     : trimmed(r, layout.group));
    }
  }
  for (const std::size_t c : layout.supplementary) {
    TExtraColumn& extra = data.extraColumns.emplace_back();
    extra.name = report.columns[c].name;
    extra.numeric = report.columns[c].numeric;
    extra.cells.reserve(n);
    for (const std::size_t r : objects) {
      extra.cells.emplace_back(isMissing(r, c) ? std::string_view() : trimmed(r, c));
      // Rows with a missing number were left out above.
      if (extra.numeric) extra.numbers.push_back(*grid.Number(r, c, report.decimalComma));
    }
  }
  data.objectLabels = std::move(labels);
  for (const std::size_t c : layout.variables)
    data.variableLabels.push_back(report.columns[c].name);
  report.variableColumns = layout.variables;
  report.groupCount = GroupCount(groups);
  report.missingCells = data.MissingCount();
  if (report.missingCells == 0) data.missing.clear();
  data.groups = std::move(groups);
  if (layout.group != TTableLayout::None) data.groupName = report.columns[layout.group].name;
  data.notes = report.notes;
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

// The start of a cell's text, cut between characters.
std::string PreviewText(std::string_view cell) {
  if (cell.size() <= PreviewCellBytes) return std::string(cell);
  std::size_t end = PreviewCellBytes;
  while (end > 0 && (static_cast<unsigned char>(cell[end]) & 0xC0) == 0x80) --end;
  return std::string(cell.substr(0, end));
}

TDataMatrix ImportGrid(const TCellGrid& grid, const TImportOptions& options,
                       TImportReport& report) {
  if (grid.rows.empty()) Refuse("Empty table", "the table has no cells with text");
  // Workbook rows are as long as their last cell; the cells beyond are empty.
  const std::size_t width = grid.Width();
  for (std::size_t r = 0; r < grid.rows.size() && r < PreviewRows; ++r) {
    std::vector<std::string>& row = report.preview.emplace_back(width);
    for (std::size_t c = 0; c < grid.rows[r].count; ++c) row[c] = PreviewText(grid.Cell(r, c));
  }
  const TTableLayout layout = DecideLayout(grid, options, report.decimalComma, report);
  report.rowCount = grid.rows.size() - (layout.header ? 1 : 0);
  return BuildData(grid, layout, options, report);
}

// A table's bytes, read a block at a time under the cap, so that a device or
// a pipe that never ends is refused instead of filling the memory; what is
// plainly no table of its kind is refused at its first block.
std::string ReadTableBytes(const std::string& path, bool workbook) {
  TFileSource source(path);
  if (source.Size() && *source.Size() > MaxTableFileBytes)
    Refuse("Table too large", std::to_string(*source.Size()) + " bytes");
  std::string bytes;
  // A regular file is read into room made once (one byte more to see its end).
  if (source.Size()) bytes.reserve(static_cast<std::size_t>(*source.Size()) + 1);
  constexpr std::size_t Block = std::size_t(1) << 20;
  for (;;) {
    const std::size_t before = bytes.size();
    const std::size_t want =
        source.Size() && *source.Size() >= before
            ? static_cast<std::size_t>(std::clamp<std::uint64_t>(*source.Size() - before, 1, Block))
            : Block;
    bytes.resize(before + want);
    const std::size_t count = source.Read(bytes.data() + before, want);
    bytes.resize(before + count);
    if (before == 0 && count > 0) {
      if (workbook)
        CheckWorkbookStart(bytes);
      else
        CheckTextStart(bytes);
    }
    if (count == 0) break;
    if (bytes.size() > MaxTableFileBytes)
      Refuse("Table too large", "more than " + std::to_string(MaxTableFileBytes) + " bytes");
  }
  return bytes;
}

TCellGrid GridOfBytes(std::string_view bytes, const std::string& format,
                      const TImportOptions& options, TImportReport& read) {
  read.format = format;
  TCellGrid grid;
  if (format == "xlsx") {
    TakeSheet(ReadXlsxSheet(bytes, options.sheet), options, read, grid);
  } else if (format == "ods") {
    TakeSheet(ReadOdsSheet(bytes, options.sheet), options, read, grid);
  } else {
    if (bytes.size() > MaxTableFileBytes)
      Refuse("Table too large", std::to_string(bytes.size()) + " bytes");
    grid = TextGrid(bytes, options, read);
  }
  return grid;
}

TDataMatrix ImportSheetGrid(const TCellGrid& grid, const TImportOptions& options,
                            TImportReport& read) {
  try {
    return ImportGrid(grid, options, read);
  } catch (Exception& error) {
    // A workbook's refusal names the sheet it read.
    if (!read.sheet.empty())
      error.SetDetail("sheet \"" + read.sheet + "\"" +
                      (error.Detail().empty() ? std::string() : ": " + error.Detail()));
    throw;
  }
}

TDataMatrix ImportBytes(std::string_view bytes, const std::string& format,
                        const TImportOptions& options, TImportReport& read) {
  return ImportSheetGrid(GridOfBytes(bytes, format, options, read), options, read);
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
  if (missingCells > 0) text += "; " + Plural(missingCells, "missing value", "missing values");
  return text;
}

bool IsTableFile(const std::string& path) {
  const std::string extension = FileExtension(path);
  return extension == "csv" || extension == "tsv" || extension == "txt" || extension == "xlsx" ||
         extension == "ods" || extension == "xls";
}

TDataMatrix ImportTable(const std::string& path, const TImportOptions& options,
                        TImportReport* report) {
  TImportReport read;
  try {
    const std::string extension = FileExtension(path);
    read.format = extension;
    if (extension == "xls") {
      Refuse("Legacy .xls workbooks are not read",
             "save the sheet as .xlsx, .ods or .csv and open that");
    }
    const bool workbook = extension == "xlsx" || extension == "ods";
    TCellGrid grid;
    {
      // The file's bytes go before the values are made.
      const std::string bytes = ReadTableBytes(path, workbook);
      grid = GridOfBytes(bytes, read.format, options, read);
    }
    TDataMatrix data = ImportSheetGrid(grid, options, read);
    data.title = std::filesystem::path(path).filename().string();
    if (report != nullptr) *report = std::move(read);
    return data;
  } catch (Exception& error) {
    error.SetDetail(error.Detail().empty() ? path : path + ": " + error.Detail());
    if (report != nullptr) *report = std::move(read);
    throw;
  }
}

TDataMatrix ImportTableBytes(std::string_view bytes, const std::string& format,
                             const TImportOptions& options, TImportReport* report) {
  TImportReport read;
  try {
    TDataMatrix data = ImportBytes(bytes, format, options, read);
    if (report != nullptr) *report = std::move(read);
    return data;
  } catch (Exception&) {
    if (report != nullptr) *report = std::move(read);
    throw;
  }
}

TDataMatrix ImportTableText(std::string_view text, const TImportOptions& options,
                            TImportReport* report) {
  TImportReport read;
  try {
    TDataMatrix data = ImportBytes(text, "clipboard", options, read);
    data.title = "Pasted data";
    if (report != nullptr) *report = std::move(read);
    return data;
  } catch (Exception&) {
    if (report != nullptr) *report = std::move(read);
    throw;
  }
}

TDataMatrix ImportTableGrid(const TCellGrid& grid, const TImportOptions& options,
                            TImportReport* report) {
  TImportReport read;
  read.format = "cells";
  read.decimalComma = options.decimalComma.value_or(false);
  try {
    TDataMatrix data = ImportGrid(grid, options, read);
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
