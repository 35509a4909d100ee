// Figure export: pixel sizes and DPI whatever the screen's scale (this suite
// runs at QT_SCALE_FACTOR 1 and 2), SVG and PDF read back by Qt's renderer
// and by real viewers and compared with the PNG, refused names, failing
// writes, the clipboard and the printed page.
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QImageReader>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <cmath>

#include "drawing/figure_export.h"
#include "shell/plots/plot_print.h"
#include "test_figure.h"
#include "tests/support/write_fault_seam.h"

using namespace talvex::desktop;
using namespace talvex::drawing;

namespace {

const TFigureSize Journal;  // 17 x 12 cm at 300 dpi
const QSize JournalPixels(2008, 1417);

// Images are compared as small grey pictures: rasterisers differ in
// antialiasing and glyph hinting, not in where the figure's parts lie.
const QSize CompareSize(240, 170);
// Two small grey pictures differ in a pixel when their grey levels are more
// than this apart (of 255).
constexpr int Differing = 48;
// The share of differing pixels below which two renderings show the same
// figure. Renderings of one figure by Qt, rsvg and poppler, and the printed
// page, differ in at most 0.6% of the pixels; the figure with its diagonal
// mirrored differs in 4%, the figure shifted by 1/40 of its width in 12%.
constexpr double SameFigure = 0.01;

QImage Grey(const QImage& image) {
  return image.convertToFormat(QImage::Format_RGB32)
      .scaled(CompareSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
      .convertToFormat(QImage::Format_Grayscale8);
}

double DifferingShare(const QImage& a, const QImage& b) {
  const QImage greyA = Grey(a);
  const QImage greyB = Grey(b);
  int differing = 0;
  for (int y = 0; y < greyA.height(); ++y) {
    const uchar* rowA = greyA.constScanLine(y);
    const uchar* rowB = greyB.constScanLine(y);
    for (int x = 0; x < greyA.width(); ++x)
      differing += std::abs(int(rowA[x]) - int(rowB[x])) > Differing ? 1 : 0;
  }
  return double(differing) / (greyA.width() * greyA.height());
}

// Pixels that are not (nearly) white.
int InkPixels(const QImage& image) {
  const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
  int count = 0;
  for (int y = 0; y < grey.height(); ++y) {
    const uchar* row = grey.constScanLine(y);
    for (int x = 0; x < grey.width(); ++x) count += row[x] < 240 ? 1 : 0;
  }
  return count;
}

QImage FromBytes(const QByteArray& bytes) {
  QImage image;
  image.loadFromData(bytes);
  return image;
}

QImage RenderSvg(const QByteArray& svg, const QSize& size) {
  QSvgRenderer renderer(svg);
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  renderer.render(&painter);
  return image;
}

bool HasTool(const QString& tool) { return !QStandardPaths::findExecutable(tool).isEmpty(); }

// Runs a viewer; its standard output, or a failure with its standard error.
QString Run(const QString& tool, const QStringList& arguments, bool* ok) {
  QProcess process;
  process.start(tool, arguments);
  *ok = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit &&
        process.exitCode() == 0;
  return QString::fromUtf8(*ok ? process.readAllStandardOutput() : process.readAllStandardError());
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace

class TFigureExportTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  QImage journalPng_;

  QString Path(const QString& name) const { return dir_.filePath(name); }
  QStringList Files() const { return QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden); }

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    journalPng_ = FromBytes(FigureFileBytes(TTestFigure(), Journal, TFigureFormat::Png, "T"));
    QCOMPARE(journalPng_.size(), JournalPixels);
  }
  void cleanup() {
    for (const QString& name : Files()) QFile::remove(Path(name));
  }

  // The suite is registered once per scale; make sure the scale took effect.
  void runsAtTheScaleAsked() {
    const QByteArray asked = qgetenv("QT_SCALE_FACTOR");
    if (asked.isEmpty()) QSKIP("QT_SCALE_FACTOR is not set");
    QCOMPARE(qApp->devicePixelRatio(), asked.toDouble());
  }

