// The report window's dialogs with Qt's standard file, print and page
// dialogs; failures go to the program's general error report box.
#include "shell/report/qt_report_interaction.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

#include "shell/common/error_report.h"
#include "shell/common/message_box.h"

QString TQtReportInteraction::AskSaveFileName(QWidget* parent, const TSaveRequest& request) {
  QFileDialog dialog(parent, request.title);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters(request.filters);
  if (request.selectedFilter >= 0 && request.selectedFilter < request.filters.size())
    dialog.selectNameFilter(request.filters.at(request.selectedFilter));
  dialog.setDefaultSuffix(request.defaultSuffix);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

bool TQtReportInteraction::AskPrint(QWidget* parent, QPrinter& printer) {
  QPrintDialog dialog(&printer, parent);
  return dialog.exec() == QDialog::Accepted;
}

void TQtReportInteraction::AskPrinterSetup(QWidget* parent, QPrinter& printer) {
  QPageSetupDialog dialog(&printer, parent);
  dialog.exec();
}

void TQtReportInteraction::ShowInformation(QWidget* parent, const QString& text) {
  QMessageBox::information(parent, ApplicationTitle, text);
}

void TQtReportInteraction::ShowError(QWidget* parent, const QString& message,
                                     const QString& detail) {
  ExecMessageBox(parent, QMessageBox::Critical, ApplicationTitle, WithFullStop(message), detail);
}
