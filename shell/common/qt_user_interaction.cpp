// Qt's dialogs and message boxes for the main window.
#include "shell/common/qt_user_interaction.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

#include "shell/common/message_box.h"

namespace talvex::desktop {

void TQtUserInteraction::Beep() { QApplication::beep(); }

void TQtUserInteraction::ShowMessage(TMessageKind kind, const QString& title, const QString& text,
                                     TMessageButton button, const QString& detail) {
  const QMessageBox::Icon icon = kind == TMessageKind::Error     ? QMessageBox::Critical
                                 : kind == TMessageKind::Warning ? QMessageBox::Warning
                                                                 : QMessageBox::Information;
  ExecMessageBox(dialogParent_, icon, title, text, detail,
                 button == TMessageButton::Ok ? QMessageBox::Ok : QMessageBox::Cancel);
}

std::optional<QString> TQtUserInteraction::ChooseFile(const TFileDialogRequest& request) {
  QFileDialog dialog(dialogParent_, request.title);
  dialog.setNameFilters(request.filters);
  dialog.setDefaultSuffix(request.defaultSuffix);
  if (request.save) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
  }
  if (!request.directory.isEmpty()) dialog.setDirectory(request.directory);
  if (!request.initialFile.isEmpty()) dialog.selectFile(request.initialFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    return std::nullopt;
  }
  if (request.selectedFilter != nullptr) *request.selectedFilter = dialog.selectedNameFilter();
  return dialog.selectedFiles().constFirst();
}

std::optional<int> TQtUserInteraction::InputNumber(const QString& title, const QString& prompt,
                                                   int value, int minimum, int maximum) {
  bool ok = false;
  const int number =
      QInputDialog::getInt(dialogParent_, title, prompt, value, minimum, maximum, 1, &ok);
  if (!ok) return std::nullopt;
  return number;
}

std::optional<TTableChoice> TQtUserInteraction::ChooseImport(const TImportRequest& request) {
  TImportDialog dialog(request.title, request.run, request.initial, dialogParent_);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Choice();
}

void TQtUserInteraction::ShowModal(QDialog& dialog) { dialog.exec(); }

void TQtUserInteraction::OpenUrl(const QUrl& url) { QDesktopServices::openUrl(url); }

}  // namespace talvex::desktop