  void pixelSizes_data() {
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    QTest::addColumn<int>("unit");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<QSize>("pixels");
    QTest::newRow("17 x 12 cm at 300 dpi")
        << 17.0 << 12.0 << int(TLengthUnit::Centimetres) << 300 << QSize(2008, 1417);
    QTest::newRow("8.5 x 6 cm at 600 dpi")
        << 8.5 << 6.0 << int(TLengthUnit::Centimetres) << 600 << QSize(2008, 1417);
    QTest::newRow("7 x 5 in at 300 dpi")
        << 7.0 << 5.0 << int(TLengthUnit::Inches) << 300 << QSize(2100, 1500);
    QTest::newRow("3.5 x 2.5 in at 72 dpi")
        << 3.5 << 2.5 << int(TLengthUnit::Inches) << 72 << QSize(252, 180);
    QTest::newRow("800 x 600 px at 96 dpi")
        << 800.0 << 600.0 << int(TLengthUnit::Pixels) << 96 << QSize(800, 600);
    QTest::newRow("800 x 600 px at 300 dpi")
        << 800.0 << 600.0 << int(TLengthUnit::Pixels) << 300 << QSize(800, 600);
  }
  void pixelSizes() {
    QFETCH(double, width);
    QFETCH(double, height);
    QFETCH(int, unit);
    QFETCH(int, dpi);
    QFETCH(QSize, pixels);
    const TFigureSize size{width, height, TLengthUnit(unit), dpi};
    QCOMPARE(FigurePixelSize(size), pixels);
    const QImage image = RenderFigureImage(TTestFigure(), size);
    QCOMPARE(image.size(), pixels);
    QCOMPARE(image.devicePixelRatio(), 1.0);
    QCOMPARE(image.logicalDpiX(), dpi);
  }

  void unitConversionsKeepThePhysicalSize() {
    const TFigureSize inches = FigureSizeIn(Journal, TLengthUnit::Inches);
    QVERIFY(std::abs(inches.width - 17 / 2.54) < 1e-12);
    const TFigureSize pixels = FigureSizeIn(inches, TLengthUnit::Pixels);
    QVERIFY(std::abs(pixels.width - 17 / 2.54 * 300) < 1e-9);
    QCOMPARE(FigurePixelSize(pixels), JournalPixels);
    const TFigureSize back = FigureSizeIn(pixels, TLengthUnit::Centimetres);
    QVERIFY(std::abs(back.width - 17) < 1e-12 && std::abs(back.height - 12) < 1e-12);
  }

  void sizeLimits_data() {
    QTest::addColumn<double>("width");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<QString>("problem");
    QTest::newRow("usual") << 17.0 << 300 << QString();
    QTest::newRow("84 cm at 300 dpi") << 84.0 << 300 << QString();
    QTest::newRow("85 cm at 300 dpi")
        << 85.0 << 300 << "The figure may be at most 10000 x 10000 pixels";
    QTest::newRow("0.1 cm") << 0.1 << 300 << "The figure must be at least 16 pixels wide and high";
    QTest::newRow("zero") << 0.0 << 300 << "The figure must be at least 16 pixels wide and high";
    QTest::newRow("not a number") << std::nan("") << 300
                                  << "The figure must be at least 16 pixels wide and high";
    QTest::newRow("huge") << 1e300 << 300 << "The figure may be at most 10000 x 10000 pixels";
    QTest::newRow("20 dpi") << 17.0 << 20 << "The resolution must be from 30 to 2400 dpi";
    QTest::newRow("4800 dpi") << 17.0 << 4800 << "The resolution must be from 30 to 2400 dpi";
  }
  void sizeLimits() {
    QFETCH(double, width);
    QFETCH(int, dpi);
    QFETCH(QString, problem);
    const TFigureSize size{width, 12, TLengthUnit::Centimetres, dpi};
    QCOMPARE(FigureSizeProblem(size), problem);
    if (problem.isEmpty()) return;
    try {
      SaveFigure(Path("big.png"), TTestFigure(), size, "T");
      QFAIL("a figure of a refused size was written");
    } catch (const EFigureExport& e) {
      QCOMPARE(QString::fromStdString(e.Message()), problem);
    }
    QVERIFY(Files().isEmpty());
  }

  // Fonts and pens are in points: the figure at 300 dpi is the figure at
  // 150 dpi with twice the pixels, not a figure with smaller text.
  void theLookDoesNotDependOnTheDpi() {
    TFigureSize half = Journal;
    half.dpi = 150;
    const QImage low = RenderFigureImage(TTestFigure(), half);
    QCOMPARE(low.size(), QSize(1004, 709));
    QVERIFY2(DifferingShare(low, journalPng_) < SameFigure,
             qPrintable(QString::number(DifferingShare(low, journalPng_))));
  }

