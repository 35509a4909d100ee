// The run record's source of a table.
#include "tables/table_run_source.h"

#include <charconv>
#include <filesystem>

#include "base/file_name_case.h"

namespace talvex {

namespace {

// Whether the column options would find column `c` by its name: a name that
// reads as a number, means "none", splits a list or repeats (in any letter
// case) is given by number instead.
bool FoundByName(const std::vector<TImportColumn>& columns, std::size_t c) {
  const std::string& name = columns[c].name;
  if (name.empty() || name == "-" || name.find(',') != std::string::npos) return false;
  std::size_t number = 0;
  const auto read = std::from_chars(name.data(), name.data() + name.size(), number);
  if (read.ec == std::errc() && read.ptr == name.data() + name.size()) return false;
  for (std::size_t other = 0; other < columns.size(); ++other) {
    if (other != c && AsciiLower(columns[other].name) == AsciiLower(name)) return false;
  }
  return true;
}

TRunColumn Column(const std::vector<TImportColumn>& columns, std::size_t c) {
  return TRunColumn{columns[c].name, TSize(c + 1), FoundByName(columns, c)};
}

}  // namespace

TRunSource TableRunSource(const std::string& path, const TImportOptions& options,
                          const TImportReport& report) {
  TRunSource source;
  if (path.empty()) {
    source.kind = TSourceKind::PastedData;
  } else {
    source.kind = TSourceKind::TableFile;
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    source.path = error ? path : absolute.lexically_normal().string();
  }
  source.format = report.format;
  source.sheet = report.sheet;
  source.separator = report.sheetNames.empty() ? report.separator : 0;
  source.decimalComma = report.decimalComma;
  source.header = report.header;
  for (std::size_t c = 0; c < report.columns.size(); ++c) {
    if (report.columns[c].role == TColumnRole::Labels) {
      source.hasLabels = true;
      source.labels = Column(report.columns, c);
    } else if (report.columns[c].role == TColumnRole::Group) {
      source.hasGroup = true;
      source.group = Column(report.columns, c);
    }
  }
  for (const std::size_t c : report.variableColumns)
    source.variables.push_back(Column(report.columns, c));
  source.omitMissing = options.missing == TMissingPolicy::Omit;
  source.imputeMissing = options.missing == TMissingPolicy::Impute;
  source.missingMarkers = options.missingMarkers;
  for (std::size_t k = 0; k < report.omittedRows.size(); ++k) {
    source.leftOut.push_back(
        TLeftOutObject{report.omittedNames[k], report.omittedRows[k], report.omittedPlaces[k]});
  }
  return source;
}

}  // namespace talvex
