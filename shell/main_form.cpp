// The main window: its commands, the load paths, the run and shut-down.
#include "shell/main_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <algorithm>
#include <climits>

#include "export/results_export.h"
#include "input/data_reader.h"
#include "input/data_refused.h"
#include "shell/about_box.h"
#include "shell/analysis_runner.h"
#include "shell/error_report.h"
#include "shell/help_file.h"
#include "shell/help_window.h"
#include "shell/mru_file_list.h"
#include "shell/option_marks.h"
#include "shell/report_viewer.h"
#include "shell/settings_file.h"
#include "shell/user_interaction.h"

namespace {

// The client area of the window, in pixels.
constexpr int ClientWidth = 427;
constexpr int ClientHeight = 254;

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

QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& caption,
                        const QString& hint, QRect geometry) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setToolTip(hint);
  button->setGeometry(geometry);
  button->setAutoDefault(true);  // Enter presses the button that has the focus
  return button;
}

QGroupBox* MakeGroup(QWidget* parent, const QString& name, const QString& caption,
                     QRect geometry) {
  auto* group = new QGroupBox(caption, parent);
  group->setObjectName(name);
  group->setGeometry(geometry);
  return group;
}

}  // namespace

TMainForm::TMainForm(TSettingsFile& settings, TReportViewer& reportViewer,
                     TUserInteraction& interaction, const QString& helpFilePath, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint),
      settings_(settings),
      reportViewer_(reportViewer),
      interaction_(interaction) {
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
  focusConnection_ = connect(qApp, &QApplication::focusChanged, this,
                             &TMainForm::UpdateCommandStates);
  aboutBox_ = new TAboutBox(interaction_, this);

  layout()->setSizeConstraint(QLayout::SetFixedSize);
  layout()->activate();
  OpenBtn->setFocus();
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
  FileOpenItem = makeItem(tr("&Open Data..."), "FileOpenItem", &TMainForm::FileOpenItemClick);
  FileOpenItem->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
  FileViewItem = makeItem(tr("&View Report..."), "FileViewItem", &TMainForm::FileViewItemClick);
  SaveScoresItem =
      makeItem(tr("&Component Scores..."), "SaveScoresItem", &TMainForm::SaveScoresItemClick);
  SaveVectorsItem =
      makeItem(tr("&Vector Coefficients..."), "SaveVectorsItem", &TMainForm::SaveVectorsItemClick);
  FileExitItem = makeItem(tr("E&xit"), "FileExitItem", nullptr);
  connect(FileExitItem, &QAction::triggered, this, &QWidget::close);
  OptionsClearFilesListItem = makeItem(tr("&Clear MRU Files List"), "OptionsClearFilesListItem",
                                       &TMainForm::OptionsClearFilesListItemClick);
  FactorsNumberItem =
      makeItem(tr("&Number..."), "FactorsNumberItem", &TMainForm::FactorsNumberItemClick);
  RunAnalysisItem = makeItem(tr("&Principal Components"), "RunAnalysisItem",
                             &TMainForm::RunAnalysisItemClick);
  PlotScoresItem =
      makeItem(tr("Component &Scores"), "PlotScoresItem", &TMainForm::PlotScoresItemClick);
  PlotVectorsItem =
      makeItem(tr("Vector &Coefficients"), "PlotVectorsItem", &TMainForm::PlotVectorsItemClick);
  PlotScreeItem = makeItem(tr("Scree &Plot"), "PlotScreeItem", &TMainForm::PlotScreeItemClick);
  HelpContentsItem =
      makeItem(tr("&Contents"), "HelpContentsItem", &TMainForm::HelpContentsItemClick);
  HelpContentsItem->setShortcut(QKeySequence(Qt::Key_F1));
  HelpSearchItem =
      makeItem(tr("Search &Topic..."), "HelpSearchItem", &TMainForm::HelpSearchItemClick);
  HelpAboutItem = makeItem(tr("&About..."), "HelpAboutItem", &TMainForm::HelpAboutItemClick);

  options_ = new TOptionMarks(this);
}

