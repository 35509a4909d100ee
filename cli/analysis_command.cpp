// The main job of talvex-cli: load, run, write the listing, export.
#include "cli/analysis_command.h"

#include <algorithm>
#include <chrono>
#include <ostream>
#include <thread>

#include "analysis/pca_imputation.h"
#include "analysis/transform_warnings.h"
#include "base/file_name_case.h"
#include "cli/data_loading.h"
#include "cli/failure_report.h"
#include "cli/figure_output.h"
#include "cli/listing_output.h"
#include "cli/output_check.h"
#include "cli/supplementary_loading.h"
#include "export/all_results.h"
#include "export/data_matrix_writer.h"
#include "export/export_format.h"
#include "export/labelled_csv.h"
#include "export/results_export.h"
#include "numeric/sizes.h"
#include "talvex/all_results.h"
#include "talvex/outcome_report.h"

namespace talvex {

namespace {

// Progress of the run on standard error: each step on a line of its own, and
// the leave-one-out loop's count or a long step's percentage, redrawn at most
// a few times a second so that a fast run does not spend its time printing.
class TProgressLine : public TRunObserver {
 public:
  explicit TProgressLine(std::ostream& err) : err_(err) {}
  ~TProgressLine() override {
    if (shown_) err_ << '\n';
  }
  void StepStarted(const char* step) override {
    if (shown_) err_ << '\n';
    shown_ = false;
    step_ = step;
    err_ << step << '\n' << std::flush;
  }
  void JackknifeIteration(TSize object, TSize count) override {
    if (!Redraw(object == count)) return;
    err_ << "\rJackknife: object " << object << " of " << count << std::flush;
  }
  void StepProgress(double share) override {
    if (!Redraw(share >= 1.0)) return;
    err_ << '\r' << step_ << ": " << int(std::clamp(share, 0.0, 1.0) * 100.0) << '%' << std::flush;
  }

 private:
  bool Redraw(bool last) {
    const auto now = std::chrono::steady_clock::now();
    if (!last && shown_ && now - last_ < std::chrono::milliseconds(200)) return false;
    last_ = now;
    shown_ = true;
    return true;
  }

