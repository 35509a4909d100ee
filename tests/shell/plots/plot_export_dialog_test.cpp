// The figure's Save As and Copy: the size dialog (units, resolution, the pixel
// line, limits), the size and file type remembered in the settings file, the
// order of the dialogs and what each answer leads to, and Qt's own dialogs
// driven as a user would.
#include "shell/plots/plot_export_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "drawing/figure_export.h"
#include "scripted_plot_interaction.h"
#include "shell/plots/plot_commands.h"
#include "shell/plots/qt_plot_interaction.h"
#include "shell/settings/settings_file.h"
#include "test_figure.h"

using namespace talvex::desktop;
using namespace talvex::drawing;

namespace {

template <typename T>
T& Part(QWidget& dialog, const char* name) {
  T* part = dialog.findChild<T*>(QLatin1String(name));
  if (part == nullptr) qFatal("the dialog has no %s", name);
  return *part;
}

struct TDialogParts {
  explicit TDialogParts(QWidget& dialog)
      : width(Part<QDoubleSpinBox>(dialog, "WidthBox")),
        height(Part<QDoubleSpinBox>(dialog, "HeightBox")),
        unit(Part<QComboBox>(dialog, "UnitBox")),
        dpi(Part<QSpinBox>(dialog, "DpiBox")),
        pixels(Part<QLabel>(dialog, "PixelsLabel")),
        ok(*dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)) {}
  QDoubleSpinBox& width;
  QDoubleSpinBox& height;
  QComboBox& unit;
  QSpinBox& dpi;
  QLabel& pixels;
  QPushButton& ok;
};

// Acts on the next modal dialog as soon as it shows (the test itself is
// blocked in the dialog's exec).
void OnNextModal(const std::function<void(QWidget&)>& act) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    act(*modal);
  });
  timer->start();
}

bool Near(double a, double b) { return std::abs(a - b) < 1e-9; }

}  // namespace

class TFigureExportDialogTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  std::unique_ptr<TSettingsFile> settings_;
  TScriptedPlotInteraction interaction_;
  TTestFigure figure_;

  QString Path(const QString& name) const { return dir_.filePath(name); }
  QString SettingsPath() const { return Path("TALVEX.INI"); }
  QStringList Figures() const {
    return QDir(dir_.path()).entryList({"*.png", "*.svg", "*.pdf", "*.bmp", "plot*"}, QDir::Files);
  }

 private slots:
  void initTestCase() { QVERIFY(dir_.isValid()); }
  void init() {
    QFile::remove(SettingsPath());
    for (const QString& name : Figures()) QFile::remove(Path(name));
    settings_ = std::make_unique<TSettingsFile>(SettingsPath());
    interaction_ = TScriptedPlotInteraction();
  }

  void dialogShowsTheSizeAndItsPixels() {
    TPlotExportDialog dialog(TFigureSize{});
    const TDialogParts parts(dialog);
    QCOMPARE(parts.width.value(), 17.0);
    QCOMPARE(parts.height.value(), 12.0);
    QCOMPARE(parts.unit.currentText(), QString("centimetres"));
    QCOMPARE(parts.dpi.value(), 300);
    QCOMPARE(parts.pixels.text(), QString("2008 x 1417 pixels (17.0 x 12.0 cm)"));
    QVERIFY(parts.ok.isEnabled());
    parts.dpi.setValue(600);
    QCOMPARE(parts.pixels.text(), QString("4016 x 2835 pixels (17.0 x 12.0 cm)"));
    parts.width.setValue(8.5);
    QCOMPARE(parts.pixels.text(), QString("2008 x 2835 pixels (8.5 x 12.0 cm)"));
    QCOMPARE(dialog.Size().width, 8.5);
    QCOMPARE(dialog.Size().dpi, 600);
  }

  void switchingUnitsKeepsThePhysicalSize() {
    TPlotExportDialog dialog(TFigureSize{});
    const TDialogParts parts(dialog);
    parts.unit.setCurrentIndex(1);
    QCOMPARE(parts.width.text(), QString("6.693"));
    QCOMPARE(parts.height.text(), QString("4.724"));
    QCOMPARE(dialog.Size().unit, TLengthUnit::Inches);
    parts.unit.setCurrentIndex(2);
    QCOMPARE(parts.width.text(), QString("2008"));
    QCOMPARE(parts.height.text(), QString("1417"));
    QCOMPARE(parts.pixels.text(), QString("2008 x 1417 pixels (17.0 x 12.0 cm)"));
    parts.unit.setCurrentIndex(0);
    QCOMPARE(parts.width.text(), QString("17.00"));
    // Not rounded to what the boxes show on the way.
    QVERIFY(Near(dialog.Size().width, 17) && Near(dialog.Size().height, 12));
    QCOMPARE(dialog.Size().unit, TLengthUnit::Centimetres);
  }

  // In pixels the raster stays and the resolution sets the physical size.
  void inPixelsTheResolutionSetsThePhysicalSize() {
    TPlotExportDialog dialog(TFigureSize{800, 600, TLengthUnit::Pixels, 96});
    const TDialogParts parts(dialog);
    QCOMPARE(parts.pixels.text(), QString("800 x 600 pixels (21.2 x 15.9 cm)"));
    parts.dpi.setValue(300);
    QCOMPARE(parts.pixels.text(), QString("800 x 600 pixels (6.8 x 5.1 cm)"));
    parts.unit.setCurrentIndex(0);
    QCOMPARE(parts.width.text(), QString("6.77"));
  }

  void sizesOutOfBoundsCannotBeAccepted_data() {
    QTest::addColumn<double>("width");
    QTest::addColumn<QString>("text");
    QTest::newRow("too wide") << 90.0 << "The figure may be at most 10000 x 10000 pixels.";
    QTest::newRow("too narrow") << 0.1 << "The figure must be at least 16 pixels wide and high.";
  }
  void sizesOutOfBoundsCannotBeAccepted() {
    QFETCH(double, width);
    QFETCH(QString, text);
    TPlotExportDialog dialog(TFigureSize{});
    const TDialogParts parts(dialog);
    parts.width.setValue(width);
    QCOMPARE(parts.pixels.text(), text);
    QVERIFY(!parts.ok.isEnabled());
    parts.width.setValue(17);
    QVERIFY(parts.ok.isEnabled());
  }

  void theSizeIsRememberedInTheSettingsFile() {
    QCOMPARE(ReadFigureSize(*settings_).width, 17.0);
    WriteFigureSize(*settings_, {3.5, 2.75, TLengthUnit::Inches, 600});
    QVERIFY(settings_->Save());
    QFile file(SettingsPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromLatin1(file.readAll()),
             QString("[FigureExport]\nWidth=3.5\nHeight=2.75\nUnit=in\nDpi=600\n"));
    const TFigureSize read = ReadFigureSize(TSettingsFile(SettingsPath()));
    QCOMPARE(read.width, 3.5);
    QCOMPARE(read.height, 2.75);
    QCOMPARE(read.unit, TLengthUnit::Inches);
    QCOMPARE(read.dpi, 600);
  }

  void anUnusableRememberedSizeGivesTheDefault_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("width not a number") << "Width"
                                        << "wide";
    QTest::newRow("width with a comma") << "Width"
                                        << "3,5";
    QTest::newRow("unknown unit") << "Unit"
                                  << "mm";
    QTest::newRow("too large") << "Width"
                               << "300";
    QTest::newRow("resolution too low") << "Dpi"
                                        << "10";
  }
  void anUnusableRememberedSizeGivesTheDefault() {
    QFETCH(QString, key);
    QFETCH(QString, value);
    WriteFigureSize(*settings_, {3.5, 2.75, TLengthUnit::Inches, 600});
    settings_->WriteString("FigureExport", key, value);
    const TFigureSize read = ReadFigureSize(*settings_);
    QCOMPARE(read.width, 17.0);
    QCOMPARE(read.height, 12.0);
    QCOMPARE(read.unit, TLengthUnit::Centimetres);
    QCOMPARE(read.dpi, 300);
  }

  void askingTheSizeStartsFromAndRemembersTheLastOne() {
    WriteFigureSize(*settings_, {8.5, 6, TLengthUnit::Centimetres, 600});
    interaction_.sizeAnswers = {std::nullopt, TFigureSize{4, 3, TLengthUnit::Inches, 150}};
    TFigureSize size{1, 1, TLengthUnit::Pixels, 72};
    QVERIFY(!AskFigureSize(nullptr, interaction_, *settings_, size));
    QCOMPARE(size.width, 1.0);
    QCOMPARE(ReadFigureSize(*settings_).width, 8.5);
    QVERIFY(AskFigureSize(nullptr, interaction_, *settings_, size));
    QCOMPARE(interaction_.sizeRequests.size(), std::size_t(2));
    QCOMPARE(interaction_.sizeRequests[0].width, 8.5);
    QCOMPARE(interaction_.sizeRequests[0].dpi, 600);
    QCOMPARE(size.width, 4.0);
    QCOMPARE(ReadFigureSize(*settings_).unit, TLengthUnit::Inches);
    QCOMPARE(ReadFigureSize(*settings_).dpi, 150);
  }

  // The chosen file type gives a bare name its extension; the file type and
  // the folder are remembered for the next Save As.
  void saveAsWritesTheChosenTypeAndRemembersIt() {
    interaction_.fileAnswers = {TFigureFileChoice{Path("plot"), TFigureFormat::Svg}};
    interaction_.sizeAnswers = {TFigureSize{8.5, 6, TLengthUnit::Centimetres, 300}};
    QVERIFY(AskAndSaveFigure(nullptr, interaction_, *settings_, figure_, "Object Scores",
                             "Object Scores"));
    QCOMPARE(interaction_.fileRequests.at(0).startPath, QString("Object Scores"));
    QCOMPARE(interaction_.fileRequests.at(0).filter, TFigureFormat::Png);
    QCOMPARE(Figures(), QStringList{"plot.svg"});
    QFile file(Path("plot.svg"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("<title>Object Scores</title>"));

    interaction_.fileAnswers = {TFigureFileChoice{Path("plot.PDF"), TFigureFormat::Svg}};
    interaction_.sizeAnswers = {TFigureSize{}};
    QVERIFY(AskAndSaveFigure(nullptr, interaction_, *settings_, figure_, "Loadings", "Loadings"));
    QCOMPARE(interaction_.fileRequests.at(1).startPath, QDir(dir_.path()).filePath("Loadings"));
    QCOMPARE(interaction_.fileRequests.at(1).filter, TFigureFormat::Svg);
    QCOMPARE(interaction_.sizeRequests.at(1).width, 8.5);
    QCOMPARE(Figures(), QStringList({"plot.PDF", "plot.svg"}));
    QCOMPARE(settings_->ReadString("FigureExport", "Format"), QString("pdf"));
  }

  void saveAsRefusesAnotherExtensionBeforeAskingTheSize() {
    interaction_.fileAnswers = {TFigureFileChoice{Path("plot.bmp"), TFigureFormat::Png}};
    interaction_.sizeAnswers = {TFigureSize{}};
    try {
      AskAndSaveFigure(nullptr, interaction_, *settings_, figure_, "T", "T");
      QFAIL("a .bmp name was accepted");
    } catch (const EFigureExport& e) {
      QCOMPARE(QString::fromStdString(e.Message()),
               "Cannot save the figure as " + Path("plot.bmp") +
                   ": the file name must end in .png, .svg or .pdf");
    }
    QVERIFY(interaction_.sizeRequests.empty());
    QVERIFY(Figures().isEmpty());
    QVERIFY(settings_->Keys("FigureExport").isEmpty());
  }

  void cancellingEitherDialogWritesNothing() {
    interaction_.fileAnswers = {TFigureFileChoice{},
                                TFigureFileChoice{Path("plot.png"), TFigureFormat::Png}};
    interaction_.sizeAnswers = {std::nullopt};
    QVERIFY(!AskAndSaveFigure(nullptr, interaction_, *settings_, figure_, "T", "T"));
    QVERIFY(interaction_.sizeRequests.empty());
    QVERIFY(!AskAndSaveFigure(nullptr, interaction_, *settings_, figure_, "T", "T"));
    QCOMPARE(interaction_.sizeRequests.size(), std::size_t(1));
    QVERIFY(Figures().isEmpty());
    QVERIFY(settings_->Keys("FigureExport").isEmpty());
  }

  void copyPutsTheFigureOnTheClipboardAtTheChosenSize() {
    QGuiApplication::clipboard()->setText("before");
    interaction_.sizeAnswers = {std::nullopt, TFigureSize{4, 3, TLengthUnit::Inches, 150}};
    QVERIFY(!AskAndCopyFigure(nullptr, interaction_, *settings_, figure_, "T"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("before"));
    QVERIFY(AskAndCopyFigure(nullptr, interaction_, *settings_, figure_, "T"));
    QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(600, 450));
    QVERIFY(QGuiApplication::clipboard()->mimeData()->hasFormat("image/svg+xml"));
    QCOMPARE(ReadFigureSize(*settings_).dpi, 150);
  }

  void qtSizeDialogAnswers() {
    TQtPlotInteraction qt;
    TFigureSize size;
    OnNextModal([](QWidget& dialog) {
      TDialogParts(dialog).width.setValue(8.5);
      QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    QVERIFY(!qt.AskFigureSize(nullptr, size));
    QCOMPARE(size.width, 17.0);
    OnNextModal([](QWidget& dialog) {
      TDialogParts parts(dialog);
      parts.width.setValue(8.5);
      parts.ok.click();
    });
    QVERIFY(qt.AskFigureSize(nullptr, size));
    QCOMPARE(size.width, 8.5);
  }

  // Choosing another file type in Qt's dialog gives a bare name that type's
  // extension; a typed extension stays.
  void qtFileDialogAddsTheChosenTypesExtension_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("filterSteps");  // presses of Down on the file-type box
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("filter");
    QTest::newRow("preselected") << "plot-a" << 0 << "plot-a.png" << int(TFigureFormat::Png);
    QTest::newRow("svg chosen") << "plot-b" << 1 << "plot-b.svg" << int(TFigureFormat::Svg);
    QTest::newRow("pdf chosen") << "plot-c" << 2 << "plot-c.pdf" << int(TFigureFormat::Pdf);
    QTest::newRow("typed extension")
        << "plot-d.svg" << 2 << "plot-d.svg" << int(TFigureFormat::Pdf);
  }
  void qtFileDialogAddsTheChosenTypesExtension() {
    QFETCH(QString, typed);
    QFETCH(int, filterSteps);
    QFETCH(QString, name);
    QFETCH(int, filter);
    TQtPlotInteraction qt;
    QStringList filters;
    OnNextModal([&](QWidget& widget) {
      auto& dialog = static_cast<QFileDialog&>(widget);
      filters = dialog.nameFilters();
      auto& types = Part<QComboBox>(dialog, "fileTypeCombo");
      for (int i = 0; i < filterSteps; ++i) QTest::keyClick(&types, Qt::Key_Down);
      Part<QLineEdit>(dialog, "fileNameEdit").setText(typed);
      static_cast<QDialog&>(dialog).accept();  // QFileDialog's own, which adds the suffix
    });
    const std::optional<TFigureFileChoice> choice =
        qt.AskFigureFileName(nullptr, Path("start"), TFigureFormat::Png);
    QCOMPARE(filters, FigureFileFilters());
    QVERIFY(choice.has_value());
    QCOMPARE(choice->name, Path(name));
    QCOMPARE(int(choice->filter), filter);
  }
};

QTEST_MAIN(TFigureExportDialogTest)
#include "plot_export_dialog_test.moc"