void TMainForm::CreateMenus() {
  FileMenu = menuBar()->addMenu(tr("&File"));
  FileMenu->setObjectName(QStringLiteral("FileMenu"));
  FileMenu->addAction(FileOpenItem);
  FileMenu->addAction(FileViewItem);
  FileMenu->addSeparator();
  FileSaveMenu = FileMenu->addMenu(style()->standardIcon(QStyle::SP_DialogSaveButton), tr("&Save"));
  FileSaveMenu->menuAction()->setObjectName(QStringLiteral("FileSaveItem"));
  FileSaveMenu->addAction(SaveScoresItem);
  FileSaveMenu->addAction(SaveVectorsItem);
  FileMenu->addSeparator();
  FileMenu->addAction(FileExitItem);

  OptionsMenu = menuBar()->addMenu(tr("&Options"));
  OptionsMenu->setObjectName(QStringLiteral("OptionsMenu"));
  OptionsMenu->addAction(OptionsClearFilesListItem);
  OptionsMenu->addSeparator();
  OptionsMethodMenu = OptionsMenu->addMenu(tr("&Method"));
  OptionsMethodMenu->menuAction()->setObjectName(QStringLiteral("OptionsMethodItem"));
  OptionsMethodMenu->addAction(options_->MethodCorrelationItem);
  OptionsMethodMenu->addAction(options_->MethodCovarianceItem);
  OptionsFactorsMenu = OptionsMenu->addMenu(tr("&Factors"));
  OptionsFactorsMenu->menuAction()->setObjectName(QStringLiteral("OptionsFactorsItem"));
  OptionsFactorsMenu->addAction(options_->FactorsAllItem);
  OptionsFactorsMenu->addAction(options_->FactorsKaiserItem);
  OptionsFactorsMenu->addAction(options_->FactorsJoliffeItem);
  OptionsFactorsMenu->addSeparator();
  OptionsFactorsMenu->addAction(FactorsNumberItem);
  OptionsTransformMenu = OptionsMenu->addMenu(tr("&Transformation"));
  OptionsTransformMenu->menuAction()->setObjectName(QStringLiteral("OptionsTransformItem"));
  OptionsTransformMenu->addAction(options_->TransformRawItem);
  OptionsTransformMenu->addAction(options_->TransformDecimalItem);
  OptionsTransformMenu->addAction(options_->TransformNaturalItem);
  OptionsMenu->addSeparator();
  OptionsMenu->addAction(options_->OptionsJackkniffeItem);

  QMenu* compute = menuBar()->addMenu(tr("&Compute"));
  compute->setObjectName(QStringLiteral("ComputeMenu"));
  compute->addAction(RunAnalysisItem);

  // Alt+D belongs to the Data... button.
  QMenu* display = menuBar()->addMenu(tr("D&isplay"));
  display->setObjectName(QStringLiteral("DisplayMenu"));
  display->addAction(PlotScoresItem);
  display->addAction(PlotVectorsItem);
  display->addAction(PlotScreeItem);

  QMenu* help = menuBar()->addMenu(tr("&Help"));
  help->setObjectName(QStringLiteral("HelpMenu"));
  help->addAction(HelpContentsItem);
  help->addAction(HelpSearchItem);
  help->addSeparator();
  help->addAction(HelpAboutItem);

  // The recent files stand at the end of the File menu.
  recentFiles_ = new TdfsMRUFileList(settings_, this);
  recentFiles_->setObjectName(QStringLiteral("RecentFiles"));
  recentFiles_->SetFileMenu(FileMenu);
  connect(recentFiles_, &TdfsMRUFileList::MRUItemClick, this,
          &TMainForm::RecentFilesMRUItemClick);
  connect(recentFiles_, &TdfsMRUFileList::Changed, this, &TMainForm::UpdateCommandStates);
}

