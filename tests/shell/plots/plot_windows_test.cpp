// The plot windows on known runs: what each plot shows (points, colours,
// titles, groups, uncertainty marks, reference lines), the axis spinners, the
// Label Points rule, the mouse, several windows at once and following a new
// run; the numbers are checked against the run's own results.
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <memory>

#include "numeric/student_t.h"
#include "report_test_data.h"
#include "scripted_plot_interaction.h"
#include "scripted_report_interaction.h"
#include "shell/main_window/result_windows.h"
#include "shell/plots/parallel_analysis_job.h"
#include "shell/plots/plot_canvas.h"
#include "shell/plots/plot_window.h"
#include "shell/report/report_form.h"
#include "shell/settings/settings_file.h"
#include "tables/table_import.h"

using namespace talvex::desktop;
using namespace talvex::drawing;

namespace {

const QColor Blue(0, 0, 255);
const QColor Red(255, 0, 0);

// iris with its species as groups, analysed with the diagnostics.
struct TGroupedRun {
  std::shared_ptr<const talvex::TRunOutcome> outcome;
  explicit TGroupedRun(talvex::DispersionMethod method = talvex::DispersionMethod::Correlation) {
    talvex::TRunData data;
    data.path = std::string(TALVEX_TEST_DATA) + "/iris_grouped.csv";
    data.matrix = talvex::ImportTable(data.path, talvex::TImportOptions());
    talvex::TRunOptions options;
    options.analysis.method = method;
    options.threads = 1;
    talvex::TAnalysis analysis;
    analysis.Compute(std::move(data), options);
    outcome = analysis.Outcome();
  }
};

bool Near(double a, double b, double tolerance = 1e-12) {
  return std::fabs(a - b) <= tolerance * std::max(1.0, std::fabs(b));
}

// A vector figure rasterised by the system's own converters, as a reader's
// viewer would draw it (librsvg for SVG, poppler for PDF).
QImage Rasterised(const QString& fileName, const QString& extension) {
  const QString png = fileName + ".png";
  QProcess converter;
  if (extension == "svg") {
    converter.start("rsvg-convert", {"-o", png, fileName});
  } else {
    converter.start("pdftoppm", {"-png", "-r", "100", "-singlefile", fileName, fileName});
  }
  if (!converter.waitForFinished(60000) || converter.exitCode() != 0) return QImage();
  return QImage(png);
}

}  // namespace

class TPlotWindowsTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  std::unique_ptr<TReportTestData> data_;
  std::unique_ptr<TGroupedRun> iris_;
  std::unique_ptr<TSettingsFile> settings_;
  TScriptedReportInteraction interaction_;
  TScriptedPlotInteraction figureInteraction_;
  std::unique_ptr<TResultWindows> windows_;

  QString SettingsPath() const { return dir_.filePath("TALVEX.INI"); }
  // The result windows of a new start of the program: the last ones wrote
  // their settings, and the file was saved, as at the end of the program.
  void NewWindows() {
    if (windows_) {
      windows_->SaveSettings();
      QVERIFY(settings_->Save());
    }
    windows_.reset();
    settings_ = std::make_unique<TSettingsFile>(SettingsPath());
    windows_ = std::make_unique<TResultWindows>(*settings_, interaction_, figureInteraction_);
  }
  TPlotWindow& Show(TPlotKind kind, const std::shared_ptr<const talvex::TRunOutcome>& outcome) {
    windows_->ShowPlot(kind, outcome, outcome->FactorCount());
    TPlotWindow* window = windows_->PlotWindow(kind);
    Q_ASSERT(window);
    return *window;
  }
  TPlotWindow& ShowIris(TPlotKind kind) {
    windows_->RunCompleted(iris_->outcome);
    return Show(kind, iris_->outcome);
  }
  // Draws the canvas as the screen would, so that its layout is known.
  static void Paint(TPlotCanvas& canvas) {
    QImage image(canvas.size(), QImage::Format_ARGB32);
    canvas.render(&image);
  }
  QString ExpectedTitle(const talvex::TAnalysisResults& results, talvex::TSize c) {
    return QString::asprintf("Component %u (%.2f%%)", c,
                             results.eigenvalues.GetValue(c) * 100 / results.trace);
  }

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    qputenv("TALVEX_CONFIG_DIR", dir_.path().toUtf8());
    data_ = std::make_unique<TReportTestData>();
    iris_ = std::make_unique<TGroupedRun>();
    QVERIFY(iris_->outcome->Diagnostics().available);
    QCOMPARE(iris_->outcome->Data().groups.size(), std::size_t(150));
  }
  void init() {
    windows_.reset();
    QFile::remove(SettingsPath());
    interaction_ = TScriptedReportInteraction();
    NewWindows();
  }
  void cleanup() {
    QVERIFY2(interaction_.errors.isEmpty(), qPrintable(interaction_.errors.join('\n')));
  }

  void scoresPlotStartsAsTheSpecifiedPlot() {
    TPlotWindow& window = Show(TPlotKind::Scores, data_->outcome);
    const auto& results = data_->outcome->Results();
    QCOMPARE(window.windowTitle(), QString("Object Scores"));
    QVERIFY(window.isVisible());
    QVERIFY(!window.isModal());
    // 800 x 600, or less on a screen without room for it.
    const QSize room = window.screen()->availableGeometry().size();
    QCOMPARE(window.size(), QSize(800, 600).boundedTo(room - QSize(16, 48)));
    QVERIFY(window.AxesPanel().isVisible());
    const TFigureScene& scene = window.Canvas().Scene();
    QCOMPARE(scene.title, QString("Object Scores"));
    QCOMPARE(scene.xTitle, ExpectedTitle(results, 1));
    QCOMPARE(scene.yTitle, ExpectedTitle(results, 2));
    QVERIFY(scene.equalAspect && scene.zeroLines);
    QCOMPARE(scene.pointSets.size(), std::size_t(1));
    QCOMPARE(scene.pointSets[0].fill, Blue);
    QVERIFY(scene.pointSets[0].legend.isEmpty());
    QCOMPARE(scene.items.size(), std::size_t(results.scores.Rows()));
    for (talvex::TSize i = 1; i <= results.scores.Rows(); ++i) {
      QCOMPARE(scene.items[i - 1].at,
               QPointF(results.scores.GetValue(i, 1), results.scores.GetValue(i, 2)));
    }
    // The view holds every point with a small margin, not a far wider one.
    for (const TSceneItem& item : scene.items) {
      QVERIFY(item.at.x() > scene.xRange.low && item.at.x() < scene.xRange.high);
      QVERIFY(item.at.y() > scene.yRange.low && item.at.y() < scene.yRange.high);
    }
  }

  void equalAspectDrawsOneUnitAlikeOnBothAxes() {
    TPlotWindow& window = ShowIris(TPlotKind::Scores);
    for (const QSize size : {QSize(800, 600), QSize(500, 700)}) {
      window.resize(size);
      Paint(window.Canvas());
      const TPlotCanvas& canvas = window.Canvas();
      const double perUnitX =
          canvas.PlotArea().width() / (canvas.DrawnX().high - canvas.DrawnX().low);
      const double perUnitY =
          canvas.PlotArea().height() / (canvas.DrawnY().high - canvas.DrawnY().low);
      QVERIFY2(std::fabs(perUnitX - perUnitY) < 1e-6 * perUnitX,
               qPrintable(QString("%1 %2").arg(perUnitX).arg(perUnitY)));
      // iris scores lie within +-4: no axis runs to +-10 or further.
      QVERIFY(canvas.DrawnX().high < 10 && canvas.DrawnY().high < 10);
    }
  }

  void groupsGetColoursShapesLegendAndRegions() {
    TPlotWindow& window = ShowIris(TPlotKind::Scores);
    const TFigureScene& scene = window.Canvas().Scene();
    QCOMPARE(scene.pointSets.size(), std::size_t(3));
    const QStringList species{"setosa", "versi", "virgin"};
    for (std::size_t g = 0; g < 3; ++g) {
      QCOMPARE(scene.pointSets[g].legend, species[int(g)]);
      QCOMPARE(scene.pointSets[g].items.size(), std::size_t(50));
      const talvex::TRgb rgb = talvex::GroupColour(g);
      QCOMPARE(scene.pointSets[g].fill, QColor(rgb.red, rgb.green, rgb.blue));
      QCOMPARE(scene.pointSets[g].shape, talvex::GroupMarker(g));
      for (int i : scene.pointSets[g].items)
        QCOMPARE(scene.items[std::size_t(i)].group, species[int(g)]);
    }
    QVERIFY(scene.lines.empty());
    window.ConcentrationItem().trigger();
    QCOMPARE(window.Canvas().Scene().lines.size(), std::size_t(3));
    window.HullsItem().trigger();
    QCOMPARE(window.Canvas().Scene().lines.size(), std::size_t(6));
    // Each hull holds its group's points: every point lies inside or on it.
    const TFigureScene& regions = window.Canvas().Scene();
    for (std::size_t g = 0; g < 3; ++g) {
      const std::vector<QPointF>& hull = regions.lines[2 * g + 1].points;
      QPolygonF polygon(QList<QPointF>(hull.begin(), hull.end()));
      for (int i : regions.pointSets[g].items) {
        const QPointF p = regions.items[std::size_t(i)].at;
        bool inside = polygon.containsPoint(p, Qt::OddEvenFill);
        for (std::size_t v = 0; v < hull.size() && !inside; ++v)
          inside = QLineF(p, hull[v]).length() < 1e-9;
        if (!inside) {
          // On an edge: the distances to its two ends add up to its length.
          for (std::size_t v = 0; v < hull.size() && !inside; ++v) {
            const QPointF a = hull[v];
            const QPointF b = hull[(v + 1) % hull.size()];
            inside = std::fabs(QLineF(a, p).length() + QLineF(p, b).length() -
                               QLineF(a, b).length()) < 1e-9;
          }
        }
        QVERIFY(inside);
      }
    }
    window.MeanEllipseItem().trigger();
    // The mean's ellipse is far smaller than the concentration ellipse.
    QCOMPARE(window.Canvas().Scene().lines.size(), std::size_t(6));
  }

  void vectorsPlotHasJackknifeErrorBars() {
    TPlotWindow& window = Show(TPlotKind::Vectors, data_->outcome);
    const auto& results = data_->outcome->Results();
    const TFigureScene& scene = window.Canvas().Scene();
    QCOMPARE(window.windowTitle(), QString("Component Loadings"));
    QCOMPARE(scene.pointSets.size(), std::size_t(1));
    QCOMPARE(scene.pointSets[0].fill, Red);
    const talvex::TSize p = results.eigenvectors.Rows();
    QCOMPARE(scene.items.size(), std::size_t(p));
    const talvex::TJackknifeResults& jackknife = *results.tables.jackknife;
    QCOMPARE(scene.errorBars.size(), std::size_t(p));
    // The bars are the full results' 95% intervals: t with n - 1 df.
    const double t = talvex::ExactStudentTQuantile(int(results.scores.Rows()) - 1, 0.975);
    for (talvex::TSize j = 1; j <= p; ++j) {
      QCOMPARE(scene.items[j - 1].at,
               QPointF(results.eigenvectors.GetValue(j, 1), results.eigenvectors.GetValue(j, 2)));
      const TSceneErrorBar& bar = scene.errorBars[j - 1];
      QCOMPARE(bar.centre, scene.items[j - 1].at);
      QVERIFY(Near(bar.dx, t * jackknife.vectors[j - 1].standardError, 1e-9));
      QVERIFY(Near(bar.dy, t * jackknife.vectors[p + j - 1].standardError, 1e-9));
    }
    QVERIFY(!scene.errorBarLegend.isEmpty());
    window.ErrorBarsItem().trigger();
    QVERIFY(window.Canvas().Scene().errorBars.empty());
  }

  void screePlotKeepsTheSpecifiedLineAndAddsReferences() {
    TPlotWindow& window = Show(TPlotKind::Scree, data_->outcome);
    const auto& results = data_->outcome->Results();
    const TFigureScene& scene = window.Canvas().Scene();
    QCOMPARE(window.windowTitle(), QString("Plot of Eigenvalues"));
    QCOMPARE(scene.title, QString("Plot of Eigenvalues"));
    QCOMPARE(scene.xTitle, QString("Number of Eigenvalues"));
    QCOMPARE(scene.yTitle, QString("Values"));
    QVERIFY(!window.AxesPanel().isVisible());
    const talvex::TSize p = results.eigenvalues.Length();
    const TScenePolyline& line = scene.lines.front();
    QCOMPARE(line.colour, Blue);
    QCOMPARE(line.markerOutline, QColor(0, 128, 0));
    QCOMPARE(line.markerFill, QColor(Qt::white));
    QCOMPARE(line.points.size(), std::size_t(p));
    QCOMPARE(scene.items.size(), std::size_t(p));
    for (talvex::TSize k = 1; k <= p; ++k) {
      QCOMPARE(line.points[k - 1], QPointF(double(k), results.eigenvalues.GetValue(k)));
      QCOMPARE(scene.items[k - 1].mark, QString::number(k));
      QVERIFY(scene.items[k - 1].alwaysLabelled);
      QVERIFY(Near(scene.errorBars[k - 1].dy,
                   talvex::ExactStudentTQuantile(int(results.scores.Rows()) - 1, 0.975) *
                       results.tables.jackknife->eigenvalues[k - 1].standardError,
                   1e-9));
    }
    // Kaiser's rule at the mean eigenvalue (1 under correlations) and the
    // broken stick: trace/p * sum 1/i for i = k..p.
    QCOMPARE(scene.rules.size(), std::size_t(1));
    QVERIFY(Near(scene.rules[0].y, 1.0, 1e-12));
    const TScenePolyline& stick = scene.lines[1];
    for (talvex::TSize k = 1; k <= p; ++k) {
      double expected = 0;
      for (talvex::TSize i = k; i <= p; ++i) expected += 1.0 / double(i);
      QVERIFY(Near(stick.points[k - 1].y(), expected * results.trace / double(p), 1e-12));
    }
    window.PercentBarsItem().trigger();
    const TFigureScene& bars = window.Canvas().Scene();
    QCOMPARE(bars.bars.size(), std::size_t(p));
    double total = 0;
    for (const TSceneBar& bar : bars.bars) total += bar.height;
    QVERIFY(Near(total, 100.0, 1e-9));
    QVERIFY(Near(bars.lines.front().points.back().y(), 100.0, 1e-9));
  }

  void parallelAnalysisRunsOffTheInterfaceThread() {
    TPlotWindow& window = ShowIris(TPlotKind::Scree);
    window.ParallelAnalysisItem().trigger();
    TParallelAnalysisJob* job = window.ParallelAnalysisJob();
    QVERIFY(job);
    QSignalSpy finished(job, &TParallelAnalysisJob::Finished);
    QVERIFY(finished.wait(120000));
    const auto& lines = window.ShownRun()->ParallelAnalysis();
    QVERIFY(lines);
    QCOMPARE(lines->size(), std::size_t(4));
    // Chance eigenvalues of four permuted variables: the first above 1,
    // below the first real eigenvalue of iris, the last below 1.
    QVERIFY(lines->front() > 1.0 &&
            lines->front() < iris_->outcome->Results().eigenvalues.GetValue(1));
    QVERIFY(lines->back() < 1.0);
    bool drawn = false;
    for (const TScenePolyline& line : window.Canvas().Scene().lines)
      drawn = drawn || line.legend.startsWith("Parallel analysis");
    QVERIFY(drawn);
  }

  void spinnersNeverShowOneComponentTwice() {
    TPlotWindow& window = Show(TPlotKind::Scores, data_->outcome);
    QCOMPARE(window.SpinX().minimum(), 1);
    QCOMPARE(window.SpinX().maximum(), 4);
    QCOMPARE(window.SpinX().value(), 1);
    QCOMPARE(window.SpinY().value(), 2);
    window.SpinX().setValue(2);  // onto Y: the two change places
    QCOMPARE(window.SpinY().value(), 1);
    window.SpinY().setValue(4);
    window.SpinY().setValue(2);  // onto X
    QCOMPARE(window.SpinX().value(), 4);
    const auto& scores = data_->outcome->Results().scores;
    QCOMPARE(window.Canvas().Scene().items[0].at,
             QPointF(scores.GetValue(1, 4), scores.GetValue(1, 2)));
  }

  void labelPointsShowsExactlyWhatTheMarkSays() {
    // Checked at first, and then every point is labelled, with its name.
    TPlotWindow& window = Show(TPlotKind::Vectors, data_->outcome);
    Paint(window.Canvas());
    QVERIFY(window.LabelPointsItem().isChecked());
    QVERIFY(window.LabelNamesItem().isChecked());
    const auto& items = window.Canvas().Scene().items;
    QCOMPARE(window.Canvas().ShownLabels().size(), items.size());
    for (const auto& label : window.Canvas().ShownLabels())
      QCOMPARE(items[std::size_t(label.item)].mark, items[std::size_t(label.item)].name);
    window.LabelPointsItem().trigger();
    QVERIFY(!window.Canvas().LabelAll());
    Paint(window.Canvas());
    QVERIFY(window.Canvas().ShownLabels().empty());
    window.LabelPointsItem().trigger();
    Paint(window.Canvas());
    QCOMPARE(window.Canvas().ShownLabels().size(), items.size());
    // Unchecked, the mark is kept for the next start, and the plot agrees.
    window.LabelPointsItem().trigger();
    NewWindows();
    TPlotWindow& again = Show(TPlotKind::Scores, data_->outcome);
    QVERIFY(!again.LabelPointsItem().isChecked());
    Paint(again.Canvas());
    QVERIFY(again.Canvas().ShownLabels().empty());
  }

  void labelsNeverOverlap() {
    TPlotWindow& window = ShowIris(TPlotKind::Scores);
    Paint(window.Canvas());
    const auto& labels = window.Canvas().ShownLabels();
    QVERIFY(labels.size() > 10);
    QVERIFY(labels.size() < 150);  // 150 names cannot all fit apart
    for (std::size_t a = 0; a < labels.size(); ++a) {
      QVERIFY(window.Canvas().PlotArea().contains(labels[a].box));
      for (std::size_t b = a + 1; b < labels.size(); ++b)
        QVERIFY(!labels[a].box.intersects(labels[b].box));
    }
  }

  void mouseZoomsPansHoversAndSelects() {
    TPlotWindow& window = ShowIris(TPlotKind::Scores);
    window.LabelPointsItem().trigger();  // only the selected points labelled
    TPlotCanvas& canvas = window.Canvas();
    Paint(canvas);
    const talvex::TRange x0 = canvas.DrawnX();
    canvas.ZoomAt(canvas.PlotArea().center(), 2.0);
    Paint(canvas);
    QVERIFY(Near(canvas.DrawnX().high - canvas.DrawnX().low, (x0.high - x0.low) / 2, 1e-9));
    const double span = canvas.DrawnX().high - canvas.DrawnX().low;
    const double low = canvas.DrawnX().low;
    canvas.PanBy(QPointF(canvas.PlotArea().width() / 4, 0));  // drag to the right
    Paint(canvas);
    QVERIFY(Near(canvas.DrawnX().low, low - span / 4, 1e-9));
    window.ResetViewItem().trigger();
    Paint(canvas);
    QVERIFY(Near(canvas.DrawnX().low, x0.low, 1e-12));

    // The first object: hovering names it with its group and values; a click
    // selects and labels it.
    const QPointF at = canvas.ToPixels(canvas.Scene().items[0].at);
    const int item = canvas.ItemAt(at);
    QVERIFY(item >= 0);
    QVERIFY(canvas.HoverText(item).contains("(setosa)"));
    QVERIFY(canvas.HoverText(item).contains("Component 1:"));
    QSignalSpy selected(&canvas, &TPlotCanvas::SelectionChanged);
    QTest::mouseClick(&canvas, Qt::LeftButton, {}, at.toPoint());
    QCOMPARE(selected.size(), 1);
    QCOMPARE(canvas.Selection(), std::vector<int>{item});
    Paint(canvas);
    QCOMPARE(canvas.ShownLabels().size(), std::size_t(1));
    QCOMPARE(canvas.ShownLabels().front().item, item);
    // A drag pans instead of selecting.
    QTest::mousePress(&canvas, Qt::LeftButton, {}, QPoint(300, 300));
    QTest::mouseMove(&canvas, QPoint(340, 300));
    QTest::mouseRelease(&canvas, Qt::LeftButton, {}, QPoint(340, 300));
    QCOMPARE(selected.size(), 1);
  }

  void biplotArrowsAndCorrelationCircle() {
    TPlotWindow& window = ShowIris(TPlotKind::Biplot);
    const auto& results = iris_->outcome->Results();
    const TFigureScene& scene = window.Canvas().Scene();
    QCOMPARE(scene.arrows.size(), std::size_t(4));
    QCOMPARE(scene.items.size(), std::size_t(150));
    QVERIFY(scene.note.contains("arrows: coefficients \u00d7"));
    QVERIFY(!scene.xTitle.contains("arrows"));
    // Every arrow is its variable's coefficients times one factor, the
    // longest 0.8 of the farthest score.
    const double scale = scene.arrows[0].tip.x() / results.eigenvectors.GetValue(1, 1);
    double longestArrow = 0;
    double farthest = 0;
    for (talvex::TSize j = 1; j <= 4; ++j) {
      QVERIFY(
          Near(scene.arrows[j - 1].tip.y(), scale * results.eigenvectors.GetValue(j, 2), 1e-12));
      longestArrow = std::max(longestArrow,
                              std::hypot(scene.arrows[j - 1].tip.x(), scene.arrows[j - 1].tip.y()));
    }
    for (const TSceneItem& item : scene.items)
      farthest = std::max(farthest, std::hypot(item.at.x(), item.at.y()));
    QVERIFY(Near(longestArrow, 0.8 * farthest, 1e-9));

    window.CorrelationCircleItem().trigger();
    const TFigureScene& circle = window.Canvas().Scene();
    QVERIFY(circle.unitCircle);
    QCOMPARE(circle.title, QString("Correlation Circle"));
    // Under correlations each arrow is the component's correlation with the
    // variable, as the listing's table of correlations gives it.
    const talvex::TFloatMatrix& correlations = results.tables.correlations;
    for (talvex::TSize j = 1; j <= 4; ++j) {
      QVERIFY(Near(circle.arrows[j - 1].tip.x(), correlations.GetValue(j, 1), 1e-9));
      QVERIFY(Near(circle.arrows[j - 1].tip.y(), correlations.GetValue(j, 2), 1e-9));
      QVERIFY(std::hypot(circle.arrows[j - 1].tip.x(), circle.arrows[j - 1].tip.y()) <= 1 + 1e-9);
    }
  }

  void influencePlotShowsEachObject() {
    TPlotWindow& window = ShowIris(TPlotKind::Influence);
    const TFigureScene& scene = window.Canvas().Scene();
    QCOMPARE(scene.items.size(), std::size_t(150));
    for (std::size_t i = 0; i < 150; ++i) {
      QCOMPARE(scene.items[i].at.x(), double(i + 1));
      QCOMPARE(scene.items[i].at.y(), iris_->outcome->Diagnostics().influence[i]);
    }
    QCOMPARE(scene.rules.size(), std::size_t(1));
    QCOMPARE(scene.rules[0].y, iris_->outcome->Diagnostics().influenceThreshold);
    // The most influential object and every one beyond the threshold carry
    // a label; the others are named only on hover.
    const std::size_t first = iris_->outcome->Diagnostics().influenceRanking.front() - 1;
    QVERIFY(!scene.items[first].mark.isEmpty());
    for (std::size_t i = 0; i < 150; ++i) {
      if (iris_->outcome->Diagnostics().influence[i] >
          iris_->outcome->Diagnostics().influenceThreshold)
        QVERIFY(!scene.items[i].mark.isEmpty());
    }
    QVERIFY(std::count_if(scene.items.begin(), scene.items.end(),
                          [](const TSceneItem& item) { return item.mark.isEmpty(); }) > 100);
  }

  void severalWindowsAtOnceFollowANewRun() {
    windows_->ShowListing(data_->listing, QString());
    TPlotWindow& scores = Show(TPlotKind::Scores, data_->outcome);
    TPlotWindow& scree = Show(TPlotKind::Scree, data_->outcome);
    QVERIFY(windows_->ListingWindow()->isVisible() && scores.isVisible() && scree.isVisible());
    QVERIFY(&scores != &scree);
    scores.SpinY().setValue(3);
    // A new run (iris now): the open windows redraw with their choices kept.
    windows_->RunCompleted(iris_->outcome);
    QCOMPARE(scores.Canvas().Scene().items.size(), std::size_t(150));
    QCOMPARE(scores.SpinY().value(), 3);
    QCOMPARE(scree.Canvas().Scene().items.size(), std::size_t(4));
    QCOMPARE(windows_->ListingWindow()->Lines(), iris_->outcome->Listing().Lines());
    // Other data loaded: the windows of the old results close.
    windows_->DataReplaced();
    QVERIFY(!scores.isVisible() && !scree.isVisible());
  }

  void windowsComeBackWhereTheyWereLeft() {
    TPlotWindow& window = Show(TPlotKind::Scree, data_->outcome);
    window.resize(640, 420);
    window.PercentBarsItem().trigger();
    window.ReturnItem().trigger();
    QVERIFY(!window.isVisible());
    NewWindows();
    TPlotWindow& again = Show(TPlotKind::Scree, data_->outcome);
    QCOMPARE(again.size(), QSize(640, 420));
    QVERIFY(again.PercentBarsItem().isChecked());
  }

  void titlesAndFontAreEditable() {
    TPlotWindow& window = Show(TPlotKind::Scores, data_->outcome);
    window.TitlesItem().trigger();
    QVERIFY(window.TitlesPanel().isVisible());
    QCOMPARE(window.TitleEdit().text(), QString("Object Scores"));
    QTest::keyClicks(&window.TitleEdit(), " of morph");
    QCOMPARE(window.Canvas().Title(), QString("Object Scores of morph"));
    window.FontSizeBox().setValue(14);
    QCOMPARE(window.Canvas().FontSize(), 14.0);
    // The user's title stays when the plot is redrawn.
    window.SpinY().setValue(3);
    QCOMPARE(window.Canvas().Title(), QString("Object Scores of morph"));
  }

  void hoveringAnArrowHeadNamesItsVariable() {
    TPlotWindow& window = ShowIris(TPlotKind::Biplot);
    Paint(window.Canvas());
    for (const TSceneArrow& arrow : window.Canvas().Scene().arrows) {
      const QPointF head = window.Canvas().ToPixels(arrow.tip);
      QCOMPARE(window.Canvas().HoverTextAt(head), arrow.label);
      QCOMPARE(window.Canvas().ItemAt(head), -1);
    }
  }

  void editedTitlesBelongToTheirData() {
    TPlotWindow& window = Show(TPlotKind::Scores, data_->outcome);
    window.TitlesItem().trigger();
    QTest::keyClicks(&window.YTitleEdit(), " of morph");
    const QString edited = window.Canvas().YTitle();
    QVERIFY(edited.endsWith(" of morph"));
    // The same run shown again keeps the user's titles.
    windows_->RunCompleted(data_->outcome);
    Show(TPlotKind::Scores, data_->outcome);
    QCOMPARE(window.Canvas().YTitle(), edited);
    // Other data bring back the plot's own titles, with their numbers.
    windows_->RunCompleted(iris_->outcome);
    Show(TPlotKind::Scores, iris_->outcome);
    QCOMPARE(window.Canvas().YTitle(), ExpectedTitle(iris_->outcome->Results(), 2));
    QCOMPARE(window.YTitleEdit().text(), ExpectedTitle(iris_->outcome->Results(), 2));
    QVERIFY(!window.YTitleEdit().isModified());
    // Also after the window was closed and opened again.
    QTest::keyClicks(&window.TitleEdit(), " of iris");
    window.close();
    windows_->RunCompleted(data_->outcome);
    Show(TPlotKind::Scores, data_->outcome);
    QCOMPARE(window.Canvas().Title(), QString("Object Scores"));
  }

  // The command line draws with the desktop's library: the same plot at
  // the same size gives the same pixels.
  void commandLineFigureIsTheDesktopExport() {
    const QString data = QString(TALVEX_TEST_DATA) + "/iris_grouped.csv";
    const QString cli = dir_.filePath("cli.png");
    QProcess process;
    process.start(TALVEX_CLI,
                  {data, "--report", dir_.filePath("report.txt"), "--figure", "scores=" + cli,
                   "--figure", "biplot=" + dir_.filePath("cli_biplot.png")});
    QVERIFY(process.waitForFinished(120000));
    QCOMPARE(process.exitCode(), 0);
    QVERIFY2(process.readAllStandardError().isEmpty(), "no message from the figures");
    for (TPlotKind kind : {TPlotKind::Scores, TPlotKind::Biplot}) {
      TPlotWindow& window = ShowIris(kind);
      const QString desktop = dir_.filePath("desktop.png");
      SaveFigure(desktop, window.Canvas(), TFigureSize(), window.Canvas().Title());
      const QImage a(desktop);
      const QImage b(kind == TPlotKind::Scores ? cli : dir_.filePath("cli_biplot.png"));
      QCOMPARE(a.size(), QSize(2008, 1417));
      QCOMPARE(a.convertToFormat(QImage::Format_RGB32), b.convertToFormat(QImage::Format_RGB32));
    }
  }

  // SVG and PDF files carry no pixels of their own: the command line's and
  // the desktop's files of the same plot rasterise to the same pixels.
  void commandLineVectorFiguresRasteriseAsTheDesktopExport() {
    const QString data = QString(TALVEX_TEST_DATA) + "/iris_grouped.csv";
    QProcess process;
    process.start(TALVEX_CLI, {data, "--report", dir_.filePath("report.txt"), "--figure",
                               "scores=" + dir_.filePath("cli.svg"), "--figure",
                               "scores=" + dir_.filePath("cli.pdf")});
    QVERIFY(process.waitForFinished(120000));
    QCOMPARE(process.exitCode(), 0);
    TPlotWindow& window = ShowIris(TPlotKind::Scores);
    for (const QString extension : {"svg", "pdf"}) {
      const QString desktop = dir_.filePath("desktop." + extension);
      SaveFigure(desktop, window.Canvas(), TFigureSize(), window.Canvas().Title());
      const QImage a = Rasterised(desktop, extension);
      const QImage b = Rasterised(dir_.filePath("cli." + extension), extension);
      QVERIFY2(!a.isNull() && !b.isNull(), qPrintable("rasterising the " + extension + " files"));
      QCOMPARE(a.size(), b.size());
      QCOMPARE(a.convertToFormat(QImage::Format_RGB32), b.convertToFormat(QImage::Format_RGB32));
    }
  }

  void copyAndPrintTheFigure() {
    TPlotWindow& window = Show(TPlotKind::Scree, data_->outcome);
    // Copy: the size dialog's answer is the clipboard picture's size.
    TFigureSize size;
    size.width = 400;
    size.height = 300;
    size.unit = TLengthUnit::Pixels;
    figureInteraction_.sizeAnswers.push_back(size);
    QGuiApplication::clipboard()->clear();
    window.CopyItem().trigger();
    QCOMPARE(interaction_.informations, QStringList("Graph successfully copied to Clipboard"));
    QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(400, 300));
    // A cancelled size dialog copies nothing and says nothing.
    window.CopyItem().trigger();
    QCOMPARE(interaction_.informations.size(), 1);
    // Print: one page with the plot as the window shows it, whatever size
    // was last chosen for files and the clipboard (400 x 300 pixels here).
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
      QSKIP("poppler-utils (pdftotext) are not installed");
    interaction_.printFile = dir_.filePath("scree.pdf");
    window.PrintItem().trigger();
    QProcess text;
    text.start("pdftotext", {interaction_.printFile, "-"});
    QVERIFY(text.waitForFinished(60000));
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY2(printed.contains("Plot of Eigenvalues"), qPrintable(printed));
    QCOMPARE(printed.count('\f'), 1);
  }

  void saveAsWritesThePaperFigure() {
    TPlotWindow& window = ShowIris(TPlotKind::Scores);
    const QString path = dir_.filePath("scores.png");
    figureInteraction_.fileAnswers.push_back({path, TFigureFormat::Png});
    figureInteraction_.sizeAnswers.push_back(TFigureSize());
    window.SaveAsItem().trigger();
    const QImage image(path);
    QCOMPARE(image.size(), QSize(2008, 1417));
    QCOMPARE(qRound(image.dotsPerMeterX() * 0.0254), 300);
    // Each species' colour is in the picture.
    for (std::size_t g = 0; g < 3; ++g) {
      const talvex::TRgb rgb = talvex::GroupColour(g);
      bool found = false;
      for (int y = 0; y < image.height() && !found; y += 2)
        for (int x = 0; x < image.width() && !found; x += 2)
          found = image.pixelColor(x, y) == QColor(rgb.red, rgb.green, rgb.blue);
      QVERIFY(found);
    }
  }
};

QTEST_MAIN(TPlotWindowsTest)
#include "plot_windows_test.moc"
