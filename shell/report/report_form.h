// TReportForm: a text window of the results: the report listing or the
// diagnostics report, read-only, in a window of its own beside the main
// window and the plots. It saves, prints and copies its lines: Save As,
// Print, Printer Setup, Copy and Return.
#pragma once

#include <QDialog>
#include <QPrinter>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QLabel;
class TReportView;
class TReportInteraction;
class TSettingsFile;

class TReportForm : public QDialog {
  Q_OBJECT

 public:
  /// A window under `caption` whose place is remembered in `settings`
  /// under `placeKey`; the dialogs are Qt's own.
  TReportForm(TSettingsFile& settings, const QString& caption, const QString& placeKey,
              QWidget* parent = nullptr);
  /// The same, with the dialogs and message boxes of `interaction` (which
  /// must outlive the window).
  TReportForm(TSettingsFile& settings, TReportInteraction& interaction, const QString& caption,
              const QString& placeKey, QWidget* parent = nullptr);
  ~TReportForm() override;

  /// Shows `lines` (a run's listing or report). The same lines again keep
  /// the view scrolled and selected as it was left.
  void SetLines(const std::vector<std::string>& lines);
  const std::vector<std::string>& Lines() const noexcept { return listingLines_; }
  /// Says, in the caption and a line above the text, that the lines are of
  /// a run that failed (`failure` tells how); empty: they are of the results shown.
  void SetFailure(const QString& failure);
  const QString& Failure() const noexcept { return failure_; }
  /// Brings the window up, not modal.
  void Present();
  /// Writes the window's place into the settings.
  void SaveSettings();

  /// The window's parts, for the program's tests.
  TReportView& Memo() const noexcept { return *memo_; }
  QAction& FileSaveAsItem() const noexcept { return *fileSaveAsItem_; }
  QAction& FilePrintItem() const noexcept { return *filePrintItem_; }
  QAction& FilePrinterSetupItem() const noexcept { return *filePrinterSetupItem_; }
  QAction& FileReturnItem() const noexcept { return *fileReturnItem_; }
  QAction& EditCopyItem() const noexcept { return *editCopyItem_; }
  QPrinter& Printer() noexcept { return printer_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Build(const QString& caption);
  void CreateActions();
  void CreateMenus();
  void ReadSettings();

  /// Runs a command; any failure that escapes it goes to the error box.
  void Guarded(const std::function<void()>& command);

  void FileSaveAsItemClick();
  void FilePrintItemClick();
  void PrinterSetupItemClick();
  void EditCopyItemClick();

  TSettingsFile& settings_;
  const QString placeKey_;
  std::unique_ptr<TReportInteraction> ownInteraction_;  // when Qt's dialogs are used
  TReportInteraction* interaction_;
  QPrinter printer_;
  // The lines as the run wrote them: saved byte for byte.
  std::vector<std::string> listingLines_;

  QString caption_;
  QString failure_;
  QLabel* failureLine_ = nullptr;
  TReportView* memo_ = nullptr;
  QAction* fileSaveAsItem_ = nullptr;
  QAction* filePrintItem_ = nullptr;
  QAction* filePrinterSetupItem_ = nullptr;
  QAction* fileReturnItem_ = nullptr;
  QAction* editCopyItem_ = nullptr;
};