void TMainForm::CreateControls() {
  auto* client = new QWidget;
  client->setObjectName(QStringLiteral("ClientArea"));
  client->setFixedSize(ClientWidth, ClientHeight);
  setCentralWidget(client);
  // Framed groups whose line runs through the caption, so that the controls
  // placed at their design positions keep an even margin below the line.
  client->setStyleSheet(QStringLiteral(
      "QGroupBox { border: 1px solid palette(mid); border-radius: 3px; margin-top: 7px; }"
      "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
      " left: 8px; padding: 0px 3px; }"));

  InputFrame = MakeGroup(client, QStringLiteral("InputFrame"), tr("Input"), {6, 9, 201, 105});
  OpenBtn = MakeButton(InputFrame, QStringLiteral("OpenBtn"), tr("&Data..."),
                       tr("Open data file"), {12, 20, 85, 33});
  OpenBtn->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
  OpenBtn->setDefault(true);
  connect(OpenBtn, &QPushButton::clicked, this, &TMainForm::FileOpenItemClick);
  // The labels are centred on the button beside them and on the group's
  // lower half.
  LblName = new QLabel(InputFrame);
  LblName->setObjectName(QStringLiteral("LblName"));
  LblName->setGeometry(105, 27, 90, 20);
  LblInfo = new QLabel(InputFrame);
  LblInfo->setObjectName(QStringLiteral("LblInfo"));
  LblInfo->setGeometry(10, 66, 185, 20);

  ComputeFrame =
      MakeGroup(client, QStringLiteral("ComputeFrame"), tr("Compute"), {6, 130, 201, 105});
  TestBtn = MakeButton(ComputeFrame, QStringLiteral("TestBtn"), tr("&PCA"),
                       tr("Compute principal components"), {12, 20, 85, 33});
  connect(TestBtn, &QPushButton::clicked, this, &TMainForm::RunAnalysisItemClick);
  // Shown only while a run goes on.
  CancelBtn = MakeButton(ComputeFrame, QStringLiteral("CancelBtn"), tr("C&ancel"),
                         tr("Stop the analysis"), {104, 20, 85, 33});
  connect(CancelBtn, &QPushButton::clicked, this, &TMainForm::CancelBtnClick);
  CancelBtn->hide();
  RunProgress = new QProgressBar(ComputeFrame);
  RunProgress->setObjectName(QStringLiteral("RunProgress"));
  RunProgress->setGeometry(12, 64, 177, 22);
  RunProgress->setFormat(tr("%v of %m"));
  RunProgress->hide();

  DisplayFrame =
      MakeGroup(client, QStringLiteral("DisplayFrame"), tr("Display"), {219, 9, 201, 105});
  ScoresBtn = MakeButton(DisplayFrame, QStringLiteral("ScoresBtn"), tr("&Scores"),
                         tr("Plot PCA scores"), {11, 20, 85, 33});
  connect(ScoresBtn, &QPushButton::clicked, this, &TMainForm::PlotScoresItemClick);
  VectorsBtn = MakeButton(DisplayFrame, QStringLiteral("VectorsBtn"), tr("&Vectors"),
                          tr("Plot vector coefficients"), {106, 20, 85, 33});
  connect(VectorsBtn, &QPushButton::clicked, this, &TMainForm::PlotVectorsItemClick);
  // Alt+P belongs to the PCA button.
  ScreeBtn = MakeButton(DisplayFrame, QStringLiteral("ScreeBtn"), tr("Sc&ree Plot"),
                        tr("Plot eigenvalues"), {11, 63, 85, 33});
  connect(ScreeBtn, &QPushButton::clicked, this, &TMainForm::PlotScreeItemClick);

  // Alt+C belongs to the Compute menu.
  CloseBtn = MakeButton(client, QStringLiteral("CloseBtn"), tr("C&lose"), tr("Exit the program"),
                        {323, 202, 89, 33});
  CloseBtn->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
  connect(CloseBtn, &QPushButton::clicked, this, &QWidget::close);

  setTabOrder(OpenBtn, TestBtn);
  setTabOrder(TestBtn, CancelBtn);
  setTabOrder(CancelBtn, ScoresBtn);
  setTabOrder(ScoresBtn, VectorsBtn);
  setTabOrder(VectorsBtn, ScreeBtn);
  setTabOrder(ScreeBtn, CloseBtn);
}

