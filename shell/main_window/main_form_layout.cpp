// The main window's menus, buttons and layout: what the window is made of,
// apart from what its commands do (main_form.cpp).
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <algorithm>

#include "shell/common/elided_label.h"
#include "shell/main_window/main_form.h"
#include "shell/main_window/option_marks.h"
#include "shell/main_window/recent_files_list.h"

namespace talvex::desktop {

namespace {

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
  for (const drawing::TPlotKindEntry& plot : drawing::PlotKinds()) {
    QAction* item = makeItem(PlotMenuText(plot.kind), plot.menuName, nullptr);
    connect(item, &QAction::triggered, this, [this, kind = plot.kind] { PlotItemClick(kind); });
    plotItems_[plot.kind] = item;
  }
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
  optionsMenu_->addAction(options_->OptionsJackknifeItem);
  optionsMenu_->addAction(optionsMatchAxesItem_);

  QMenu* compute = menuBar()->addMenu(tr("&Compute"));
  compute->setObjectName(QStringLiteral("ComputeMenu"));
  compute->addAction(runAnalysisItem_);

  // Alt+D belongs to the Data... button.
  QMenu* display = menuBar()->addMenu(tr("D&isplay"));
  display->setObjectName(QStringLiteral("DisplayMenu"));
  for (const drawing::TPlotKindEntry& plot : drawing::PlotKinds()) {
    if (plot.separatorBefore) display->addSeparator();
    display->addAction(plotItems_.at(plot.kind));
  }

  QMenu* help = menuBar()->addMenu(tr("&Help"));
  help->setObjectName(QStringLiteral("HelpMenu"));
  help->addAction(helpContentsItem_);
  help->addAction(helpSearchItem_);
  help->addSeparator();
  help->addAction(helpAboutItem_);

  // The recent files stand at the end of the File menu.
  recentFiles_ = new TRecentFilesList(settings_, this);
  recentFiles_->setObjectName(QStringLiteral("RecentFiles"));
  recentFiles_->SetFileMenu(fileMenu_);
  connect(recentFiles_, &TRecentFilesList::MRUItemClick, this, &TMainForm::RecentFilesMRUItemClick);
  connect(recentFiles_, &TRecentFilesList::Changed, this, &TMainForm::UpdateCommandStates);
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
  BindButton(scoresBtn_, plotItems_.at(drawing::TPlotKind::Scores));
  vectorsBtn_ = MakeButton(displayFrame_, QStringLiteral("VectorsBtn"), tr("&Vectors"),
                           tr("Plot vector coefficients"), ButtonSize);
  BindButton(vectorsBtn_, plotItems_.at(drawing::TPlotKind::Vectors));
  // Alt+P belongs to the PCA button.
  screeBtn_ = MakeButton(displayFrame_, QStringLiteral("ScreeBtn"), tr("Sc&ree Plot"),
                         tr("Plot eigenvalues"), ButtonSize);
  BindButton(screeBtn_, plotItems_.at(drawing::TPlotKind::Scree));
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
        options_->OptionsJackknifeItem, options_->FactorsAllItem, options_->FactorsKaiserItem,
        options_->FactorsJoliffeItem})
    connect(item, &QAction::toggled, this, &TMainForm::ShowStatus);

  setTabOrder(openBtn_, testBtn_);
  setTabOrder(testBtn_, cancelBtn_);
  setTabOrder(cancelBtn_, scoresBtn_);
  setTabOrder(scoresBtn_, vectorsBtn_);
  setTabOrder(vectorsBtn_, screeBtn_);
  setTabOrder(screeBtn_, closeBtn_);
}

}  // namespace talvex::desktop
