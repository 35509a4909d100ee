// Output checks before the run; see output_check.h.
#include "cli/output_check.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "base/exception.h"
#include "export/all_results.h"
#include "export/export_format.h"

namespace talvex {

namespace {

std::string Reason(int error) { return std::error_code(error, std::generic_category()).message(); }

[[noreturn]] void FailCreate(const std::string& path, const std::string& reason) {
  throw EInOutError("Cannot create file " + path + ": " + reason);
}

// Where a name leads: symbolic links followed even when the file they name
// is not there yet (a link to a file that an output will create).
std::filesystem::path Resolved(const std::string& name) {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::path path = fs::absolute(name, error);
  if (error) return name;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) break;
    const fs::path target = fs::read_symlink(path, error);
    if (error) break;
    path = target.is_absolute() ? target : path.parent_path() / target;
  }
  const fs::path canonical = fs::weakly_canonical(path, error);
  return error ? path.lexically_normal() : canonical;
}

// Whether two names reach the same regular file, or would create the same
// one. Devices and pipes are left out: /dev/stdin and /dev/stdout may well be
// the same terminal, and reading one does not destroy the other.
bool SameFile(const std::string& a, const std::string& b) {
  struct stat infoA {
  }, infoB{};
  const bool existsA = ::stat(a.c_str(), &infoA) == 0;
  const bool existsB = ::stat(b.c_str(), &infoB) == 0;
  if (existsA && existsB)
    return S_ISREG(infoA.st_mode) && infoA.st_dev == infoB.st_dev && infoA.st_ino == infoB.st_ino;
  if (existsA != existsB) return false;
  return Resolved(a) == Resolved(b);
}

void CheckPlace(const TOutputFile& output) {
  const std::string& path = output.path;
  const bool isReport = output.option == "--report";
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) FailCreate(path, Reason(EISDIR));
    // The report goes straight through to a device or a pipe; an export is
    // replaced by renaming, which only a regular file allows.
    if (!S_ISREG(info.st_mode)) {
      if (isReport) return;
      FailCreate(path, "Not a regular file");
    }
    if (::access(path.c_str(), W_OK) != 0) FailCreate(path, Reason(errno));
  }
  // The temporary file is made beside the file a symbolic link names.
  std::error_code error;
  std::filesystem::path target = std::filesystem::weakly_canonical(path, error);
  if (error) target = path;
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  struct stat folderInfo {};
  if (::stat(folder.c_str(), &folderInfo) != 0) FailCreate(path, Reason(errno));
  if (!S_ISDIR(folderInfo.st_mode)) FailCreate(path, Reason(ENOTDIR));
  if (::access(folder.c_str(), W_OK | X_OK) != 0) FailCreate(path, Reason(errno));
}

// A folder of CSV files: an existing folder must be writable; a new one is
// made in the nearest existing folder above it.
void CheckFolderPlace(const std::string& path) {
  std::filesystem::path folder = std::filesystem::absolute(path).parent_path();
  while (!folder.empty() && !std::filesystem::exists(folder) && folder != folder.parent_path())
    folder = folder.parent_path();
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0) FailCreate(path, Reason(errno));
  if (!S_ISDIR(info.st_mode)) FailCreate(path, Reason(ENOTDIR));
  if (::access(folder.c_str(), W_OK | X_OK) != 0) FailCreate(path, Reason(errno));
}

}  // namespace

std::vector<TOutputFile> OutputFiles(const TCliOptions& options) {
  std::vector<TOutputFile> outputs;
  if (!options.report.empty() && options.report != "-")
    outputs.push_back({"--report", options.report});
  if (!options.scores.empty()) outputs.push_back({"--scores", options.scores});
  if (!options.vectors.empty()) outputs.push_back({"--vectors", options.vectors});
  if (!options.saveData.empty()) outputs.push_back({"--save-data", options.saveData});
  if (!options.diagnostics.empty()) outputs.push_back({"--diagnostics", options.diagnostics});
  if (!options.results.empty()) outputs.push_back({"--results", options.results});
  for (const TCliFigure& figure : options.figures) outputs.push_back({"--figure", figure.path});
  return outputs;
}

void CheckDistinctFiles(const TCliOptions& options) {
  std::vector<TOutputFile> outputs = OutputFiles(options);
  // A results folder holds files of fixed names: each is an output too.
  if (!options.results.empty() && options.results.back() == '/') {
    for (const std::string& name : AllResultsFileNames())
      outputs.push_back({"--results", options.results + name});
  }
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    if (SameFile(outputs[i].path, options.file)) {
      throw ECliUsage(outputs[i].option + " '" + outputs[i].path + "' is the data file '" +
                      options.file + "'");
    }
    for (std::size_t j = 0; j < i; ++j) {
      if (SameFile(outputs[i].path, outputs[j].path)) {
        throw ECliUsage(outputs[j].option + " and " + outputs[i].option + " name the same file '" +
                        outputs[i].path + "'");
      }
    }
  }
}

void CheckOutputPlaces(const TCliOptions& options) {
  for (const TOutputFile& output : OutputFiles(options)) {
    if (output.option == "--results") {
      CheckAllResultsPath(output.path);
      if (output.path.back() == '/') {
        CheckFolderPlace(output.path);
        continue;
      }
    } else if (output.option != "--report" && output.option != "--save-data" &&
               output.option != "--diagnostics" && output.option != "--figure") {
      ExportFormatOf(output.path);
    }
    CheckPlace(output);
  }
}

}  // namespace talvex
