// The three plots of the report window on a known data set: series, colours,
// titles, the axis spinners, the point marks and the Label Points rule.
#include <QAction>
#include <QChart>
#include <QMenu>
#include <QSpinBox>
#include <QTest>
#include <QValueAxis>
#include <algorithm>
#include <memory>

#include "report_test_data.h"
#include "scripted_report_interaction.h"
#include "shell/listing_view.h"
#include "shell/plot_text.h"
#include "shell/point_series.h"
#include "shell/report_form.h"
#include "shell/settings_file.h"

namespace {

const QColor Blue(0, 0, 255);
const QColor Red(255, 0, 0);
const QColor Green(0, 128, 0);

// The percentage in an axis title "Component N (P%)".
double TitlePercent(const QString& title) {
  const qsizetype open = title.indexOf('(');
  return title.mid(open + 1, title.indexOf('%') - open - 1).toDouble();
}

}  // namespace

class TPlotViewsTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir configDir_;
  std::unique_ptr<TReportTestData> data_;
  std::unique_ptr<TSettingsFile> settings_;
  TScriptedReportInteraction interaction_;
  std::unique_ptr<TReportForm> form_;

  QString SettingsPath() const { return configDir_.filePath("TALVEX.INI"); }
  void NewForm() {
    form_.reset();
    settings_ = std::make_unique<TSettingsFile>(SettingsPath());
    form_ = std::make_unique<TReportForm>(*settings_, interaction_);
  }
  QList<QPointF> ExpectedPoints(const talvex::TFloatMatrix& m, talvex::TSize x, talvex::TSize y) {
    QList<QPointF> points;
    for (talvex::TSize i = 1; i <= m.Rows(); ++i)
      points.append(QPointF(m.GetValue(i, x), m.GetValue(i, y)));
    return points;
  }
  QString ExpectedTitle(talvex::TSize c) {
    const auto& results = data_->state.Results();
    return QString::asprintf("Component %u (%.2f%%)", c,
                             results.eigenvalues.GetValue(c) * 100 / results.trace);
  }

 private slots:
  void initTestCase() {
    QVERIFY(configDir_.isValid());
    qputenv("TALVEX_CONFIG_DIR", configDir_.path().toUtf8());
    data_ = std::make_unique<TReportTestData>();
    QCOMPARE(data_->state.Data().variableCount, 4u);
  }
  void init() {
    QFile::remove(SettingsPath());
    interaction_ = TScriptedReportInteraction();
    NewForm();
  }
  void cleanup() {
    QVERIFY2(interaction_.errors.isEmpty(), qPrintable(interaction_.errors.join('\n')));
  }

  void scoresPlotShowsComponentsOneAndTwo() {
    form_->ShowScoresPlot(data_->state);
    TPlotView& chart = form_->Chart();
    QCOMPARE(form_->windowTitle(), QString("Object Scores"));
    QCOMPARE(chart.chart()->title(), QString("Object Scores"));
    QVERIFY(form_->ChartMode());
    QVERIFY(chart.isVisible());
    QVERIFY(!form_->Memo().isVisible());
    QVERIFY(form_->AxesPanel().isVisible());
    QVERIFY(form_->OptionsMenu().menuAction()->isVisible());
    QVERIFY(chart.Series(PlotKind::ScoresPlot).Active());
    QVERIFY(!chart.Series(PlotKind::VectorsPlot).Active());
    QVERIFY(!chart.Series(PlotKind::ScreePlot).Active());
    QCOMPARE(chart.Series(PlotKind::ScoresPlot).Points().size(),
             qsizetype(data_->state.Data().objectCount));
    QCOMPARE(chart.Series(PlotKind::ScoresPlot).Points(),
             ExpectedPoints(data_->state.Results().scores, 1, 2));
    QCOMPARE(chart.Series(PlotKind::ScoresPlot).Fill(), Blue);
    QCOMPARE(chart.Series(PlotKind::ScoresPlot).Outline(), Blue);
    QCOMPARE(chart.Series(PlotKind::ScoresPlot).LinePen().style(), Qt::NoPen);
    QCOMPARE(chart.AxisX()->titleText(), ExpectedTitle(1));
    QCOMPARE(chart.AxisY()->titleText(), ExpectedTitle(2));
    QVERIFY(!chart.chart()->legend()->isVisible());
    QVERIFY(!chart.AxisX()->isGridLineVisible());
    // Every point lies inside the axes' ranges.
    for (const QPointF& p : chart.Series(PlotKind::ScoresPlot).Points()) {
      QVERIFY(p.x() > chart.AxisX()->min() && p.x() < chart.AxisX()->max());
      QVERIFY(p.y() > chart.AxisY()->min() && p.y() < chart.AxisY()->max());
    }
  }

  void vectorsPlotShowsRedCoefficients() {
    form_->ShowVectorsPlot(data_->state);
    TPlotView& chart = form_->Chart();
    QCOMPARE(form_->windowTitle(), QString("Component Loadings"));
    QCOMPARE(chart.chart()->title(), QString("Component Loadings"));
    QVERIFY(chart.Series(PlotKind::VectorsPlot).Active());
    QVERIFY(!chart.Series(PlotKind::ScoresPlot).Active());
    QCOMPARE(chart.Series(PlotKind::VectorsPlot).Points().size(),
             qsizetype(data_->state.Data().variableCount));
    QCOMPARE(chart.Series(PlotKind::VectorsPlot).Points(),
             ExpectedPoints(data_->state.Results().eigenvectors, 1, 2));
    QCOMPARE(chart.Series(PlotKind::VectorsPlot).Fill(), Red);
    QCOMPARE(chart.Series(PlotKind::VectorsPlot).Outline(), Red);
    QCOMPARE(chart.AxisX()->titleText(), ExpectedTitle(1));
    QCOMPARE(chart.AxisY()->titleText(), ExpectedTitle(2));
  }

  void screePlotJoinsEigenvaluesWithNumberedMarks() {
    QVERIFY(data_->state.SetFactorCount(3));
    form_->ShowScreePlot(data_->state);
    QVERIFY(data_->state.SetFactorCount(4));
    TPlotView& chart = form_->Chart();
    QCOMPARE(form_->windowTitle(), QString("Plot of Eigenvalues"));
    QCOMPARE(chart.chart()->title(), QString("Plot of Eigenvalues"));
    QCOMPARE(chart.AxisX()->titleText(), QString("Number of Eigenvalues"));
    QCOMPARE(chart.AxisY()->titleText(), QString("Values"));
    QVERIFY(!form_->AxesPanel().isVisible());
    QVERIFY(!form_->OptionsMenu().menuAction()->isVisible());
    QVERIFY(!chart.Series(PlotKind::ScoresPlot).Active());
    QVERIFY(!chart.Series(PlotKind::VectorsPlot).Active());
    QVERIFY(chart.Series(PlotKind::ScreePlot).Active());
    QList<QPointF> expected;
    for (talvex::TSize k = 1; k <= 3; ++k)
      expected.append(QPointF(k, data_->state.Results().eigenvalues.GetValue(k)));
    TPointSeries& scree = chart.Series(PlotKind::ScreePlot);
    QCOMPARE(scree.Points(), expected);
    QCOMPARE(scree.LinePen().color(), Blue);
    QCOMPARE(scree.LinePen().style(), Qt::SolidLine);
    QCOMPARE(scree.Fill(), QColor(Qt::white));
    QCOMPARE(scree.Outline(), Green);
    QVERIFY(scree.MarksShown());
    QCOMPARE(scree.MarkTexts(), QStringList({"1", "2", "3"}));
  }

  void screeThenScoresShowsNoScreeLine() {
    form_->ShowScreePlot(data_->state);
    form_->ShowScoresPlot(data_->state);
    TPlotView& chart = form_->Chart();
    QVERIFY(!chart.Series(PlotKind::ScreePlot).Active());
    QCOMPARE(chart.chart()->title(), QString("Object Scores"));
    QCOMPARE(chart.AxisX()->titleText(), ExpectedTitle(1));
    QVERIFY(form_->OptionsMenu().menuAction()->isVisible());
  }

  void spinners_data() {
    QTest::addColumn<bool>("scores");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::newRow("scores, Y to 3") << true << 1 << 3;
    QTest::newRow("scores, X to 4") << true << 4 << 2;
    QTest::newRow("scores, both the same") << true << 3 << 3;
    QTest::newRow("vectors, Y to 4") << false << 1 << 4;
    QTest::newRow("vectors, X to 3, Y to 1") << false << 3 << 1;
  }
  void spinners() {
    QFETCH(bool, scores);
    QFETCH(int, x);
    QFETCH(int, y);
    if (scores)
      form_->ShowScoresPlot(data_->state);
    else
      form_->ShowVectorsPlot(data_->state);
    QCOMPARE(form_->SpinX().minimum(), 1);
    QCOMPARE(form_->SpinX().maximum(), 4);
    QCOMPARE(form_->SpinY().maximum(), 4);
    QCOMPARE(form_->SpinX().value(), 1);
    QCOMPARE(form_->SpinY().value(), 2);
    form_->SpinX().setValue(x);
    form_->SpinY().setValue(y);
    TPlotView& chart = form_->Chart();
    TPointSeries& series = chart.Series(scores ? PlotKind::ScoresPlot : PlotKind::VectorsPlot);
    const auto& results = data_->state.Results();
    QCOMPARE(series.Points(), ExpectedPoints(scores ? results.scores : results.eigenvectors, x, y));
    QCOMPARE(chart.AxisX()->titleText(), ExpectedTitle(x));
    QCOMPARE(chart.AxisY()->titleText(), ExpectedTitle(y));
    // Showing the plot again starts from components 1 and 2.
    if (scores)
      form_->ShowScoresPlot(data_->state);
    else
      form_->ShowVectorsPlot(data_->state);
    QCOMPARE(series.Points(), ExpectedPoints(scores ? results.scores : results.eigenvectors, 1, 2));
  }

  void titlePercentagesEqualTheListing() {
    const std::vector<double> percents = data_->PercentVariance();
    QCOMPARE(percents.size(), std::size_t(4));
    form_->ShowScoresPlot(data_->state);
    for (int c = 1; c <= 4; ++c) {
      form_->SpinX().setValue(c);
      form_->SpinY().setValue(5 - c);
      // The listing prints four decimals, the titles two.
      QVERIFY(std::fabs(TitlePercent(form_->Chart().AxisX()->titleText()) - percents[c - 1]) <=
              0.00501);
      QVERIFY(std::fabs(TitlePercent(form_->Chart().AxisY()->titleText()) - percents[4 - c]) <=
              0.00501);
    }
  }

  void spinnersFollowTheFactorCount() {
    QVERIFY(data_->state.SetFactorCount(3));
    form_->ShowScoresPlot(data_->state);
    QCOMPARE(form_->SpinX().maximum(), 3);
    QCOMPARE(form_->SpinY().maximum(), 3);
    // One component asked for: the plot still offers the second axis.
    QVERIFY(data_->state.SetFactorCount(1));
    form_->ShowScoresPlot(data_->state);
    QCOMPARE(form_->SpinY().maximum(), 2);
    QCOMPARE(form_->SpinY().value(), 2);
    QCOMPARE(form_->Chart().Series(PlotKind::ScoresPlot).Points(),
             ExpectedPoints(data_->state.Results().scores, 1, 2));
    form_->ShowScreePlot(data_->state);
    QCOMPARE(form_->Chart().Series(PlotKind::ScreePlot).Points().size(), 1);
    QVERIFY(data_->state.SetFactorCount(4));
  }

  void runWithOneComponentStillPlotsTheSecond() {
    // The run itself shows one component; the plot's second axis must carry
    // real scores, not a column of zeros.
    const TReportTestData one("morph.nts", 1);
    form_->ShowScoresPlot(one.state);
    QCOMPARE(form_->SpinY().maximum(), 2);
    const QList<QPointF> points = form_->Chart().Series(PlotKind::ScoresPlot).Points();
    QCOMPARE(points, ExpectedPoints(data_->state.Results().scores, 1, 2));
    QVERIFY(std::any_of(points.begin(), points.end(), [](const QPointF& p) { return p.y() != 0; }));
  }

  void typedNumbersOutsideTheRangeAreRefused() {
    form_->ShowScoresPlot(data_->state);
    QSpinBox& spinY = form_->SpinY();
    const QList<QPointF> before = form_->Chart().Series(PlotKind::ScoresPlot).Points();
    spinY.setFocus();
    spinY.selectAll();
    QTest::keyClicks(&spinY, "9");
    QCOMPARE(spinY.value(), 2);
    QTest::keyClicks(&spinY, "0");
    QCOMPARE(spinY.value(), 2);
    QCOMPARE(form_->Chart().Series(PlotKind::ScoresPlot).Points(), before);
    spinY.selectAll();
    QTest::keyClicks(&spinY, "3");
    QCOMPARE(spinY.value(), 3);
    QCOMPARE(form_->Chart().Series(PlotKind::ScoresPlot).Points(),
             ExpectedPoints(data_->state.Results().scores, 1, 3));
  }

  void labelPointsTogglingFromACheckedStart() {
    QVERIFY(form_->OptionsLabelPointsItem().isChecked());
    form_->ShowScoresPlot(data_->state);
    TPointSeries& marks = form_->Chart().Series(PlotKind::ScoresPlot);
    QVERIFY(!marks.MarksShown());  // the stored check mark does not show marks at start
    struct TStep {
      bool checked;
      bool shown;
    };
    for (const TStep step :
         {TStep{false, false}, TStep{true, true}, TStep{false, true}, TStep{true, false}}) {
      form_->OptionsLabelPointsItem().trigger();
      QCOMPARE(form_->OptionsLabelPointsItem().isChecked(), step.checked);
      QCOMPARE(marks.MarksShown(), step.shown);
    }
    QVERIFY(!form_->Chart().Series(PlotKind::VectorsPlot).MarksShown());
  }

  void marksShowTheXValueOrTheNames() {
    form_->ShowVectorsPlot(data_->state);
    form_->OptionsLabelPointsItem().trigger();
    form_->OptionsLabelPointsItem().trigger();
    TPointSeries& marks = form_->Chart().Series(PlotKind::VectorsPlot);
    QVERIFY(marks.MarksShown());
    QStringList values;
    for (const QPointF& p : form_->Chart().Series(PlotKind::VectorsPlot).Points())
      values.append(MarkValueText(p.x()));
    QCOMPARE(marks.MarkTexts(), values);
    QVERIFY(!form_->OptionsLabelNamesItem().isChecked());
    form_->OptionsLabelNamesItem().trigger();
    QCOMPARE(marks.MarkTexts(),
             QStringList({"HeadLen", "HeadWidthMillimetresTotal", "Wing", "TailLength"}));
    form_->ShowScoresPlot(data_->state);
    QCOMPARE(form_->Chart().Series(PlotKind::ScoresPlot).MarkTexts().mid(5, 3),
             QStringList({"Bc3", "Specimen10", "Cd2"}));
  }

  void ctrlLWorksWhereTheOptionsMenuIsHidden() {
    form_->ShowScoresPlot(data_->state);
    form_->ShowListing(data_->listing);
    QVERIFY(!form_->OptionsMenu().menuAction()->isVisible());
    QVERIFY(!form_->ChartMode());
    QTest::keyClick(form_.get(), Qt::Key_L, Qt::ControlModifier);
    QVERIFY(!form_->OptionsLabelPointsItem().isChecked());
    QTest::keyClick(form_.get(), Qt::Key_L, Qt::ControlModifier);
    QVERIFY(form_->OptionsLabelPointsItem().isChecked());
    // In text mode after a scores plot, checking turns the scores marks over.
    QVERIFY(form_->Chart().Series(PlotKind::ScoresPlot).MarksShown());
    form_->ShowScreePlot(data_->state);
    QTest::keyClick(form_.get(), Qt::Key_L, Qt::ControlModifier);
    QTest::keyClick(form_.get(), Qt::Key_L, Qt::ControlModifier);
    QVERIFY(form_->OptionsLabelPointsItem().isChecked());
    QVERIFY(form_->Chart().Series(PlotKind::ScoresPlot).MarksShown());
    form_->ShowScoresPlot(data_->state);
    QVERIFY(form_->Chart().Series(PlotKind::ScoresPlot).Active());
    QVERIFY(form_->Chart().Series(PlotKind::ScoresPlot).MarksShown());
  }

  void checkMarksSurviveARestart() {
    form_->OptionsLabelPointsItem().trigger();
    form_->OptionsLabelNamesItem().trigger();
    form_->SaveSettings();
    QVERIFY(settings_->Save());
    NewForm();
    QVERIFY(!form_->OptionsLabelPointsItem().isChecked());
    QVERIFY(form_->OptionsLabelNamesItem().isChecked());
    QCOMPARE(settings_->ReadString("Options", "LabelPoints"), QString("0"));
    QCOMPARE(settings_->ReadString("Options", "LabelNames"), QString("1"));
    form_->SaveSettings();
    QVERIFY(settings_->Save());
    NewForm();
    QVERIFY(!form_->OptionsLabelPointsItem().isChecked());
  }

  void textsOfThePlots_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("three decimals") << 0.12345 << "0.123";
    QTest::newRow("rounds up") << 1.99996 << "2";
    QTest::newRow("trailing zeros dropped") << -12.3 << "-12.3";
    QTest::newRow("thousands") << 1234.5678 << "1,234.568";
    QTest::newRow("millions") << -1234567.0 << "-1,234,567";
    QTest::newRow("negative rounding to zero") << -0.0004 << "0";
  }
  void textsOfThePlots() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(MarkValueText(value), text);
  }
  void axisTitleExample() {
    QCOMPARE(ComponentAxisTitle(1, 2.5, 4), QString("Component 1 (62.50%)"));
    QCOMPARE(ComponentAxisTitle(12, 0.004, 4), QString("Component 12 (0.10%)"));
  }
};

QTEST_MAIN(TPlotViewsTest)
#include "plot_views_test.moc"
