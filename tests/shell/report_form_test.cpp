// The report window's text mode and its commands in both modes: Save As,
// Print to a PDF file, Copy, Return; each output is read back and checked.
#include "shell/report_form.h"

#include <QAction>
#include <QBuffer>
#include <QChart>
#include <QClipboard>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImageReader>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTest>
#include <QTextCursor>
#include <memory>

#include "report_test_data.h"
#include "scripted_report_interaction.h"
#include "shell/listing_view.h"
#include "shell/settings_file.h"

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
  std::unique_ptr<TReportForm> form_;

  QString Path(const QString& name) const { return dir_.filePath(name); }
  void ShowMode(const QString& mode) {
    if (mode == "text")
      form_->ShowListing(data_->listing);
    else
      form_->ShowScoresPlot(data_->state);
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
    form_.reset();
    settings_ = std::make_unique<TSettingsFile>(Path("TALVEX.INI"));
    form_ = std::make_unique<TReportForm>(*settings_, interaction_);
  }

  void textModeShowsTheListingInAFixedPitchFont() {
    form_->ShowListing(data_->listing);
    QCOMPARE(form_->windowTitle(), QString("Report Listing"));
    QVERIFY(!form_->ChartMode());
    QVERIFY(form_->Memo().isVisible());
    QVERIFY(!form_->Chart().isVisible());
    QVERIFY(!form_->AxesPanel().isVisible());
    QVERIFY(!form_->OptionsMenu().menuAction()->isVisible());
    QVERIFY(form_->Memo().isReadOnly());
    QCOMPARE(form_->Memo().toPlainText(),
             QString::fromStdString(data_->listing.Text("\n")).chopped(1));
    const QFontInfo font(form_->Memo().font());
    QVERIFY2(font.fixedPitch(), qPrintable(font.family()));
    QCOMPARE(font.pixelSize(), 13);
    const QFontMetrics metrics(form_->Memo().font());
    QCOMPARE(metrics.horizontalAdvance('W'), metrics.horizontalAdvance('i'));
    QCOMPARE(form_->Memo().palette().color(QPalette::Text), QColor(Qt::black));
    QCOMPARE(interaction_.modalRuns, 1);
  }

  void reopeningKeepsTheSelection() {
    form_->ShowListing(data_->listing);
    QTextCursor cursor = form_->Memo().textCursor();
    cursor.setPosition(5);
    cursor.setPosition(40, QTextCursor::KeepAnchor);
    form_->Memo().setTextCursor(cursor);
    form_->FileReturnItem().trigger();
    QVERIFY(!form_->isVisible());
    form_->ShowListing(data_->listing);
    QCOMPARE(form_->Memo().textCursor().selectionStart(), 5);
    QCOMPARE(form_->Memo().textCursor().selectionEnd(), 40);
    // A new run's listing replaces the text.
    talvex::TReportListing other;
    other.Append("another run");
    form_->ShowListing(other);
    QCOMPARE(form_->Memo().toPlainText(), QString("another run"));
  }

  void saveAs_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("format");  // expected image format; empty: text
    for (const char* name : {"report.txt", "report.bmp", "report.png", "report.svg", "report.pdf"})
      QTest::addRow("text %s", name) << "text" << name << QByteArray();
    QTest::newRow("chart plot.txt") << "chart"
                                    << "plot.txt" << QByteArray("bmp");
    QTest::newRow("chart plot.bmp") << "chart"
                                    << "plot.bmp" << QByteArray("bmp");
    QTest::newRow("chart plot (no extension)") << "chart"
                                               << "plot" << QByteArray("bmp");
    QTest::newRow("chart plot.PNG") << "chart"
                                    << "plot.PNG" << QByteArray("png");
    QTest::newRow("chart plot.svg") << "chart"
                                    << "plot.svg" << QByteArray("svg");
    QTest::newRow("chart plot.pdf") << "chart"
                                    << "plot.pdf" << QByteArray("pdf");
  }
  void saveAs() {
    QFETCH(QString, mode);
    QFETCH(QString, name);
    QFETCH(QByteArray, format);
    ShowMode(mode);
    const QString path = Path(mode + "-" + name);
    interaction_.saveNames.push_back(path);
    form_->FileSaveAsItem().trigger();
    QVERIFY2(interaction_.errors.isEmpty(), qPrintable(interaction_.errors.join('\n')));
    QCOMPARE(interaction_.saveRequests.size(), std::size_t(1));
    const TSaveRequest& request = interaction_.saveRequests.front();
    QCOMPARE(request.title, QString("Save As"));
    QCOMPARE(request.filters.value(0), QString("Text files (*.txt)"));
    QCOMPARE(request.filters.value(1), QString("Bitmap files (*.bmp)"));
    QCOMPARE(request.filters.last(), QString("All files (*.*)"));
    QCOMPARE(request.selectedFilter, mode == "text" ? 0 : 1);
    QCOMPARE(request.defaultSuffix, QString(mode == "text" ? "txt" : "bmp"));

    const QByteArray bytes = ReadAll(path);
    if (format.isEmpty()) {
      QCOMPARE(bytes, QByteArray::fromStdString(data_->listing.Text("\r\n")));
      return;
    }
    const QSize chartSize = form_->Chart().size();
    QVERIFY(chartSize.width() > 100 && chartSize.height() > 100);
    if (format == "svg") {
      QSvgRenderer svg(bytes);
      QVERIFY(svg.isValid());
      // The drawing's coordinates are the chart's pixels.
      QCOMPARE(svg.viewBoxF(), QRectF(QPointF(0, 0), chartSize));
      QVERIFY(bytes.contains("Object Scores"));
    } else if (format == "pdf") {
      QVERIFY(bytes.startsWith("%PDF"));
      RequirePoppler();
      QCOMPARE(PdfPages(path), 1);
      // One page of the chart's size at 96 pixels to the inch.
      const QString info = Poppler("pdfinfo", {path});
      const QStringList size = info.mid(info.indexOf("Page size:") + 10)
                                   .section('\n', 0, 0)
                                   .split(' ', Qt::SkipEmptyParts);
      QVERIFY2(size.size() >= 3, qPrintable(info));
      QVERIFY(std::fabs(size[0].toDouble() - chartSize.width() * 0.75) < 1);
      QVERIFY(std::fabs(size[2].toDouble() - chartSize.height() * 0.75) < 1);
      const QString text = PdfText(path);
      QVERIFY2(text.contains("Object Scores") && text.contains("Component 1"), qPrintable(text));
    } else {
      QBuffer buffer;
      buffer.setData(bytes);
      QImageReader reader(&buffer);
      QCOMPARE(reader.format(), format);
      const QImage image = reader.read();
      QCOMPARE(image.size(), chartSize);
      QCOMPARE(image.pixelColor(2, 2), QColor(Qt::white));
      // The blue of the score markers is in the picture.
      bool blue = false;
      for (int y = 0; y < image.height() && !blue; ++y)
        for (int x = 0; x < image.width() && !blue; ++x)
          blue = image.pixelColor(x, y) == QColor(0, 0, 255);
      QVERIFY(blue);
    }
  }

  void saveAsCancelledWritesNothing() {
    const QStringList before = QDir(dir_.path()).entryList(QDir::Files);
    form_->ShowListing(data_->listing);
    form_->FileSaveAsItem().trigger();
    QCOMPARE(interaction_.saveRequests.size(), std::size_t(1));
    QVERIFY(interaction_.errors.isEmpty());
    QCOMPARE(QDir(dir_.path()).entryList(QDir::Files), before);
  }

  void saveAsFailureNamesTheFile_data() {
    QTest::addColumn<QString>("mode");
    QTest::newRow("text") << "text";
    QTest::newRow("chart") << "chart";
  }
  void saveAsFailureNamesTheFile() {
    QFETCH(QString, mode);
    ShowMode(mode);
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
    form_->ShowListing(data_->listing);
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
    form_->ShowListing(data_->listing);
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
    form_->ShowListing(listing);
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

  void printingTheChartGivesOnePage_data() {
    QTest::addColumn<int>("plot");
    QTest::newRow("scores") << 0;
    QTest::newRow("vectors") << 1;
    QTest::newRow("scree") << 2;
  }
  void printingTheChartGivesOnePage() {
    RequirePoppler();
    QFETCH(int, plot);
    const char* titles[] = {"Object Scores", "Component Loadings", "Plot of Eigenvalues"};
    if (plot == 0) form_->ShowScoresPlot(data_->state);
    if (plot == 1) form_->ShowVectorsPlot(data_->state);
    if (plot == 2) form_->ShowScreePlot(data_->state);
    interaction_.printFile = Path(QString("chart%1.pdf").arg(plot));
    form_->FilePrintItem().trigger();
    QVERIFY(interaction_.errors.isEmpty());
    QCOMPARE(PdfPages(interaction_.printFile), 1);
    QVERIFY(PdfText(interaction_.printFile).contains(titles[plot]));
  }

  void printingCancelledOrFailing() {
    form_->ShowListing(data_->listing);
    form_->FilePrintItem().trigger();  // no print file: the user cancels
    QVERIFY(interaction_.errors.isEmpty());
    interaction_.printFile = Path("no-such-folder/listing.pdf");
    form_->FilePrintItem().trigger();
    QCOMPARE(interaction_.errors, QStringList("Cannot print to " + interaction_.printFile));
    form_->FilePrinterSetupItem().trigger();
    QCOMPARE(interaction_.printerSetups, 1);
  }

  void copyInTextModeCopiesTheWholeListing() {
    form_->ShowListing(data_->listing);
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

  void copyInChartModeCopiesTheGraph() {
    form_->ShowVectorsPlot(data_->state);
    QGuiApplication::clipboard()->clear();
    form_->EditCopyItem().trigger();
    QCOMPARE(interaction_.informations, QStringList("Graph successfully copied to Clipboard"));
    const QImage image = QGuiApplication::clipboard()->image();
    QCOMPARE(image.size(), form_->Chart().size());
    bool red = false;
    for (int y = 0; y < image.height() && !red; ++y)
      for (int x = 0; x < image.width() && !red; ++x)
        red = image.pixelColor(x, y) == QColor(Qt::red);
    QVERIFY(red);
  }

  void returnClosesTheWindow() {
    form_->ShowScreePlot(data_->state);
    QVERIFY(form_->isVisible());
    form_->FileReturnItem().trigger();
    QVERIFY(!form_->isVisible());
  }
};

QTEST_MAIN(TReportFormTest)
#include "report_form_test.moc"
