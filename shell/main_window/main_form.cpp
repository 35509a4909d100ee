// The main window: its commands, the run and shut-down. Its menus and
// controls are built in main_form_layout.cpp.
#include "shell/main_window/main_form.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <algorithm>
#include <climits>
#include <optional>

#include "input/data_reader.h"
#include "shell/common/elided_label.h"
#include "shell/common/error_report.h"
#include "shell/common/user_interaction.h"
#include "shell/common/user_messages.h"
#include "shell/help/about_box.h"
#include "shell/help/help_file.h"
#include "shell/help/help_window.h"
#include "shell/import/data_loader.h"
#include "shell/main_window/analysis_runner.h"
#include "shell/main_window/option_marks.h"
#include "shell/main_window/recent_files_list.h"
#include "shell/main_window/result_files.h"
#include "shell/main_window/result_viewer.h"
#include "shell/main_window/run_warnings.h"
#include "shell/settings/settings_file.h"
#include "tables/table_import.h"
#include "talvex/outcome_report.h"

namespace talvex::desktop {

namespace {

std::string NativePath(const QString& path) { return QFile::encodeName(path).toStdString(); }

// The settings key of Options > Groups from Object Labels.
const QString GroupsFromLabelsKey = QStringLiteral("GroupsFromLabels");
// ... and of Options > Match Axes before Aligning Signs.
const QString MatchAxesKey = QStringLiteral("MatchAxes");

}  // namespace

TMainForm::TMainForm(TSettingsFile& settings, TResultViewer& reportViewer,
                     TUserInteraction& interaction, const QString& helpFilePath, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint),
      settings_(settings),
      reportViewer_(reportViewer),
      interaction_(interaction),
      messages_(interaction),
      loader_(state_, settings, interaction, messages_),
      resultFiles_(interaction) {
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(ApplicationTitle);
  setWindowIcon(QIcon(QStringLiteral(":/talvex/talvex.svg")));
  interaction_.SetDialogParent(this);

  runner_ = new TAnalysisRunner(this);
  connect(runner_, &TAnalysisRunner::Iteration, this, &TMainForm::RunIteration);
  connect(runner_, &TAnalysisRunner::Finished, this, &TMainForm::RunEnded);

  helpFile_ = std::make_unique<THelpFile>(helpFilePath);
  CreateActions();
  CreateMenus();
  CreateControls();
  ReadSettings();

  setAcceptDrops(true);
  focusConnection_ =
      connect(qApp, &QApplication::focusChanged, this, &TMainForm::UpdateCommandStates);
  aboutBox_ = new TAboutBox(interaction_, this);

  // The window takes the size its controls need and keeps it; laying out
  // every level now gives the controls their places before the first show.
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  layout()->activate();
  for (QLayout* level : centralWidget()->findChildren<QLayout*>()) level->activate();
  openBtn_->setFocus();
  ShowStatus();
  UpdateCommandStates();
}

TMainForm::~TMainForm() {
  QObject::disconnect(focusConnection_);
  delete helpWindow_;  // before the help file it reads
  helpWindow_ = nullptr;
}

void TMainForm::ReadSettings() {
  options_->ReadSettings(settings_);
  optionsGroupsItem_->setChecked(
      settings_.ReadInteger(QStringLiteral("Options"), GroupsFromLabelsKey, 0) != 0);
  optionsMatchAxesItem_->setChecked(
      settings_.ReadInteger(QStringLiteral("Options"), MatchAxesKey, 0) != 0);
}

void TMainForm::WriteSettings() {
  // Options are kept only for a session that had data to work on.
  if (state_.DataLoaded()) {
    options_->WriteSettings(settings_);
    settings_.WriteInteger(QStringLiteral("Options"), GroupsFromLabelsKey,
                           optionsGroupsItem_->isChecked() ? 1 : 0);
    settings_.WriteInteger(QStringLiteral("Options"), MatchAxesKey,
                           optionsMatchAxesItem_->isChecked() ? 1 : 0);
  }
  recentFiles_->SaveEntries();
}

bool TMainForm::Running() const { return runner_->Running(); }

const talvex::TReportListing& TMainForm::Listing() const {
  return outcome_ && listingFailure_.isEmpty() ? outcome_->Listing() : failedListing_;
}

QString TMainForm::DataFileName() const { return QFile::decodeName(state_.DataFileName().c_str()); }

void TMainForm::UpdateCommandStates() {
  const bool running = runner_->Running();
  const bool dataLoaded = state_.DataLoaded();
  const bool results = dataLoaded && outcome_ != nullptr;
  const bool diagnostics = results && outcome_->Diagnostics().available;
  const bool report = results && talvex::HasDiagnosticsReport(*outcome_);

  // While a run goes on, nothing may load, run, change the data or close.
  // The buttons follow their menu items.
  for (QAction* item : {fileOpenItem_, fileExitItem_}) item->setEnabled(!running);
  recentFiles_->SetItemsEnabled(!running);
  factorsNumberItem_->setEnabled(!running);

  fileViewItem_->setEnabled(results);
  editCopyCommandLineItem_->setEnabled(results);
  fileDiagnosticsItem_->setEnabled(report);
  fileSaveMenu_->menuAction()->setEnabled(results);
  optionsClearFilesListItem_->setEnabled(recentFiles_->Count() >= 1);
  fileSaveDataItem_->setEnabled(dataLoaded);
  fileAddSupplementaryItem_->setEnabled(dataLoaded && !running);
  editPasteItem_->setEnabled(!running);
  for (QMenu* menu : {optionsMethodMenu_, optionsFactorsMenu_, optionsTransformMenu_}) {
    menu->menuAction()->setEnabled(dataLoaded);
  }
  options_->OptionsJackknifeItem->setEnabled(dataLoaded);
  runAnalysisItem_->setEnabled(dataLoaded && !running);
  for (const auto& [kind, item] : plotItems_)
    item->setEnabled(results && PlotAvailable(kind, diagnostics));
}

// ---- Loading ----

void TMainForm::LoadSucceeded(const QString& path, bool fromFile) {
  // New data: the results of the old ones go, the groups follow the option.
  outcome_.reset();
  ApplyGroupsFromLabels();
  reportViewer_.DataReplaced();
  supplementaryItems_.Clear();
  ShowDataSize();
  const QString name = fromFile ? QFileInfo(path).fileName() : path;
  lblName_->SetFullText(name);
  lblName_->setToolTip(fromFile ? QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath())
                                : path);
  failedListing_.Clear();
  listingFailure_.clear();
  if (fromFile) openDialogFile_ = path;
  ShowStatus();
  ShowWarningLine();
  UpdateCommandStates();
  testBtn_->setFocus();
}