  // The comparison itself tells different figures apart.
  void theComparisonSeesADifferentFigure() {
    const double mirrored =
        DifferingShare(RenderFigureImage(TTestFigure(true), Journal), journalPng_);
    QVERIFY2(mirrored > 3 * SameFigure, qPrintable(QString::number(mirrored)));
    QImage shiftedImage(journalPng_.size(), QImage::Format_RGB32);
    shiftedImage.fill(Qt::white);
    QPainter(&shiftedImage).drawImage(journalPng_.width() / 40, 0, journalPng_);
    const double shifted = DifferingShare(shiftedImage, journalPng_);
    QVERIFY2(shifted > 2 * SameFigure, qPrintable(QString::number(shifted)));
  }

  void pngCarriesItsSizeAndDpi() {
    SaveFigure(Path("figure.png"), TTestFigure(), Journal, "Object Scores");
    QImageReader reader(Path("figure.png"));
    QCOMPARE(reader.format(), QByteArray("png"));
    const QImage image = reader.read();
    QCOMPARE(image.size(), JournalPixels);
    QCOMPARE(std::lround(image.dotsPerMeterX() * 0.0254), 300L);
    QCOMPARE(std::lround(image.dotsPerMeterY() * 0.0254), 300L);
    QCOMPARE(image.text("Title"), QString("Object Scores"));
    QCOMPARE(DifferingShare(image, journalPng_), 0.0);
  }

  void svgMatchesThePng() {
    SaveFigure(Path("figure.svg"), TTestFigure(), Journal, "Object Scores");
    const QByteArray svg = ReadAll(Path("figure.svg"));
    QSvgRenderer renderer(svg);
    QVERIFY(renderer.isValid());
    QCOMPARE(renderer.viewBoxF(), QRectF(QPointF(0, 0), QSizeF(JournalPixels)));
    QVERIFY(svg.contains("<title>Object Scores</title>"));
    // The physical size: 2008 pixels at 300 dpi are 170.0 mm.
    QVERIFY2(svg.contains("width=\"170.0") && svg.contains("height=\"119.9"),
             svg.left(400).constData());
    const double difference = DifferingShare(RenderSvg(svg, JournalPixels), journalPng_);
    QVERIFY2(difference < SameFigure, qPrintable(QString::number(difference)));
  }

  void svgOpensInRsvg() {
    if (!HasTool("rsvg-convert")) QSKIP("rsvg-convert (librsvg2-bin) is not installed");
    SaveFigure(Path("figure.svg"), TTestFigure(), Journal, "Object Scores");
    bool ok = false;
    const QString error = Run("rsvg-convert",
                              {"--dpi-x", "300", "--dpi-y", "300", "-f", "png", "-o",
                               Path("rsvg.png"), Path("figure.svg")},
                              &ok);
    QVERIFY2(ok, qPrintable(error));
    const QImage image(Path("rsvg.png"));
    QVERIFY(qAbs(image.width() - JournalPixels.width()) <= 1);
    QVERIFY(qAbs(image.height() - JournalPixels.height()) <= 1);
    // rsvg keeps the transparent parts transparent: lay the picture on white.
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter(&flat).drawImage(0, 0, image);
    const double difference = DifferingShare(flat, journalPng_);
    QVERIFY2(difference < SameFigure, qPrintable(QString::number(difference)));
  }

