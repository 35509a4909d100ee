// The plot windows' choice of how the supplementary objects' jackknife
// uncertainty is drawn (Options > Supplementary Objects): error bars,
// ellipses or no marks, redrawn at once, kept per kind in the settings, and
// offered only where there is something to switch.
#include <QAction>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "scripted_plot_interaction.h"
#include "scripted_report_interaction.h"
#include "shell/main_window/result_windows.h"
#include "shell/plots/plot_canvas.h"
#include "shell/plots/plot_window.h"
#include "shell/settings/settings_file.h"
#include "tables/table_import.h"
#include "talvex/supplementary_sources.h"

using namespace talvex::desktop;
using namespace talvex::drawing;

namespace {

const QString EllipseLegend = "95% jackknife ellipses (supplementary)";

// iris with its species as groups and the virgin rows supplementary.
std::shared_ptr<const talvex::TRunOutcome> IrisRun(bool supplementary, bool jackknife = true) {
  talvex::TRunData data;
  data.path = std::string(TALVEX_TEST_DATA) + "/iris_grouped.csv";
  talvex::TImportReport report;
  data.matrix = talvex::ImportTable(data.path, talvex::TImportOptions(), &report);
  if (supplementary) talvex::PickSupplementaryRows(data, {"species", {"virgin"}});
  talvex::TRunOptions options;
  options.analysis.jackknife = jackknife;
  options.threads = 1;
  talvex::TAnalysis analysis;
  analysis.Compute(std::move(data), options);
  return analysis.Outcome();
}

// The supplementary objects' ellipses, by their dashed outlines of many points.
int Ellipses(const TFigureScene& scene) {
  int count = 0;
  for (const TScenePolyline& line : scene.lines)
    if (line.closed && line.style == Qt::DashLine && line.points.size() > 100) ++count;
  return count;
}

bool HasLegend(const TFigureScene& scene, const QString& legend) {
  for (const TScenePolyline& line : scene.lines)
    if (line.legend == legend) return true;
  return false;
}

}  // namespace

class TSupplementaryMarksTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  std::unique_ptr<TSettingsFile> settings_;
  TScriptedReportInteraction interaction_;
  TScriptedPlotInteraction figureInteraction_;
  std::unique_ptr<TResultWindows> windows_;
  std::shared_ptr<const talvex::TRunOutcome> placed_;

  // The result windows of a new start of the program, after the last ones
  // wrote their settings.
  void NewWindows() {
    if (windows_) {
      windows_->SaveSettings();
      QVERIFY(settings_->Save());
    }
    windows_.reset();
    settings_ = std::make_unique<TSettingsFile>(dir_.filePath("TALVEX.INI"));
    windows_ = std::make_unique<TResultWindows>(*settings_, interaction_, figureInteraction_);
  }
  TPlotWindow& Show(TPlotKind kind, const std::shared_ptr<const talvex::TRunOutcome>& outcome) {
    windows_->RunCompleted(outcome);
    windows_->ShowPlot(kind, outcome, outcome->FactorCount());
    return *windows_->PlotWindow(kind);
  }

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    placed_ = IrisRun(true);
    QCOMPARE(placed_->Supplementary().objectLabels.size(), std::size_t(50));
  }
  void init() {
    QFile::remove(dir_.filePath("TALVEX.INI"));
    windows_.reset();
    NewWindows();
  }

  void TheChoiceRedrawsAtOnce_data() {
    QTest::addColumn<int>("shown");
    QTest::newRow("scores") << int(TPlotKind::Scores);
    QTest::newRow("biplot") << int(TPlotKind::Biplot);
  }
  void TheChoiceRedrawsAtOnce() {
    QFETCH(int, shown);
    const auto kind = TPlotKind(shown);
    TPlotWindow& window = Show(kind, placed_);
    QMenu* menu = window.SupplementaryMenu();
    QVERIFY(menu != nullptr);
    QVERIFY(window.OptionsMenu().actions().contains(menu->menuAction()));
    QVERIFY(menu->isEnabled());
    // Error bars, as the command line draws them unless told otherwise.
    QVERIFY(window.SupplementaryBarsItem().isChecked());
    const TFigureScene bars = window.Canvas().Scene();
    QVERIFY(bars.errorBars.size() >= 50);
    QCOMPARE(Ellipses(bars), 0);

    window.SupplementaryEllipsesItem().trigger();
    QVERIFY(!window.SupplementaryBarsItem().isChecked());
    const TFigureScene ellipses = window.Canvas().Scene();
    QCOMPARE(Ellipses(ellipses), 50);
    QVERIFY(HasLegend(ellipses, EllipseLegend));
    QCOMPARE(window.Choices().supplementaryMarks, TSupplementaryMarks::Ellipses);
    // The scores plot's active objects carry no marks of their own.
    if (kind == TPlotKind::Scores) QVERIFY(ellipses.errorBars.empty());

    window.SupplementaryNoMarksItem().trigger();
    QCOMPARE(Ellipses(window.Canvas().Scene()), 0);
    QVERIFY(!HasLegend(window.Canvas().Scene(), EllipseLegend));
    if (kind == TPlotKind::Scores) QVERIFY(window.Canvas().Scene().errorBars.empty());
    // The objects themselves stay whatever their marks.
    QCOMPARE(window.Canvas().Scene().items.size(), bars.items.size());
  }

  void TheChoiceIsKeptPerKind() {
    Show(TPlotKind::Scores, placed_).SupplementaryEllipsesItem().trigger();
    Show(TPlotKind::Biplot, placed_).SupplementaryNoMarksItem().trigger();
    NewWindows();
    TPlotWindow& scores = Show(TPlotKind::Scores, placed_);
    QVERIFY(scores.SupplementaryEllipsesItem().isChecked());
    QCOMPARE(Ellipses(scores.Canvas().Scene()), 50);
    QVERIFY(Show(TPlotKind::Biplot, placed_).SupplementaryNoMarksItem().isChecked());
  }

  void OfferedOnlyWhereThereIsSomethingToSwitch() {
    // Plots without supplementary objects have nothing to draw them for.
    for (TPlotKind kind : {TPlotKind::Vectors, TPlotKind::Scree, TPlotKind::Influence})
      QVERIFY(Show(kind, placed_).SupplementaryMenu() == nullptr);
    // A run without them, or without the jackknife, shows the choice disabled.
    QVERIFY(!Show(TPlotKind::Scores, IrisRun(false)).SupplementaryMenu()->isEnabled());
    const auto unestimated = IrisRun(true, false);
    QVERIFY(!Show(TPlotKind::Scores, unestimated).SupplementaryMenu()->isEnabled());
    // A new run with them enables it in the open window.
    QVERIFY(Show(TPlotKind::Scores, placed_).SupplementaryMenu()->isEnabled());
  }
};

QTEST_MAIN(TSupplementaryMarksTest)
#include "supplementary_marks_test.moc"
