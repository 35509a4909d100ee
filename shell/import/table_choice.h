// TTableChoice: what the user settles on for a table in the import dialog:
// how to read it (the import options) and which of its rows are placed on
// the axes as supplementary objects instead of entering the analysis.
#pragma once

#include <utility>

#include "tables/table_import.h"
#include "talvex/supplementary_sources.h"

namespace talvex::desktop {

struct TTableChoice {
  TTableChoice() = default;
  // A choice of the reading alone picks no rows.
  TTableChoice(talvex::TImportOptions import) : options(std::move(import)) {}

  talvex::TImportOptions options;
  talvex::TSupplementaryRows rows;
};

}  // namespace talvex::desktop
