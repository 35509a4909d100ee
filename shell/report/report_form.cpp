// The text windows of the results and their commands.
#include "shell/report/report_form.h"

#include <QAction>
#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>

#include "drawing/eight_bit_qstring.h"
#include "export/atomic_file.h"
#include "shell/common/error_report.h"
#include "shell/report/qt_report_interaction.h"
#include "shell/report/report_print.h"
#include "shell/report/report_view.h"
#include "shell/settings/window_place.h"

namespace talvex::desktop {

namespace {

const QString TextFilter = QStringLiteral("Text files (*.txt)");
const QString AllFilesFilter = QStringLiteral("All files (*.*)");

// The first size: the listing's 80 columns and a good part of a page.
constexpr QSize DefaultSize(720, 600);

std::string FileSystemPath(const QString& name) { return QFile::encodeName(name).toStdString(); }

}  // namespace

TReportForm::TReportForm(TSettingsFile& settings, const QString& caption, const QString& placeKey,
                         QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      placeKey_(placeKey),
      ownInteraction_(std::make_unique<TQtReportInteraction>()),
      interaction_(ownInteraction_.get()),
      printer_(QPrinter::HighResolution) {
  Build(caption);
}

TReportForm::TReportForm(TSettingsFile& settings, TReportInteraction& interaction,
                         const QString& caption, const QString& placeKey, QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      placeKey_(placeKey),
      interaction_(&interaction),
      printer_(QPrinter::HighResolution) {
  Build(caption);
}

TReportForm::~TReportForm() = default;

void TReportForm::Build(const QString& caption) {
  setWindowTitle(caption);
  // The program ends with its main window; the result windows go with it.
  setAttribute(Qt::WA_QuitOnClose, false);
  setWindowFlag(Qt::WindowMaximizeButtonHint);
  setWindowFlag(Qt::WindowMinimizeButtonHint);
  setSizeGripEnabled(true);
  setModal(false);
  CreateActions();
  CreateMenus();
  caption_ = caption;
  // Outside the text, so that the listing saved, printed or copied stays the run's own.
  failureLine_ = new QLabel(this);
  failureLine_->setObjectName(QStringLiteral("FailureLine"));
  failureLine_->setWordWrap(true);
  failureLine_->setMargin(6);
  failureLine_->setStyleSheet(QStringLiteral("color: #b00020; font-weight: bold;"));
  failureLine_->hide();
  layout()->addWidget(failureLine_);
  memo_ = new TReportView(this);
  layout()->addWidget(memo_);
  ReadSettings();
}

void TReportForm::CreateActions() {
  fileSaveAsItem_ = new QAction(tr("Save &As..."), this);
  connect(fileSaveAsItem_, &QAction::triggered, this, &TReportForm::FileSaveAsItemClick);
  filePrintItem_ = new QAction(tr("&Print..."), this);
  connect(filePrintItem_, &QAction::triggered, this, &TReportForm::FilePrintItemClick);
  filePrinterSetupItem_ = new QAction(tr("Printer Se&tup..."), this);
  connect(filePrinterSetupItem_, &QAction::triggered, this, &TReportForm::PrinterSetupItemClick);
  fileReturnItem_ = new QAction(tr("&Return"), this);
  connect(fileReturnItem_, &QAction::triggered, this, &QWidget::close);
  editCopyItem_ = new QAction(tr("&Copy"), this);
  connect(editCopyItem_, &QAction::triggered, this, &TReportForm::EditCopyItemClick);
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
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setMenuBar(menuBar);
}

void TReportForm::ReadSettings() { RestoreWindowPlace(*this, settings_, placeKey_, DefaultSize); }

void TReportForm::SaveSettings() { SaveWindowPlace(*this, settings_, placeKey_); }

void TReportForm::closeEvent(QCloseEvent* event) {
  SaveSettings();
  QDialog::closeEvent(event);
}

void TReportForm::SetFailure(const QString& failure) {
  failure_ = failure;
  setWindowTitle(failure.isEmpty() ? caption_ : tr("%1 (failed run)").arg(caption_));
  failureLine_->setText(failure);
  failureLine_->setVisible(!failure.isEmpty());
}

void TReportForm::SetLines(const std::vector<std::string>& lines) {
  if (lines == listingLines_) return;
  listingLines_ = lines;
  QStringList text;
  text.reserve(qsizetype(listingLines_.size()));
  for (const std::string& line : listingLines_) text.append(drawing::FromEightBit(line));
  memo_->SetLines(text);
}

void TReportForm::Present() {
  show();
  raise();
  activateWindow();
}

void TReportForm::FileSaveAsItemClick() {
  Guarded([this] {
    TSaveRequest request;
    request.title = tr("Save As");
    request.filters = {TextFilter, AllFilesFilter};
    request.selectedFilter = 0;
    request.defaultSuffix = QStringLiteral("txt");
    const QString name = interaction_->AskSaveFileName(this, request);
    if (name.isEmpty()) return;
    // The lines are written as text whatever the name's ending.
    std::string text;
    for (const std::string& line : listingLines_) text.append(line).append("\r\n");
    talvex::WriteFileAtomically(FileSystemPath(name), text);
  });
}

void TReportForm::FilePrintItemClick() {
  Guarded([this] {
    if (!interaction_->AskPrint(this, printer_)) return;
    PrintListing(printer_, memo_->font(), *this, memo_->Lines());
  });
}

void TReportForm::PrinterSetupItemClick() {
  Guarded([this] { interaction_->AskPrinterSetup(this, printer_); });
}

void TReportForm::EditCopyItemClick() {
  Guarded([this] {
    memo_->selectAll();
    memo_->copy();
    interaction_->ShowInformation(this, tr("Text successfully copied to Clipboard"));
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

}  // namespace talvex::desktop