void TMainForm::ReadSettings() { options_->ReadSettings(settings_); }

void TMainForm::WriteSettings() {
  // Options are kept only for a session that had data to work on.
  if (state_.DataLoaded()) options_->WriteSettings(settings_);
  recentFiles_->SaveEntries();
}

bool TMainForm::Running() const { return runner_->Running(); }

void TMainForm::UpdateCommandStates() {
  const bool running = runner_->Running();
  const bool dataLoaded = state_.DataLoaded();
  const bool results = dataLoaded && state_.ResultsReady();

  // While a run goes on, nothing may load, run, change the data or close.
  for (QAction* item : {FileOpenItem, FileExitItem}) item->setEnabled(!running);
  OpenBtn->setEnabled(!running);
  CloseBtn->setEnabled(!running);
  recentFiles_->SetItemsEnabled(!running);
  FactorsNumberItem->setEnabled(!running);

  FileViewItem->setEnabled(results);
  FileSaveMenu->menuAction()->setEnabled(results);
  OptionsClearFilesListItem->setEnabled(recentFiles_->Count() >= 1);
  for (QMenu* menu : {OptionsMethodMenu, OptionsFactorsMenu, OptionsTransformMenu}) {
    menu->menuAction()->setEnabled(dataLoaded);
  }
  options_->OptionsJackkniffeItem->setEnabled(dataLoaded);
  RunAnalysisItem->setEnabled(dataLoaded && !running);
  TestBtn->setEnabled(dataLoaded && !running);
  for (QAction* item : {PlotScoresItem, PlotVectorsItem, PlotScreeItem}) {
    item->setEnabled(results);
  }
  for (QPushButton* button : {ScoresBtn, VectorsBtn, ScreeBtn}) button->setEnabled(results);
}

// ---- The general error report and the window's own messages ----

void TMainForm::Guarded(const std::function<void()>& command) {
  try {
    command();
  } catch (...) {
    ShowFailure(DescribeFailure(std::current_exception()));
  }
}

