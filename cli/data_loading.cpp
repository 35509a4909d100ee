// The data file of talvex-cli, by kind.
#include "cli/data_loading.h"

#include "input/data_reader.h"
#include "talvex/data_sources.h"

namespace talvex {

TRunData LoadDataFile(const TCliOptions& options, TImportReport* report) {
  return ReadRunData(options.file, options.table, report);
}

std::string CheckLine(const TDataMatrix& data, const TImportReport& report) {
  std::string line = InformationLine(data);
  if (report.groupCount > 0)
    line +=
        ", " + std::to_string(report.groupCount) + (report.groupCount == 1 ? " group" : " groups");
  return line;
}

}  // namespace talvex
