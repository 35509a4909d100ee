// The --check command of talvex-cli.
#include "cli/check_command.h"

#include "cli/data_loading.h"
#include "cli/failure_report.h"
#include "cli/output_check.h"
#include "cli/standard_output.h"
#include "export/data_matrix_writer.h"

namespace talvex {

int RunCheckCommand(const TCliOptions& options, std::ostream& out, std::ostream& err) {
  CheckOutputPlaces(options);
  TImportReport report;
  const TDataMatrix data = LoadDataFile(options, &report).matrix;
  std::string text = CheckLine(data, report) + '\n';
  // The objects left out for missing values, as the listing's header has them.
  for (const std::string& note : data.notes) text += note + '\n';
  // The check is told even when the data cannot be saved.
  int status = 0;
  if (!options.saveData.empty()) {
    try {
      WriteDataMatrixFile(options.saveData, data);
    } catch (const std::exception& e) {
      ReportFailure(err, e);
      status = 1;
    }
  }
  WriteStandardOutput(out, text);
  return status;
}

}  // namespace talvex