  void pdfOpensInPopplerAndMatchesThePng() {
    if (!HasTool("pdftoppm") || !HasTool("pdfinfo"))
      QSKIP("poppler-utils (pdftoppm, pdfinfo) are not installed");
    SaveFigure(Path("figure.pdf"), TTestFigure(), Journal, "Object Scores");
    bool ok = false;
    const QString info = Run("pdfinfo", {Path("figure.pdf")}, &ok);
    QVERIFY2(ok, qPrintable(info));
    QVERIFY2(info.contains(QRegularExpression("Pages:\\s+1\\n")), qPrintable(info));
    QVERIFY2(info.contains(QRegularExpression("Title:\\s+Object Scores\\n")), qPrintable(info));
    // 17 x 12 cm are 481.9 x 340.2 points; PDF pages are whole points.
    QVERIFY2(info.contains(QRegularExpression("Page size:\\s+482 x 340 pts")), qPrintable(info));
    const QString error = Run(
        "pdftoppm", {"-r", "300", "-png", "-singlefile", Path("figure.pdf"), Path("poppler")}, &ok);
    QVERIFY2(ok, qPrintable(error));
    const QImage image(Path("poppler.png"));
    QVERIFY(qAbs(image.width() - JournalPixels.width()) <= 2);
    QVERIFY(qAbs(image.height() - JournalPixels.height()) <= 2);
    const double difference = DifferingShare(image, journalPng_);
    QVERIFY2(difference < SameFigure, qPrintable(QString::number(difference)));
  }

