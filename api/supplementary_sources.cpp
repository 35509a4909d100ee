// Supplementary objects from the data's rows and from other files.
#include "talvex/supplementary_sources.h"

#include <filesystem>
#include <unordered_set>
#include <utility>

#include "base/file_name_case.h"
#include "input/data_reader.h"
#include "supplementary/supplementary_split.h"

namespace talvex {

namespace {

bool Carried(TColumnRole role) {
  return role == TColumnRole::Labels || role == TColumnRole::Group ||
         role == TColumnRole::Supplementary;
}

// Absolute, as the data file is, so that the recorded command runs anywhere.
std::string AbsolutePath(const std::string& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? path : absolute.lexically_normal().string();
}

}  // namespace

std::optional<TImportOptions> PickColumnReading(const TImportOptions& options,
                                                const TImportReport& report,
                                                const std::string& column) {
  const std::string name = AsciiLower(column);
  if (name.empty() || name == "label" || name == "labels") return std::nullopt;
  bool grouped = false;
  for (const TImportColumn& c : report.columns) {
    grouped = grouped || c.role == TColumnRole::Group;
    if (AsciiLower(c.name) == name && Carried(c.role)) return std::nullopt;
  }
  if (grouped && name == "group") return std::nullopt;
  for (std::size_t c = 0; c < report.columns.size(); ++c) {
    if (AsciiLower(report.columns[c].name) != name) continue;
    // A variable stays one: rows are never picked by a column the analysis uses.
    if (report.columns[c].role == TColumnRole::Variable) return std::nullopt;
    TImportOptions again = options;
    again.supplementaryColumns.push_back(std::to_string(c + 1));
    return again;
  }
  return std::nullopt;  // the split names the columns rows can be picked by
}

std::vector<std::string> PickableValues(const TDataMatrix& data, const std::string& labelsColumn,
                                        const std::string& column) {
  std::vector<std::string> values;
  const std::vector<std::string>* texts = PickColumnTexts(data, column, labelsColumn);
  if (texts == nullptr) return values;
  std::unordered_set<std::string> seen;
  for (const std::string& text : *texts)
    if (!text.empty() && seen.insert(text).second) values.push_back(text);
  return values;
}

void PickSupplementaryRows(TRunData& run, const TSupplementaryRows& rows) {
  const TRunSource& source = run.source;
  bool listed = false;
  for (const TRunColumn& c : source.supplementaryColumns)
    listed = listed || AsciiLower(c.name) == AsciiLower(rows.column);
  const TSupplementaryRowPick pick{rows.column, rows.values, !listed};
  run.supplementary =
      SplitSupplementary(run.matrix, pick, source.hasLabels ? source.labels.name : std::string());
  run.source.supplementaryRowsColumn = rows.column;
  run.source.supplementaryRowsValues =
      rows.column.empty() ? std::vector<std::string>() : rows.values;
}

TDataMatrix ReadSupplementaryObjects(const std::string& path, const TImportOptions& dataTable) {
  TDataMatrix file;
  if (!IsTableFile(path)) {
    ReadDataFile(path, file);
    return file;
  }
  // Another table: its own columns are detected; what is missing is
  // handled as for the data.
  TImportOptions table;
  table.missing = dataTable.missing;
  table.missingMarkers = dataTable.missingMarkers;
  table.supplementaryObjects = true;
  return ImportTable(path, table);
}

void AddSupplementaryObjects(TRunData& run, const TDataMatrix& file, const std::string& path) {
  TSupplementaryObjects objects = run.supplementary.objects;
  const std::size_t before = objects.labels.size();
  AddSupplementaryFile(objects, run.matrix, file, path);
  TSupplementaryFile placed{AbsolutePath(path), {}};
  placed.objects.assign(objects.labels.begin() + std::ptrdiff_t(before), objects.labels.end());
  run.supplementary.objects = std::move(objects);
  run.source.supplementaryFiles.push_back(std::move(placed));
}

}  // namespace talvex