void TMainForm::ShowFailure(const TFailureReport& failure, const QString& context) {
  const QString detail = JoinDetail(context, failure.detail);
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

void TMainForm::ShowOwnMessage(bool error, const QString& title, const QString& text,
                               bool okButton, const QString& detail) {
  interaction_.Beep();
  interaction_.ShowMessage(error ? TMessageKind::Error : TMessageKind::Information, title, text,
                           okButton ? TMessageButton::Ok : TMessageButton::Cancel, detail);
}

// ---- Loading ----

bool TMainForm::ReadData(const QString& path) {
  TBusyCursor busy;
  const QString file =
      tr("File: %1").arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
  try {
    state_.LoadFile(NativePath(path));
  } catch (const talvex::EDataRefused& refused) {
    busy.Restore();
    ShowOwnMessage(true, tr("Error"), QString::fromStdString(refused.Message()), false,
                   JoinDetail(file, QString::fromStdString(refused.Detail())));
    ShowOwnMessage(true, tr("Error"), tr("File error"), false, file);
    return false;
  } catch (...) {
    busy.Restore();
    ShowFailure(DescribeFailure(std::current_exception()), file);
    return false;
  }
  return true;
}

void TMainForm::LoadSucceeded(const QString& path) {
  LblInfo->setText(QString::fromStdString(talvex::InformationLine(state_.Data())));
  const QString name = QFileInfo(path).fileName();
  LblName->setText(LblName->fontMetrics().elidedText(name, Qt::ElideMiddle, LblName->width()));
  LblName->setToolTip(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
  dataFileName_ = path;
  openDialogFile_ = path;
  UpdateCommandStates();
  TestBtn->setFocus();
}

void TMainForm::FileOpenItemClick() {
  if (Running()) return;
  Guarded([this] {
    TFileDialogRequest request;
    request.title = tr("Open");
    request.filters = QStringList{tr("Data files (*.nts)"), tr("All files (*)")};
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
  const bool files = !urls.isEmpty() && std::all_of(urls.begin(), urls.end(), [](const QUrl& u) {
    return u.isLocalFile();
  });
  if (files && !Running()) event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event) {
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls()) paths.append(url.toLocalFile());
  event->acceptProposedAction();
  DropFiles(paths);
}

// ---- Options ----

void TMainForm::OptionsClearFilesListItemClick() {
  Guarded([this] {
    recentFiles_->ClearAll();
    UpdateCommandStates();
    settings_.EraseSection(TdfsMRUFileList::AutoSaveKey);
    if (!settings_.Save()) throw talvex::EInOutError("Unable to write to " +
                                                     NativePath(settings_.Path()));
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
  });
}

// ---- The analysis ----

void TMainForm::RunAnalysisItemClick() {
  if (Running() || !state_.DataLoaded()) return;
  Guarded([this] {
    QApplication::setOverrideCursor(Qt::BusyCursor);
    RunProgress->setRange(0, 0);
    RunProgress->show();
    CancelBtn->show();
    CancelBtn->setEnabled(true);
    runner_->Start(state_, options_->Options(), runThreads_);
    UpdateCommandStates();
    CancelBtn->setFocus();
  });
}

void TMainForm::RunIteration(unsigned objectNumber, unsigned objectCount) {
  setWindowTitle(QStringLiteral("Iteration no. - %1").arg(objectNumber));
  RunProgress->setRange(0, int(objectCount));
  RunProgress->setValue(int(objectNumber));
}

void TMainForm::CancelBtnClick() {
  if (!Running()) return;
  runner_->Cancel();
  CancelBtn->setEnabled(false);
}

void TMainForm::RunEnded() {
  QApplication::restoreOverrideCursor();
  setWindowTitle(ApplicationTitle);
  RunProgress->hide();
  CancelBtn->hide();

  // The listing keeps what the run wrote, also when it stopped; the results
  // change only when it completed.
  listing_ = std::move(runner_->Listing());
  const std::exception_ptr failure = runner_->Failure();
  if (!failure) state_ = std::move(runner_->State());
  UpdateCommandStates();
  if (state_.DataLoaded()) TestBtn->setFocus();

  if (closePending_) {
    emit RunFinished();
    close();
    return;
  }
  if (failure) ShowFailure(DescribeFailure(failure));
  emit RunFinished();
}

// ---- Results ----

void TMainForm::FileViewItemClick() {
  if (!state_.ResultsReady()) return;
  Guarded([this] { reportViewer_.ShowListing(listing_); });
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

void TMainForm::ExportResults(bool scores) {
  if (!state_.ResultsReady()) return;
  Guarded([this, scores] {
    TFileDialogRequest request;
    request.title = tr("Save As");
    request.filters = QStringList{tr("Microsoft Excel (*.xls)"), tr("Comma Separated Values (*.csv)"),
                               tr("System Data File (*.sdf)"), tr("Excel Workbook (*.xlsx)")};
    request.defaultSuffix = QStringLiteral("sdf");
    request.initialFile = saveFileName_;
    request.save = true;
    const std::optional<QString> chosen = interaction_.ChooseFile(request);
    if (!chosen) return;
    saveFileName_ = *chosen;
    TBusyCursor busy;
    const talvex::TDataMatrix& data = state_.Data();
    const talvex::TAnalysisResults& results = state_.Results();
    if (scores) {
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
