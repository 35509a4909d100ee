// Counting the groups of a data set.
#include "input/data_matrix.h"

#include <set>
#include <string_view>

namespace talvex {

TSize GroupCount(const std::vector<std::string>& groups) {
  return std::set<std::string_view>(groups.begin(), groups.end()).size();
}

}  // namespace talvex
