// The report window and its commands: Save As, Print to a PDF file, Copy,
// Return; each output is read back and checked. The window is made and shown
// by the result windows, as the program does.
#include "shell/report/report_form.h"

#include <QAction>
#include <QClipboard>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QTextCursor>
#include <memory>

#include "report_test_data.h"
#include "scripted_plot_interaction.h"
#include "scripted_report_interaction.h"
#include "shell/main_window/result_windows.h"
#include "shell/report/report_view.h"
#include "shell/settings/settings_file.h"

namespace {

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

// The output of a poppler tool, or an empty string when it is not installed.
QString Poppler(const QString& tool, const QStringList& arguments) {
  if (QStandardPaths::findExecutable(tool).isEmpty()) return {};
  QProcess process;
  process.start(tool, arguments);
  process.waitForFinished(60000);
  return QString::fromUtf8(process.readAllStandardOutput());
}

int PdfPages(const QString& path) {
  const QString info = Poppler("pdfinfo", {path});
  const qsizetype at = info.indexOf("Pages:");
  return at < 0 ? -1 : info.mid(at + 6).section('\n', 0, 0).trimmed().toInt();
}

QString PdfText(const QString& path, int page = 0) {
  QStringList arguments{"-layout"};
  if (page > 0) arguments << "-f" << QString::number(page) << "-l" << QString::number(page);
  return Poppler("pdftotext", arguments << path << "-");
}

}  // namespace

class TReportFormTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  std::unique_ptr<TReportTestData> data_;
  std::unique_ptr<TSettingsFile> settings_;
  TScriptedReportInteraction interaction_;
  TScriptedPlotInteraction figureInteraction_;
  std::unique_ptr<TResultWindows> windows_;
  TReportForm* form_ = nullptr;

  QString Path(const QString& name) const { return dir_.filePath(name); }
  void ShowListing(const talvex::TReportListing& listing) {
    windows_->ShowListing(listing, QString());
    form_ = windows_->ListingWindow();
    QVERIFY(form_);
  }
  void RequirePoppler() {
    if (QStandardPaths::findExecutable("pdftotext").isEmpty() ||
        QStandardPaths::findExecutable("pdfinfo").isEmpty())
      QSKIP("poppler-utils (pdftotext, pdfinfo) are not installed");
  }

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    qputenv("TALVEX_CONFIG_DIR", dir_.path().toUtf8());
    data_ = std::make_unique<TReportTestData>();
  }
  void init() {
    interaction_ = TScriptedReportInteraction();
    windows_.reset();
    settings_ = std::make_unique<TSettingsFile>(Path("TALVEX.INI"));
    windows_ = std::make_unique<TResultWindows>(*settings_, interaction_, figureInteraction_);
    form_ = nullptr;
  }

  void textModeShowsTheListingInAFixedPitchFont() {
    ShowListing(data_->listing);
    QCOMPARE(form_->windowTitle(), QString("Report Listing"));
    QVERIFY(form_->isVisible());
    QVERIFY(!form_->isModal());
    QVERIFY(form_->Memo().isVisible());
    QVERIFY(form_->Memo().isReadOnly());
    QCOMPARE(form_->Memo().toPlainText(),
             QString::fromStdString(data_->listing.Text("\n")).chopped(1));
    const QFontInfo font(form_->Memo().font());
    QVERIFY2(font.fixedPitch(), qPrintable(font.family()));
    QCOMPARE(font.pixelSize(), 13);
    const QFontMetrics metrics(form_->Memo().font());
    QCOMPARE(metrics.horizontalAdvance('W'), metrics.horizontalAdvance('i'));
    QCOMPARE(form_->Memo().palette().color(QPalette::Text), QColor(Qt::black));
  }

  void listingAndDiagnosticsHaveAWindowEach() {
    ShowListing(data_->listing);
    talvex::TReportListing report;
    report.Append("diagnostics line");
    windows_->ShowDiagnostics(report);
    TReportForm* diagnostics = windows_->DiagnosticsWindow();
    QVERIFY(diagnostics && diagnostics != form_);
    QCOMPARE(diagnostics->windowTitle(), QString("Diagnostics"));
    QVERIFY(form_->isVisible() && diagnostics->isVisible());
    QCOMPARE(diagnostics->Memo().toPlainText(), QString("diagnostics line"));
    // Loading other data closes the windows of the old results.
    windows_->DataReplaced();
    QVERIFY(!form_->isVisible() && !diagnostics->isVisible());
  }

  void aNewRunRewritesAnOpenListing() {
    ShowListing(data_->listing);
    const TReportTestData next("morph.nts", 2);
    QVERIFY(next.listing.Lines() != data_->listing.Lines());
    windows_->RunCompleted(next.outcome);
    QCOMPARE(form_->Lines(), next.listing.Lines());
  }

  // A failed run's listing is shown as such, outside its text: the caption
  // and a line above it say so, and the text stays the run's own lines.
  void aFailedRunIsMarkedOutsideTheListing() {
    ShowListing(data_->listing);
    auto* line = form_->findChild<QLabel*>("FailureLine");
    QVERIFY(line != nullptr);
    QVERIFY(line->isHidden());
    talvex::TReportListing failed;
    failed.Append("TALVEX - Quorvane");
    failed.Append("the lines before the fault");
    const QString failure = "This listing is of a run that failed (Floating point overflow).";
    windows_->RunFailed(failed, failure);
    QCOMPARE(form_->windowTitle(), QString("Report Listing (failed run)"));
    QVERIFY(!line->isHidden());
    QCOMPARE(line->text(), failure);
    QCOMPARE(form_->Memo().toPlainText(), QString("TALVEX - Quorvane\nthe lines before the fault"));
    QCOMPARE(form_->Lines(), failed.Lines());
    // The next completed run's listing is no longer marked.
    windows_->RunCompleted(data_->outcome);
    QCOMPARE(form_->windowTitle(), QString("Report Listing"));
    QVERIFY(line->isHidden());
    // Shown anew with its mark, and again without.
    windows_->ShowListing(failed, failure);
    QVERIFY(!line->isHidden());
    windows_->ShowListing(data_->listing, QString());
    QVERIFY(line->isHidden());
  }

  void theWindowComesBackWhereItWasLeft() {
    ShowListing(data_->listing);
    form_->resize(640, 480);
    form_->FileReturnItem().trigger();
    windows_.reset();
    windows_ = std::make_unique<TResultWindows>(*settings_, interaction_, figureInteraction_);
    ShowListing(data_->listing);
    QCOMPARE(form_->size(), QSize(640, 480));
  }

  void reopeningKeepsTheSelection() {
    ShowListing(data_->listing);
    QTextCursor cursor = form_->Memo().textCursor();
    cursor.setPosition(5);
    cursor.setPosition(40, QTextCursor::KeepAnchor);
    form_->Memo().setTextCursor(cursor);
    form_->FileReturnItem().trigger();
    QVERIFY(!form_->isVisible());
    ShowListing(data_->listing);
    QCOMPARE(form_->Memo().textCursor().selectionStart(), 5);
    QCOMPARE(form_->Memo().textCursor().selectionEnd(), 40);
    // A new run's listing replaces the text.
    talvex::TReportListing other;
    other.Append("another run");
    ShowListing(other);
    QCOMPARE(form_->Memo().toPlainText(), QString("another run"));
  }

  void saveAs_data() {
    QTest::addColumn<QString>("name");
    for (const char* name : {"report.txt", "report.bmp", "report.png", "report.svg", "report.pdf"})
      QTest::addRow("%s", name) << name;
  }
  void saveAs() {
    // The lines are written as text whatever the name's ending.
    QFETCH(QString, name);
    ShowListing(data_->listing);
    const QString path = Path(name);
    interaction_.saveNames.push_back(path);
    form_->FileSaveAsItem().trigger();
    QVERIFY2(interaction_.errors.isEmpty(), qPrintable(interaction_.errors.join('\n')));
    QCOMPARE(interaction_.saveRequests.size(), std::size_t(1));
    const TSaveRequest& request = interaction_.saveRequests.front();
    QCOMPARE(request.title, QString("Save As"));
    QCOMPARE(request.filters.value(0), QString("Text files (*.txt)"));
    QCOMPARE(request.filters.last(), QString("All files (*.*)"));
    QCOMPARE(request.selectedFilter, 0);
    QCOMPARE(request.defaultSuffix, QString("txt"));
    QCOMPARE(ReadAll(path), QByteArray::fromStdString(data_->listing.Text("\r\n")));
  }

  void saveAsCancelledWritesNothing() {
    const QStringList before = QDir(dir_.path()).entryList(QDir::Files);
    ShowListing(data_->listing);
    form_->FileSaveAsItem().trigger();
    QCOMPARE(interaction_.saveRequests.size(), std::size_t(1));
    QVERIFY(interaction_.errors.isEmpty());
    QCOMPARE(QDir(dir_.path()).entryList(QDir::Files), before);
  }

  void saveAsFailureNamesTheFile() {
    ShowListing(data_->listing);
    const QString path = Path("no-such-folder/report.txt");
    interaction_.saveNames.push_back(path);
    form_->FileSaveAsItem().trigger();
    QCOMPARE(interaction_.errors.size(), 1);
    QVERIFY2(interaction_.errors.front().startsWith("Cannot create file " + path + ": "),
             qPrintable(interaction_.errors.front()));
    QVERIFY(!QFile::exists(path));
  }

  void anyFailureReachesTheErrorBox() {
    // Not only the program's own failures: a foreign exception ends the
    // command with the error box, and the window goes on working.
    ShowListing(data_->listing);
    interaction_.failAsking = true;
    form_->FileSaveAsItem().trigger();
    QCOMPARE(interaction_.errors.size(), 1);
    QVERIFY2(interaction_.errors.front().startsWith("the dialog could not be made"),
             qPrintable(interaction_.errors.front()));
    const QString path = Path("after.txt");
    interaction_.saveNames.push_back(path);
    form_->FileSaveAsItem().trigger();
    QVERIFY(QFile::exists(path));
  }

  void printingTheListingToAPdfFile() {
    RequirePoppler();
    ShowListing(data_->listing);
    interaction_.printFile = Path("listing.pdf");
    form_->FilePrintItem().trigger();
    QVERIFY2(interaction_.errors.isEmpty(), qPrintable(interaction_.errors.join('\n')));
    const QString text = PdfText(interaction_.printFile);
    for (const char* line : {"TALVEX - Quorvane", "Eigenvalues", "% Variance"})
      QVERIFY2(text.contains(line), line);
    // Every non-empty listing line is printed whole (the lines fit the page).
    for (const std::string& line : data_->listing.Lines()) {
      const QString simplified = QString::fromStdString(line).simplified();
      if (!simplified.isEmpty()) QVERIFY2(text.simplified().contains(simplified), line.c_str());
    }
  }

  void longLinesWrapAndPagesBreak() {
    RequirePoppler();
    talvex::TReportListing listing;
    for (int i = 1; i <= 150; ++i) listing.Append(QString::asprintf("line %03d", i).toStdString());
    std::string wide;
    for (int i = 0; i < 40; ++i) wide += QString::asprintf("w%02d-abcdef ", i).toStdString();
    listing.Append(wide);
    ShowListing(listing);
    interaction_.printFile = Path("long.pdf");
    form_->FilePrintItem().trigger();
    QVERIFY(interaction_.errors.isEmpty());
    const int pages = PdfPages(interaction_.printFile);
    QVERIFY2(pages >= 3, qPrintable(QString::number(pages)));
    QVERIFY(PdfText(interaction_.printFile, 1).contains("line 001"));
    QVERIFY(!PdfText(interaction_.printFile, 1).contains("line 150"));
    const QString last = PdfText(interaction_.printFile, pages);
    QVERIFY(last.contains("line 150"));
    // The wide line continues on the next printed line: its first and last
    // pieces are on different lines, and nothing of it is lost.
    const QStringList printed = last.split('\n');
    qsizetype first = -1;
    qsizetype end = -1;
    for (qsizetype i = 0; i < printed.size(); ++i) {
      if (printed[i].contains("w00-abcdef")) first = i;
      if (printed[i].contains("w39-abcdef")) end = i;
    }
    QVERIFY(first >= 0 && end > first);
    QString joined;
    for (qsizetype i = first; i <= end; ++i) joined += printed[i].trimmed();
    QString expected = QString::fromStdString(wide);
    expected.remove(' ');
    joined.remove(' ');
    QCOMPARE(joined, expected);
  }

  void printingCancelledOrFailing() {
    ShowListing(data_->listing);
    form_->FilePrintItem().trigger();  // no print file: the user cancels
    QVERIFY(interaction_.errors.isEmpty());
    interaction_.printFile = Path("no-such-folder/listing.pdf");
    form_->FilePrintItem().trigger();
    QCOMPARE(interaction_.errors, QStringList("Cannot print to " + interaction_.printFile));
    form_->FilePrinterSetupItem().trigger();
    QCOMPARE(interaction_.printerSetups, 1);
  }

  void copyInTextModeCopiesTheWholeListing() {
    ShowListing(data_->listing);
    QGuiApplication::clipboard()->clear();
    form_->EditCopyItem().trigger();
    QCOMPARE(interaction_.informations, QStringList("Text successfully copied to Clipboard"));
    std::string expected = data_->listing.Text("\r\n");
    expected.resize(expected.size() - 2);  // from the first line's start to the last line's end
    QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromStdString(expected));
    const QTextCursor cursor = form_->Memo().textCursor();
    QCOMPARE(cursor.selectionStart(), 0);
    QCOMPARE(cursor.selectionEnd(), form_->Memo().document()->characterCount() - 1);
  }

  void returnClosesTheWindow() {
    ShowListing(data_->listing);
    QVERIFY(form_->isVisible());
    form_->FileReturnItem().trigger();
    QVERIFY(!form_->isVisible());
  }
};

QTEST_MAIN(TReportFormTest)
#include "report_form_test.moc"
