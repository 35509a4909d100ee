// TMainForm: the main window, which is the program. It holds the loaded data,
// the results of the last run and the two flags that decide which commands
// can be used; it hosts every command in its menu bar and buttons, loads data
// files (Open dialog, recent-files entries, dropped files), keeps the options
// in the settings file, runs the analysis off the user-interface thread, and
// offers the help and the about box.
#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>

#include "analysis/analysis_state.h"
#include "analysis/report_listing.h"
#include "diagnostics/diagnostics.h"
#include "shell/import_memory.h"
#include "shell/supplementary_items.h"
#include "supplementary/supplementary_results.h"

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class TAboutBox;
class TAnalysisRunner;
class TElidedLabel;
class TdfsMRUFileList;
class THelpFile;
class THelpWindow;
class TOptionMarks;
class TReportViewer;
class TSettingsFile;
class TUserInteraction;
struct TFailureReport;

class TMainForm : public QMainWindow {
  Q_OBJECT
 public:
  /// Builds the window, reads the recent files and the option marks from
  /// `settings`. `helpFilePath` may name a missing file: the help commands
  /// then do nothing.
  TMainForm(TSettingsFile& settings, TReportViewer& reportViewer, TUserInteraction& interaction,
            const QString& helpFilePath, QWidget* parent = nullptr);
  ~TMainForm() override;

  /// Files handed over by the desktop (a drop, or the command line): one is
  /// loaded and goes to the top of the recent files; several are refused.
  void DropFiles(const QStringList& paths);
  /// The load shared by the recent-files and drop paths.
  void LoadFromPath(const QString& path);
  /// Applies the enabling rules to every command.
  void UpdateCommandStates();

  bool DataLoaded() const { return state_.DataLoaded(); }
  bool ResultsReady() const { return state_.ResultsReady(); }
  bool Running() const;
  const talvex::TAnalysisState& State() const { return state_; }
  const talvex::TReportListing& Listing() const { return listing_; }
  /// Not empty while the listing is of a run that failed.
  const QString& ListingFailure() const { return listingFailure_; }
  const QString& DataFileName() const { return dataFileName_; }
  TdfsMRUFileList& RecentFiles() const { return *recentFiles_; }
  TOptionMarks& OptionMarks() const { return *options_; }
  THelpWindow* HelpWindow() const { return helpWindow_; }
  TAboutBox& AboutBox() const { return *aboutBox_; }

  /// Worker threads of the jackknife; 0 (the default) uses every core.
  void SetRunThreads(unsigned threads) { runThreads_ = threads; }

 signals:
  /// A run has ended (completed, failed or cancelled) and its outcome is
  /// committed.
  void RunFinished();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void CreateActions();
  void CreateMenus();
  void CreateControls();
  void ReadSettings();
  void WriteSettings();

  // Command handlers.
  void FileOpenItemClick();
  void FileAddSupplementaryItemClick();
  void FileViewItemClick();
  void FileSaveDataItemClick();
  void FileDiagnosticsItemClick();
  void SaveAllResultsItemClick();
  void EditPasteItemClick();
  void EditCopyCommandLineItemClick();
  void OptionsGroupsItemClick();
  void SaveScoresItemClick();
  void SaveVectorsItemClick();
  void OptionsClearFilesListItemClick();
  void FactorsNumberItemClick();
  void RunAnalysisItemClick();
  void PlotScoresItemClick();
  void PlotVectorsItemClick();
  void PlotScreeItemClick();
  void PlotBiplotItemClick();
  void PlotInfluenceItemClick();
  void HelpContentsItemClick();
  void HelpSearchItemClick();
  void HelpAboutItemClick();
  void RecentFilesMRUItemClick(const QString& fileName);
  void CancelBtnClick();

  // The run's progress and end.
  void RunIteration(unsigned objectNumber, unsigned objectCount);
  void RunEnded();
  /// What the completed run did to the data without stopping (values taken
  /// as 0 by decimal logarithms), in one warning box.
  void ShowRunWarnings();
  /// The line in the Compute group that says the last run has warnings.
  void ShowWarningLine();

  /// Reads `path` into the state; only a file that loads replaces what is
  /// loaded. A refused file is told (its own message, then "File error"),
  /// another failure goes to the general error report, both naming the file;
  /// either gives false.
  bool ReadData(const QString& path);
  /// Runs `load`; a refused source is told (its own message, then "File
  /// error"), another failure goes to the general error report, both naming
  /// `source` where the failure does not. False when it did not load.
  bool LoadWithMessages(const QString& source, const std::function<void()>& load);
  /// The end of every successful load; `fromFile` is false for pasted data.
  void LoadSucceeded(const QString& path, bool fromFile = true);
  /// The size line below the file name, with the number of groups.
  void ShowDataSize();
  /// The status bar: the data, and the method, transformation and number of
  /// factors the next run will use.
  void ShowStatus();
  void SetStatusText(const QString& text);
  /// The folder of the loaded data file, where the save dialogs start;
  /// empty for pasted data.
  QString DataFolder() const;
  /// Groups from the object labels, when asked for and the data have none.
  void ApplyGroupsFromLabels();
  bool LoadPath(const QString& path);
  void ExportResults(bool scores);