QString TMainForm::DataFolder() const {
  if (!state_.DataLoaded() || state_.Source().kind == talvex::TSourceKind::PastedData)
    return QString();
  return QFileInfo(DataFileName()).absolutePath();
}

void TMainForm::SetStatusText(const QString& text) {
  statusText_->SetFullText(text);
  statusText_->setToolTip(text);
}

void TMainForm::ShowStatus() {
  if (!state_.DataLoaded()) {
    SetStatusText(tr("No data loaded"));
    return;
  }
  const talvex::TAnalysisOptions next = options_->Options();
  const QString method = next.method == talvex::DispersionMethod::Covariance
                             ? tr("covariance matrix")
                             : tr("correlation matrix");
  QString transformation = tr("no transformation");
  if (next.transformation == talvex::DataTransform::TransformDecimal)
    transformation = tr("decimal logarithms");
  if (next.transformation == talvex::DataTransform::TransformNatural)
    transformation = tr("natural logarithms");
  const QString data = state_.Source().kind == talvex::TSourceKind::PastedData
                           ? tr("Pasted data")
                           : QFileInfo(DataFileName()).fileName();
  const unsigned factors = unsigned(state_.FactorCount());
  SetStatusText(tr("%1: %2, %3, %4 %5%6")
                    .arg(data, method, transformation)
                    .arg(factors)
                    .arg(factors == 1 ? tr("factor") : tr("factors"))
                    .arg(next.jackknife ? QString() : tr(", no jackknife")));
}

void TMainForm::EditCopyCommandLineItemClick() {
  if (!outcome_) return;
  messages_.Guarded([this] {
    QGuiApplication::clipboard()->setText(
        QString::fromStdString(talvex::CommandLine(outcome_->Record())));
    statusBar()->showMessage(tr("Command line copied to the clipboard"), 4000);
  });
}

void TMainForm::ShowDataSize() {
  QString line = QString::fromStdString(talvex::InformationLine(state_.Data()));
  const std::vector<std::string>& groups = state_.Data().groups;
  if (!groups.empty()) {
    const talvex::TSize count = talvex::GroupCount(groups);
    line += count == 1 ? tr(", 1 group") : tr(", %1 groups").arg(count);
  }
  lblInfo_->setText(line);
}

