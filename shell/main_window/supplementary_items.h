// TSupplementaryItems: what the desktop program places on the axes at its
// next runs without letting it take part: the rows the import dialog picked
// (recorded in the loaded data's source), the columns it marked
// supplementary (which the loaded data carry), and the objects of the files
// added with File > Add Supplementary Objects.... All of it reaches the run
// through the public entry point (talvex/supplementary_sources.h), as the
// command line's options do, so the run record names the rows and files.
// Loading other data forgets the added files.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "analysis/analysis_state.h"
#include "input/data_matrix.h"
#include "talvex/talvex.h"

namespace talvex::desktop {

class TSupplementaryItems {
 public:
  /// Reads `path` (a table, by its extension, or a data-matrix file) and
  /// keeps its objects for the next runs of `loaded`, after checking that
  /// they can be placed (their variables matched by name). Returns how many
  /// objects it adds. Raises what the readers and the matching raise
  /// (talvex/supplementary_sources.h); nothing is added then.
  std::size_t AddFile(const std::string& path, const talvex::TAnalysisState& loaded);
  void Clear() { files_.clear(); }

  /// The data of the next run of `loaded`: its data and their source, with
  /// the rows the source picks and the columns read beside the data made
  /// supplementary, and the objects of the files added. Raises what
  /// talvex/supplementary_sources.h raises.
  talvex::TRunData NextRun(const talvex::TAnalysisState& loaded) const;

 private:
  struct TFile {
    std::string path;
    talvex::TDataMatrix objects;
  };
  std::vector<TFile> files_;
};

}  // namespace talvex::desktop
