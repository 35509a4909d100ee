// The main window: its commands, the load paths, the run and shut-down.
#include "shell/main_form.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <algorithm>
#include <climits>
#include <optional>

#include "analysis/transform_warnings.h"
#include "diagnostics/diagnostics_report.h"
#include "export/all_results.h"
#include "export/data_matrix_writer.h"
#include "export/labelled_csv.h"
#include "export/results_export.h"
#include "input/data_reader.h"
#include "input/data_refused.h"
#include "shell/about_box.h"
#include "shell/analysis_runner.h"
#include "shell/elided_label.h"
#include "shell/error_report.h"
#include "shell/help_file.h"
#include "shell/help_window.h"
#include "shell/mru_file_list.h"
#include "shell/option_marks.h"
#include "shell/report_viewer.h"
#include "shell/settings_file.h"
#include "shell/user_interaction.h"
#include "supplementary/supplementary_report.h"
#include "tables/table_run_source.h"

namespace {

std::string NativePath(const QString& path) { return QFile::encodeName(path).toStdString(); }

// The busy pointer for the length of a scope; a message box shown from the
// scope gets the ordinary pointer back first (Restore).
class TBusyCursor {
 public:
  explicit TBusyCursor(Qt::CursorShape shape = Qt::WaitCursor) {
    QApplication::setOverrideCursor(shape);
  }
  ~TBusyCursor() { Restore(); }
  void Restore() {
    if (active_) QApplication::restoreOverrideCursor();
    active_ = false;
  }
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;

 private:
  bool active_ = true;
};

// The settings key of Options > Groups from Object Labels.
const QString GroupsFromLabelsKey = QStringLiteral("GroupsFromLabels");
// ... and of Options > Match Axes before Aligning Signs.
const QString MatchAxesKey = QStringLiteral("MatchAxes");

// The designed sizes: a window laid out at these sizes looks as designed at
// 1x; larger fonts or longer captions make the controls, and the window, grow.
constexpr QSize ButtonSize(85, 33);
constexpr QSize CloseButtonSize(89, 33);
constexpr QSize GroupSize(201, 105);
// Where the first row of controls starts below a group's top edge.
constexpr int GroupContentTop = 20;

QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& caption,
                        const QString& hint, QSize size) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setToolTip(hint);
  button->setMinimumSize(size);
  button->setAutoDefault(true);  // Enter presses the button that has the focus
  return button;
}

QGroupBox* MakeGroup(QWidget* parent, const QString& name, const QString& caption) {
  auto* group = new QGroupBox(caption, parent);
  group->setObjectName(name);
  group->setMinimumSize(GroupSize);
  return group;
}

// A grid inside `group` whose controls keep `margins` from the group's outer
// edges (its first row GroupContentTop below the top), whatever room the
// style gives the frame and the caption.
QGridLayout* GroupGrid(QGroupBox* group, QMargins margins) {
  group->ensurePolished();
  auto* grid = new QGridLayout(group);
  const QMargins frame = group->contentsMargins();
  margins.setTop(GroupContentTop);
  grid->setContentsMargins(
      std::max(0, margins.left() - frame.left()), std::max(0, margins.top() - frame.top()),
      std::max(0, margins.right() - frame.right()), std::max(0, margins.bottom() - frame.bottom()));
  return grid;
}

// The button runs its menu item's command and follows its enabling, so each
// command is enabled in one place.
void BindButton(QPushButton* button, QAction* item) {
  QObject::connect(button, &QPushButton::clicked, item, &QAction::trigger);
  QObject::connect(item, &QAction::enabledChanged, button, &QWidget::setEnabled);
  button->setEnabled(item->isEnabled());
}

}  // namespace

