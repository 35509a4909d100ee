// The group palette and markers. The colours are Okabe and Ito's set for
// colour-vision deficiencies, in their published order.
#include "figures/group_style.h"

#include <unordered_map>

namespace talvex {

namespace {

constexpr TRgb OkabeIto[GroupColourCount] = {
    {230, 159, 0},    // orange
    {86, 180, 233},   // sky blue
    {0, 158, 115},    // bluish green
    {240, 228, 66},   // yellow
    {0, 114, 178},    // blue
    {213, 94, 0},     // vermillion
    {204, 121, 167},  // reddish purple
    {0, 0, 0},        // black
};

}  // namespace

TRgb GroupColour(std::size_t group) { return OkabeIto[group % GroupColourCount]; }

TMarkerShape GroupMarker(std::size_t group) {
  return TMarkerShape((group + group / GroupColourCount) % MarkerShapeCount);
}

TGrouping GroupObjects(const std::vector<std::string>& groups) {
  TGrouping grouping;
  grouping.ofObject.reserve(groups.size());
  std::unordered_map<std::string, std::size_t> indexOf;
  bool missing = false;
  constexpr std::size_t Missing = std::size_t(-1);
  for (const std::string& name : groups) {
    if (name.empty()) {
      missing = true;
      grouping.ofObject.push_back(Missing);
      continue;
    }
    const auto [at, added] = indexOf.emplace(name, grouping.names.size());
    if (added) grouping.names.push_back(name);
    grouping.ofObject.push_back(at->second);
  }
  if (missing) {
    for (std::size_t& index : grouping.ofObject)
      if (index == Missing) index = grouping.names.size();
    grouping.names.push_back(NoGroupName);
  }
  return grouping;
}

}  // namespace talvex
