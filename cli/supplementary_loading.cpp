// Supplementary items for talvex-cli.
#include "cli/supplementary_loading.h"

#include "talvex/supplementary_sources.h"

namespace talvex {

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
  const TSupplementaryRows rows{options.supplementaryRowsColumn, options.supplementaryRowsValues};
  if (!rows.Empty() && IsTableFile(options.file)) {
    // A column of the table that is no part of the data: the table is read
    // again with it beside the data, only to pick the rows by.
    if (const auto again = PickColumnReading(options.table, import, rows.column)) {
      TDataMatrix matrix = ImportTable(options.file, *again);
      if (run.source.groupsFromLabels && matrix.groups.empty())
        matrix.groups = GroupsFromLabels(matrix.objectLabels);
      run.matrix = std::move(matrix);
    }
  }
  PickSupplementaryRows(run, rows);
  for (const std::string& path : options.supplementaryFiles)
    AddSupplementaryObjects(run, ReadSupplementaryObjects(path, options.table), path);
}

}  // namespace talvex
