// The desktop program's supplementary items.
#include "shell/main_window/supplementary_items.h"

#include "tables/table_import.h"
#include "talvex/supplementary_sources.h"

namespace talvex::desktop {

namespace {

// A table of supplementary objects treats missing values as the data's
// source did.
talvex::TImportOptions MissingAsForTheData(const talvex::TRunSource& source) {
  talvex::TImportOptions table;
  table.missing = source.imputeMissing ? talvex::TMissingPolicy::Impute
                  : source.omitMissing ? talvex::TMissingPolicy::Omit
                                       : talvex::TMissingPolicy::Refuse;
  if (!source.missingMarkers.empty()) table.missingMarkers = source.missingMarkers;
  return table;
}

}  // namespace

std::size_t TSupplementaryItems::AddFile(const std::string& path,
                                         const talvex::TAnalysisState& loaded) {
  TFile file{path, talvex::ReadSupplementaryObjects(path, MissingAsForTheData(loaded.Source()))};
  // Placed once now, as the run will place it, so that a file that does not
  // fit is refused here rather than at every run.
  talvex::TRunData run = NextRun(loaded);
  talvex::AddSupplementaryObjects(run, file.objects, path);
  files_.push_back(std::move(file));
  return run.source.supplementaryFiles.back().objects.size();
}

talvex::TRunData TSupplementaryItems::NextRun(const talvex::TAnalysisState& loaded) const {
  talvex::TRunData run;
  run.matrix = loaded.Data();
  run.path = loaded.DataFileName();
  run.source = loaded.Source();
  talvex::PickSupplementaryRows(
      run, {run.source.supplementaryRowsColumn, run.source.supplementaryRowsValues});
  for (const TFile& file : files_) talvex::AddSupplementaryObjects(run, file.objects, file.path);
  return run;
}

}  // namespace talvex::desktop
