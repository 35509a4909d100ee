// Counting the groups and the missing values of a data set.
#include "input/data_matrix.h"

#include <algorithm>
#include <set>
#include <string_view>

namespace talvex {

TSize GroupCount(const std::vector<std::string>& groups) {
  return std::set<std::string_view>(groups.begin(), groups.end()).size();
}

bool TDataMatrix::HasMissing() const noexcept {
  return std::find(missing.begin(), missing.end(), std::uint8_t(1)) != missing.end();
}

TSize TDataMatrix::MissingCount() const noexcept {
  return TSize(std::count(missing.begin(), missing.end(), std::uint8_t(1)));
}

}  // namespace talvex
