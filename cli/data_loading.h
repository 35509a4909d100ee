// Reading talvex-cli's data file: a table (by its extension) through the
// tables library with the user's column options, anything else as a
// data-matrix file exactly as before.
#pragma once

#include "cli/cli_options.h"
#include "tables/table_import.h"
#include "talvex/talvex.h"

namespace talvex {

/// Reads options.file into the data of a run; for a table, `report` (when
/// given) receives what the import detected. Raises what the reader or the
/// import raises.
TRunData LoadDataFile(const TCliOptions& options, TImportReport* report = nullptr);

/// The --check line: "150 objects, 4 descriptors" as for a data-matrix file,
/// with ", 3 groups" when the data have groups.
std::string CheckLine(const TDataMatrix& data, const TImportReport& report);

}  // namespace talvex