TMainForm::TMainForm(TSettingsFile& settings, TReportViewer& reportViewer,
                     TUserInteraction& interaction, const QString& helpFilePath, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint),
      settings_(settings),
      reportViewer_(reportViewer),
      interaction_(interaction),
      importMemory_(settings) {
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

void TMainForm::CreateActions() {
  const auto makeItem = [this](const QString& text, const char* name,
                               void (TMainForm::*handler)()) {
    auto* item = new QAction(text, this);
    item->setObjectName(QString::fromLatin1(name));
    if (handler != nullptr) connect(item, &QAction::triggered, this, handler);
    return item;
  };
  fileOpenItem_ = makeItem(tr("&Open Data..."), "FileOpenItem", &TMainForm::FileOpenItemClick);
  fileOpenItem_->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
  fileAddSupplementaryItem_ =
      makeItem(tr("Add S&upplementary Objects..."), "FileAddSupplementaryItem",
               &TMainForm::FileAddSupplementaryItemClick);
  fileAddSupplementaryItem_->setToolTip(
      tr("Objects of another file, placed on the axes at the next run without changing them"));
  fileViewItem_ = makeItem(tr("&View Report..."), "FileViewItem", &TMainForm::FileViewItemClick);
  fileDiagnosticsItem_ = makeItem(tr("View Dia&gnostics..."), "FileDiagnosticsItem",
                                  &TMainForm::FileDiagnosticsItemClick);
  saveAllResultsItem_ =
      makeItem(tr("&All Results..."), "SaveAllResultsItem", &TMainForm::SaveAllResultsItemClick);
  optionsMatchAxesItem_ =
      makeItem(tr("Match A&xes before Aligning Signs"), "OptionsMatchAxesItem", nullptr);
  optionsMatchAxesItem_->setCheckable(true);
  saveScoresItem_ =
      makeItem(tr("&Component Scores..."), "SaveScoresItem", &TMainForm::SaveScoresItemClick);
  saveVectorsItem_ =
      makeItem(tr("&Vector Coefficients..."), "SaveVectorsItem", &TMainForm::SaveVectorsItemClick);
  fileSaveDataItem_ =
      makeItem(tr("Save &Data As..."), "FileSaveDataItem", &TMainForm::FileSaveDataItemClick);
  fileExitItem_ = makeItem(tr("E&xit"), "FileExitItem", nullptr);
  editPasteItem_ = makeItem(tr("&Paste Data"), "EditPasteItem", &TMainForm::EditPasteItemClick);
  editPasteItem_->setShortcut(QKeySequence::Paste);
  editCopyCommandLineItem_ = makeItem(tr("Copy &Command Line"), "EditCopyCommandLineItem",
                                      &TMainForm::EditCopyCommandLineItemClick);
  editCopyCommandLineItem_->setToolTip(
      tr("The talvex-cli command that makes the results shown again"));
  optionsGroupsItem_ = makeItem(tr("Groups from Object &Labels"), "OptionsGroupsItem",
                                &TMainForm::OptionsGroupsItemClick);
  optionsGroupsItem_->setCheckable(true);
  connect(fileExitItem_, &QAction::triggered, this, &QWidget::close);
  optionsClearFilesListItem_ = makeItem(tr("&Clear MRU Files List"), "OptionsClearFilesListItem",
                                        &TMainForm::OptionsClearFilesListItemClick);
  factorsNumberItem_ =
      makeItem(tr("&Number..."), "FactorsNumberItem", &TMainForm::FactorsNumberItemClick);
  runAnalysisItem_ =
      makeItem(tr("&Principal Components"), "RunAnalysisItem", &TMainForm::RunAnalysisItemClick);
  plotScoresItem_ =
      makeItem(tr("Component &Scores"), "PlotScoresItem", &TMainForm::PlotScoresItemClick);
  plotVectorsItem_ =
      makeItem(tr("Vector &Coefficients"), "PlotVectorsItem", &TMainForm::PlotVectorsItemClick);
  plotScreeItem_ = makeItem(tr("Scree &Plot"), "PlotScreeItem", &TMainForm::PlotScreeItemClick);
  plotBiplotItem_ = makeItem(tr("&Biplot"), "PlotBiplotItem", &TMainForm::PlotBiplotItemClick);
  plotInfluenceItem_ =
      makeItem(tr("&Influence Plot"), "PlotInfluenceItem", &TMainForm::PlotInfluenceItemClick);
  helpContentsItem_ =
      makeItem(tr("&Contents"), "HelpContentsItem", &TMainForm::HelpContentsItemClick);
  helpContentsItem_->setShortcut(QKeySequence(Qt::Key_F1));
  helpSearchItem_ =
      makeItem(tr("Search &Topic..."), "HelpSearchItem", &TMainForm::HelpSearchItemClick);
  helpAboutItem_ = makeItem(tr("&About..."), "HelpAboutItem", &TMainForm::HelpAboutItemClick);

  options_ = new TOptionMarks(this);
}

void TMainForm::CreateMenus() {
  fileMenu_ = menuBar()->addMenu(tr("&File"));
  fileMenu_->setObjectName(QStringLiteral("FileMenu"));
  fileMenu_->addAction(fileOpenItem_);
  fileMenu_->addAction(fileAddSupplementaryItem_);
  fileMenu_->addAction(fileViewItem_);
  fileMenu_->addAction(fileDiagnosticsItem_);
  fileMenu_->addSeparator();
  fileSaveMenu_ =
      fileMenu_->addMenu(style()->standardIcon(QStyle::SP_DialogSaveButton), tr("&Save"));
  fileSaveMenu_->menuAction()->setObjectName(QStringLiteral("FileSaveItem"));
  fileSaveMenu_->addAction(saveScoresItem_);
  fileSaveMenu_->addAction(saveVectorsItem_);
  fileSaveMenu_->addAction(saveAllResultsItem_);
  fileMenu_->addAction(fileSaveDataItem_);
  fileMenu_->addSeparator();
  fileMenu_->addAction(fileExitItem_);

  QMenu* edit = menuBar()->addMenu(tr("&Edit"));
  edit->setObjectName(QStringLiteral("EditMenu"));
  edit->addAction(editPasteItem_);
  edit->addAction(editCopyCommandLineItem_);

  optionsMenu_ = menuBar()->addMenu(tr("&Options"));
  optionsMenu_->setObjectName(QStringLiteral("OptionsMenu"));
  optionsMenu_->addAction(optionsClearFilesListItem_);
  optionsMenu_->addSeparator();
  optionsMethodMenu_ = optionsMenu_->addMenu(tr("&Method"));
  optionsMethodMenu_->menuAction()->setObjectName(QStringLiteral("OptionsMethodItem"));
  optionsMethodMenu_->addAction(options_->MethodCorrelationItem);
  optionsMethodMenu_->addAction(options_->MethodCovarianceItem);
  optionsFactorsMenu_ = optionsMenu_->addMenu(tr("&Factors"));
  optionsFactorsMenu_->menuAction()->setObjectName(QStringLiteral("OptionsFactorsItem"));
  optionsFactorsMenu_->addAction(options_->FactorsAllItem);
  optionsFactorsMenu_->addAction(options_->FactorsKaiserItem);
  optionsFactorsMenu_->addAction(options_->FactorsJoliffeItem);
  optionsFactorsMenu_->addSeparator();
  optionsFactorsMenu_->addAction(factorsNumberItem_);
  optionsTransformMenu_ = optionsMenu_->addMenu(tr("&Transformation"));
  optionsTransformMenu_->menuAction()->setObjectName(QStringLiteral("OptionsTransformItem"));
  optionsTransformMenu_->addAction(options_->TransformRawItem);
  optionsTransformMenu_->addAction(options_->TransformDecimalItem);
  optionsTransformMenu_->addAction(options_->TransformNaturalItem);
  optionsMenu_->addAction(optionsGroupsItem_);
  optionsMenu_->addSeparator();
  optionsMenu_->addAction(options_->OptionsJackkniffeItem);
  optionsMenu_->addAction(optionsMatchAxesItem_);

  QMenu* compute = menuBar()->addMenu(tr("&Compute"));
  compute->setObjectName(QStringLiteral("ComputeMenu"));
  compute->addAction(runAnalysisItem_);

  // Alt+D belongs to the Data... button.
  QMenu* display = menuBar()->addMenu(tr("D&isplay"));
  display->setObjectName(QStringLiteral("DisplayMenu"));
  display->addAction(plotScoresItem_);
  display->addAction(plotVectorsItem_);
  display->addAction(plotScreeItem_);
  display->addSeparator();
  display->addAction(plotBiplotItem_);
  display->addAction(plotInfluenceItem_);

  QMenu* help = menuBar()->addMenu(tr("&Help"));
  help->setObjectName(QStringLiteral("HelpMenu"));
  help->addAction(helpContentsItem_);
  help->addAction(helpSearchItem_);
  help->addSeparator();
  help->addAction(helpAboutItem_);

  // The recent files stand at the end of the File menu.
  recentFiles_ = new TdfsMRUFileList(settings_, this);
  recentFiles_->setObjectName(QStringLiteral("RecentFiles"));
  recentFiles_->SetFileMenu(fileMenu_);
  connect(recentFiles_, &TdfsMRUFileList::MRUItemClick, this, &TMainForm::RecentFilesMRUItemClick);
  connect(recentFiles_, &TdfsMRUFileList::Changed, this, &TMainForm::UpdateCommandStates);
}

void TMainForm::CreateControls() {
  auto* client = new QWidget;
  client->setObjectName(QStringLiteral("ClientArea"));
  setCentralWidget(client);
  // Framed groups whose line runs through the caption, so that the controls
  // keep an even margin below the line.
  client->setStyleSheet(QStringLiteral(
      "QGroupBox { border: 1px solid palette(mid); border-radius: 3px; margin-top: 7px; }"
      "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
      " left: 8px; padding: 0px 3px; }"));

  inputFrame_ = MakeGroup(client, QStringLiteral("InputFrame"), tr("Input"));
  openBtn_ = MakeButton(inputFrame_, QStringLiteral("OpenBtn"), tr("&Data..."),
                        tr("Open data file"), ButtonSize);
  openBtn_->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
  openBtn_->setDefault(true);
  BindButton(openBtn_, fileOpenItem_);
  lblName_ = new TElidedLabel(inputFrame_);
  lblName_->setObjectName(QStringLiteral("LblName"));
  lblInfo_ = new QLabel(inputFrame_);
  lblInfo_->setObjectName(QStringLiteral("LblInfo"));
  {
    auto* grid = GroupGrid(inputFrame_, {12, 0, 12, 12});
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(13);
    grid->addWidget(openBtn_, 0, 0);
    grid->addWidget(lblName_, 0, 1);  // centred on the button beside it
    grid->addWidget(lblInfo_, 1, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);
  }

  computeFrame_ = MakeGroup(client, QStringLiteral("ComputeFrame"), tr("Compute"));
  testBtn_ = MakeButton(computeFrame_, QStringLiteral("TestBtn"), tr("&PCA"),
                        tr("Compute principal components"), ButtonSize);
  BindButton(testBtn_, runAnalysisItem_);
  // Shown only while a run goes on.
  cancelBtn_ = MakeButton(computeFrame_, QStringLiteral("CancelBtn"), tr("C&ancel"),
                          tr("Stop the analysis"), ButtonSize);
  connect(cancelBtn_, &QPushButton::clicked, this, &TMainForm::CancelBtnClick);
  cancelBtn_->hide();
  runProgress_ = new QProgressBar(computeFrame_);
  runProgress_->setObjectName(QStringLiteral("RunProgress"));
  runProgress_->setFormat(tr("%v of %m"));
  runProgress_->hide();
  lblWarnings_ = new QLabel(computeFrame_);
  lblWarnings_->setObjectName(QStringLiteral("LblWarnings"));
  lblWarnings_->setStyleSheet(QStringLiteral("color: #8a4b00;"));
  lblWarnings_->hide();
  {
    auto* grid = GroupGrid(computeFrame_, {12, 0, 12, 12});
    grid->setHorizontalSpacing(7);
    grid->setVerticalSpacing(11);
    grid->addWidget(testBtn_, 0, 0);
    grid->addWidget(cancelBtn_, 0, 1);
    grid->addWidget(runProgress_, 1, 0, 1, 2);
    grid->addWidget(lblWarnings_, 1, 0, 1, 2);  // after a run; the progress during one
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(2, 1);
  }

  displayFrame_ = MakeGroup(client, QStringLiteral("DisplayFrame"), tr("Display"));
  scoresBtn_ = MakeButton(displayFrame_, QStringLiteral("ScoresBtn"), tr("&Scores"),
                          tr("Plot PCA scores"), ButtonSize);
  BindButton(scoresBtn_, plotScoresItem_);
  vectorsBtn_ = MakeButton(displayFrame_, QStringLiteral("VectorsBtn"), tr("&Vectors"),
                           tr("Plot vector coefficients"), ButtonSize);
  BindButton(vectorsBtn_, plotVectorsItem_);
  // Alt+P belongs to the PCA button.
  screeBtn_ = MakeButton(displayFrame_, QStringLiteral("ScreeBtn"), tr("Sc&ree Plot"),
                         tr("Plot eigenvalues"), ButtonSize);
  BindButton(screeBtn_, plotScreeItem_);
  {
    auto* grid = GroupGrid(displayFrame_, {11, 0, 10, 9});
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(10);
    grid->addWidget(scoresBtn_, 0, 0);
    grid->addWidget(vectorsBtn_, 0, 1);
    grid->addWidget(screeBtn_, 1, 0);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(2, 1);
  }

  // Alt+C belongs to the Compute menu.
  closeBtn_ = MakeButton(client, QStringLiteral("CloseBtn"), tr("C&lose"), tr("Exit the program"),
                         CloseButtonSize);
  closeBtn_->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
  BindButton(closeBtn_, fileExitItem_);

  // Two columns of framed groups; Close stands at the foot of the right one.
  auto* grid = new QGridLayout(client);
  grid->setContentsMargins(6, 9, 7, 19);
  grid->setHorizontalSpacing(12);
  grid->setVerticalSpacing(16);
  grid->addWidget(inputFrame_, 0, 0);
  grid->addWidget(computeFrame_, 1, 0);
  grid->addWidget(displayFrame_, 0, 1);
  auto* closeRow = new QHBoxLayout;
  closeRow->addStretch();
  closeRow->addWidget(closeBtn_);
  closeRow->addSpacing(8);
  grid->addLayout(closeRow, 1, 1, Qt::AlignBottom);

  // Cut to the window's width, never widening it; the whole line in its tool tip.
  statusText_ = new TElidedLabel(this);
  statusText_->setObjectName(QStringLiteral("StatusText"));
  statusBar()->setSizeGripEnabled(false);
  statusBar()->addWidget(statusText_, 1);
  // The marks are the next run's options: the line follows them at once.
  for (QAction* item :
       {options_->MethodCorrelationItem, options_->MethodCovarianceItem, options_->TransformRawItem,
        options_->TransformDecimalItem, options_->TransformNaturalItem,
        options_->OptionsJackkniffeItem, options_->FactorsAllItem, options_->FactorsKaiserItem,
        options_->FactorsJoliffeItem})
    connect(item, &QAction::toggled, this, &TMainForm::ShowStatus);

  setTabOrder(openBtn_, testBtn_);
  setTabOrder(testBtn_, cancelBtn_);
  setTabOrder(cancelBtn_, scoresBtn_);
  setTabOrder(scoresBtn_, vectorsBtn_);
  setTabOrder(vectorsBtn_, screeBtn_);
  setTabOrder(screeBtn_, closeBtn_);
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

void TMainForm::UpdateCommandStates() {
  const bool running = runner_->Running();
  const bool dataLoaded = state_.DataLoaded();
  const bool results = dataLoaded && state_.ResultsReady();

  // While a run goes on, nothing may load, run, change the data or close.
  // The buttons follow their menu items.
  for (QAction* item : {fileOpenItem_, fileExitItem_}) item->setEnabled(!running);
  recentFiles_->SetItemsEnabled(!running);
  factorsNumberItem_->setEnabled(!running);

  fileViewItem_->setEnabled(results);
  editCopyCommandLineItem_->setEnabled(results);
  fileDiagnosticsItem_->setEnabled(results && (diagnostics_.available || supplementary_.available));
  fileSaveMenu_->menuAction()->setEnabled(results);
  optionsClearFilesListItem_->setEnabled(recentFiles_->Count() >= 1);
  fileSaveDataItem_->setEnabled(dataLoaded);
  fileAddSupplementaryItem_->setEnabled(dataLoaded && !running);
  editPasteItem_->setEnabled(!running);
  for (QMenu* menu : {optionsMethodMenu_, optionsFactorsMenu_, optionsTransformMenu_}) {
    menu->menuAction()->setEnabled(dataLoaded);
  }
  options_->OptionsJackkniffeItem->setEnabled(dataLoaded);
  runAnalysisItem_->setEnabled(dataLoaded && !running);
  for (QAction* item : {plotScoresItem_, plotVectorsItem_, plotScreeItem_, plotBiplotItem_}) {
    item->setEnabled(results);
  }
  plotInfluenceItem_->setEnabled(results && diagnostics_.available);
}

// ---- The general error report and the window's own messages ----

void TMainForm::Guarded(const std::function<void()>& command) {
  try {
    command();
  } catch (...) {
    ShowFailure(DescribeFailure(std::current_exception()));
  }
}

void TMainForm::ShowFailure(const TFailureReport& failure) {
  const QString& detail = failure.detail;
  if (failure.cancelled) {
    // The user's own decision: told, without alarm.
    interaction_.ShowMessage(TMessageKind::Information, ApplicationTitle, failure.message,
                             TMessageButton::Ok, detail);
    return;
  }
  ShowError(failure.message, detail);
}

void TMainForm::ShowError(const QString& message, const QString& detail) {
  interaction_.Beep();
  interaction_.ShowMessage(TMessageKind::Error, ApplicationTitle, WithFullStop(message),
                           TMessageButton::Ok, detail);
}

void TMainForm::ShowOwnMessage(bool error, const QString& title, const QString& text, bool okButton,
                               const QString& detail) {
  interaction_.Beep();
  interaction_.ShowMessage(error ? TMessageKind::Error : TMessageKind::Information, title, text,
                           okButton ? TMessageButton::Ok : TMessageButton::Cancel, detail);
}

// ---- Loading ----

bool TMainForm::ReadData(const QString& path) {
  const std::string native = NativePath(path);
  const QString file =
      tr("File: %1").arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
  if (!talvex::IsTableFile(native)) return LoadWithMessages(file, [&] { state_.LoadFile(native); });

  // A table: its roles are chosen (or confirmed) first; Cancel loads nothing.
  const QString absolute = QFileInfo(path).absoluteFilePath();
  TImportRequest request;
  request.title = tr("Import %1").arg(QFileInfo(path).fileName());
  request.run = [native](const talvex::TImportOptions& options, talvex::TImportReport* report) {
    return talvex::ImportTable(native, options, report);
  };
  request.initial = importMemory_.Recall(absolute);
  const std::optional<talvex::TImportOptions> chosen = interaction_.ChooseImport(request);
  if (!chosen) return false;
  if (!LoadWithMessages(file, [&] {
        talvex::TImportReport report;
        talvex::TDataMatrix data = talvex::ImportTable(native, *chosen, &report);
        state_.LoadData(std::move(data), native, talvex::TableRunSource(native, *chosen, report));
      }))
    return false;
  importMemory_.Remember(absolute, *chosen);
  return true;
}

bool TMainForm::LoadWithMessages(const QString& source, const std::function<void()>& load) {
  TBusyCursor busy;
  // The reader's own detail names the file and the place; where it has none,
  // the source is named here.
  const auto detailOr = [&source](const QString& detail) {
    return detail.isEmpty() ? source : detail;
  };
  try {
    load();
  } catch (const talvex::EDataRefused& refused) {
    busy.Restore();
    ShowOwnMessage(true, tr("Error"), QString::fromStdString(refused.Message()), false,
                   detailOr(QString::fromStdString(refused.Detail())));
    ShowOwnMessage(true, tr("Error"), tr("File error"), false, source);
    return false;
  } catch (...) {
    busy.Restore();
    TFailureReport failure = DescribeFailure(std::current_exception());
    failure.detail = detailOr(failure.detail);
    ShowFailure(failure);
    return false;
  }
  dataHasOwnGroups_ = !state_.Data().groups.empty();
  ApplyGroupsFromLabels();
  return true;
}

void TMainForm::LoadSucceeded(const QString& path, bool fromFile) {
  reportViewer_.DataReplaced();
  supplementaryItems_.Clear();
  ShowDataSize();
  const QString name = fromFile ? QFileInfo(path).fileName() : path;
  lblName_->SetFullText(name);
  lblName_->setToolTip(fromFile ? QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath())
                                : path);
  dataFileName_ = path;
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
  return QFileInfo(dataFileName_).absolutePath();
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
                           : QFileInfo(dataFileName_).fileName();
  const unsigned factors = unsigned(state_.FactorCount());
  SetStatusText(tr("%1: %2, %3, %4 %5%6")
                    .arg(data, method, transformation)
                    .arg(factors)
                    .arg(factors == 1 ? tr("factor") : tr("factors"))
                    .arg(next.jackknife ? QString() : tr(", no jackknife")));
}

void TMainForm::EditCopyCommandLineItemClick() {
  if (!state_.ResultsReady()) return;
  Guarded([this] {
    QGuiApplication::clipboard()->setText(
        QString::fromStdString(talvex::CommandLine(state_.Record())));
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
  Guarded([this] {
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
    if (!ReadData(*chosen)) return;
    recentFiles_->AddFile(QFileInfo(*chosen).absoluteFilePath());
    LoadSucceeded(*chosen);
  });
}

bool TMainForm::LoadPath(const QString& path) {
  if (!ReadData(path)) return false;
  LoadSucceeded(path);
  return true;
}

void TMainForm::LoadFromPath(const QString& path) {
  if (Running()) return;
  Guarded([&] { LoadPath(path); });
}

void TMainForm::RecentFilesMRUItemClick(const QString& fileName) {
  if (Running()) return;
  Guarded([&] {
    if (!QFileInfo::exists(fileName)) {
      ShowOwnMessage(true, tr("Error"), QStringLiteral("File \"%1\" not found!").arg(fileName),
                     true);
      return;
    }
    LoadPath(fileName);  // the list keeps its order
  });
}

void TMainForm::DropFiles(const QStringList& paths) {
  if (Running() || paths.isEmpty()) return;
  Guarded([&] {
    if (paths.size() > 1) {
      ShowOwnMessage(false, tr("Information"), tr("Hey! Only one file at a time..."), true);
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
  Guarded([this] {
    const QString text = QGuiApplication::clipboard()->text();
    if (text.trimmed().isEmpty()) {
      ShowOwnMessage(false, tr("Information"),
                     tr("The clipboard holds no table. Copy the cells in a spreadsheet first."),
                     true);
      return;
    }
    const std::string bytes = text.toStdString();
    TImportRequest request;
    request.title = tr("Paste Data");
    request.run = [bytes](const talvex::TImportOptions& options, talvex::TImportReport* report) {
      return talvex::ImportTableText(bytes, options, report);
    };
    const std::optional<talvex::TImportOptions> chosen = interaction_.ChooseImport(request);
    if (!chosen) return;
    const QString name = tr("Pasted data");
    if (!LoadWithMessages(name, [&] {
          talvex::TImportReport report;
          talvex::TDataMatrix data = talvex::ImportTableText(bytes, *chosen, &report);
          state_.LoadData(std::move(data), name.toStdString(),
                          talvex::TableRunSource(std::string(), *chosen, report));
        }))
      return;
    LoadSucceeded(name, false);
  });
}

void TMainForm::FileSaveDataItemClick() {
  if (!state_.DataLoaded()) return;
  Guarded([this] {
    TFileDialogRequest request;
    request.title = tr("Save Data As");
    request.filters = QStringList{tr("Data files (*.nts)")};
    request.defaultSuffix = QStringLiteral("nts");
    request.initialFile = QFileInfo(dataFileName_).completeBaseName() + QStringLiteral(".nts");
    request.save = true;
    request.directory = DataFolder();
    const std::optional<QString> chosen = interaction_.ChooseFile(request);
    if (!chosen) return;
    TBusyCursor busy;
    talvex::WriteDataMatrixFile(NativePath(*chosen), state_.Data());
  });
}

// ---- Options ----

void TMainForm::OptionsGroupsItemClick() {
  Guarded([this] {
    ApplyGroupsFromLabels();
    if (state_.DataLoaded()) ShowDataSize();
  });
}

void TMainForm::ApplyGroupsFromLabels() {
  // Groups that the data brought stay; otherwise the labels give them on request.
  if (!state_.DataLoaded() || dataHasOwnGroups_) return;
  const bool fromLabels = optionsGroupsItem_->isChecked();
  state_.SetGroups(fromLabels ? talvex::GroupsFromLabels(state_.Data().objectLabels)
                              : std::vector<std::string>(),
                   fromLabels);
}

void TMainForm::OptionsClearFilesListItemClick() {
  Guarded([this] {
    recentFiles_->ClearAll();
    UpdateCommandStates();
    settings_.EraseSection(TdfsMRUFileList::AutoSaveKey);
    if (!settings_.Save())
      throw talvex::EInOutError("Unable to write to " + NativePath(settings_.Path()));
  });
}

void TMainForm::FactorsNumberItemClick() {
  if (Running() || !state_.DataLoaded()) return;
  Guarded([this] {
    const int variables = int(std::min<talvex::TSize>(state_.Data().variableCount, INT_MAX));
    // A spin box over 1..p offers the current count; Cancel changes nothing.
    const std::optional<int> number = interaction_.InputNumber(
        tr("Factors"), tr("Number of Factors:"), int(state_.FactorCount()), 1, variables);
    if (!number) return;
    if (!state_.SetFactorCount(*number)) {
      ShowOwnMessage(true, tr("Error"),
                     tr("The number of factors must be between 1 and %1.").arg(variables), true);
      return;
    }
    options_->ClearFactorRule();
    ShowStatus();
  });
}

// ---- The analysis ----

void TMainForm::RunAnalysisItemClick() {
  if (Running() || !state_.DataLoaded()) return;
  Guarded([this] {
    QApplication::setOverrideCursor(Qt::BusyCursor);
    runProgress_->setRange(0, 0);
    runProgress_->show();
    cancelBtn_->show();
    cancelBtn_->setEnabled(true);
    runOptions_ = options_->Options();
    talvex::TDiagnosticsOptions diagnosticsOptions;
    diagnosticsOptions.matchAxes = optionsMatchAxesItem_->isChecked();
    lblWarnings_->hide();
    runner_->Start(state_, runOptions_, diagnosticsOptions, runThreads_,
                   supplementaryItems_.ForRun(state_.Data()));
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
    listing_ = std::move(runner_->Listing());
    listingFailure_.clear();
    state_ = std::move(runner_->State());
    diagnostics_ = std::move(runner_->Diagnostics());
    supplementary_ = std::move(runner_->Supplementary());
    Guarded([this] {
      reportViewer_.SupplementaryPlaced(supplementary_);
      reportViewer_.RunCompleted(state_, listing_, diagnostics_);
    });
  } else if (told->cancelled) {
    if (state_.ResultsReady())
      told->message = tr("Analysis cancelled; the results of the previous run are kept");
  } else {
    listing_ = std::move(runner_->Listing());
    listingFailure_ =
        tr("This listing is of a run that failed (%1) and stops where it failed. The plots, "
           "the diagnostics and the exports still show the previous run.")
            .arg(told->message);
    Guarded([this] { reportViewer_.RunFailed(listing_, listingFailure_); });
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
    ShowFailure(*told);
  } else {
    ShowRunWarnings();
  }
  emit RunFinished();
}

void TMainForm::ShowWarningLine() {
  // The diagnostics' warnings of the results shown, in a line that points to
  // the diagnostics; the whole text in its tool tip.
  const std::vector<std::string>& warnings = diagnostics_.warnings;
  const bool shown = state_.ResultsReady() && !warnings.empty();
  lblWarnings_->setVisible(shown);
  if (!shown) return;
  QStringList lines;
  for (const std::string& warning : warnings) lines.append(QString::fromStdString(warning));
  lblWarnings_->setText(warnings.size() == 1
                            ? tr("1 warning: see the diagnostics")
                            : tr("%1 warnings: see the diagnostics").arg(warnings.size()));
  lblWarnings_->setToolTip(lines.join(u'\n'));
}

void TMainForm::ShowRunWarnings() {
  const std::vector<std::string> warnings = talvex::TransformWarnings(state_.Data(), runOptions_);
  if (warnings.empty()) return;
  QStringList lines;
  for (const std::string& warning : warnings) lines.append(QString::fromStdString(warning));
  interaction_.ShowMessage(TMessageKind::Warning, ApplicationTitle, lines.join(u'\n'),
                           TMessageButton::Ok,
                           tr("The analysis is complete; these values entered it as 0."));
}

// ---- Results ----

void TMainForm::FileViewItemClick() {
  if (!state_.ResultsReady()) return;
  Guarded([this] { reportViewer_.ShowListing(listing_, listingFailure_); });
}

void TMainForm::FileDiagnosticsItemClick() {
  if (!state_.ResultsReady() || !(diagnostics_.available || supplementary_.available)) return;
  Guarded([this] {
    talvex::TReportListing report =
        talvex::DiagnosticsReport(diagnostics_, state_.Data(), &state_.Record());
    talvex::AppendSupplementaryReport(report, supplementary_);
    reportViewer_.ShowDiagnostics(report);
  });
}

void TMainForm::FileAddSupplementaryItemClick() {
  if (Running() || !state_.DataLoaded()) return;
  Guarded([this] {
    TFileDialogRequest request;
    request.title = tr("Add Supplementary Objects");
    request.filters = QStringList{tr("Data and tables (*.nts *.csv *.tsv *.txt *.xlsx *.ods)"),
                                  tr("All files (*)")};
    request.directory = DataFolder();
    const std::optional<QString> chosen = interaction_.ChooseFile(request);
    if (!chosen) return;
    supplementaryItems_.AddFile(NativePath(*chosen), state_.Data());
    interaction_.ShowMessage(
        TMessageKind::Information, ApplicationTitle,
        supplementaryItems_.ObjectCount() == 1
            ? tr("1 supplementary object will be placed on the axes at the next run.")
            : tr("%1 supplementary objects will be placed on the axes at the next run.")
                  .arg(supplementaryItems_.ObjectCount()),
        TMessageButton::Ok,
        tr("They take no part in the analysis; the diagnostics report, All Results and the "
           "scores plot and biplot show them."));
  });
}

void TMainForm::SaveAllResultsItemClick() {
  if (!state_.ResultsReady()) return;
  Guarded([this] {
    TFileDialogRequest request;
    request.title = tr("Save All Results");
    request.filters =
        QStringList{tr("Excel Workbook, one sheet per table (*.xlsx)"), tr("JSON (*.json)")};
    request.defaultSuffix = QStringLiteral("xlsx");
    request.initialFile = QFileInfo(dataFileName_).completeBaseName() + tr("-results.xlsx");
    request.save = true;
    request.directory = DataFolder();
    const std::optional<QString> chosen = interaction_.ChooseFile(request);
    if (!chosen) return;
    TBusyCursor busy;
    talvex::WriteAllResults(NativePath(*chosen), state_, diagnostics_, &supplementary_);
  });
}

void TMainForm::PlotScoresItemClick() {
  if (!state_.ResultsReady()) return;
  Guarded([this] { reportViewer_.ShowScoresPlot(state_); });
}

void TMainForm::PlotVectorsItemClick() {
  if (!state_.ResultsReady()) return;
  Guarded([this] { reportViewer_.ShowVectorsPlot(state_); });
}

void TMainForm::PlotScreeItemClick() {
  if (!state_.ResultsReady()) return;
  Guarded([this] { reportViewer_.ShowScreePlot(state_); });
}

void TMainForm::PlotBiplotItemClick() {
  if (!state_.ResultsReady()) return;
  Guarded([this] { reportViewer_.ShowBiplot(state_); });
}

void TMainForm::PlotInfluenceItemClick() {
  if (!state_.ResultsReady() || !diagnostics_.available) return;
  Guarded([this] { reportViewer_.ShowInfluencePlot(state_); });
}

void TMainForm::ExportResults(bool scores) {
  if (!state_.ResultsReady()) return;
  Guarded([this, scores] {
    TFileDialogRequest request;
    request.title = tr("Save As");
    const QString labelledFilter =
        scores ? tr("CSV with labels and groups (*.csv)") : tr("CSV with labels (*.csv)");
    request.filters =
        QStringList{tr("Microsoft Excel (*.xls)"), tr("Comma Separated Values (*.csv)"),
                    tr("System Data File (*.sdf)"), tr("Excel Workbook (*.xlsx)"), labelledFilter};
    QString filter;
    request.selectedFilter = &filter;
    request.defaultSuffix = QStringLiteral("sdf");
    request.initialFile = saveFileName_;
    request.save = true;
    request.directory = DataFolder();
    const std::optional<QString> chosen = interaction_.ChooseFile(request);
    if (!chosen) return;
    saveFileName_ = *chosen;
    TBusyCursor busy;
    const talvex::TDataMatrix& data = state_.Data();
    const talvex::TAnalysisResults& results = state_.Results();
    if (filter == labelledFilter) {
      // The rows say which object or variable they are, and the scores their group.
      if (scores) {
        talvex::ExportLabelledCsv(NativePath(*chosen), results.scores, data.objectCount,
                                  state_.FactorCount(), data.objectLabels, "Object", &data.groups);
      } else {
        talvex::ExportLabelledCsv(NativePath(*chosen), results.eigenvectors, data.variableCount,
                                  state_.FactorCount(), data.variableLabels, "Variable");
      }
    } else if (scores) {
      talvex::ExportScores(NativePath(*chosen), results.scores, data.objectCount,
                           state_.FactorCount(), data.objectLabels);
    } else {
      talvex::ExportVectors(NativePath(*chosen), results.eigenvectors, data.variableCount,
                            state_.FactorCount(), data.variableLabels);
    }
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
  Guarded([this] {
    WriteSettings();
    reportViewer_.SaveSettings();
  });
  if (helpWindow_ != nullptr) helpWindow_->close();
  // A settings file that cannot be written is reported; the program still ends.
  if (!settings_.Save()) {
    ShowError(QStringLiteral("Unable to write to %1").arg(settings_.Path()), QString());
  }
}
