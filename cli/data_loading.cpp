// The data file of talvex-cli, by kind.
#include "cli/data_loading.h"

#include "input/data_reader.h"

namespace talvex {

void LoadDataFile(const TCliOptions& options, TAnalysisState& state, TImportReport* report) {
  if (!IsTableFile(options.file)) {
    state.LoadFile(options.file);
    return;
  }
  state.LoadData(ImportTable(options.file, options.table, report), options.file);
}

std::string CheckLine(const TDataMatrix& data, const TImportReport& report) {
  std::string line = InformationLine(data);
  if (report.groupCount > 0)
    line +=
        ", " + std::to_string(report.groupCount) + (report.groupCount == 1 ? " group" : " groups");
  return line;
}

}  // namespace talvex
