// TMainForm: the main window, which is the program. It holds the loaded data,
// the results of the last run and the two flags that decide which commands
// can be used; it hosts every command in its menu bar and buttons, loads data
// files (Open dialog, recent-files entries, dropped files), keeps the options
// in the settings file, runs the analysis off the user-interface thread, and
// offers the help and the about box.
#pragma once

#include <QMainWindow>
#include <functional>
#include <map>
#include <memory>

#include "analysis/analysis_state.h"
#include "analysis/report_listing.h"
#include "drawing/plot_kinds.h"
#include "shell/common/user_messages.h"
#include "shell/import/data_loader.h"
#include "shell/main_window/result_files.h"
#include "shell/main_window/supplementary_items.h"
#include "talvex/talvex.h"

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;

namespace talvex::desktop {

class TAboutBox;
class TAnalysisRunner;
class TElidedLabel;
class TRecentFilesList;
class THelpFile;
class THelpWindow;
class TOptionMarks;
class TResultViewer;
class TSettingsFile;
class TUserInteraction;

class TMainForm : public QMainWindow {
  Q_OBJECT
 public:
  /// Builds the window, reads the recent files and the option marks from
  /// `settings`. `helpFilePath` may name a missing file: the help commands
  /// then do nothing.
  TMainForm(TSettingsFile& settings, TResultViewer& reportViewer, TUserInteraction& interaction,
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
  bool ResultsReady() const { return outcome_ != nullptr; }
  bool Running() const;
  /// The loaded data, and the number of components the plots and exports show.
  const talvex::TAnalysisState& State() const { return state_; }
  /// The last completed run; null before it, and after a load.
  const std::shared_ptr<const talvex::TRunOutcome>& Outcome() const { return outcome_; }
  /// The listing the report shows: the last completed run's, or the lines
  /// of the run that failed after it.
  const talvex::TReportListing& Listing() const;
  /// Not empty while the listing is of a run that failed.
  const QString& ListingFailure() const { return listingFailure_; }
  QString DataFileName() const;
  TRecentFilesList& RecentFiles() const { return *recentFiles_; }
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
  void PlotItemClick(drawing::TPlotKind kind);
  void HelpContentsItemClick();
  void HelpSearchItemClick();
  void HelpAboutItemClick();
  void RecentFilesMRUItemClick(const QString& fileName);
  void CancelBtnClick();

  // The run's progress and end.
  void RunIteration(unsigned objectNumber, unsigned objectCount);
  void RunEnded();
  /// What the completed run did without stopping (values taken as 0 by
  /// decimal logarithms, an imputation that did not converge), in one
  /// warning box (run_warnings.h).
  void ShowRunWarnings();
  /// The line in the Compute group that says the last run has warnings.
  void ShowWarningLine();

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

  THelpWindow* EnsureHelpWindow();
  void ShutDown();

  TSettingsFile& settings_;
  TResultViewer& reportViewer_;
  TUserInteraction& interaction_;

  TUserMessages messages_;
  talvex::TAnalysisState state_;  // the loaded data; its results are never used
  TDataLoader loader_;
  TResultFiles resultFiles_;
  TSupplementaryItems supplementaryItems_;  // placed at the next run
  std::shared_ptr<const talvex::TRunOutcome> outcome_;
  talvex::TReportListing failedListing_;  // the lines of the run that failed
  QString openDialogFile_;                // the Open dialog's own current file name
  // Not empty while the listing is of a run that failed: what the report window says of it.
  QString listingFailure_;
  unsigned runThreads_ = 0;
  bool closePending_ = false;
  bool shutDown_ = false;

  TOptionMarks* options_ = nullptr;
  TRecentFilesList* recentFiles_ = nullptr;
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
  std::map<drawing::TPlotKind, QAction*> plotItems_;  // the Display menu, one item per kind
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

}  // namespace talvex::desktop
