// The File menu's saves.
#include "shell/main_window/result_files.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <optional>

#include "export/all_results.h"
#include "export/data_matrix_writer.h"
#include "export/labelled_csv.h"
#include "export/results_export.h"
#include "shell/common/busy_cursor.h"
#include "shell/common/user_interaction.h"

namespace talvex::desktop {

namespace {

// The texts are the main window's, where the user meets them.
QString Tr(const char* text) { return QCoreApplication::translate("TMainForm", text); }

std::string NativePath(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

void TResultFiles::SaveComponents(bool scores, const talvex::TRunOutcome& outcome,
                                  talvex::TSize factorCount, const QString& folder) {
  // The run computed only the components it showed; a count raised since
  // asks for columns the results do not hold.
  const talvex::TSize computed = outcome.ComponentCount();
  if (factorCount > computed) {
    interaction_.ShowMessage(
        TMessageKind::Error, Tr("Error"),
        Tr("The results hold %1 components. Run the analysis again to save %2.")
            .arg(computed)
            .arg(factorCount),
        TMessageButton::Ok, Tr("The number of factors was raised after the last run."));
    return;
  }
  TFileDialogRequest request;
  request.title = Tr("Save As");
  const QString labelledFilter =
      scores ? Tr("CSV with labels and groups (*.csv)") : Tr("CSV with labels (*.csv)");
  request.filters =
      QStringList{Tr("Microsoft Excel (*.xls)"), Tr("Comma Separated Values (*.csv)"),
                  Tr("System Data File (*.sdf)"), Tr("Excel Workbook (*.xlsx)"), labelledFilter};
  QString filter;
  request.selectedFilter = &filter;
  request.defaultSuffix = QStringLiteral("sdf");
  request.initialFile = saveFileName_;
  request.save = true;
  request.directory = folder;
  const std::optional<QString> chosen = interaction_.ChooseFile(request);
  if (!chosen) return;
  saveFileName_ = *chosen;
  TBusyCursor busy;
  const std::string path = NativePath(*chosen);
  const talvex::TDataMatrix& data = outcome.Data();
  const talvex::TAnalysisResults& results = outcome.Results();
  if (filter == labelledFilter) {
    // The rows say which object or variable they are, and the scores their group.
    if (scores) {
      talvex::ExportLabelledCsv(path, results.scores, data.objectCount, factorCount,
                                data.objectLabels, "Object", &data.groups);
    } else {
      talvex::ExportLabelledCsv(path, results.eigenvectors, data.variableCount, factorCount,
                                data.variableLabels, "Variable");
    }
  } else if (scores) {
    talvex::ExportScores(path, results.scores, data.objectCount, factorCount, data.objectLabels);
  } else {
    talvex::ExportVectors(path, results.eigenvectors, data.variableCount, factorCount,
                          data.variableLabels);
  }
}

void TResultFiles::SaveAllResults(const talvex::TRunOutcome& outcome, const QString& dataFileName,
                                  const QString& folder) {
  TFileDialogRequest request;
  request.title = Tr("Save All Results");
  request.filters =
      QStringList{Tr("Excel Workbook, one sheet per table (*.xlsx)"), Tr("JSON (*.json)")};
  request.defaultSuffix = QStringLiteral("xlsx");
  request.initialFile = QFileInfo(dataFileName).completeBaseName() + Tr("-results.xlsx");
  request.save = true;
  request.directory = folder;
  const std::optional<QString> chosen = interaction_.ChooseFile(request);
  if (!chosen) return;
  TBusyCursor busy;
  talvex::WriteAllResults(NativePath(*chosen), outcome.State(), outcome.Diagnostics(),
                          &outcome.Supplementary());
}

void TResultFiles::SaveData(const talvex::TDataMatrix& data, const QString& dataFileName,
                            const QString& folder) {
  TFileDialogRequest request;
  request.title = Tr("Save Data As");
  request.filters = QStringList{Tr("Data files (*.nts)")};
  request.defaultSuffix = QStringLiteral("nts");
  request.initialFile = QFileInfo(dataFileName).completeBaseName() + QStringLiteral(".nts");
  request.save = true;
  request.directory = folder;
  const std::optional<QString> chosen = interaction_.ChooseFile(request);
  if (!chosen) return;
  TBusyCursor busy;
  talvex::WriteDataMatrixFile(NativePath(*chosen), data);
}

}  // namespace talvex::desktop