void TMainForm::FileOpenItemClick() {
  if (Running()) return;
  messages_.Guarded([this] {
    TFileDialogRequest request;
    request.title = tr("Open");
    request.filters = QStringList{
        tr("Data and tables (*.nts *.csv *.tsv *.txt *.xlsx *.ods)"), tr("Data files (*.nts)"),
        tr("Tables (*.csv *.tsv *.txt *.xlsx *.ods)"), tr("All files (*)")};
    request.defaultSuffix = QStringLiteral("nts");
    request.initialFile = openDialogFile_;
    // Cancel, and a file that is refused, leave the loaded data and results
    // as they were.
    const std::optional<QString> chosen = interaction_.ChooseFile(request);
    if (!chosen) return;
    openDialogFile_ = *chosen;
    if (!loader_.LoadFile(*chosen)) return;
    recentFiles_->AddFile(QFileInfo(*chosen).absoluteFilePath());
    LoadSucceeded(*chosen);
  });
}

bool TMainForm::LoadPath(const QString& path) {
  if (!loader_.LoadFile(path)) return false;
  LoadSucceeded(path);
  return true;
}

void TMainForm::LoadFromPath(const QString& path) {
  if (Running()) return;
  messages_.Guarded([&] { LoadPath(path); });
}

void TMainForm::RecentFilesMRUItemClick(const QString& fileName) {
  if (Running()) return;
  messages_.Guarded([&] {
    if (!QFileInfo::exists(fileName)) {
      messages_.ShowOwnMessage(true, tr("Error"),
                               QStringLiteral("File \"%1\" not found!").arg(fileName), true);
      return;
    }
    LoadPath(fileName);  // the list keeps its order
  });
}

void TMainForm::DropFiles(const QStringList& paths) {
  if (Running() || paths.isEmpty()) return;
  messages_.Guarded([&] {
    if (paths.size() > 1) {
      messages_.ShowOwnMessage(false, tr("Information"), tr("Hey! Only one file at a time..."),
                               true);
      return;
    }
    const QString path = QFileInfo(paths.front()).absoluteFilePath();
    if (LoadPath(path)) recentFiles_->AddFile(path);
  });
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  const bool files = !urls.isEmpty() && std::all_of(urls.begin(), urls.end(),
                                                    [](const QUrl& u) { return u.isLocalFile(); });
  if (files && !Running()) event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event) {
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls()) paths.append(url.toLocalFile());
  event->acceptProposedAction();
  DropFiles(paths);
}

void TMainForm::EditPasteItemClick() {
  if (Running()) return;
  messages_.Guarded([this] {
    if (loader_.LoadPasted(QGuiApplication::clipboard()->text()))
      LoadSucceeded(TDataLoader::PastedDataName(), false);
  });
}

void TMainForm::FileSaveDataItemClick() {
  if (!state_.DataLoaded()) return;
  messages_.Guarded([this] { resultFiles_.SaveData(state_.Data(), DataFileName(), DataFolder()); });
}

// ---- Options ----

void TMainForm::OptionsGroupsItemClick() {
  messages_.Guarded([this] {
    ApplyGroupsFromLabels();
    if (state_.DataLoaded()) ShowDataSize();
  });
}

void TMainForm::ApplyGroupsFromLabels() {
  // Groups that the data brought stay; otherwise the labels give them on request.
  const bool ownGroups = !state_.Data().groups.empty() && !state_.Source().groupsFromLabels;
  if (!state_.DataLoaded() || ownGroups) return;
  const bool fromLabels = optionsGroupsItem_->isChecked();
  state_.SetGroups(fromLabels ? talvex::GroupsFromLabels(state_.Data().objectLabels)
                              : std::vector<std::string>(),
                   fromLabels);
}

void TMainForm::OptionsClearFilesListItemClick() {
  messages_.Guarded([this] {
    recentFiles_->ClearAll();
    UpdateCommandStates();
    settings_.EraseSection(TRecentFilesList::AutoSaveKey);
    if (!settings_.Save())
      throw talvex::EInOutError("Unable to write to " + NativePath(settings_.Path()));
  });
}