  /// Runs a command; a failure that escapes it goes to the general error report.
  void Guarded(const std::function<void()>& command);
  /// A failure as the user is told of it: a cancelled run as information,
  /// anything else as the general error report, with its detail below.
  void ShowFailure(const TFailureReport& failure);
  /// The general error report: the message in a box titled with the
  /// application title, with the full-stop rule, and the detail below it.
  void ShowError(const QString& message, const QString& detail);
  /// A message box of the main window itself, preceded by the error beep.
  void ShowOwnMessage(bool error, const QString& title, const QString& text, bool okButton,
                      const QString& detail = QString());

  THelpWindow* EnsureHelpWindow();
  void ShutDown();

  TSettingsFile& settings_;
  TReportViewer& reportViewer_;
  TUserInteraction& interaction_;

  talvex::TAnalysisState state_;
  talvex::TReportListing listing_;
  talvex::TDiagnostics diagnostics_;             // of the results shown
  talvex::TSupplementaryResults supplementary_;  // of the results shown
  TSupplementaryItems supplementaryItems_;       // placed at the next run
  QString dataFileName_;
  QString openDialogFile_;  // the Open dialog's own current file name
  TImportMemory importMemory_;
  bool dataHasOwnGroups_ = false;  // the loaded table had a group column
  QString saveFileName_;
  // Not empty while the listing is of a run that failed: what the report window says of it.
  QString listingFailure_;
  unsigned runThreads_ = 0;
  talvex::TAnalysisOptions runOptions_;  // the options of the run in progress or last run
  bool closePending_ = false;
  bool shutDown_ = false;

  TOptionMarks* options_ = nullptr;
  TdfsMRUFileList* recentFiles_ = nullptr;
  TAnalysisRunner* runner_ = nullptr;
  std::unique_ptr<THelpFile> helpFile_;
  THelpWindow* helpWindow_ = nullptr;
  TAboutBox* aboutBox_ = nullptr;
  QMetaObject::Connection focusConnection_;

  // Menus and their items, named as in the user interface.
  QMenu* fileMenu_ = nullptr;
  QMenu* fileSaveMenu_ = nullptr;
  QMenu* optionsMenu_ = nullptr;
  QMenu* optionsMethodMenu_ = nullptr;
  QMenu* optionsFactorsMenu_ = nullptr;
  QMenu* optionsTransformMenu_ = nullptr;
  QAction* fileOpenItem_ = nullptr;
  QAction* fileAddSupplementaryItem_ = nullptr;
  QAction* fileViewItem_ = nullptr;
  QAction* saveScoresItem_ = nullptr;
  QAction* saveVectorsItem_ = nullptr;
  QAction* fileSaveDataItem_ = nullptr;
  QAction* fileDiagnosticsItem_ = nullptr;
  QAction* saveAllResultsItem_ = nullptr;
  QAction* optionsMatchAxesItem_ = nullptr;
  QAction* fileExitItem_ = nullptr;
  QAction* editPasteItem_ = nullptr;
  QAction* editCopyCommandLineItem_ = nullptr;
  QAction* optionsGroupsItem_ = nullptr;
  QAction* optionsClearFilesListItem_ = nullptr;
  QAction* factorsNumberItem_ = nullptr;
  QAction* runAnalysisItem_ = nullptr;
  QAction* plotScoresItem_ = nullptr;
  QAction* plotVectorsItem_ = nullptr;
  QAction* plotScreeItem_ = nullptr;
  QAction* plotBiplotItem_ = nullptr;
  QAction* plotInfluenceItem_ = nullptr;
  QAction* helpContentsItem_ = nullptr;
  QAction* helpSearchItem_ = nullptr;
  QAction* helpAboutItem_ = nullptr;

  // Controls.
  QGroupBox* inputFrame_ = nullptr;
  QGroupBox* computeFrame_ = nullptr;
  QGroupBox* displayFrame_ = nullptr;
  QPushButton* openBtn_ = nullptr;
  QPushButton* testBtn_ = nullptr;
  QPushButton* scoresBtn_ = nullptr;
  QPushButton* screeBtn_ = nullptr;
  QPushButton* vectorsBtn_ = nullptr;
  QPushButton* closeBtn_ = nullptr;
  QPushButton* cancelBtn_ = nullptr;
  QProgressBar* runProgress_ = nullptr;
  TElidedLabel* lblName_ = nullptr;
  QLabel* lblInfo_ = nullptr;
  QLabel* lblWarnings_ = nullptr;
  TElidedLabel* statusText_ = nullptr;
};
