// What the tests of runs through the entry point share: the iris data as a
// run's data, and a listing without its date and time lines.
#pragma once

#include <string>
#include <vector>

#include "input/data_reader.h"
#include "talvex/talvex.h"

namespace talvex::testing {

inline TRunData Iris() {
  TRunData data{.path = std::string(TALVEX_SOURCE_DIR) + "/examples/iris.nts"};
  ReadDataFile(data.path, data.matrix);
  return data;
}

/// The listing but for its date and time, which follow the clock.
inline std::vector<std::string> Undated(const std::vector<std::string>& lines) {
  std::vector<std::string> kept;
  for (const std::string& line : lines)
    if (line.find("Date") == std::string::npos && line.find("Time") == std::string::npos)
      kept.push_back(line);
  return kept;
}

}  // namespace talvex::testing
