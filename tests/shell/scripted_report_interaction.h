// A report-window interaction for tests: answers the Save As dialog from a
// queue of names, sends print jobs to a PDF file, records every message
// and the printer set-ups.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QPrinter>
#include <QStringList>
#include <deque>
#include <system_error>

#include "shell/report/report_interaction.h"

class TScriptedReportInteraction final : public TReportInteraction {
 public:
  std::deque<QString> saveNames;  // next answers of the Save As dialog ("" = cancel)
  QString printFile;              // where print jobs go; empty = the user cancels
  std::vector<TSaveRequest> saveRequests;
  QStringList informations;
  QStringList errors;
  QStringList errorDetails;
  int printerSetups = 0;
  bool failAsking = false;  // the next Save As dialog fails with a foreign exception

  QString AskSaveFileName(QWidget*, const TSaveRequest& request) override {
    saveRequests.push_back(request);
    if (failAsking) {
      failAsking = false;
      throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again),
                              "the dialog could not be made");
    }
    if (saveNames.empty()) return {};
    QString name = saveNames.front();
    saveNames.pop_front();
    return name;
  }
  bool AskPrint(QWidget*, QPrinter& printer) override {
    if (printFile.isEmpty()) return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(printFile);
    return true;
  }
  void AskPrinterSetup(QWidget*, QPrinter&) override { ++printerSetups; }
  void ShowInformation(QWidget*, const QString& text) override { informations.append(text); }
  void ShowError(QWidget*, const QString& message, const QString& detail) override {
    errors.append(message);
    errorDetails.append(detail);
  }
};
