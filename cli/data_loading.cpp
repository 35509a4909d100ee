// The data file of talvex-cli, by kind.
#include "cli/data_loading.h"

#include "input/data_reader.h"
#include "tables/table_run_source.h"

namespace talvex {

void LoadDataFile(const TCliOptions& options, TAnalysisState& state, TImportReport* report) {
  if (!IsTableFile(options.file)) {
    state.LoadFile(options.file);
    return;
  }
  TImportReport read;
  TDataMatrix data = ImportTable(options.file, options.table, &read);
  TRunSource source = TableRunSource(options.file, options.table, read);
  state.LoadData(std::move(data), options.file, std::move(source));
  if (report != nullptr) *report = std::move(read);
}

std::string CheckLine(const TDataMatrix& data, const TImportReport& report) {
  std::string line = InformationLine(data);
  if (report.groupCount > 0)
    line +=
        ", " + std::to_string(report.groupCount) + (report.groupCount == 1 ? " group" : " groups");
  return line;
}

}  // namespace talvex
