// The warnings of a completed run.
#include "shell/main_window/run_warnings.h"

#include <QCoreApplication>

#include "analysis/pca_imputation.h"
#include "analysis/transform_warnings.h"

namespace talvex::desktop {

namespace {

// The texts are the main window's, where the user meets them.
QString Tr(const char* text) { return QCoreApplication::translate("TMainForm", text); }

void Append(QStringList& lines, const std::vector<std::string>& warnings) {
  for (const std::string& warning : warnings) lines.append(QString::fromStdString(warning));
}

}  // namespace

TRunWarnings RunWarnings(const talvex::TRunOutcome& outcome) {
  TRunWarnings told;
  Append(told.lines, talvex::TransformWarnings(outcome.Data(), outcome.Record().options));
  Append(told.lines, outcome.Supplementary().warnings);
  const bool zeros = !told.lines.isEmpty();
  const auto& imputation = outcome.Results().tables.imputation;
  const qsizetype before = told.lines.size();
  if (imputation) Append(told.lines, talvex::ImputationWarnings(imputation->summary));
  const bool unconverged = told.lines.size() > before;
  if (told.Empty()) return told;
  told.detail = Tr("The analysis is complete.");
  if (zeros) told.detail += u' ' + Tr("The values named entered it as 0.");
  if (unconverged) {
    told.detail +=
        u' ' + Tr("Where the imputation stopped short, its values and the estimates made from "
                  "them are those of its last sweep; the diagnostics report gives the iterations "
                  "and the final change.");
  }
  return told;
}

TRunWarnings DiagnosticsWarnings(const talvex::TRunOutcome& outcome) {
  TRunWarnings told;
  Append(told.lines, outcome.Diagnostics().warnings);
  if (told.Empty()) return told;
  told.detail = told.lines.size() == 1
                    ? Tr("1 warning: see the diagnostics")
                    : Tr("%1 warnings: see the diagnostics").arg(told.lines.size());
  return told;
}

}  // namespace talvex::desktop
