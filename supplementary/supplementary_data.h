// TSupplementaryData: what a run places on its axes without letting it take
// part: objects (rows with the active variables), quantitative variables
// (columns measured on the active objects) and qualitative variables (a
// level per object, active or supplementary). None of it enters the means,
// the standard deviations, the dispersion matrix or the jackknife's loop.
#pragma once

#include <string>
#include <vector>

namespace talvex {

/// Rows measured on the active variables, in the active variables' order.
struct TSupplementaryObjects {
  std::vector<std::string> labels;  // m
  std::vector<double> values;       // m x p, row-major, raw (before any transformation)
  /// One group per object in the active data's group column, or empty; an
  /// empty name is an object without a group.
  std::vector<std::string> groups;
  /// Where each row came from ("line 12", "fossils.csv row 3"), for messages.
  std::vector<std::string> places;
};

/// Columns not used to build the axes, one value per active object.
struct TSupplementaryVariables {
  std::vector<std::string> labels;  // q
  std::vector<double> values;       // n x q, row-major (active object by variable), as measured
};

/// A text column marked supplementary: the groups it makes are placed on the
/// axes like the active data's groups.
struct TQualitativeVariable {
  std::string name;
  std::vector<std::string> activeLevels;         // n
  std::vector<std::string> supplementaryLevels;  // m, or empty
};

struct TSupplementaryData {
  TSupplementaryObjects objects;
  TSupplementaryVariables variables;
  std::vector<TQualitativeVariable> qualitative;

  bool Empty() const {
    return objects.labels.empty() && variables.labels.empty() && qualitative.empty();
  }
};

}  // namespace talvex
