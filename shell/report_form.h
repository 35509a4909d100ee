// TReportForm: the report window. It shows either the report listing as
// read-only text or one of the three result plots, and acts on whichever it
// shows: Save As, Print, Printer Setup, Copy, Return, and Label Points. It is
// made once at start-up and shown modally by each TReportViewer call.
#pragma once

#include <QDialog>
#include <QPrinter>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/plot_view.h"
#include "shell/report_viewer.h"

class QAction;
class QLabel;
class QMenu;
class QSpinBox;
class TListingView;
class TReportInteraction;
class TSettingsFile;

class TReportForm : public QDialog, public TReportViewer {
  Q_OBJECT

 public:
  /// Reads the Label Points and Label with Names check marks from
  /// [Options] of `settings`; the dialogs are Qt's own.
  explicit TReportForm(TSettingsFile& settings, QWidget* parent = nullptr);
  /// The same, with the dialogs and message boxes of `interaction` (which
  /// must outlive the window).
  TReportForm(TSettingsFile& settings, TReportInteraction& interaction, QWidget* parent = nullptr);
  ~TReportForm() override;

  void ShowListing(const talvex::TReportListing& listing) override;
  void ShowDiagnostics(const talvex::TReportListing& report) override;
  void ShowScoresPlot(const talvex::TAnalysisState& state) override;
  void ShowVectorsPlot(const talvex::TAnalysisState& state) override;
  void ShowScreePlot(const talvex::TAnalysisState& state) override;
  /// Writes the check marks into the settings (the caller saves the file).
  void SaveSettings() override;

  /// The window's parts, for the program's tests.
  bool ChartMode() const noexcept { return chartMode_; }
  TListingView& Memo() const noexcept { return *memo_; }
  TPlotView& Chart() const noexcept { return *xyGraph_; }
  QWidget& AxesPanel() const noexcept { return *axesPanel_; }
  QSpinBox& SpinX() const noexcept { return *spinX_; }
  QSpinBox& SpinY() const noexcept { return *spinY_; }
  QMenu& OptionsMenu() const noexcept { return *optionsMenu_; }
  QAction& FileSaveAsItem() const noexcept { return *fileSaveAsItem_; }
  QAction& FilePrintItem() const noexcept { return *filePrintItem_; }
  QAction& FilePrinterSetupItem() const noexcept { return *filePrinterSetupItem_; }
  QAction& FileReturnItem() const noexcept { return *fileReturnItem_; }
  QAction& EditCopyItem() const noexcept { return *editCopyItem_; }
  QAction& OptionsLabelPointsItem() const noexcept { return *optionsLabelPointsItem_; }
  QAction& OptionsLabelNamesItem() const noexcept { return *optionsLabelNamesItem_; }
  QPrinter& Printer() noexcept { return printer_; }

 private:
  void Build();
  void CreateActions();
  void CreateMenus();
  void CreateLayout();
  void ReadSettings();

  void SetTextMode();
  /// Shows `lines` as text under `caption`, modally.
  void ShowText(const QString& caption, const std::vector<std::string>& lines);
  void SetChartMode(PlotKind kind, const QString& caption, bool scatter);
  void FormShow();
  void RedrawScatter();
  /// The number of components the state's results hold.
  talvex::TSize ComponentCount() const;

  /// Runs a command; any failure that escapes it goes to the error box.
  void Guarded(const std::function<void()>& command);

  void FileSaveAsItemClick();
  void FilePrintItemClick();
  void PrinterSetupItemClick();
  void EditCopyItemClick();
  void FileReturnItemClick();
  void OptionsLabelPointsItemClick();
  void OptionsLabelNamesItemClick();

  TSettingsFile& settings_;
  std::unique_ptr<TReportInteraction> ownInteraction_;  // when Qt's dialogs are used
  TReportInteraction* interaction_;
  QPrinter printer_;

  // The listing as the run wrote it: saved byte for byte.
  std::vector<std::string> listingLines_;
  // The state of the last plot shown; the main window keeps it alive for the
  // program's lifetime and cannot change it while this window is modal.
  const talvex::TAnalysisState* state_ = nullptr;
  bool chartMode_ = false;

  TListingView* memo_ = nullptr;
  TPlotView* xyGraph_ = nullptr;
  QWidget* axesPanel_ = nullptr;
  QSpinBox* spinX_ = nullptr;
  QSpinBox* spinY_ = nullptr;
  QMenu* optionsMenu_ = nullptr;
  QAction* fileSaveAsItem_ = nullptr;
  QAction* filePrintItem_ = nullptr;
  QAction* filePrinterSetupItem_ = nullptr;
  QAction* fileReturnItem_ = nullptr;
  QAction* editCopyItem_ = nullptr;
  QAction* optionsLabelPointsItem_ = nullptr;
  QAction* optionsLabelNamesItem_ = nullptr;
};
