// The supplementary items of a run checked against its data and made ready
// for placing: the objects' rows transformed as the active data are, the
// groupings gathered (the data's group column first, then each qualitative
// supplementary variable). Everything is checked before the run starts, so
// bad supplementary input never costs a run and never changes the analysis.
//
// Messages (ESupplementaryRefused; Detail() names the object, the variable
// and the place):
//   "Supplementary objects need a value for every variable"
//   "Missing value in a supplementary object"
//   "Natural logarithm of a value <= 0 in a supplementary object"
//   "Supplementary variables need a value for every object"
//   "Missing value in a supplementary variable"
//   "Supplementary groups must be given for every object"
//   "A qualitative supplementary variable needs a level for every object"
#pragma once

#include <string>
#include <vector>

#include "analysis/analysis_options.h"
#include "base/exception.h"
#include "input/data_matrix.h"
#include "supplementary/supplementary_data.h"

namespace talvex {

class ESupplementaryRefused : public Exception {
 public:
  using Exception::Exception;
};

/// One grouping: the level of every active and supplementary object.
struct TPreparedGrouping {
  std::string name;
  bool supplementaryColumn = false;
  std::vector<std::string> levels;      // in order of first appearance; no empty name
  std::vector<int> activeLevel;         // n: index into levels, -1 without a group
  std::vector<int> supplementaryLevel;  // m: the same
};

struct TPreparedSupplementary {
  TSize n = 0, p = 0, m = 0, q = 0;
  std::vector<std::string> objectLabels;    // m
  std::vector<std::string> objectGroups;    // m, or empty
  std::vector<double> objectRows;           // m x p, row-major, transformed
  std::vector<std::string> variableLabels;  // q
  std::vector<double> variableColumns;      // q x n: variable v's n values at v * n
  std::vector<TPreparedGrouping> groupings;
  std::vector<std::string> warnings;

  bool Empty() const { return m == 0 && q == 0 && groupings.empty(); }
};

/// Checks `supplementary` against `data` (the active objects) and transforms
/// the supplementary objects with `transformation`: decimal logarithms take a
/// value <= 0 as 0 and say so in `warnings`, as for the active data; natural
/// logarithms refuse it. The quantitative variables are correlated as they
/// were measured, untransformed. The data's groups (when they have any) make
/// the first grouping, named after their column ("Group" without a name).
TPreparedSupplementary PrepareSupplementary(const TDataMatrix& data,
                                            const TSupplementaryData& supplementary,
                                            DataTransform transformation);

}  // namespace talvex
