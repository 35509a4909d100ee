// The report window: text mode, chart mode and the window's commands.
#include "shell/report_form.h"

#include <QAction>
#include <QChart>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

#include "export/atomic_file.h"
#include "numeric/exception.h"
#include "shell/chart_output.h"
#include "shell/eight_bit_text.h"
#include "shell/error_report.h"
#include "shell/listing_print.h"
#include "shell/listing_view.h"
#include "shell/plot_text.h"
#include "shell/point_series.h"
#include "shell/qt_report_interaction.h"
#include "shell/settings_file.h"

namespace {

const QString OptionsSection = QStringLiteral("Options");
const QString LabelPointsKey = QStringLiteral("LabelPoints");
const QString LabelNamesKey = QStringLiteral("LabelNames");

const QString TextFilter = QStringLiteral("Text files (*.txt)");
const QString BitmapFilter = QStringLiteral("Bitmap files (*.bmp)");
const QString AllFilesFilter = QStringLiteral("All files (*.*)");

// The window's designed size and place on the screen.
constexpr QSize DesignSize(435, 300);
constexpr QPoint DesignPosition(260, 147);

std::string FileSystemPath(const QString& name) { return QFile::encodeName(name).toStdString(); }

QString PointName(const std::vector<std::string>& labels, talvex::TSize index) {
  if (index - 1 < labels.size()) {
    const QString name = FromEightBit(labels[index - 1]).trimmed();
    if (!name.isEmpty()) return name;
  }
  return QString::number(index);
}

}  // namespace