  void formatFollowsTheExtensionInAnyCase_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("start");
    QTest::newRow("png") << "a.png" << QByteArray("\x89PNG");
    QTest::newRow("PNG") << "b.PNG" << QByteArray("\x89PNG");
    QTest::newRow("Svg") << "c.Svg" << QByteArray("<?xml");
    QTest::newRow("pdf") << "d.pdf" << QByteArray("%PDF");
    QTest::newRow("dotted folder") << "e.f/g.PDF" << QByteArray("%PDF");
  }
  void formatFollowsTheExtensionInAnyCase() {
    QFETCH(QString, name);
    QFETCH(QByteArray, start);
    QDir(dir_.path()).mkpath("e.f");
    SaveFigure(Path(name), TTestFigure(), Journal, "T");
    QVERIFY(ReadAll(Path(name)).startsWith(start));
    QDir(Path("e.f")).removeRecursively();
  }

  void otherExtensionsAreRefused_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("bmp") << "figure.bmp";
    QTest::newRow("jpg") << "figure.jpg";
    QTest::newRow("none") << "figure";
    QTest::newRow("png inside") << "figure.png.txt";
    QTest::newRow("svgz") << "figure.svgz";
    QTest::newRow("dot only") << "figure.";
  }
  void otherExtensionsAreRefused() {
    QFETCH(QString, name);
    try {
      SaveFigure(Path(name), TTestFigure(), Journal, "T");
      QFAIL("a refused name was written");
    } catch (const EFigureExport& e) {
      QCOMPARE(QString::fromStdString(e.Message()),
               "Cannot save the figure as " + Path(name) +
                   ": the file name must end in .png, .svg or .pdf");
    }
    QVERIFY(Files().isEmpty());
  }

  void fileNamesGetTheFilterExtension() {
    QCOMPARE(FigureFileNameWithExtension("/t/plot", TFigureFormat::Svg), QString("/t/plot.svg"));
    QCOMPARE(FigureFileNameWithExtension("/t.d/plot", TFigureFormat::Pdf),
             QString("/t.d/plot.pdf"));
    QCOMPARE(FigureFileNameWithExtension("/t/plot.PNG", TFigureFormat::Svg),
             QString("/t/plot.PNG"));
    QCOMPARE(FigureFileNameWithExtension("/t/plot.bmp", TFigureFormat::Png),
             QString("/t/plot.bmp"));
    QCOMPARE(FigureFileFilters(),
             QStringList({"PNG image (*.png)", "SVG drawing (*.svg)", "PDF document (*.pdf)"}));
  }

  void aFailingWriteLeavesNoFile_data() {
    QTest::addColumn<int>("stage");
    QTest::addColumn<QString>("name");
    QTest::newRow("write png") << int(talvex::TWriteFaultStage::Write) << "f.png";
    QTest::newRow("write pdf") << int(talvex::TWriteFaultStage::Write) << "f.pdf";
    QTest::newRow("sync svg") << int(talvex::TWriteFaultStage::Sync) << "f.svg";
    QTest::newRow("rename png") << int(talvex::TWriteFaultStage::Rename) << "f.png";
  }
  void aFailingWriteLeavesNoFile() {
    QFETCH(int, stage);
    QFETCH(QString, name);
    for (const bool existing : {false, true}) {
      const QByteArray old("the figure saved before");
      if (existing) QVERIFY(WriteAll(Path(name), old));
      try {
        const talvex::TScopedWriteFault fault({talvex::TWriteFaultStage(stage), 1000, ENOSPC});
        SaveFigure(Path(name), TTestFigure(), Journal, "T");
        QFAIL("the failing write was not reported");
      } catch (const talvex::EInOutError& e) {
        QVERIFY2(QString::fromStdString(e.Message()).startsWith("Cannot write file " + Path(name)),
                 e.what());
      }
      QCOMPARE(Files(), existing ? QStringList{name} : QStringList());
      if (existing) QCOMPARE(ReadAll(Path(name)), old);
    }
  }

  void aMissingFolderIsReported() {
    try {
      SaveFigure(Path("no/such/figure.png"), TTestFigure(), Journal, "T");
      QFAIL("a file in a missing folder was reported written");
    } catch (const talvex::EInOutError& e) {
      QVERIFY2(QString::fromStdString(e.Message())
                   .startsWith("Cannot create file " + Path("no/such/figure.png")),
               e.what());
    }
  }

  void copyPutsThePictureAtTheChosenSize() {
    const TFigureSize size{800, 600, TLengthUnit::Pixels, 96};
    PutFigureOnClipboard(TTestFigure(), size, "Object Scores");
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data != nullptr && data->hasImage());
    const QImage image = qvariant_cast<QImage>(data->imageData());
    QCOMPARE(image.size(), QSize(800, 600));
    QVERIFY(data->hasFormat("image/svg+xml"));
    QSvgRenderer renderer(data->data("image/svg+xml"));
    QVERIFY(renderer.isValid());
    QCOMPARE(renderer.viewBoxF().size(), QSizeF(800, 600));
    const double difference = DifferingShare(
        image, RenderFigureImage(TTestFigure(), {800 / 96.0, 600 / 96.0, TLengthUnit::Inches, 96}));
    QCOMPARE(difference, 0.0);
  }

  // One page; the figure as large as the printable area allows with its
  // proportions, at the top and centred across; the same picture as the PNG.
  void printFillsThePrintableAreaWithProportionsKept_data() {
    QTest::addColumn<int>("orientation");
    QTest::newRow("portrait") << int(QPageLayout::Portrait);
    QTest::newRow("landscape") << int(QPageLayout::Landscape);
  }
  void printFillsThePrintableAreaWithProportionsKept() {
    QFETCH(int, orientation);
    if (!HasTool("pdftoppm") || !HasTool("pdfinfo"))
      QSKIP("poppler-utils (pdftoppm, pdfinfo) are not installed");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(Path("print.pdf"));
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Orientation(orientation));
    printer.setPageMargins(QMarginsF(15, 20, 15, 20), QPageLayout::Millimeter);
    PrintFigure(printer, TTestFigure(), Journal);
    bool ok = false;
    const QString info = Run("pdfinfo", {Path("print.pdf")}, &ok);
    QVERIFY2(ok && info.contains(QRegularExpression("Pages:\\s+1\\n")), qPrintable(info));
    constexpr int Dpi = 300;
    const QString error = Run(
        "pdftoppm",
        {"-r", QString::number(Dpi), "-png", "-singlefile", Path("print.pdf"), Path("page")}, &ok);
    QVERIFY2(ok, qPrintable(error));
    const QImage page(Path("page.png"));
    // Where the figure must be, in the page raster's pixels.
    const double toPage = double(Dpi) / printer.resolution();
    const QRectF printable(printer.pageLayout().paintRectPixels(printer.resolution()));
    const double aspect = 17.0 / 12.0;
    const double width = std::min(printable.width(), printable.height() * aspect);
    const QRectF figure(printable.left() + (printable.width() - width) / 2, printable.top(), width,
                        width / aspect);
    const QRect expected(QPointF(figure.topLeft() * toPage).toPoint(),
                         QPointF(figure.bottomRight() * toPage).toPoint());
    const double difference = DifferingShare(page.copy(expected), journalPng_);
    QVERIFY2(difference < SameFigure, qPrintable(QString::number(difference)));
    // Nothing is drawn outside the figure.
    QImage outside = page.convertToFormat(QImage::Format_RGB32);
    QPainter(&outside).fillRect(expected.adjusted(-2, -2, 2, 2), Qt::white);
    QCOMPARE(InkPixels(outside), 0);
    QVERIFY(InkPixels(page) > 1000);
  }
};

QTEST_MAIN(TFigureExportTest)
#include "plot_export_test.moc"
