// The data of a run from a file or from a program's values.
#include "talvex/data_sources.h"

#include <charconv>
#include <cmath>

#include "input/data_reader.h"
#include "tables/table_run_source.h"

namespace talvex {

namespace {

// A number's cell: the shortest text that reads back as the same double, so
// the import's parsing gives back every bit; NaN is left empty, the missing
// value's own cell.
std::string_view NumberText(double value, char (&buffer)[32]) {
  if (std::isnan(value)) return {};
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  return {buffer, std::size_t(end - buffer)};
}

void CheckLength(std::size_t given, TSize wanted, const char* what) {
  if (given == 0 || given == wanted) return;
  Exception error("The labels do not match the values");
  error.SetDetail(std::to_string(given) + " " + what + " for " + std::to_string(wanted));
  throw error;
}

// The grid the table would give: a header row, the labels, the group and the
// variables, in that order.
TCellGrid GridOf(const TValueTable& table) {
  const TSize n = table.objectCount, p = table.variableCount;
  const bool groups = !table.groups.empty();
  TCellGrid grid("row");
  grid.ReserveText(std::size_t(n) * p * 20);
  grid.cells.reserve((std::size_t(n) + 1) * (p + 2));
  const auto row = [&](std::uint64_t place) { grid.rows.push_back({place, grid.cells.size(), 0}); };
  const auto cell = [&](std::string_view text, std::size_t column, bool number = false) {
    TCellRef ref = grid.Keep(text, grid.rows.back().place, column);
    ref.storedNumber = number ? 1 : 0;
    grid.cells.push_back(ref);
    ++grid.rows.back().count;
  };
  // The header's place is 0, so that data row i stands at row i.
  row(0);
  cell("Object", 0);
  if (groups) cell(table.groupName.empty() ? "Group" : table.groupName, 1);
  const std::size_t firstVariable = groups ? 2 : 1;
  for (TSize j = 0; j < p; ++j) {
    cell(table.variableNames.empty() ? "VAR" + std::to_string(j + 1) : table.variableNames[j],
         firstVariable + j);
  }
  char buffer[32];
  for (TSize i = 0; i < n; ++i) {
    row(i + 1);
    cell(table.objectLabels.empty() ? "OBJ" + std::to_string(i + 1) : table.objectLabels[i], 0);
    if (groups) cell(table.groups[i], 1);
    for (TSize j = 0; j < p; ++j) {
      const double value = table.columnMajor ? table.values[std::size_t(j) * n + i]
                                             : table.values[std::size_t(i) * p + j];
      cell(NumberText(value, buffer), firstVariable + j,
           !std::isnan(value) && std::isfinite(value));
    }
  }
  return grid;
}

}  // namespace

TRunData ReadRunData(const std::string& path, const TImportOptions& table, TImportReport* report) {
  TRunData data{.path = path};
  if (!IsTableFile(path)) {
    ReadDataFile(path, data.matrix);
    return data;
  }
  TImportReport read;
  data.matrix = ImportTable(path, table, &read);
  data.source = TableRunSource(path, table, read);
  if (report != nullptr) *report = std::move(read);
  return data;
}

TRunData RunDataOfValues(const TValueTable& table, TMissingPolicy missing, TImportReport* report) {
  const TSize n = table.objectCount, p = table.variableCount;
  if (table.values.size() != std::size_t(n) * p) {
    Exception error("The values do not fill " + std::to_string(n) + " objects by " +
                    std::to_string(p) + " variables");
    error.SetDetail(std::to_string(table.values.size()) + " values");
    throw error;
  }
  CheckLength(table.objectLabels.size(), n, "object labels");
  CheckLength(table.variableNames.size(), p, "variable names");
  CheckLength(table.groups.size(), n, "groups");
  const bool groups = !table.groups.empty();
  TImportOptions options;
  options.header = true;
  options.decimalComma = false;
  options.labelsColumn = "1";
  options.groupColumn = groups ? "2" : "-";
  for (TSize j = 0; j < p; ++j) options.variables.push_back(std::to_string(j + (groups ? 3 : 2)));
  options.missing = missing;
  // Only NaN is missing: a label or group that reads "NA" is a name.
  options.missingMarkers = {""};
  TImportReport read;
  TRunData data;
  data.matrix = ImportTableGrid(GridOf(table), options, &read);
  data.matrix.title = table.title;
  data.source = TableRunSource("", options, read);
  data.source.name = table.name;
  if (report != nullptr) *report = std::move(read);
  return data;
}

}  // namespace talvex
