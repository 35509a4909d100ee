// The plot windows: menus, panels, settings and the commands.
#include "shell/plots/plot_window.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QSpinBox>
#include <QStringList>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "analysis/run_observer.h"
#include "drawing/figure_export.h"
#include "drawing/figure_size.h"
#include "shell/common/error_report.h"
#include "shell/plots/parallel_analysis_job.h"
#include "shell/plots/plot_canvas.h"
#include "shell/plots/plot_commands.h"
#include "shell/plots/plot_print.h"
#include "shell/report/report_interaction.h"
#include "shell/settings/settings_file.h"
#include "shell/settings/window_place.h"

namespace talvex::desktop {

namespace {

const QString OptionsSection = QStringLiteral("Options");
const QString LabelPointsKey = QStringLiteral("LabelPoints");
const QString LabelNamesKey = QStringLiteral("LabelNames");
const QString PlotsSection = QStringLiteral("Plots");

// The plots' first size at 1x scale: room for 20,000 points and a legend.
constexpr QSize DefaultSize(800, 600);

// Whether the window of `kind` offers the choices `offer`.
bool Offers(drawing::TPlotKind kind, drawing::TPlotOffer offer) {
  return (PlotKindEntry(kind).offers & offer) != 0;
}

QString KindKey(drawing::TPlotKind kind) { return QString::fromLatin1(PlotKindEntry(kind).name); }

QAction* Checkable(const QString& text, QObject* parent, bool checked = false) {
  auto* action = new QAction(text, parent);
  action->setCheckable(true);
  action->setChecked(checked);
  return action;
}

}  // namespace

TPlotWindow::TPlotWindow(drawing::TPlotKind kind, TSettingsFile& settings,
                         TReportInteraction& interaction, TPlotInteraction& figureInteraction,
                         QWidget* parent)
    : QMainWindow(parent),
      kind_(kind),
      settings_(settings),
      interaction_(interaction),
      figureInteraction_(figureInteraction),
      printer_(QPrinter::HighResolution) {
  setWindowTitle(PlotCaption(kind));
  // The program ends with its main window; the result windows go with it.
  setAttribute(Qt::WA_QuitOnClose, false);
  CreateActions();
  CreateMenus();
  CreateLayout();
  ReadSettings();
  UpdateItems();
}

TPlotWindow::~TPlotWindow() = default;

void TPlotWindow::CreateActions() {
  saveAsItem_ = new QAction(tr("Save &As..."), this);
  saveAsItem_->setShortcut(QKeySequence::SaveAs);
  connect(saveAsItem_, &QAction::triggered, this, &TPlotWindow::SaveAsItemClick);
  printItem_ = new QAction(tr("&Print..."), this);
  printItem_->setShortcut(QKeySequence::Print);
  connect(printItem_, &QAction::triggered, this, &TPlotWindow::PrintItemClick);
  printerSetupItem_ = new QAction(tr("Printer Se&tup..."), this);
  connect(printerSetupItem_, &QAction::triggered, this, &TPlotWindow::PrinterSetupItemClick);
  returnItem_ = new QAction(tr("&Return"), this);
  returnItem_->setShortcut(QKeySequence::Close);
  connect(returnItem_, &QAction::triggered, this, &QWidget::close);
  copyItem_ = new QAction(tr("&Copy"), this);
  copyItem_->setShortcut(QKeySequence::Copy);
  connect(copyItem_, &QAction::triggered, this, &TPlotWindow::CopyItemClick);

  labelPointsItem_ = Checkable(tr("&Label Points"), this);
  labelPointsItem_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
  labelNamesItem_ = Checkable(tr("Label with &Names"), this);
  regionGroup_ = new QActionGroup(this);
  noRegionItem_ = Checkable(tr("&None"), regionGroup_, true);
  concentrationItem_ = Checkable(tr("95% &Concentration Ellipses"), regionGroup_);
  meanEllipseItem_ = Checkable(tr("95% Confidence Ellipses of &Means"), regionGroup_);
  hullsItem_ = Checkable(tr("Convex &Hulls"), this);
  errorBarsItem_ = Checkable(tr("&Error Bars (95% Jackknife Intervals)"), this, true);
  referenceLinesItem_ = Checkable(tr("Re&ference Lines"), this, true);
  percentBarsItem_ = Checkable(tr("&Percent of Trace Bars"), this);
  correlationCircleItem_ = Checkable(tr("Correlation &Circle"), this);
  supplementaryGroup_ = new QActionGroup(this);
  supplementaryBarsItem_ = Checkable(tr("95% Jackknife Error &Bars"), supplementaryGroup_, true);
  supplementaryEllipsesItem_ = Checkable(tr("95% Jackknife &Ellipses"), supplementaryGroup_);
  supplementaryNoMarksItem_ = Checkable(tr("No &Marks"), supplementaryGroup_);
  // The one checked item redraws; the one unchecked on the way says nothing.
  for (QAction* action : supplementaryGroup_->actions())
    connect(action, &QAction::toggled, this, [this](bool checked) {
      if (checked) Redraw(true);
    });
  allEigenvaluesItem_ = Checkable(tr("All Eigen&values"), this);
  parallelAnalysisItem_ = new QAction(tr("Parallel &Analysis..."), this);
  connect(parallelAnalysisItem_, &QAction::triggered, this,
          &TPlotWindow::ParallelAnalysisItemClick);

  connect(labelPointsItem_, &QAction::toggled, this, [this](bool checked) {
    canvas_->SetLabelAll(checked);
    settings_.WriteInteger(OptionsSection, LabelPointsKey, checked ? 1 : 0);
  });
  connect(labelNamesItem_, &QAction::toggled, this, [this](bool checked) {
    settings_.WriteInteger(OptionsSection, LabelNamesKey, checked ? 1 : 0);
    Redraw(true);
  });
  for (QAction* action : {noRegionItem_, concentrationItem_, meanEllipseItem_, hullsItem_,
                          errorBarsItem_, referenceLinesItem_})
    connect(action, &QAction::toggled, this, [this] { Redraw(true); });
  // These change the axes, so the view starts afresh.
  for (QAction* action : {percentBarsItem_, correlationCircleItem_, allEigenvaluesItem_})
    connect(action, &QAction::toggled, this, [this] { Redraw(false); });

  resetViewItem_ = new QAction(tr("&Reset View"), this);
  resetViewItem_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
  zoomInItem_ = new QAction(tr("Zoom &In"), this);
  zoomInItem_->setShortcut(QKeySequence::ZoomIn);
  zoomOutItem_ = new QAction(tr("Zoom &Out"), this);
  zoomOutItem_->setShortcut(QKeySequence::ZoomOut);
  titlesItem_ = Checkable(tr("&Titles and Font"), this);
}

void TPlotWindow::CreateMenus() {
  QMenu* fileMenu = menuBar()->addMenu(tr("&File"));
  fileMenu->addAction(saveAsItem_);
  fileMenu->addAction(printItem_);
  fileMenu->addAction(printerSetupItem_);
  fileMenu->addSeparator();
  fileMenu->addAction(returnItem_);
  QMenu* editMenu = menuBar()->addMenu(tr("&Edit"));
  editMenu->addAction(copyItem_);
  optionsMenu_ = menuBar()->addMenu(tr("&Options"));
  if (Offers(kind_, drawing::OffersLabels)) {
    optionsMenu_->addAction(labelPointsItem_);
    optionsMenu_->addAction(labelNamesItem_);
  }
  if (Offers(kind_, drawing::OffersGroups)) {
    optionsMenu_->addSeparator();
    regionMenu_ = optionsMenu_->addMenu(tr("Group &Regions"));
    regionMenu_->addActions(regionGroup_->actions());
    optionsMenu_->addAction(hullsItem_);
  }
  if (Offers(kind_, drawing::OffersErrorBars)) {
    optionsMenu_->addSeparator();
    optionsMenu_->addAction(errorBarsItem_);
  }
  if (Offers(kind_, drawing::OffersScreeLines)) {
    optionsMenu_->addAction(referenceLinesItem_);
    optionsMenu_->addAction(parallelAnalysisItem_);
    optionsMenu_->addAction(percentBarsItem_);
    optionsMenu_->addAction(allEigenvaluesItem_);
  }
  if (Offers(kind_, drawing::OffersCircle)) optionsMenu_->addAction(correlationCircleItem_);
  if (Offers(kind_, drawing::OffersSupplementaryMarks)) {
    optionsMenu_->addSeparator();
    supplementaryMenu_ = optionsMenu_->addMenu(tr("&Supplementary Objects"));
    supplementaryMenu_->addActions(supplementaryGroup_->actions());
  }
  // Ctrl+L works wherever the window has focus, also while its menu is shut.
  addAction(labelPointsItem_);

  QMenu* viewMenu = menuBar()->addMenu(tr("&View"));
  viewMenu->addAction(resetViewItem_);
  viewMenu->addAction(zoomInItem_);
  viewMenu->addAction(zoomOutItem_);
  viewMenu->addSeparator();
  viewMenu->addAction(titlesItem_);
}

void TPlotWindow::CreateLayout() {
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  axesPanel_ = new QWidget(central);
  auto* axes = new QHBoxLayout(axesPanel_);
  axes->setContentsMargins(6, 3, 6, 3);
  spinX_ = new QSpinBox(axesPanel_);
  spinY_ = new QSpinBox(axesPanel_);
  auto* labelX = new QLabel(tr("&X axis:"), axesPanel_);
  auto* labelY = new QLabel(tr("&Y axis:"), axesPanel_);
  labelX->setBuddy(spinX_);
  labelY->setBuddy(spinY_);
  axes->addWidget(labelX);
  axes->addWidget(spinX_);
  axes->addSpacing(12);
  axes->addWidget(labelY);
  axes->addWidget(spinY_);
  axes->addStretch();
  connect(spinX_, &QSpinBox::valueChanged, this, [this] { AxisChanged(true); });
  connect(spinY_, &QSpinBox::valueChanged, this, [this] { AxisChanged(false); });
  axesPanel_->setVisible(Offers(kind_, drawing::OffersAxes));

  canvas_ = new TPlotCanvas(central);
  connect(resetViewItem_, &QAction::triggered, canvas_, &TPlotCanvas::ResetView);
  connect(zoomInItem_, &QAction::triggered, this,
          [this] { canvas_->ZoomAt(canvas_->PlotArea().center(), 1.5); });
  connect(zoomOutItem_, &QAction::triggered, this,
          [this] { canvas_->ZoomAt(canvas_->PlotArea().center(), 1 / 1.5); });

  titlesPanel_ = new QWidget(central);
  auto* titles = new QGridLayout(titlesPanel_);
  titles->setContentsMargins(6, 3, 6, 3);
  titleEdit_ = new QLineEdit(titlesPanel_);
  xTitleEdit_ = new QLineEdit(titlesPanel_);
  yTitleEdit_ = new QLineEdit(titlesPanel_);
  fontSize_ = new QDoubleSpinBox(titlesPanel_);
  fontSize_->setRange(4, 48);
  fontSize_->setDecimals(1);
  fontSize_->setSingleStep(0.5);
  fontSize_->setSuffix(tr(" pt"));
  fontSize_->setValue(canvas_->FontSize());
  const std::pair<const char*, QWidget*> rows[] = {{"T&itle:", titleEdit_},
                                                   {"Hori&zontal axis:", xTitleEdit_},
                                                   {"Ve&rtical axis:", yTitleEdit_},
                                                   {"Fo&nt size:", fontSize_}};
  int row = 0;
  for (const auto& [text, field] : rows) {
    auto* label = new QLabel(tr(text), titlesPanel_);
    label->setBuddy(field);
    titles->addWidget(label, row / 2, (row % 2) * 2);
    titles->addWidget(field, row / 2, (row % 2) * 2 + 1);
    ++row;
  }
  titles->setColumnStretch(1, 1);
  titles->setColumnStretch(3, 1);
  for (QLineEdit* edit : {titleEdit_, xTitleEdit_, yTitleEdit_})
    connect(edit, &QLineEdit::textEdited, this, &TPlotWindow::TitlesEdited);
  connect(fontSize_, &QDoubleSpinBox::valueChanged, canvas_, &TPlotCanvas::SetFontSize);
  titlesPanel_->hide();
  connect(titlesItem_, &QAction::toggled, titlesPanel_, &QWidget::setVisible);

  layout->addWidget(axesPanel_);
  layout->addWidget(canvas_, 1);
  layout->addWidget(titlesPanel_);
  setCentralWidget(central);
}

void TPlotWindow::ReadSettings() {
  // The marks show exactly what the check mark says, from the first
  // drawing on; points are named unless the user asked for their values.
  const bool labelAll = settings_.ReadInteger(OptionsSection, LabelPointsKey, 1) != 0;
  labelPointsItem_->setChecked(labelAll);
  canvas_->SetLabelAll(labelAll);
  labelNamesItem_->setChecked(settings_.ReadInteger(OptionsSection, LabelNamesKey, 1) != 0);
  const QString key = KindKey(kind_);
  switch (settings_.ReadInteger(PlotsSection, key + QStringLiteral("Regions"), 0)) {
    case 1:
      concentrationItem_->setChecked(true);
      break;
    case 2:
      meanEllipseItem_->setChecked(true);
      break;
    default:
      noRegionItem_->setChecked(true);
  }
  hullsItem_->setChecked(settings_.ReadInteger(PlotsSection, key + "Hulls", 0) != 0);
  switch (settings_.ReadInteger(PlotsSection, key + "SupplementaryMarks",
                                int(drawing::TSupplementaryMarks::ErrorBars))) {
    case int(drawing::TSupplementaryMarks::Ellipses):
      supplementaryEllipsesItem_->setChecked(true);
      break;
    case int(drawing::TSupplementaryMarks::None):
      supplementaryNoMarksItem_->setChecked(true);
      break;
    default:
      supplementaryBarsItem_->setChecked(true);
  }
  errorBarsItem_->setChecked(settings_.ReadInteger(PlotsSection, key + "ErrorBars", 1) != 0);
  referenceLinesItem_->setChecked(settings_.ReadInteger(PlotsSection, key + "ReferenceLines", 1) !=
                                  0);
  percentBarsItem_->setChecked(settings_.ReadInteger(PlotsSection, key + "PercentBars", 0) != 0);
  allEigenvaluesItem_->setChecked(settings_.ReadInteger(PlotsSection, key + "AllEigenvalues", 0) !=
                                  0);
  fontSize_->setValue(settings_.ReadInteger(PlotsSection, "FontSize10", 90) / 10.0);

  RestoreWindowPlace(*this, settings_, key, DefaultSize);
}

void TPlotWindow::SaveSettings() {
  const QString key = KindKey(kind_);
  SaveWindowPlace(*this, settings_, key);
  const drawing::TPlotChoices choices = Choices();
  settings_.WriteInteger(PlotsSection, key + QStringLiteral("Regions"), int(choices.region));
  settings_.WriteInteger(PlotsSection, key + "Hulls", choices.hulls ? 1 : 0);
  settings_.WriteInteger(PlotsSection, key + "SupplementaryMarks", int(choices.supplementaryMarks));
  settings_.WriteInteger(PlotsSection, key + "ErrorBars", choices.errorBars ? 1 : 0);
  settings_.WriteInteger(PlotsSection, key + "ReferenceLines", choices.referenceLines ? 1 : 0);
  settings_.WriteInteger(PlotsSection, key + "PercentBars", choices.percentBars ? 1 : 0);
  settings_.WriteInteger(PlotsSection, key + "AllEigenvalues", choices.allEigenvalues ? 1 : 0);
  settings_.WriteInteger(PlotsSection, "FontSize10", int(std::lround(fontSize_->value() * 10)));
}

void TPlotWindow::closeEvent(QCloseEvent* event) {
  SaveSettings();
  QMainWindow::closeEvent(event);
}

drawing::TPlotChoices TPlotWindow::Choices() const {
  drawing::TPlotChoices choices;
  choices.x = talvex::TSize(std::max(1, spinX_->value()));
  choices.y = talvex::TSize(std::max(1, spinY_->value()));
  choices.names = labelNamesItem_->isChecked();
  choices.region = concentrationItem_->isChecked() ? drawing::TGroupRegion::ConcentrationEllipse
                   : meanEllipseItem_->isChecked() ? drawing::TGroupRegion::MeanEllipse
                                                   : drawing::TGroupRegion::None;
  choices.hulls = hullsItem_->isChecked();
  choices.errorBars = errorBarsItem_->isChecked();
  choices.referenceLines = referenceLinesItem_->isChecked();
  choices.percentBars = percentBarsItem_->isChecked();
  choices.correlationCircle = correlationCircleItem_->isChecked();
  choices.allEigenvalues = allEigenvaluesItem_->isChecked();
  choices.supplementaryMarks =
      supplementaryEllipsesItem_->isChecked()  ? drawing::TSupplementaryMarks::Ellipses
      : supplementaryNoMarksItem_->isChecked() ? drawing::TSupplementaryMarks::None
                                               : drawing::TSupplementaryMarks::ErrorBars;
  return choices;
}

void TPlotWindow::UpdateItems() {
  const bool jackknife = run_ && run_->Jackknife();
  errorBarsItem_->setEnabled(jackknife);
  const bool grouped = run_ && !run_->Data().groups.empty();
  if (regionMenu_) regionMenu_->setEnabled(grouped);
  hullsItem_->setEnabled(grouped);
  correlationCircleItem_->setEnabled(run_ && CorrelationCircleAvailable(*run_));
  // Only supplementary objects placed by a jackknife have marks to switch.
  const talvex::TSupplementaryResults* supplementary = run_ ? run_->Supplementary() : nullptr;
  if (supplementaryMenu_)
    supplementaryMenu_->setEnabled(supplementary && supplementary->jackknife &&
                                   !supplementary->objectLabels.empty());
  parallelAnalysisItem_->setEnabled(run_ && !percentBarsItem_->isChecked());
  const bool printable = run_ != nullptr;
  for (QAction* action : {saveAsItem_, printItem_, copyItem_}) action->setEnabled(printable);
}

void TPlotWindow::ShowRun(std::shared_ptr<drawing::TPlotRun> run) {
  const bool first = run_ == nullptr;
  // Titles the user wrote belong to the data and the numbers they were
  // written for: other data, or a run whose plot titles read otherwise,
  // brings back the plot's own.
  const bool otherData = !first && (run->Data().title != run_->Data().title ||
                                    run->Data().objectCount != run_->Data().objectCount ||
                                    run->Data().variableCount != run_->Data().variableCount ||
                                    run->Data().objectLabels != run_->Data().objectLabels ||
                                    run->Data().variableLabels != run_->Data().variableLabels);
  const drawing::TFigureScene& before = canvas_->Scene();
  const QStringList ownTitles{before.title, before.xTitle, before.yTitle, before.note};
  run_ = std::move(run);
  const int top = int(run_->OfferedComponents());
  {
    const QSignalBlocker blockX(spinX_);
    const QSignalBlocker blockY(spinY_);
    spinX_->setRange(1, top);
    spinY_->setRange(1, top);
    if (first) {
      spinX_->setValue(1);
      spinY_->setValue(std::min(2, top));
    } else if (spinX_->value() == spinY_->value() && top >= 2) {
      spinY_->setValue(spinX_->value() == 1 ? 2 : 1);
    }
    lastX_ = spinX_->value();
    lastY_ = spinY_->value();
  }
  UpdateItems();
  Redraw(false);
  const drawing::TFigureScene& after = canvas_->Scene();
  if (otherData || ownTitles != QStringList{after.title, after.xTitle, after.yTitle, after.note})
    ResetTitles();
}

void TPlotWindow::ResetTitles() {
  for (QLineEdit* edit : {titleEdit_, xTitleEdit_, yTitleEdit_}) edit->setModified(false);
  titleEdit_->setText(canvas_->Scene().title);
  xTitleEdit_->setText(canvas_->Scene().xTitle);
  yTitleEdit_->setText(canvas_->Scene().yTitle);
  canvas_->SetTitles(QString(), QString(), QString());
}

void TPlotWindow::AxisChanged(bool horizontal) {
  QSpinBox* moved = horizontal ? spinX_ : spinY_;
  QSpinBox* other = horizontal ? spinY_ : spinX_;
  if (moved->value() == other->value()) {
    // The two exchange places rather than show one component against itself.
    const QSignalBlocker block(other);
    other->setValue(horizontal ? lastX_ : lastY_);
  }
  lastX_ = spinX_->value();
  lastY_ = spinY_->value();
  Redraw(false);
}

void TPlotWindow::Redraw(bool keepView) {
  if (!run_) return;
  Guarded([&] {
    UpdateItems();
    canvas_->SetScene(BuildScene(kind_, *run_, Choices()), keepView);
    // The title fields offer the plot's own texts until the user edits them.
    if (!titleEdit_->isModified()) titleEdit_->setText(canvas_->Scene().title);
    if (!xTitleEdit_->isModified()) xTitleEdit_->setText(canvas_->Scene().xTitle);
    if (!yTitleEdit_->isModified()) yTitleEdit_->setText(canvas_->Scene().yTitle);
  });
}

void TPlotWindow::TitlesEdited() {
  canvas_->SetTitles(titleEdit_->isModified() ? titleEdit_->text() : QString(),
                     xTitleEdit_->isModified() ? xTitleEdit_->text() : QString(),
                     yTitleEdit_->isModified() ? yTitleEdit_->text() : QString());
}

void TPlotWindow::Guarded(const std::function<void()>& command) {
  try {
    command();
  } catch (...) {
    const TFailureReport failure = DescribeFailure(std::current_exception());
    interaction_.ShowError(this, failure.message, failure.detail);
  }
}

void TPlotWindow::SaveAsItemClick() {
  Guarded([this] {
    AskAndSaveFigure(this, figureInteraction_, settings_, *canvas_, canvas_->Title(),
                     windowTitle());
  });
}

void TPlotWindow::CopyItemClick() {
  Guarded([this] {
    if (AskAndCopyFigure(this, figureInteraction_, settings_, *canvas_, canvas_->Title()))
      interaction_.ShowInformation(this, tr("Graph successfully copied to Clipboard"));
  });
}

void TPlotWindow::PrintItemClick() {
  Guarded([this] {
    if (!interaction_.AskPrint(this, printer_)) return;
    // The page shows the figure as the window shows it, laid out at the
    // window's size on the screen and scaled to the page.
    drawing::TFigureSize shape;
    shape.unit = drawing::TLengthUnit::Pixels;
    shape.width = canvas_->width();
    shape.height = canvas_->height();
    shape.dpi = std::clamp(canvas_->logicalDpiX(), drawing::MinFigureDpi, drawing::MaxFigureDpi);
    PrintFigure(printer_, *canvas_, shape);
  });
}

void TPlotWindow::PrinterSetupItemClick() {
  Guarded([this] { interaction_.AskPrinterSetup(this, printer_); });
}

void TPlotWindow::ParallelAnalysisItemClick() {
  if (!run_ || (job_ && job_->Running())) return;
  if (run_->ParallelAnalysis()) {
    // Already made for this run: only make sure it shows.
    referenceLinesItem_->setChecked(true);
    return;
  }
  Guarded([this] {
    if (!job_) {
      job_ = new TParallelAnalysisJob(this);
      connect(job_, &TParallelAnalysisJob::Finished, this, &TPlotWindow::ParallelAnalysisEnded);
    }
    auto* progress =
        new QProgressDialog(tr("Decomposing %1 copies of the data with each column permuted...")
                                .arg(TParallelAnalysisJob::Iterations),
                            tr("Cancel"), 0, int(TParallelAnalysisJob::Iterations), this);
    progress->setWindowTitle(tr("Parallel Analysis"));
    progress->setWindowModality(Qt::WindowModal);
    progress->setMinimumDuration(300);
    progress->setAttribute(Qt::WA_DeleteOnClose);
    progress_ = progress;
    auto* timer = new QTimer(progress);
    connect(timer, &QTimer::timeout, progress,
            [this, progress] { progress->setValue(int(job_->Done())); });
    connect(progress, &QProgressDialog::canceled, job_, &TParallelAnalysisJob::Cancel);
    job_->Start(*run_);
    jobRun_ = run_;
    timer->start(100);
  });
}

void TPlotWindow::ParallelAnalysisEnded() {
  if (progress_) progress_->close();
  const std::exception_ptr failure = job_->Failure();
  if (failure) {
    try {
      std::rethrow_exception(failure);
    } catch (const talvex::ERunCancelled&) {
      return;  // the user's own choice needs no message
    } catch (...) {
      Guarded([failure] { std::rethrow_exception(failure); });
      return;
    }
  }
  // The lines belong to the run they were made for, also when a newer run
  // has been shown meanwhile.
  jobRun_->SetParallelAnalysis(job_->Result());
  jobRun_.reset();
  referenceLinesItem_->setChecked(true);
  Redraw(true);
}

}  // namespace talvex::desktop
