// Helpers of the export tests: a scratch folder, whole-file reads, the
// folder's listing, running Debian's python on a script of the test data.
#pragma once

#include <dirent.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <typeinfo>

#include "base/exception.h"

namespace talvex::testing {

inline constexpr const char* Python = "/usr/bin/python3";

class TScratchFolder {
 public:
  TScratchFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "talvex-export-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;

  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  const std::string& Path() const { return path_; }

  /// Names in the folder, hidden ones included.
  std::set<std::string> Listing() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

 private:
  std::string path_;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return std::move(bytes).str();
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string TestData(const std::string& name) {
  return std::string(TALVEX_TEST_DATA) + "/" + name;
}

/// Runs `command` through the shell; its standard output, and its exit status.
inline std::string RunCommand(const std::string& command, int* status) {
  std::string output;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) {
    *status = -1;
    return output;
  }
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  const int raw = ::pclose(pipe);
  *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return output;
}

inline bool HasPythonModule(const std::string& module) {
  if (::access(Python, X_OK) != 0) return false;
  int status = 0;
  RunCommand(std::string(Python) + " -c 'import " + module + "' 2>/dev/null", &status);
  return status == 0;
}

}  // namespace talvex::testing

/// Checks that `statement` throws exactly `type` with the message `message`.
#define EXPECT_THROW_MSG(statement, type, message)                                    \
  do {                                                                                \
    try {                                                                             \
      statement;                                                                      \
      ADD_FAILURE() << "no exception from: " #statement;                              \
    } catch (const type& error) {                                                     \
      EXPECT_EQ(typeid(error), typeid(type)) << "a subclass of " #type " was thrown"; \
      EXPECT_EQ(std::string(error.what()), std::string(message));                     \
    }                                                                                 \
  } while (false)
