// The figure's dialogs with Qt's file dialog and TPlotExportDialog.
#include "shell/plots/qt_plot_interaction.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "shell/common/error_report.h"
#include "shell/plots/plot_export_dialog.h"

namespace talvex::desktop {

namespace {

drawing::TFigureFormat FormatOfFilter(const QStringList& filters, const QString& filter,
                                      drawing::TFigureFormat fallback) {
  const qsizetype index = filters.indexOf(filter);
  return index < 0 ? fallback : drawing::TFigureFormat(index);
}

}  // namespace

bool TQtPlotInteraction::AskFigureSize(QWidget* parent, drawing::TFigureSize& size) {
  TPlotExportDialog dialog(size, parent);
  if (dialog.exec() != QDialog::Accepted) return false;
  size = dialog.Size();
  return true;
}

std::optional<TFigureFileChoice> TQtPlotInteraction::AskFigureFileName(
    QWidget* parent, const QString& startPath, drawing::TFigureFormat filter) {
  const QStringList filters = drawing::FigureFileFilters();
  QFileDialog dialog(parent, QObject::tr("Save As"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters(filters);
  dialog.selectNameFilter(filters.at(int(filter)));
  dialog.setDefaultSuffix(FigureFormatExtension(filter));
  if (!startPath.isEmpty()) {
    const QFileInfo start(startPath);
    dialog.setDirectory(start.absolutePath());
    dialog.selectFile(start.fileName());
  }
  // The file type chosen last gives a name without extension its extension,
  // before the dialog asks whether an existing file may be replaced.
  QObject::connect(
      &dialog, &QFileDialog::filterSelected, &dialog,
      [&dialog, &filters, filter](const QString& chosen) {
        dialog.setDefaultSuffix(FigureFormatExtension(FormatOfFilter(filters, chosen, filter)));
      });
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  TFigureFileChoice choice{dialog.selectedFiles().constFirst(),
                           FormatOfFilter(filters, dialog.selectedNameFilter(), filter)};
  // A platform's own dialog may leave the extension to the caller, and then
  // has not asked about the file the caller will write.
  const QString target = FigureFileNameWithExtension(choice.name, choice.filter);
  if (target != choice.name && QFileInfo::exists(target) &&
      QMessageBox::question(parent, ApplicationTitle,
                            QObject::tr("%1 already exists.\nDo you want to replace it?")
                                .arg(QFileInfo(target).fileName())) != QMessageBox::Yes)
    return std::nullopt;
  return choice;
}

}  // namespace talvex::desktop
