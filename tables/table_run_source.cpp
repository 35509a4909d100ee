// The run record's source of a table.
#include "tables/table_run_source.h"

#include <charconv>
#include <filesystem>
#include <unordered_map>

#include "base/file_name_case.h"

namespace talvex {

namespace {

// How many columns carry each name, in any letter case: counted once, so
// that 100,000 columns are not compared with one another.
using TNameCounts = std::unordered_map<std::string, std::size_t>;

TNameCounts NameCounts(const std::vector<TImportColumn>& columns) {
  TNameCounts counts;
  for (const TImportColumn& column : columns) ++counts[AsciiLower(column.name)];
  return counts;
}

// Whether the column options would find column `c` by its name: a name that
// reads as a number, means "none", splits a list or repeats (in any letter
// case) is given by number instead.
bool FoundByName(const std::vector<TImportColumn>& columns, std::size_t c,
                 const TNameCounts& counts) {
  const std::string& name = columns[c].name;
  if (name.empty() || name == "-" || name.find(',') != std::string::npos) return false;
  std::size_t number = 0;
  const auto read = std::from_chars(name.data(), name.data() + name.size(), number);
  if (read.ec == std::errc() && read.ptr == name.data() + name.size()) return false;
  return counts.at(AsciiLower(name)) == 1;
}

TRunColumn Column(const std::vector<TImportColumn>& columns, std::size_t c,
                  const TNameCounts& counts) {
  return TRunColumn{columns[c].name, TSize(c + 1), FoundByName(columns, c, counts)};
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
  const TNameCounts counts = NameCounts(report.columns);
  for (std::size_t c = 0; c < report.columns.size(); ++c) {
    if (report.columns[c].role == TColumnRole::Labels) {
      source.hasLabels = true;
      source.labels = Column(report.columns, c, counts);
    } else if (report.columns[c].role == TColumnRole::Group) {
      source.hasGroup = true;
      source.group = Column(report.columns, c, counts);
    } else if (report.columns[c].role == TColumnRole::Supplementary) {
      source.supplementaryColumns.push_back(Column(report.columns, c, counts));
    }
  }
  for (const std::size_t c : report.variableColumns)
    source.variables.push_back(Column(report.columns, c, counts));
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
