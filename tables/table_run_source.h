// What the run record says of a table: the file or pasted text, how it was
// read and each column's role, from the import's options and report.
#pragma once

#include <string>

#include "analysis/run_record.h"
#include "tables/table_import.h"

namespace talvex {

/// The source of a table read by ImportTable from `path` (or, when `path`
/// is empty, by ImportTableText) with `options`, as `report` tells it. A
/// column is named by its heading where that finds it again, otherwise by
/// its number.
TRunSource TableRunSource(const std::string& path, const TImportOptions& options,
                          const TImportReport& report);

}  // namespace talvex