  std::ostream& err_;
  std::chrono::steady_clock::time_point last_;
  std::string step_;
  bool shown_ = false;
};

TAnalysisOptions AnalysisOptionsOf(const TCliOptions& cli) {
  TAnalysisOptions options;
  options.method = cli.method;
  options.transformation = cli.transformation;
  options.factorRule = cli.factorRule;
  options.jackknife = cli.jackknife;
  options.imputeComponents = cli.imputeComponents;
  options.maxMissingShare = cli.maxMissingShare;
  return options;
}

// More threads than cores only cost memory and time.
unsigned ThreadsToUse(const TCliOptions& options, std::ostream& err) {
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  if (!options.threads || *options.threads <= cores) return options.threads.value_or(0);
  if (options.progress) {
    err << "Using " << cores << " threads, one per core (" << *options.threads
        << " were asked for)\n";
  }
  return cores;
}

// What was placed, and where it can be read: the listing never shows it.
void TellSupplementary(const TCliOptions& options, const TSupplementaryResults& supplementary,
                       std::ostream& err) {
  if (!supplementary.available) return;
  std::string placed =
      SupplementaryCounts(supplementary.objectLabels.size(), supplementary.variableLabels.size());
  if (const std::size_t groupings = supplementary.groups.size(); groupings != 0)
    placed += (placed.empty() ? "" : ", ") + std::to_string(groupings) +
              (groupings == 1 ? " grouping" : " groupings") + " with group means";
  err << "talvex-cli: placed " << placed << '\n';
  for (const std::string& warning : supplementary.warnings)
    err << "talvex-cli: warning: " << warning << '\n';
  if (options.diagnostics.empty() && options.results.empty() && options.figures.empty())
    err << "talvex-cli: warning: the supplementary items are shown by --diagnostics, --results "
           "and --figure, and none was given\n";
}

}  // namespace

int RunAnalysisCommand(const TCliOptions& options, std::ostream& out, std::ostream& err) {
  // Every output is checked before a long run, not after it.
  CheckOutputPlaces(options);
  CheckFigureSize(options);

  TImportReport import;
  TRunData run = LoadDataFile(options, &import);
  TDataMatrix& data = run.matrix;
  // Variables taken by default that look like row numbers or years are
  // analysed, as scripts expect; the user is told how to leave them out.
  if (options.table.variables.empty()) {
    for (std::size_t c = 0; c < import.columns.size(); ++c) {
      const TImportColumn& column = import.columns[c];
      if (column.role != TColumnRole::Variable || column.identifier.empty()) continue;
      err << "talvex-cli: warning: column \"" << column.name << "\" (column " << c + 1
          << ") looks like an identifier (" << column.identifier
          << ") and is analysed as a variable; --variables names the variables to analyse\n";
    }
  }
  ApplyGroupsFromLabels(options, run);
  LoadSupplementary(options, run, import);
  // One output that cannot be written does not keep the others from being
  // written; each failure is told, and the status says that one failed.
  int status = 0;
  const auto attempt = [&](auto write) {
    try {
      write();
    } catch (const std::exception& e) {
      ReportFailure(err, e);
      status = 1;
    }
  };
  // A data-matrix file cannot mark a missing value: imputed values are
  // written only when asked for, after the run has made them.
  const bool saveAfterRun = !options.saveData.empty() && data.HasMissing();
  if (saveAfterRun && !options.saveDataImputed) {
    attempt([&] {
      throw Exception("--save-data: " + std::to_string(data.MissingCount()) +
                      " values are missing, and a data-matrix file cannot mark them as imputed; "
                      "--save-data-imputed writes the imputed values");
    });
  }
  if (!options.saveData.empty() && !saveAfterRun)
    attempt([&] { WriteDataMatrixFile(options.saveData, data); });
  // What the reader decided and the objects left out of a table are told
  // before the run.
  for (const std::string& note : data.notes) err << "talvex-cli: " << note << '\n';
  if (options.factors && (*options.factors < 1 || *options.factors > data.variableCount)) {
    err << "talvex-cli: the number of factors must be between 1 and " << data.variableCount << '\n';
    return 1;
  }
  const TSize factorCount = options.factors
                                ? TSize(*options.factors)
                                : DefaultFactorCount(data.objectCount, data.variableCount);
  CheckFigureComponents(options, factorCount, data.variableCount);
  if (!options.scores.empty()) CheckExportFits(options.scores, data.objectCount, factorCount);
  if (!options.vectors.empty()) CheckExportFits(options.vectors, data.variableCount, factorCount);
  if (!options.results.empty()) {
    try {
      CheckAllResultsFit(options.results, data.objectCount, data.variableCount, factorCount,
                         options.jackknife);
    } catch (const Exception& e) {
      throw Exception("--results: " + e.Message());
    }
  }

  const TRunOptions runOptions{
      .analysis = AnalysisOptionsOf(options),
      .factorCount = factorCount,
      .diagnostics = {.matchAxes = options.matchAxes,
                      // Only the diagnostics report and the full results show the estimates.
                      .estimates = !options.diagnostics.empty() || !options.results.empty()},
      .threads = ThreadsToUse(options, err)};
  // Values that the decimal logarithms take as 0 are analysed; the user is told.
  for (const std::string& warning : TransformWarnings(data, runOptions.analysis))
    err << "talvex-cli: warning: " << warning << '\n';

  TReportListing listing;
  TListingOutput listingOutput(options.report, out);
  listingOutput.Attach(listing);
  TAnalysis analysis;
  try {
    TProgressLine progress(err);
    analysis.Compute(std::move(run), runOptions,
                     {.observer = options.progress ? &progress : nullptr, .listing = &listing});
  } catch (const std::exception& e) {
    // What the run wrote before the fault is kept, as in the desktop program.
    try {
      listingOutput.Finish(listing);
    } catch (const std::exception& writeError) {
      ReportFailure(err, writeError);
    }
    ReportFailure(err, e);
    return 1;
  }
  const TRunOutcome& outcome = *analysis.Outcome();

  attempt([&] { listingOutput.Finish(listing); });
  // What the diagnostics found is told whatever is written; it is no failure.
  for (const std::string& warning : outcome.Diagnostics().warnings)
    err << "talvex-cli: warning: " << warning << '\n';
  TellSupplementary(options, outcome.Supplementary(), err);
  const TAnalysisResults& results = outcome.Results();
  const TDataMatrix& analysed = outcome.Data();
  if (const auto& imputation = results.tables.imputation) {
    for (const std::string& warning : ImputationWarnings(imputation->summary))
      err << "talvex-cli: warning: " << warning << '\n';
    if (saveAfterRun && options.saveDataImputed) {
      attempt([&] {
        TDataMatrix completed = analysed;
        completed.values = imputation->values;
        completed.missing.clear();
        WriteDataMatrixFile(options.saveData, completed);
      });
    }
  }
  const auto labelled = [&](const std::string& path) {
    return options.labelled && HasExtension(path, "csv");
  };
  if (!options.scores.empty()) {
    attempt([&] {
      if (labelled(options.scores)) {
        ExportLabelledCsv(options.scores, results.scores, analysed.objectCount, factorCount,
                          analysed.objectLabels, "Object");
      } else {
        ExportScores(options.scores, results.scores, analysed.objectCount, factorCount,
                     analysed.objectLabels);
      }
    });
  }
  if (!options.vectors.empty()) {
    attempt([&] {
      if (labelled(options.vectors)) {
        ExportLabelledCsv(options.vectors, results.eigenvectors, analysed.variableCount,
                          factorCount, analysed.variableLabels, "Variable");
      } else {
        ExportVectors(options.vectors, results.eigenvectors, analysed.variableCount, factorCount,
                      analysed.variableLabels);
      }
    });
  }
  if (!options.diagnostics.empty()) {
    attempt([&] {
      WriteFileAtomically(options.diagnostics, OutcomeDiagnosticsReport(outcome).Text("\n"));
    });
  }
  if (!options.results.empty()) {
    attempt([&] {
      for (const std::string& removed : SaveAllResults(options.results, outcome))
        err << "talvex-cli: removed " << removed << ", left by an earlier run\n";
    });
  }
  if (!options.figures.empty())
    attempt([&] {
      if (!WriteFigures(options, analysis.Outcome(), err)) status = 1;
    });
  return status;
}

}  // namespace talvex
