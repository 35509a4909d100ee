// TReportInteraction: everything the report window asks of the user or the
// desktop (file and printer dialogs, message boxes, running modally). The
// window talks to the user only through this, so that its tests can answer
// the dialogs from a script and run the window without a blocking event loop.
#pragma once

#include <QString>
#include <QStringList>

class QPrinter;
class QWidget;

/// What the Save As dialog is asked to offer.
struct TSaveRequest {
  QString title;           // the dialog's caption
  QStringList filters;     // "Text files (*.txt)", ...
  int selectedFilter = 0;  // index into filters
  QString defaultSuffix;   // added when the typed name has none
};

class TReportInteraction {
 public:
  virtual ~TReportInteraction() = default;

  /// The chosen file name, or an empty string when the user cancels. The
  /// dialog itself asks before an existing file is replaced.
  virtual QString AskSaveFileName(QWidget* parent, const TSaveRequest& request) = 0;
  /// The print dialog on `printer`; false when the user cancels.
  virtual bool AskPrint(QWidget* parent, QPrinter& printer) = 0;
  /// The printer and page set-up dialog on `printer`.
  virtual void AskPrinterSetup(QWidget* parent, QPrinter& printer) = 0;
  /// An information box with an OK button.
  virtual void ShowInformation(QWidget* parent, const QString& text) = 0;
  /// The program's error box for a failure that ended a command; `detail`
  /// (the cause, when known) stands below the message.
  virtual void ShowError(QWidget* parent, const QString& message, const QString& detail) = 0;
};
