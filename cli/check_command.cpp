// The --check command of talvex-cli.
#include "cli/check_command.h"

#include "analysis/missing_cells.h"
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
  // Missing cells kept for imputation: counted, and refused here when the
  // run would refuse them.
  if (data.HasMissing()) {
    CheckImputable(data, options.maxMissingShare);
    const TSize missing = data.MissingCount();
    text += std::to_string(missing) + (missing == 1 ? " missing value" : " missing values") +
            " to impute\n";
  }
  // The check is told even when the data cannot be saved.
  int status = 0;
  if (!options.saveData.empty()) {
    try {
      // Nothing is imputed by a check, and a data-matrix file cannot mark a gap.
      if (data.HasMissing())
        throw Exception("--save-data: " + std::to_string(data.MissingCount()) +
                        " values are missing and --check imputes none; run the analysis with "
                        "--save-data-imputed to write the imputed values");
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
