// The files of the CLI tests: read and written whole, and data-matrix files
// of any size with some spread in every variable.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace talvex::testing {

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

inline void WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

/// A data-matrix file of n objects and p variables with some spread; with
/// `labelled`, the objects named by `labels` (or OBJ1, ...) and the
/// variables V1, ...
inline void WriteDataFile(const std::filesystem::path& path, int n, int p, bool labelled,
                          const std::vector<std::string>& labels) {
  std::ostringstream text;
  text << "1 " << n << (labelled ? "L " : " ") << p << (labelled ? "L" : "") << " 0\n";
  if (labelled) {
    for (int i = 0; i < n; ++i)
      text << (labels.empty() ? "OBJ" + std::to_string(i + 1) : labels[i]) << '\n';
    for (int j = 0; j < p; ++j) text << "V" << j + 1 << '\n';
  }
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < p; ++j) text << ((i * 7919 + j * 104729) % 1000) / 10.0 + j << ' ';
    text << '\n';
  }
  WriteFile(path, text.str());
}

inline void WriteData(const std::filesystem::path& path, int n, int p) {
  WriteDataFile(path, n, p, false, {});
}

inline void WriteLabelledData(const std::filesystem::path& path, int n, int p,
                              const std::vector<std::string>& labels = {}) {
  WriteDataFile(path, n, p, true, labels);
}

}  // namespace talvex::testing
