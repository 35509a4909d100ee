// The --check command of talvex-cli.
#include "cli/check_command.h"

#include "analysis/missing_cells.h"
#include "cli/data_loading.h"
#include "cli/failure_report.h"
#include "cli/output_check.h"
#include "cli/standard_output.h"
#include "cli/supplementary_loading.h"
#include "export/data_matrix_writer.h"

namespace talvex {

namespace {

// The supplementary items are taken out and checked as a run takes and
// checks them, so that a check refuses what the run would, with the same
// messages; `run` keeps the active objects. Returns the line that counts them.
std::string CheckSupplementary(const TCliOptions& options, TRunData& run,
                               const TImportReport& report) {
  ApplyGroupsFromLabels(options, run);
  if (!HasSupplementaryOptions(options)) return {};
  LoadSupplementary(options, run, report);
  TRunOptions runOptions;
  runOptions.analysis.transformation = options.transformation;
  CheckRunData(run, runOptions);
  const TSupplementaryData& items = run.supplementary;
  return SupplementaryCounts(items.objects.labels.size(),
                             items.variables.labels.size() + items.qualitative.size());
}

}  // namespace

int RunCheckCommand(const TCliOptions& options, std::ostream& out, std::ostream& err) {
  CheckOutputPlaces(options);
  TImportReport report;
  TRunData run = LoadDataFile(options, &report);
  // The line and the notes tell the file as it was read.
  std::string text = CheckLine(run.matrix, report) + '\n';
  // The objects left out for missing values, as the listing's header has them.
  for (const std::string& note : run.matrix.notes) text += note + '\n';
  if (const std::string counts = CheckSupplementary(options, run, report); !counts.empty())
    text += counts + '\n';
  const TDataMatrix& data = run.matrix;
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