void TMainForm::FactorsNumberItemClick() {
  if (Running() || !state_.DataLoaded()) return;
  messages_.Guarded([this] {
    const int variables = int(std::min<talvex::TSize>(state_.Data().variableCount, INT_MAX));
    // A spin box over 1..p offers the current count; Cancel changes nothing.
    const std::optional<int> number = interaction_.InputNumber(
        tr("Factors"), tr("Number of Factors:"), int(state_.FactorCount()), 1, variables);
    if (!number) return;
    if (!state_.SetFactorCount(*number)) {
      messages_.ShowOwnMessage(true, tr("Error"),
                               tr("The number of factors must be between 1 and %1.").arg(variables),
                               true);
      return;
    }
    options_->ClearFactorRule();
    ShowStatus();
    // The results shown hold only the components their run computed.
    if (outcome_ && talvex::TSize(*number) > outcome_->ComponentCount()) {
      interaction_.ShowMessage(
          TMessageKind::Information, tr("Factors"),
          tr("The results shown hold %1 components. Run the analysis again to compute %2.")
              .arg(outcome_->ComponentCount())
              .arg(*number),
          TMessageButton::Ok,
          tr("Until then the plots offer the components computed, and the scores and vectors "
             "cannot be saved with more."));
    }
  });
}

// ---- The analysis ----

void TMainForm::RunAnalysisItemClick() {
  if (Running() || !state_.DataLoaded()) return;
  messages_.Guarded([this] {
    // The supplementary items are placed first: a choice they refuse leaves
    // the window as it was.
    talvex::TRunData data = supplementaryItems_.NextRun(state_);
    talvex::TRunOptions options;
    options.analysis = options_->Options();
    options.factorCount = state_.FactorCount();
    options.diagnostics.matchAxes = optionsMatchAxesItem_->isChecked();
    options.threads = runThreads_;
    QApplication::setOverrideCursor(Qt::BusyCursor);
    runProgress_->setRange(0, 0);
    runProgress_->show();
    cancelBtn_->show();
    cancelBtn_->setEnabled(true);
    lblWarnings_->hide();
    runner_->Start(std::move(data), options);
    UpdateCommandStates();
    cancelBtn_->setFocus();
  });
}

void TMainForm::RunIteration(unsigned objectNumber, unsigned objectCount) {
  setWindowTitle(QStringLiteral("Iteration no. - %1").arg(objectNumber));
  runProgress_->setRange(0, int(objectCount));
  runProgress_->setValue(int(objectNumber));
}

void TMainForm::CancelBtnClick() {
  if (!Running()) return;
  runner_->Cancel();
  cancelBtn_->setEnabled(false);
}

void TMainForm::RunEnded() {
  QApplication::restoreOverrideCursor();
  setWindowTitle(ApplicationTitle);
  runProgress_->hide();
  cancelBtn_->hide();

  // Only a completed run replaces the results. A run that failed on a fault
  // leaves its listing, to show where it stopped, marked as failed; one the
  // user cancelled leaves nothing behind.
  const std::exception_ptr failure = runner_->Failure();
  std::optional<TFailureReport> told;
  if (failure) told = DescribeFailure(failure);
  if (!failure) {
    outcome_ = runner_->Outcome();
    failedListing_.Clear();
    listingFailure_.clear();
    messages_.Guarded([this] { reportViewer_.RunCompleted(outcome_); });
  } else if (told->cancelled) {
    if (outcome_)
      told->message = tr("Analysis cancelled; the results of the previous run are kept");
  } else {
    failedListing_ = std::move(runner_->Listing());
    listingFailure_ =
        tr("This listing is of a run that failed (%1) and stops where it failed. The plots, "
           "the diagnostics and the exports still show the previous run.")
            .arg(told->message);
    messages_.Guarded([this] { reportViewer_.RunFailed(failedListing_, listingFailure_); });
  }
  ShowStatus();
  ShowWarningLine();
  UpdateCommandStates();
  if (state_.DataLoaded()) testBtn_->setFocus();

  if (closePending_) {
    emit RunFinished();
    close();
    return;
  }
  if (told) {
    messages_.ShowFailure(*told);
  } else {
    ShowRunWarnings();
  }
  emit RunFinished();
}

void TMainForm::ShowWarningLine() {
  // The diagnostics' warnings of the results shown, in a line that points to
  // the diagnostics; the whole text in its tool tip.
  const TRunWarnings line = outcome_ ? DiagnosticsWarnings(*outcome_) : TRunWarnings();
  lblWarnings_->setVisible(!line.Empty());
  lblWarnings_->setText(line.detail);
  lblWarnings_->setToolTip(line.lines.join(u'\n'));
}

