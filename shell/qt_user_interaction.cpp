// Qt's dialogs and message boxes for the main window.
#include "shell/qt_user_interaction.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

void TQtUserInteraction::Beep() { QApplication::beep(); }

void TQtUserInteraction::ShowMessage(TMessageKind kind, const QString& title, const QString& text,
                                     TMessageButton button) {
  QMessageBox box(kind == TMessageKind::Error ? QMessageBox::Critical : QMessageBox::Information,
                  title, text,
                  button == TMessageButton::Ok ? QMessageBox::Ok : QMessageBox::Cancel,
                  dialogParent_);
  box.exec();
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
  if (!request.initialFile.isEmpty()) dialog.selectFile(request.initialFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    return std::nullopt;
  }
  return dialog.selectedFiles().constFirst();
}

std::optional<QString> TQtUserInteraction::InputText(const QString& title, const QString& prompt,
                                                     const QString& defaultText) {
  bool ok = false;
  const QString text =
      QInputDialog::getText(dialogParent_, title, prompt, QLineEdit::Normal, defaultText, &ok);
  if (!ok) return std::nullopt;
  return text;
}

void TQtUserInteraction::ShowModal(QDialog& dialog) { dialog.exec(); }

void TQtUserInteraction::OpenUrl(const QUrl& url) { QDesktopServices::openUrl(url); }
