// Supplementary items for talvex-cli.
#include "cli/supplementary_loading.h"

#include "talvex/supplementary_sources.h"

namespace talvex {

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
