// Supplementary items for talvex-cli.
#include "cli/supplementary_loading.h"

#include <algorithm>
#include <filesystem>

#include "input/data_reader.h"
#include "supplementary/supplementary_split.h"

namespace talvex {

namespace {

std::string LabelsColumn(const TImportReport& import) {
  for (const TImportColumn& column : import.columns)
    if (column.role == TColumnRole::Labels) return column.name;
  return {};
}

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return text;
}

// Whether rows can be picked by `column` in the data as read: the group,
// the labels, or a column read beside the data.
bool DataCarry(const TDataMatrix& data, const std::string& labelsColumn,
               const std::string& column) {
  const std::string name = Lower(column);
  if (name == "label" || name == "labels" || (!labelsColumn.empty() && name == Lower(labelsColumn)))
    return true;
  if (!data.groups.empty() && (name == "group" || name == Lower(data.groupName))) return true;
  return std::any_of(data.extraColumns.begin(), data.extraColumns.end(),
                     [&](const TExtraColumn& extra) { return Lower(extra.name) == name; });
}

TDataMatrix ReadSupplementaryFile(const TCliOptions& options, const std::string& path) {
  TDataMatrix file;
  if (!IsTableFile(path)) {
    ReadDataFile(path, file);
    return file;
  }
  // Another table: its own columns are detected; what is missing is
  // handled as for the data.
  TImportOptions table;
  table.missing = options.table.missing;
  table.missingMarkers = options.table.missingMarkers;
  table.supplementaryObjects = true;
  return ImportTable(path, table);
}

}  // namespace

bool HasSupplementaryOptions(const TCliOptions& options) {
  return !options.supplementaryFiles.empty() || !options.supplementaryRowsColumn.empty() ||
         !options.table.supplementaryColumns.empty();
}

void ApplyGroupsFromLabels(const TCliOptions& options, TRunData& run) {
  if (!options.groupsFromLabels || !run.matrix.groups.empty()) return;
  run.matrix.groups = GroupsFromLabels(run.matrix.objectLabels);
  run.source.groupsFromLabels = !run.matrix.groups.empty();
}

std::string SupplementaryCounts(std::size_t objects, std::size_t variables) {
  const auto count = [](std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
  };
  std::string text;
  if (objects != 0) text += count(objects, "supplementary object", "supplementary objects");
  if (variables != 0)
    text += (text.empty() ? "" : ", ") +
            count(variables, "supplementary variable", "supplementary variables");
  return text;
}

void LoadSupplementary(const TCliOptions& options, TRunData& run, const TImportReport& import) {
  TSupplementaryRowPick pick{options.supplementaryRowsColumn, options.supplementaryRowsValues,
                             false};
  const std::string labelsColumn = LabelsColumn(import);
  if (!pick.column.empty() && IsTableFile(options.file) &&
      !DataCarry(run.matrix, labelsColumn, pick.column)) {
    // A column of the table that is no part of the data: read the table
    // again with it beside the data, only to pick the rows by.
    const bool inTable = std::any_of(
        import.columns.begin(), import.columns.end(),
        [&](const TImportColumn& column) { return Lower(column.name) == Lower(pick.column); });
    if (inTable) {
      TImportOptions table = options.table;
      table.supplementaryColumns.push_back(pick.column);
      TDataMatrix again = ImportTable(options.file, table);
      if (run.source.groupsFromLabels && again.groups.empty())
        again.groups = GroupsFromLabels(again.objectLabels);
      run.matrix = std::move(again);
      pick.columnOnlyForPicking = true;
    }
  }
  TSupplementaryData supplementary = SplitSupplementary(run.matrix, pick, labelsColumn);
  for (const std::string& path : options.supplementaryFiles)
    AddSupplementaryFile(supplementary.objects, run.matrix, ReadSupplementaryFile(options, path),
                         path);
  run.supplementary = std::move(supplementary);
  run.source.supplementaryRowsColumn = options.supplementaryRowsColumn;
  run.source.supplementaryRowsValues = options.supplementaryRowsValues;
  // Absolute, as the data file is, so that the recorded command runs anywhere.
  for (const std::string& path : options.supplementaryFiles) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    run.source.supplementaryFiles.push_back(error ? path : absolute.lexically_normal().string());
  }
}

}  // namespace talvex
