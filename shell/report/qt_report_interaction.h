// TQtReportInteraction: the report window's dialogs and message boxes as the
// user sees them, with Qt's standard dialogs.
#pragma once

#include "shell/report/report_interaction.h"

class TQtReportInteraction final : public TReportInteraction {
 public:
  QString AskSaveFileName(QWidget* parent, const TSaveRequest& request) override;
  bool AskPrint(QWidget* parent, QPrinter& printer) override;
  void AskPrinterSetup(QWidget* parent, QPrinter& printer) override;
  void ShowInformation(QWidget* parent, const QString& text) override;
  void ShowError(QWidget* parent, const QString& message, const QString& detail) override;
};