void TMainForm::ShowRunWarnings() {
  const TRunWarnings warnings = RunWarnings(*outcome_);
  if (warnings.Empty()) return;
  interaction_.ShowMessage(TMessageKind::Warning, ApplicationTitle, warnings.lines.join(u'\n'),
                           TMessageButton::Ok, warnings.detail);
}

// ---- Results ----

void TMainForm::FileViewItemClick() {
  if (!outcome_) return;
  messages_.Guarded([this] { reportViewer_.ShowListing(Listing(), listingFailure_); });
}

void TMainForm::FileDiagnosticsItemClick() {
  if (!outcome_ || !talvex::HasDiagnosticsReport(*outcome_)) return;
  messages_.Guarded(
      [this] { reportViewer_.ShowDiagnostics(talvex::OutcomeDiagnosticsReport(*outcome_)); });
}

void TMainForm::FileAddSupplementaryItemClick() {
  if (Running() || !state_.DataLoaded()) return;
  messages_.Guarded([this] {
    TFileDialogRequest request;
    request.title = tr("Add Supplementary Objects");
    request.filters = QStringList{tr("Data and tables (*.nts *.csv *.tsv *.txt *.xlsx *.ods)"),
                                  tr("All files (*)")};
    request.directory = DataFolder();
    const std::optional<QString> chosen = interaction_.ChooseFile(request);
    if (!chosen) return;
    const std::size_t added = supplementaryItems_.AddFile(NativePath(*chosen), state_);
    const QString file = QFileInfo(*chosen).fileName();
    interaction_.ShowMessage(
        TMessageKind::Information, ApplicationTitle,
        added == 1
            ? tr("1 supplementary object of %1 will be placed on the axes at the next run.")
                  .arg(file)
            : tr("%1 supplementary objects of %2 will be placed on the axes at the next run.")
                  .arg(QString::number(added), file),
        TMessageButton::Ok,
        tr("They take no part in the analysis; the diagnostics report, All Results and the "
           "scores plot and biplot show them, and the run record names the file."));
  });
}

void TMainForm::SaveAllResultsItemClick() {
  if (!outcome_) return;
  messages_.Guarded(
      [this] { resultFiles_.SaveAllResults(*outcome_, DataFileName(), DataFolder()); });
}

void TMainForm::PlotItemClick(drawing::TPlotKind kind) {
  if (!outcome_ || !PlotAvailable(kind, outcome_->Diagnostics().available)) return;
  messages_.Guarded([this, kind] { reportViewer_.ShowPlot(kind, outcome_, state_.FactorCount()); });
}

void TMainForm::ExportResults(bool scores) {
  if (!outcome_) return;
  messages_.Guarded([this, scores] {
    resultFiles_.SaveComponents(scores, *outcome_, state_.FactorCount(), DataFolder());
  });
}

void TMainForm::SaveScoresItemClick() { ExportResults(true); }

void TMainForm::SaveVectorsItemClick() { ExportResults(false); }

// ---- Help and about ----

THelpWindow* TMainForm::EnsureHelpWindow() {
  if (!helpFile_->Loaded()) return nullptr;
  if (helpWindow_ == nullptr) helpWindow_ = new THelpWindow(*helpFile_, this);
  return helpWindow_;
}

void TMainForm::HelpContentsItemClick() {
  if (THelpWindow* window = EnsureHelpWindow()) window->ShowContents();
}

void TMainForm::HelpSearchItemClick() {
  if (THelpWindow* window = EnsureHelpWindow()) window->ShowIndex();
}

void TMainForm::HelpAboutItemClick() { interaction_.ShowModal(*aboutBox_); }

// ---- Shut-down ----

void TMainForm::closeEvent(QCloseEvent* event) {
  if (Running()) {
    // Held back until the run has stopped; RunEnded closes the window then.
    closePending_ = true;
    runner_->Cancel();
    event->ignore();
    return;
  }
  ShutDown();
  event->accept();
}

void TMainForm::ShutDown() {
  if (shutDown_) return;
  shutDown_ = true;
  QObject::disconnect(focusConnection_);
  // Whatever fails here is told, and the program still ends.
  messages_.Guarded([this] {
    WriteSettings();
    reportViewer_.SaveSettings();
  });
  if (helpWindow_ != nullptr) helpWindow_->close();
  // A settings file that cannot be written is reported; the program still ends.
  if (!settings_.Save()) {
    messages_.ShowError(QStringLiteral("Unable to write to %1").arg(settings_.Path()), QString());
  }
}

}  // namespace talvex::desktop
