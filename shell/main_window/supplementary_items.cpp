// The desktop program's supplementary items.
#include "shell/main_window/supplementary_items.h"

#include "input/data_reader.h"
#include "supplementary/supplementary_split.h"
#include "tables/table_import.h"

namespace talvex::desktop {

void TSupplementaryItems::AddFile(const std::string& path, const talvex::TDataMatrix& active) {
  talvex::TDataMatrix file;
  if (talvex::IsTableFile(path)) {
    talvex::TImportOptions options;
    options.supplementaryObjects = true;
    file = talvex::ImportTable(path, options);
  } else {
    talvex::ReadDataFile(path, file);
  }
  talvex::TSupplementaryObjects objects = objects_;
  talvex::AddSupplementaryFile(objects, active, file, path);
  objects_ = std::move(objects);
}

talvex::TSupplementaryData TSupplementaryItems::ForRun(const talvex::TDataMatrix& data) const {
  talvex::TSupplementaryData items;
  if (!data.extraColumns.empty()) {
    talvex::TDataMatrix copy = data;
    items = talvex::SplitSupplementary(copy, {});
  }
  items.objects = objects_;
  // The objects of other files have the data's groups only where their own
  // table gave them.
  if (!items.objects.groups.empty() && data.groups.empty()) items.objects.groups.clear();
  return items;
}

}  // namespace talvex::desktop