TReportForm::TReportForm(TSettingsFile& settings, QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      ownInteraction_(std::make_unique<TQtReportInteraction>()),
      interaction_(ownInteraction_.get()),
      printer_(QPrinter::HighResolution) {
  Build();
}

TReportForm::TReportForm(TSettingsFile& settings, TReportInteraction& interaction, QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      interaction_(&interaction),
      printer_(QPrinter::HighResolution) {
  Build();
}

TReportForm::~TReportForm() = default;

void TReportForm::Build() {
  setWindowFlag(Qt::WindowMaximizeButtonHint);
  setSizeGripEnabled(true);
  CreateActions();
  CreateMenus();
  CreateLayout();
  ReadSettings();
  resize(DesignSize);
  move(DesignPosition);
  SetTextMode();
}

void TReportForm::CreateActions() {
  fileSaveAsItem_ = new QAction(tr("Save &As..."), this);
  connect(fileSaveAsItem_, &QAction::triggered, this, &TReportForm::FileSaveAsItemClick);
  filePrintItem_ = new QAction(tr("&Print..."), this);
  connect(filePrintItem_, &QAction::triggered, this, &TReportForm::FilePrintItemClick);
  filePrinterSetupItem_ = new QAction(tr("Printer Se&tup..."), this);
  connect(filePrinterSetupItem_, &QAction::triggered, this, &TReportForm::PrinterSetupItemClick);
  fileReturnItem_ = new QAction(tr("&Return"), this);
  connect(fileReturnItem_, &QAction::triggered, this, &TReportForm::FileReturnItemClick);
  editCopyItem_ = new QAction(tr("&Copy"), this);
  connect(editCopyItem_, &QAction::triggered, this, &TReportForm::EditCopyItemClick);

  optionsLabelPointsItem_ = new QAction(tr("&Label Points"), this);
  optionsLabelPointsItem_->setCheckable(true);
  optionsLabelPointsItem_->setChecked(true);
  optionsLabelPointsItem_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
  connect(optionsLabelPointsItem_, &QAction::triggered, this,
          &TReportForm::OptionsLabelPointsItemClick);
  // Belonging to the window as well as to the menu keeps Ctrl+L working while
  // the Options menu is hidden (text mode, scree plot).
  addAction(optionsLabelPointsItem_);

  optionsLabelNamesItem_ = new QAction(tr("Label with &Names"), this);
  optionsLabelNamesItem_->setCheckable(true);
  connect(optionsLabelNamesItem_, &QAction::triggered, this,
          &TReportForm::OptionsLabelNamesItemClick);
}

void TReportForm::CreateMenus() {
  auto* menuBar = new QMenuBar(this);
  QMenu* fileMenu = menuBar->addMenu(tr("&File"));
  fileMenu->addAction(fileSaveAsItem_);
  fileMenu->addAction(filePrintItem_);
  fileMenu->addAction(filePrinterSetupItem_);
  fileMenu->addSeparator();
  fileMenu->addAction(fileReturnItem_);
  QMenu* editMenu = menuBar->addMenu(tr("&Edit"));
  editMenu->addAction(editCopyItem_);
  optionsMenu_ = menuBar->addMenu(tr("&Options"));
  optionsMenu_->addAction(optionsLabelPointsItem_);
  optionsMenu_->addAction(optionsLabelNamesItem_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setMenuBar(menuBar);
}

void TReportForm::CreateLayout() {
  axesPanel_ = new QWidget(this);
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
  // Either spinner's change redraws the whole plot (SpinXChange, SpinYChange).
  connect(spinX_, &QSpinBox::valueChanged, this, &TReportForm::RedrawScatter);
  connect(spinY_, &QSpinBox::valueChanged, this, &TReportForm::RedrawScatter);

  memo_ = new TListingView(this);
  xyGraph_ = new TPlotView(this);
  auto* layout = static_cast<QVBoxLayout*>(this->layout());
  layout->addWidget(axesPanel_);
  layout->addWidget(memo_, 1);
  layout->addWidget(xyGraph_, 1);
}

void TReportForm::ReadSettings() {
  optionsLabelPointsItem_->setChecked(settings_.ReadInteger(OptionsSection, LabelPointsKey, 1) !=
                                      0);
  optionsLabelNamesItem_->setChecked(settings_.ReadInteger(OptionsSection, LabelNamesKey, 0) != 0);
  xyGraph_->SetMarksUseNames(optionsLabelNamesItem_->isChecked());
}

void TReportForm::SaveSettings() {
  settings_.WriteInteger(OptionsSection, LabelPointsKey,
                         optionsLabelPointsItem_->isChecked() ? 1 : 0);
  settings_.WriteInteger(OptionsSection, LabelNamesKey,
                         optionsLabelNamesItem_->isChecked() ? 1 : 0);
}

void TReportForm::SetTextMode() {
  chartMode_ = false;
  xyGraph_->hide();
  axesPanel_->hide();
  memo_->show();
}

void TReportForm::SetChartMode(PlotKind kind, const QString& caption, bool scatter) {
  chartMode_ = true;
  setWindowTitle(caption);
  memo_->hide();
  xyGraph_->SetKind(kind);
  xyGraph_->show();
  axesPanel_->setVisible(scatter);
}

void TReportForm::ShowListing(const talvex::TReportListing& listing) {
  ShowText(tr("Report Listing"), listing.Lines());
}

void TReportForm::ShowDiagnostics(const talvex::TReportListing& report) {
  ShowText(tr("Diagnostics"), report.Lines());
}

void TReportForm::ShowText(const QString& caption, const std::vector<std::string>& text) {
  setWindowTitle(caption);
  // Reopening shows the same text scrolled and selected as it was left.
  if (text != listingLines_) {
    listingLines_ = text;
    QStringList lines;
    lines.reserve(qsizetype(listingLines_.size()));
    for (const std::string& line : listingLines_) lines.append(FromEightBit(line));
    memo_->SetLines(lines);
  }
  SetTextMode();
  FormShow();
  interaction_->RunModal(*this);
}

void TReportForm::ShowScoresPlot(const talvex::TAnalysisState& state) {
  state_ = &state;
  SetChartMode(PlotKind::ScoresPlot, tr("Object Scores"), true);
  FormShow();
  interaction_->RunModal(*this);
}

void TReportForm::ShowVectorsPlot(const talvex::TAnalysisState& state) {
  state_ = &state;
  SetChartMode(PlotKind::VectorsPlot, tr("Component Loadings"), true);
  FormShow();
  interaction_->RunModal(*this);
}

void TReportForm::ShowScreePlot(const talvex::TAnalysisState& state) {
  state_ = &state;
  const talvex::TFloatVector& eigenvalues = state.Results().eigenvalues;
  const talvex::TSize count = std::min(state.FactorCount(), eigenvalues.Length());
  QList<QPointF> points;
  points.reserve(count);
  for (talvex::TSize k = 1; k <= count; ++k) points.append(QPointF(k, eigenvalues.GetValue(k)));
  xyGraph_->ShowScree(points);
  SetChartMode(PlotKind::ScreePlot, tr("Plot of Eigenvalues"), false);
  FormShow();
  interaction_->RunModal(*this);
}

talvex::TSize TReportForm::ComponentCount() const {
  if (!state_) return 0;
  const talvex::TAnalysisResults& results = state_->Results();
  return std::min(
      {results.eigenvalues.Length(), results.scores.Cols(), results.eigenvectors.Cols()});
}

void TReportForm::FormShow() {
  const bool scatter = !axesPanel_->isHidden();
  optionsMenu_->menuAction()->setVisible(scatter);
  // The spinners offer the components the user asked for; with a single
  // one asked for, a scatter plot still needs a second axis, so component 2
  // is offered when the results hold it.
  const talvex::TSize available = ComponentCount();
  int top = int(std::min<talvex::TSize>(state_ ? state_->FactorCount() : 1, available));
  if (top < 2 && available >= 2) top = 2;
  top = std::max(top, 1);
  {
    const QSignalBlocker blockX(spinX_);
    const QSignalBlocker blockY(spinY_);
    spinX_->setRange(1, top);
    spinY_->setRange(1, top);
    spinX_->setValue(1);
    spinY_->setValue(std::min(2, top));
  }
  RedrawScatter();
}

void TReportForm::RedrawScatter() {
  if (axesPanel_->isHidden() || !state_) return;
  const talvex::TSize x = talvex::TSize(spinX_->value());
  const talvex::TSize y = talvex::TSize(spinY_->value());
  if (std::max(x, y) > ComponentCount()) return;
  Guarded([&] {
    const talvex::TAnalysisResults& results = state_->Results();
    const talvex::TDataMatrix& data = state_->Data();
    const bool scores = xyGraph_->Kind() == PlotKind::ScoresPlot;
    const talvex::TFloatMatrix& values = scores ? results.scores : results.eigenvectors;
    const std::vector<std::string>& labels = scores ? data.objectLabels : data.variableLabels;
    QList<QPointF> points;
    QStringList names;
    points.reserve(values.Rows());
    names.reserve(values.Rows());
    for (talvex::TSize i = 1; i <= values.Rows(); ++i) {
      points.append(QPointF(values.GetValue(i, x), values.GetValue(i, y)));
      names.append(PointName(labels, i));
    }
    xyGraph_->ShowScatter(
        xyGraph_->Kind(), points, names,
        ComponentAxisTitle(int(x), results.eigenvalues.GetValue(x), results.trace),
        ComponentAxisTitle(int(y), results.eigenvalues.GetValue(y), results.trace), windowTitle());
  });
}

void TReportForm::FileSaveAsItemClick() {
  Guarded([this] {
    TSaveRequest request;
    request.title = tr("Save As");
    if (chartMode_) {
      request.filters = {TextFilter,
                         BitmapFilter,
                         QStringLiteral("PNG images (*.png)"),
                         QStringLiteral("SVG drawings (*.svg)"),
                         QStringLiteral("PDF documents (*.pdf)"),
                         AllFilesFilter};
      request.selectedFilter = 1;
      request.defaultSuffix = QStringLiteral("bmp");
    } else {
      request.filters = {TextFilter, BitmapFilter, AllFilesFilter};
      request.selectedFilter = 0;
      request.defaultSuffix = QStringLiteral("txt");
    }
    const QString name = interaction_->AskSaveFileName(this, request);
    if (name.isEmpty()) return;
    // The mode decides what is written; of the name only a .png, .svg or .pdf
    // ending changes the picture's format.
    if (chartMode_) {
      const QByteArray bytes = ChartFileBytes(*xyGraph_, ChartFileFormatFor(name));
      talvex::WriteFileAtomically(FileSystemPath(name),
                                  std::string_view(bytes.constData(), std::size_t(bytes.size())));
    } else {
      std::string text;
      for (const std::string& line : listingLines_) text.append(line).append("\r\n");
      talvex::WriteFileAtomically(FileSystemPath(name), text);
    }
  });
}

void TReportForm::FilePrintItemClick() {
  Guarded([this] {
    if (!interaction_->AskPrint(this, printer_)) return;
    if (chartMode_)
      PrintChart(printer_, *xyGraph_);
    else
      PrintListing(printer_, memo_->font(), *this, memo_->Lines());
  });
}

void TReportForm::PrinterSetupItemClick() {
  Guarded([this] { interaction_->AskPrinterSetup(this, printer_); });
}

void TReportForm::EditCopyItemClick() {
  Guarded([this] {
    if (chartMode_) {
      QGuiApplication::clipboard()->setImage(xyGraph_->RenderBitmap());
      interaction_->ShowInformation(this, tr("Graph successfully copied to Clipboard"));
    } else {
      memo_->selectAll();
      memo_->copy();
      interaction_->ShowInformation(this, tr("Text successfully copied to Clipboard"));
    }
  });
}

void TReportForm::Guarded(const std::function<void()>& command) {
  try {
    command();
  } catch (...) {
    const TFailureReport failure = DescribeFailure(std::current_exception());
    interaction_->ShowError(this, failure.message, failure.detail);
  }
}

void TReportForm::FileReturnItemClick() { close(); }

void TReportForm::OptionsLabelPointsItemClick() {
  Guarded([this] {
    // The action has already inverted its check mark. Only checking it turns
    // the current scatter plot's marks over; unchecking leaves them as they are.
    if (optionsLabelPointsItem_->isChecked() && xyGraph_->Kind() != PlotKind::ScreePlot) {
      TPointSeries& series = xyGraph_->Series(xyGraph_->Kind());
      series.SetMarksShown(!series.MarksShown());
    }
    xyGraph_->chart()->update();
  });
}

void TReportForm::OptionsLabelNamesItemClick() {
  Guarded([this] { xyGraph_->SetMarksUseNames(optionsLabelNamesItem_->isChecked()); });
}
