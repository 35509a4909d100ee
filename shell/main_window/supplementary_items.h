// TSupplementaryItems: what the desktop program places on the axes at its
// next runs without letting it take part: the objects of the files added
// with File > Add Supplementary Objects..., and the columns the import
// dialog marked supplementary (which the loaded data carry). Loading other
// data forgets the added objects.
#pragma once

#include <cstddef>
#include <string>

#include "input/data_matrix.h"
#include "supplementary/supplementary_data.h"

namespace talvex::desktop {

class TSupplementaryItems {
 public:
  /// Reads `path` (a table, by its extension, or a data-matrix file) and
  /// adds its objects, their values matched to `active`'s variables by
  /// name. Raises what the readers and the matching raise
  /// (supplementary/supplementary_split.h); nothing is added then.
  void AddFile(const std::string& path, const talvex::TDataMatrix& active);
  void Clear() { objects_ = {}; }
  std::size_t ObjectCount() const { return objects_.labels.size(); }

  /// What a run of `data` places: the added objects, the supplementary
  /// variables and the qualitative ones of its marked columns.
  talvex::TSupplementaryData ForRun(const talvex::TDataMatrix& data) const;

 private:
  talvex::TSupplementaryObjects objects_;
};

}  // namespace talvex::desktop
