// The data file of talvex-cli, by kind.
#include "cli/data_loading.h"

#include "input/data_reader.h"
#include "tables/table_run_source.h"

namespace talvex {

TRunData LoadDataFile(const TCliOptions& options, TImportReport* report) {
  TRunData data{.path = options.file};
  if (!IsTableFile(options.file)) {
    ReadDataFile(options.file, data.matrix);
    return data;
  }
  TImportReport read;
  data.matrix = ImportTable(options.file, options.table, &read);
  data.source = TableRunSource(options.file, options.table, read);
  if (report != nullptr) *report = std::move(read);
  return data;
}

std::string CheckLine(const TDataMatrix& data, const TImportReport& report) {
  std::string line = InformationLine(data);
  if (report.groupCount > 0)
    line +=
        ", " + std::to_string(report.groupCount) + (report.groupCount == 1 ? " group" : " groups");
  return line;
}

}  // namespace talvex
