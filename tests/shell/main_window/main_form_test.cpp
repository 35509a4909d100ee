// The main window driven as a user would: command enabling through loads and
// runs, the three load paths, the option marks and their settings, the
// recent-files entries, the run on its worker thread, exports, the general
// error report and shut-down.
#include "shell/main_window/main_form.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QJsonDocument>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <set>

#include "main_window/main_form_driver.h"
#include "shell/common/elided_label.h"
#include "shell/common/error_report.h"
#include "shell/help/about_box.h"
#include "shell/main_window/option_marks.h"
#include "shell/main_window/recent_files_list.h"
#include "shell/settings/settings_file.h"

using namespace talvex::desktop;

namespace {

using TNames = std::set<QString>;

QString Data(const char* name) { return QStringLiteral(TALVEX_TEST_DATA "/") + name; }

// Commands usable in every state (while no run goes on).
const TNames Always = {"FileOpenItem",      "FileExitItem",
                       "HelpContentsItem",  "HelpSearchItem",
                       "HelpAboutItem",     "OpenBtn",
                       "CloseBtn",          "EditPasteItem",
                       "OptionsGroupsItem", "OptionsMatchAxesItem"};
// Commands that need data.
const TNames WithData = {"OptionsMethodItem",    "OptionsFactorsItem", "OptionsTransformItem",
                         "OptionsJackknifeItem", "RunAnalysisItem",    "TestBtn",
                         "FileSaveDataItem"};
// Commands that need the results of a run.
const TNames WithResults = {"FileViewItem",        "FileSaveItem",
                            "PlotScoresItem",      "PlotVectorsItem",
                            "PlotScreeItem",       "ScoresBtn",
                            "VectorsBtn",          "ScreeBtn",
                            "FileDiagnosticsItem", "EditCopyCommandLineItem"};
const TNames WithRecentFiles = {"OptionsClearFilesListItem"};

TNames Join(std::initializer_list<TNames> groups) {
  TNames all;
  for (const TNames& g : groups) all.insert(g.begin(), g.end());
  return all;
}

// All Results as JSON without the run's date and time.
QByteArray ResultsWithoutDateAndTime(const QString& path) {
  QStringList kept;
  for (const QString& line : QString::fromUtf8(ReadText(path)).split(u'\n')) {
    if (!line.contains(QRegularExpression(R"(^\s*\[\"(Date|Time)\", )"))) kept.append(line);
  }
  return kept.join(u'\n').toUtf8();
}

}  // namespace

class TMainFormTest : public QObject, private TMainFormDriver {
  Q_OBJECT

 private:
  QString SettingsPath() const { return dir_->filePath("TALVEX.INI"); }

  // A data set whose jackknife takes long enough for a Cancel or a close to
  // arrive while it runs: 2000 objects, 15 variables of pseudo-random values.
  QString BigData() const {
    const QString path = dir_->filePath("big.nts");
    if (QFile::exists(path)) return path;
    QByteArray text = "'Large'\r\n1 2000 15 0\r\n";
    quint32 seed = 12345;
    for (int i = 0; i < 2000; ++i) {
      for (int j = 0; j < 15; ++j) {
        seed = seed * 1664525u + 1013904223u;
        text += QByteArray::number(double(seed >> 8) / 16777216.0 * 10.0 + j, 'f', 4) + ' ';
      }
      text += "\r\n";
    }
    WriteText(path, text);
    return path;
  }

  QPushButton* Button(const char* name) const {
    auto* button = form_->findChild<QPushButton*>(QString::fromLatin1(name));
    if (button == nullptr) qFatal("no button %s", name);
    return button;
  }
  QLabel* Label(const char* name) const {
    return form_->findChild<QLabel*>(QString::fromLatin1(name));
  }

  // The names of every enabled command among those the rules govern.
  TNames EnabledCommands() const {
    TNames enabled;
    for (const TNames& group : {Always, WithData, WithResults, WithRecentFiles}) {
      for (const QString& name : group) {
        const QByteArray latin = name.toLatin1();
        const bool on = name.endsWith("Btn") ? Button(latin.constData())->isEnabled()
                                             : Item(latin.constData())->isEnabled();
        if (on) enabled.insert(name);
      }
    }
    return enabled;
  }

 private slots:
  void init() { Begin(); }
  void cleanup() { End(); }

  void WindowLooksAsDesigned() {
    QCOMPARE(form_->windowTitle(), ApplicationTitle);
    QCOMPARE(form_->centralWidget()->size(), QSize(427, 254));
    QCOMPARE(form_->minimumSize(), form_->maximumSize());  // not resizable
    QVERIFY(!(form_->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(form_->windowFlags() & Qt::WindowMinimizeButtonHint);

    const struct {
      const char* name;
      const char* caption;
      const char* hint;
    } buttons[] = {{"OpenBtn", "&Data...", "Open data file"},
                   {"TestBtn", "&PCA", "Compute principal components"},
                   {"ScoresBtn", "&Scores", "Plot PCA scores"},
                   {"ScreeBtn", "Sc&ree Plot", "Plot eigenvalues"},
                   {"VectorsBtn", "&Vectors", "Plot vector coefficients"},
                   {"CloseBtn", "C&lose", "Exit the program"}};
    for (const auto& b : buttons) {
      QCOMPARE(Button(b.name)->text(), QString(b.caption));
      QCOMPARE(Button(b.name)->toolTip(), QString(b.hint));
    }
    QVERIFY(Button("OpenBtn")->isDefault());
    const struct {
      const char* name;
      const char* caption;
      QRect geometry;
    } groups[] = {{"InputFrame", "Input", {6, 9, 201, 105}},
                  {"ComputeFrame", "Compute", {6, 130, 201, 105}},
                  {"DisplayFrame", "Display", {219, 9, 201, 105}}};
    for (const auto& g : groups) {
      auto* group = form_->findChild<QGroupBox*>(g.name);
      QCOMPARE(group->title(), QString(g.caption));
      QCOMPARE(group->geometry(), g.geometry);
    }
    QCOMPARE(Button("CloseBtn")->geometry(), QRect(323, 202, 89, 33));
    QVERIFY(Label("LblName")->text().isEmpty());
    QVERIFY(Label("LblInfo")->text().isEmpty());
    // The progress of a run is hidden when none goes on.
    QVERIFY(form_->findChild<QProgressBar*>("RunProgress")->isHidden());
    QVERIFY(Button("CancelBtn")->isHidden());
  }

  void LongFileNameIsCutNotWidened() {
    const QString path = dir_->filePath(QString(120, u'x') + "_measurements.nts");
    QVERIFY(QFile::copy(Data("morph.nts"), path));
    const QSize before = form_->size();
    form_->LoadFromPath(path);
    QVERIFY(form_->DataLoaded());
    QCOMPARE(form_->size(), before);
    QVERIFY(Label("LblName")->text().contains(QChar(0x2026)));  // cut in the middle
    QVERIFY(Label("LblName")->text().endsWith(".nts"));
    QCOMPARE(Label("LblName")->toolTip(), QDir::toNativeSeparators(path));
  }

  void LargerTextMakesRoomInsteadOfOverlapping() {
    const QFont normal = QApplication::font();
    QFont large = normal;
    large.setPointSizeF(normal.pointSizeF() * 2.5);
    QApplication::setFont(large);
    Start();
    const auto restore = qScopeGuard([&] { QApplication::setFont(normal); });
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    const QWidget* client = form_->centralWidget();
    QVERIFY(client->width() > 427);
    const QList<QGroupBox*> groups = form_->findChildren<QGroupBox*>();
    QCOMPARE(groups.size(), 3);
    for (const QGroupBox* a : groups) {
      QVERIFY(client->rect().contains(a->geometry()));
      for (const QGroupBox* b : groups) {
        if (a != b) QVERIFY(!a->geometry().intersects(b->geometry()));
      }
    }
    for (const QPushButton* button : form_->findChildren<QPushButton*>()) {
      if (!button->isVisible()) continue;  // Cancel, shown during a run only
      QVERIFY2(button->width() >= button->sizeHint().width(), qPrintable(button->objectName()));
      QVERIFY2(button->height() >= button->sizeHint().height(), qPrintable(button->objectName()));
      const QRect inClient(button->mapTo(client, QPoint(0, 0)), button->size());
      QVERIFY(client->rect().contains(inClient));
    }
  }

  void ButtonsRunTheirMenuItems() {
    const struct {
      const char* button;
      const char* item;
    } pairs[] = {{"OpenBtn", "FileOpenItem"},     {"TestBtn", "RunAnalysisItem"},
                 {"ScoresBtn", "PlotScoresItem"}, {"VectorsBtn", "PlotVectorsItem"},
                 {"ScreeBtn", "PlotScreeItem"},   {"CloseBtn", "FileExitItem"}};
    for (const auto& pair : pairs) {
      QAction* item = Item(pair.item);
      // One enabling: the button follows its item both ways.
      item->setEnabled(false);
      QVERIFY2(!Button(pair.button)->isEnabled(), pair.button);
      item->setEnabled(true);
      QVERIFY2(Button(pair.button)->isEnabled(), pair.button);
      // The click is the item's command.
      QSignalSpy triggered(item, &QAction::triggered);
      const bool closes = QByteArray(pair.button) == "CloseBtn";
      if (closes) form_->show();
      Button(pair.button)->click();
      QCOMPARE(triggered.count(), 1);
    }
  }

  void MenuBarHoldsEveryItem() {
    const auto captions = [](const QMenu* menu) {
      QStringList list;
      for (const QAction* a : menu->actions()) list.append(a->isSeparator() ? "-" : a->text());
      return list;
    };
    QStringList top;
    for (const QAction* a : form_->menuBar()->actions()) top.append(a->text());
    QCOMPARE(top, QStringList({"&File", "&Edit", "&Options", "&Compute", "D&isplay", "&Help"}));
    const QList<QAction*> menus = form_->menuBar()->actions();
    QCOMPARE(captions(menus[0]->menu()),
             QStringList({"&Open Data...", "Add S&upplementary Objects...", "&View Report...",
                          "View Dia&gnostics...", "-", "&Save", "Save &Data As...", "-", "E&xit"}));
    QCOMPARE(captions(Item("FileSaveItem")->menu()),
             QStringList({"&Component Scores...", "&Vector Coefficients...", "&All Results..."}));
    QCOMPARE(captions(menus[1]->menu()), QStringList({"&Paste Data", "Copy &Command Line"}));
    QCOMPARE(Item("EditPasteItem")->shortcut(), QKeySequence(QKeySequence::Paste));
    QCOMPARE(captions(menus[2]->menu()),
             QStringList({"&Clear MRU Files List", "-", "&Method", "&Factors", "&Transformation",
                          "Groups from Object &Labels", "-", "&Jackkniffe Estimates",
                          "Match A&xes before Aligning Signs"}));
    QCOMPARE(captions(Item("OptionsMethodItem")->menu()),
             QStringList({"Co&rrelation Matrix", "Co&variance Matrix"}));
    QCOMPARE(captions(Item("OptionsFactorsItem")->menu()),
             QStringList({"&All", "&Kaiser's Rule", "&Joliffe's Rule", "-", "&Number..."}));
    QCOMPARE(captions(Item("OptionsTransformItem")->menu()),
             QStringList({"N&o Transformation", "&Decimal Logarithms", "&Natural Logarithms"}));
    QCOMPARE(captions(menus[3]->menu()), QStringList({"&Principal Components"}));
    QCOMPARE(captions(menus[4]->menu()),
             QStringList({"Component &Scores", "Vector &Coefficients", "Scree &Plot", "-",
                          "&Biplot", "&Influence Plot"}));
    QCOMPARE(captions(menus[5]->menu()),
             QStringList({"&Contents", "Search &Topic...", "-", "&About..."}));
    QCOMPARE(Item("HelpContentsItem")->shortcut(), QKeySequence(Qt::Key_F1));
    // The default items of their submenus are bold; the others are not.
    QVERIFY(Item("FactorsAllItem")->font().bold());
    QVERIFY(Item("TransformRawItem")->font().bold());
    QVERIFY(!Item("FactorsKaiserItem")->font().bold());
    QVERIFY(!Item("FactorsNumberItem")->isCheckable());
  }

  void EnablingFollowsLoadsAndRuns() {
    QCOMPARE(EnabledCommands(), Always);

    OpenThroughDialog(Data("morph.nts"));
    QVERIFY(form_->DataLoaded());
    QCOMPARE(EnabledCommands(), Join({Always, WithData, WithRecentFiles}));
    QCOMPARE(Label("LblName")->text(), QString("morph.nts"));
    QCOMPARE(Label("LblInfo")->text(), QString("10 objects, 4 descriptors"));
    QCOMPARE(user_->fileDialogs.back().title, QString("Open"));
    QCOMPARE(
        user_->fileDialogs.back().filters,
        QStringList({"Data and tables (*.nts *.csv *.tsv *.txt *.xlsx *.ods)", "Data files (*.nts)",
                     "Tables (*.csv *.tsv *.txt *.xlsx *.ods)", "All files (*)"}));
    QCOMPARE(user_->fileDialogs.back().defaultSuffix, QString("nts"));
    QVERIFY(!user_->fileDialogs.back().save);

    QVERIFY(RunToEnd());
    QVERIFY(form_->ResultsReady());
    QCOMPARE(EnabledCommands(), Join({Always, WithData, WithResults, WithRecentFiles}));
    QVERIFY(!form_->Listing().Empty());

    // A second load withdraws the results until the next run.
    OpenThroughDialog(Data("r06.nts"));
    QCOMPARE(EnabledCommands(), Join({Always, WithData, WithRecentFiles}));
    QCOMPARE(Label("LblInfo")->text(), QString("5 objects, 2 descriptors"));

    QVERIFY(RunToEnd());
  }

  void CancelledOpenDialogChangesNothing() {
    OpenThroughDialog(Data("morph.nts"));
    QVERIFY(RunToEnd());
    form_->show();
    Button("TestBtn")->setFocus();
    const TNames before = EnabledCommands();
    user_->Reset();
    Item("FileOpenItem")->trigger();  // no answer queued: Cancel
    Button("OpenBtn")->click();
    QCOMPARE(user_->fileDialogs.size(), std::size_t(2));
    QCOMPARE(user_->fileDialogs.back().initialFile, Data("morph.nts"));
    QVERIFY(form_->DataLoaded());
    QVERIFY(form_->ResultsReady());
    QCOMPARE(EnabledCommands(), before);
    QCOMPARE(Label("LblInfo")->text(), QString("10 objects, 4 descriptors"));
    QVERIFY(user_->messages.empty());
    // Enter must not land on Close.
    QVERIFY(QApplication::focusWidget() != Button("CloseBtn"));
  }

  void RefusedFileIsToldTwiceAndKeepsWhatWasLoaded() {
    OpenThroughDialog(Data("morph.nts"));
    QVERIFY(RunToEnd());
    const TNames before = EnabledCommands();
    const std::size_t listingLines = form_->Listing().Lines().size();
    user_->Reset();
    OpenThroughDialog(Data("zero_rows.nts"));
    QVERIFY(form_->DataLoaded());
    QVERIFY(form_->ResultsReady());
    QCOMPARE(form_->State().Data().objectCount, 10u);
    QCOMPARE(form_->DataFileName(), Data("morph.nts"));
    QCOMPARE(form_->Listing().Lines().size(), listingLines);
    QCOMPARE(Label("LblName")->text(), QString("morph.nts"));
    QCOMPARE(EnabledCommands(), before);

    const QString file = "File: " + QDir::toNativeSeparators(Data("zero_rows.nts"));
    QCOMPARE(user_->messages.size(), std::size_t(2));
    QCOMPARE(user_->messages[0].title, QString("Error"));
    QCOMPARE(user_->messages[0].text, QString("Invalid row specification in file!"));
    QVERIFY2(user_->messages[0].detail.contains(Data("zero_rows.nts")),
             qPrintable(user_->messages[0].detail));
    QCOMPARE(user_->messages[0].button, TMessageButton::Cancel);
    QCOMPARE(user_->messages[0].kind, TMessageKind::Error);
    QCOMPARE(user_->messages[0].beepsBefore, 1);
    QCOMPARE(user_->messages[1].text, QString("File error"));
    QCOMPARE(user_->messages[1].detail, file);
    QCOMPARE(user_->messages[1].title, QString("Error"));
    QCOMPARE(user_->messages[1].button, TMessageButton::Cancel);
    QCOMPARE(user_->messages[1].beepsBefore, 2);
    // A refused file does not join the recent files.
    QCOMPARE(form_->RecentFiles().Entries(), QStringList({Data("morph.nts")}));

    // The same through a drop and a recent entry.
    user_->Reset();
    form_->DropFiles({Data("zero_rows.nts")});
    form_->LoadFromPath(Data("zero_rows.nts"));
    QCOMPARE(user_->messages.size(), std::size_t(4));
    QCOMPARE(form_->DataFileName(), Data("morph.nts"));
    QCOMPARE(EnabledCommands(), before);
  }

  void ReaderFailureGoesToGeneralErrorReport() {
    OpenThroughDialog(Data("comma_value.nts"));
    QVERIFY(!form_->DataLoaded());
    QCOMPARE(user_->messages.size(), std::size_t(1));  // no "File error"
    QCOMPARE(user_->messages[0].title, QString("TALVEX for Windows"));
    QCOMPARE(user_->messages[0].text, QString("Invalid numeric input."));
    // The reader names the file and the place.
    QVERIFY2(user_->messages[0].detail.contains(Data("comma_value.nts")),
             qPrintable(user_->messages[0].detail));
    QCOMPARE(user_->messages[0].kind, TMessageKind::Error);
    QCOMPARE(user_->messages[0].button, TMessageButton::Ok);
    QCOMPARE(form_->RecentFiles().Count(), 0);

    // A file named on the program's command line that is not there.
    user_->Reset();
    form_->DropFiles({dir_->filePath("gone.nts")});
    QCOMPARE(user_->messages.size(), std::size_t(1));
    QCOMPARE(user_->messages[0].title, QString("TALVEX for Windows"));
    QCOMPARE(user_->messages[0].text, QString("File not found."));
    QVERIFY2(user_->messages[0].detail.contains(dir_->filePath("gone.nts")),
             qPrintable(user_->messages[0].detail));
  }

  void FailureInCommandReachesErrorReport_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("foreign");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "Array Reference Out of Bounds" << false
                            << "Array Reference Out of Bounds.";
    QTest::newRow("digit") << "I/O error 5" << false << "I/O error 5.";
    QTest::newRow("exclamation") << "Not enough data!" << false << "Not enough data!";
    QTest::newRow("full stop") << "Done." << false << "Done.";
    QTest::newRow("closing quote")
        << "Cannot create file \"x\"" << false << "Cannot create file \"x\"";
    QTest::newRow("not the program's own")
        << "no thread" << true << "no thread: Input/output error.";
  }
  void FailureInCommandReachesErrorReport() {
    QFETCH(QString, message);
    QFETCH(bool, foreign);
    QFETCH(QString, shown);
    OpenThroughDialog(Data("r06.nts"));
    QVERIFY(RunToEnd());
    viewer_->failWith = message.toStdString();
    viewer_->failForeign = foreign;
    Button("ScoresBtn")->click();
    QCOMPARE(viewer_->calls, QStringList({"scores"}));
    QCOMPARE(user_->messages.size(), std::size_t(1));
    QCOMPARE(user_->messages[0].title, QString("TALVEX for Windows"));
    QCOMPARE(user_->messages[0].text, shown);
    // The program goes on with the state as it was.
    QVERIFY(form_->ResultsReady());
    Item("PlotScreeItem")->trigger();
    QCOMPARE(viewer_->calls, QStringList({"scores", "scree"}));
  }

  void ButtonsAndItemsReachTheReportWindow() {
    OpenThroughDialog(Data("morph.nts"));
    QVERIFY(RunToEnd());
    Item("FileViewItem")->trigger();
    QCOMPARE(viewer_->listingLines, form_->Listing().Lines().size());
    Button("VectorsBtn")->click();
    Item("PlotVectorsItem")->trigger();
    Button("ScreeBtn")->click();
    Item("PlotScoresItem")->trigger();
    Item("PlotBiplotItem")->trigger();
    Item("PlotInfluenceItem")->trigger();
    QCOMPARE(viewer_->calls, QStringList({"listing", "vectors", "vectors", "scree", "scores",
                                          "biplot", "influence"}));
    QCOMPARE(viewer_->factorCount, 4u);
    // The plots are handed the run itself, not a copy of it.
    QVERIFY(viewer_->plotted != nullptr);
    QCOMPARE(viewer_->plotted.get(), form_->Outcome().get());
  }

  void ResultWindowsFollowRunsAndLoads() {
    // The windows hear of every completed run (with its diagnostics) and of
    // every load, so that open plots redraw and old ones close.
    OpenThroughDialog(Data("morph.nts"));
    QCOMPARE(viewer_->events, QStringList({"data replaced"}));
    QVERIFY(!Item("PlotInfluenceItem")->isEnabled());
    QVERIFY(RunToEnd());
    QCOMPARE(viewer_->events, QStringList({"data replaced", "run completed"}));
    QVERIFY(viewer_->completedWithDiagnostics);
    QVERIFY(Item("PlotBiplotItem")->isEnabled() && Item("PlotInfluenceItem")->isEnabled());
    form_->OptionMarks().OptionsJackknifeItem->trigger();  // without the jackknife
    QVERIFY(RunToEnd());
    QVERIFY(!viewer_->completedWithDiagnostics);
    QVERIFY(Item("PlotBiplotItem")->isEnabled());
    QVERIFY(!Item("PlotInfluenceItem")->isEnabled());
    OpenThroughDialog(Data("r06.nts"));
    QCOMPARE(viewer_->events.back(), QString("data replaced"));
    QVERIFY(!Item("PlotBiplotItem")->isEnabled());
  }

  void RunShowsProgressAndHoldsBackCommands() {
    OpenThroughDialog(Data("iris.nts"));
    QSignalSpy titles(form_.get(), &QWidget::windowTitleChanged);
    QSignalSpy finished(form_.get(), &TMainForm::RunFinished);
    Button("TestBtn")->click();
    QVERIFY(form_->Running());
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
    // Nothing may load, run, change the data or close while it goes on.
    for (const char* name :
         {"FileOpenItem", "FileExitItem", "RunAnalysisItem", "FactorsNumberItem"}) {
      QVERIFY2(!Item(name)->isEnabled(), name);
    }
    for (const char* name : {"OpenBtn", "TestBtn", "CloseBtn"}) {
      QVERIFY2(!Button(name)->isEnabled(), name);
    }
    QVERIFY(!Button("CancelBtn")->isHidden());
    QVERIFY(!form_->findChild<QProgressBar*>("RunProgress")->isHidden());
    // A load handed over meanwhile is held back too.
    form_->DropFiles({Data("r06.nts")});

    QVERIFY(finished.wait(120000));
    QVERIFY(!form_->Running());
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QCOMPARE(form_->windowTitle(), ApplicationTitle);
    QStringList seen;
    for (const QList<QVariant>& t : titles) seen.append(t.at(0).toString());
    QVERIFY2(seen.contains("Iteration no. - 1"), qPrintable(seen.join('|')));
    QVERIFY(seen.contains("Iteration no. - 150") || seen.contains("TALVEX for Windows"));
    QCOMPARE(form_->State().Data().objectCount, 150u);  // the drop was held back
  }

  void CloseDuringRunWaitsForIt() {
    OpenThroughDialog(BigData());
    form_->show();
    QSignalSpy finished(form_.get(), &TMainForm::RunFinished);
    Button("TestBtn")->click();
    QVERIFY(!form_->close());  // held back: the run is stopped first
    QVERIFY(form_->isVisible());
    QVERIFY(viewer_->calls.isEmpty());
    QVERIFY(finished.wait(120000));
    QTRY_VERIFY(!form_->isVisible());
    QCOMPARE(viewer_->calls, QStringList({"save"}));
    QVERIFY(user_->messages.empty());  // no report of the cancel on the way out
    QVERIFY(!form_->ResultsReady());
  }

  void CompletedRunCaptionAndResults() {
    OpenThroughDialog(Data("iris.nts"));
    QSignalSpy titles(form_.get(), &QWidget::windowTitleChanged);
    QVERIFY(RunToEnd());
    QStringList seen;
    for (const QList<QVariant>& t : titles) seen.append(t.at(0).toString());
    QVERIFY(seen.contains("Iteration no. - 150"));
    QCOMPARE(seen.last(), ApplicationTitle);
    QVERIFY(form_->ResultsReady());
    QVERIFY(user_->messages.empty());
    QCOMPARE(form_->Outcome()->Results().eigenvalues.Length(), 4u);
    QVERIFY(form_->Outcome()->Results().eigenvalues.GetValue(1) > 2.0);
  }

  void CancelledRunKeepsEarlierResults() {
    OpenThroughDialog(BigData());
    form_->OptionMarks().OptionsJackknifeItem->setChecked(false);
    QVERIFY(RunToEnd());
    const double firstEigenvalue = form_->Outcome()->Results().eigenvalues.GetValue(1);
    const std::vector<std::string> firstListing = form_->Listing().Lines();
    form_->OptionMarks().OptionsJackknifeItem->setChecked(true);
    form_->OptionMarks().MethodCovarianceItem->trigger();  // a different analysis
    user_->Reset();
    QSignalSpy finished(form_.get(), &TMainForm::RunFinished);
    Button("TestBtn")->click();
    Button("CancelBtn")->click();
    QVERIFY(finished.wait(120000));
    // The user's own decision: told as information, without a beep.
    QCOMPARE(user_->messages.size(), std::size_t(1));
    QCOMPARE(user_->messages[0].title, ApplicationTitle);
    QCOMPARE(user_->messages[0].kind, TMessageKind::Information);
    QCOMPARE(user_->messages[0].text,
             QString("Analysis cancelled; the results of the previous run are kept"));
    QCOMPARE(user_->beeps, 0);
    QVERIFY(form_->ResultsReady());
    QCOMPARE(form_->Outcome()->Results().eigenvalues.GetValue(1), firstEigenvalue);
    // The report is the finished run's, line for line, and nothing is marked as failed.
    QCOMPARE(form_->Listing().Lines(), firstListing);
    QVERIFY(form_->ListingFailure().isEmpty());
    QVERIFY(!viewer_->events.contains("run failed"));
    Item("FileViewItem")->trigger();
    QCOMPARE(viewer_->shownLines, firstListing);
    QVERIFY(viewer_->listingFailure.isEmpty());
    // The record, too, is the finished run's: correlations, as that run was made.
    QCOMPARE(form_->Outcome()->Record().options.method, talvex::DispersionMethod::Correlation);
    QCOMPARE(form_->windowTitle(), ApplicationTitle);
    // The kept results came without the jackknife: no diagnostics.
    TNames expected = Join({Always, WithData, WithResults, WithRecentFiles});
    expected.erase("FileDiagnosticsItem");
    QCOMPARE(EnabledCommands(), expected);
  }

  void FailedRunIsReportedAndKeepsState() {
    OpenThroughDialog(Data("negative.nts"));
    QVERIFY(RunToEnd());  // raw data: fine
    QVERIFY(form_->ResultsReady());
    const double trace = form_->Outcome()->Results().trace;
    form_->OptionMarks().TransformNaturalItem->trigger();
    user_->Reset();
    QVERIFY(RunToEnd());
    QCOMPARE(user_->messages.size(), std::size_t(1));
    QCOMPARE(user_->messages[0].title, QString("TALVEX for Windows"));
    QCOMPARE(user_->messages[0].text, QString("Invalid floating point operation."));
    // The cause, as far as the program knows it, below the message.
    QVERIFY2(user_->messages[0].detail.contains("natural logarithm"),
             qPrintable(user_->messages[0].detail));
    QVERIFY(form_->ResultsReady());  // as before the run
    QCOMPARE(form_->Outcome()->Results().trace, trace);
    QVERIFY(!form_->Listing().Empty());  // the lines written before the fault
    // The report window says, outside the listing, that it shows a failed run.
    QVERIFY(viewer_->events.contains("run failed"));
    Item("FileViewItem")->trigger();
    QVERIFY2(viewer_->listingFailure.contains("failed (Invalid floating point operation)"),
             qPrintable(viewer_->listingFailure));
    QVERIFY(viewer_->listingFailure.contains("still show the previous run"));
    QCOMPARE(viewer_->shownLines, form_->Listing().Lines());
    QCOMPARE(form_->Listing().Lines().front(), std::string("TALVEX - Quorvane"));
    // The next completed run takes the mark away.
    form_->OptionMarks().TransformRawItem->trigger();
    QVERIFY(RunToEnd());
    QVERIFY(form_->ListingFailure().isEmpty());
    form_->OptionMarks().TransformNaturalItem->trigger();
    QCOMPARE(form_->windowTitle(), ApplicationTitle);
    QCOMPARE(EnabledCommands(), Join({Always, WithData, WithResults, WithRecentFiles}));

    // A failed first run leaves the results commands off.
    OpenThroughDialog(Data("negative.nts"));
    user_->Reset();
    QVERIFY(RunToEnd());
    QVERIFY(!form_->ResultsReady());
    QCOMPARE(EnabledCommands(), Join({Always, WithData, WithRecentFiles}));
  }

  // The command line Copy Command Line gives, run in a shell, makes the
  // desktop's listing and All Results again (but for the date and time).
  void CommandLineRepeatsTheRun_data() {
    QTest::addColumn<QStringList>("variables");  // by number, as the import dialog gives them
    QTest::addColumn<QString>("labels");
    QTest::addColumn<QString>("group");
    QTest::addColumn<bool>("covariance");
    QTest::addColumn<int>("transform");  // 0 none, 1 log10, 2 ln
    QTest::addColumn<int>("factors");    // 0: all
    QTest::addColumn<bool>("jackknife");
    QTest::addColumn<bool>("matchAxes");
    QTest::addColumn<bool>("groupsFromLabels");
    QTest::newRow("detected roles")
        << QStringList() << QString() << QString() << false << 0 << 0 << true << false << false;
    QTest::newRow("covariance of log10, island groups")
        << QStringList{"3", "4", "5", "6"} << QString("-") << QString("2") << true << 1 << 0 << true
        << true << false;
    QTest::newRow("two variables in another order, ln, one factor, no jackknife")
        << QStringList{"6", "3"} << QString("-") << QString("-") << false << 2 << 1 << false
        << false << true;
  }

  void CommandLineRepeatsTheRun() {
    QFETCH(QStringList, variables);
    QFETCH(QString, labels);
    QFETCH(QString, group);
    QFETCH(bool, covariance);
    QFETCH(int, transform);
    QFETCH(int, factors);
    QFETCH(bool, jackknife);
    QFETCH(bool, matchAxes);
    QFETCH(bool, groupsFromLabels);

    // Penguins with missing values: two rows are left out.
    talvex::TImportOptions chosen;
    chosen.missing = talvex::TMissingPolicy::Omit;
    for (const QString& v : variables) chosen.variables.push_back(v.toStdString());
    chosen.labelsColumn = labels.toStdString();
    chosen.groupColumn = group.toStdString();
    user_->importAnswers.push_back(chosen);
    const QString penguins = QStringLiteral(TALVEX_SOURCE_DIR "/tests/tables/data/penguins.csv");
    OpenThroughDialog(penguins);
    QVERIFY(form_->DataLoaded());
    QVERIFY(!form_->State().Source().leftOut.empty());
    if (covariance) form_->OptionMarks().MethodCovarianceItem->trigger();
    if (transform == 1) form_->OptionMarks().TransformDecimalItem->trigger();
    if (transform == 2) form_->OptionMarks().TransformNaturalItem->trigger();
    if (factors > 0) {
      user_->inputAnswers.push_back(factors);
      Item("FactorsNumberItem")->trigger();
    }
    form_->OptionMarks().OptionsJackknifeItem->setChecked(jackknife);
    Item("OptionsMatchAxesItem")->setChecked(matchAxes);
    if (groupsFromLabels) Item("OptionsGroupsItem")->trigger();
    QVERIFY(RunToEnd());
    QVERIFY(form_->ResultsReady());
    const QString desktopResults = dir_->filePath("desktop.json");
    user_->fileAnswers.push_back(desktopResults);
    Item("SaveAllResultsItem")->trigger();
    QVERIFY(QFile::exists(desktopResults));

    const QString listing = dir_->filePath("cli listing.txt");
    const QString results = dir_->filePath("cli.json");
    const QString failure = RunCopiedCommandLine("--report '" + listing + "' --results " + results);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QCOMPARE(WithoutDateAndTime(ListingLines(listing)), WithoutDateAndTime(DesktopListing()));
    QCOMPARE(ResultsWithoutDateAndTime(results), ResultsWithoutDateAndTime(desktopResults));
    // The record in All Results is the one the command line was made from.
    QVERIFY(ReadText(results).contains("\"Command line\""));
  }

  void DecimalLogarithmsOfZeroAreWarnedAbout() {
    OpenThroughDialog(Data("negative.nts"));
    form_->OptionMarks().TransformDecimalItem->trigger();
    user_->Reset();
    QVERIFY(RunToEnd());
    QVERIFY(form_->ResultsReady());  // the run completes, as before
    QCOMPARE(user_->messages.size(), std::size_t(1));
    QCOMPARE(user_->messages[0].kind, TMessageKind::Warning);
    QCOMPARE(user_->messages[0].title, ApplicationTitle);
    QVERIFY2(user_->messages[0].text.startsWith("log10 of "), qPrintable(user_->messages[0].text));
    QVERIFY(user_->messages[0].text.contains(" <= 0 in "));

    // No warning without decimal logarithms.
    form_->OptionMarks().TransformRawItem->trigger();
    user_->Reset();
    QVERIFY(RunToEnd());
    QVERIFY(user_->messages.empty());
  }

  void TablesLoadThroughTheImportDialog() {
    OpenThroughDialog(Data("morph.nts"));
    QVERIFY(RunToEnd());
    user_->Reset();

    // Cancel in the import dialog changes nothing.
    OpenThroughDialog(Data("iris_grouped.csv"));
    QCOMPARE(user_->imports.size(), std::size_t(1));
    QCOMPARE(user_->imports[0].title, QString("Import iris_grouped.csv"));
    QCOMPARE(form_->DataFileName(), Data("morph.nts"));
    QVERIFY(form_->ResultsReady());
    QVERIFY(user_->messages.empty());

    // The roles the user settles on load the table and are remembered.
    talvex::TImportOptions chosen;
    chosen.variables = {"3", "4", "5"};
    user_->importAnswers.push_back(chosen);
    OpenThroughDialog(Data("iris_grouped.csv"));
    QVERIFY(form_->DataLoaded());
    QVERIFY(!form_->ResultsReady());
    QCOMPARE(form_->DataFileName(), Data("iris_grouped.csv"));
    QCOMPARE(form_->State().Data().variableCount, 3u);
    QCOMPARE(form_->State().Data().groups.size(), std::size_t(150));
    QCOMPARE(Label("LblInfo")->text(), QString("150 objects, 3 descriptors, 3 groups"));
    QCOMPARE(form_->RecentFiles().Entries().front(), Data("iris_grouped.csv"));
    QVERIFY(RunToEnd());
    QVERIFY(form_->ResultsReady());

    // Reopened from the recent files, the dialog offers those roles again.
    user_->Reset();
    form_->RecentFiles().MenuItems()[0]->trigger();
    QCOMPARE(user_->imports.size(), std::size_t(1));
    QCOMPARE(user_->imports[0].initial.options.variables, chosen.variables);
    // The request reads the table as the dialog would.
    talvex::TImportReport report;
    QCOMPARE(user_->imports[0].run(user_->imports[0].initial.options, &report).objectCount, 150u);

    // A refused table keeps what was loaded.
    user_->Reset();
    user_->importAnswers.push_back(talvex::TImportOptions());
    OpenThroughDialog(Data("iris_missing.csv"));
    QCOMPARE(form_->DataFileName(), Data("iris_grouped.csv"));
    QVERIFY(form_->ResultsReady());
    QCOMPARE(user_->messages.size(), std::size_t(2));
    QCOMPARE(user_->messages[1].text, QString("File error"));
    QVERIFY2(user_->messages[0].detail.contains("iris_missing.csv"),
             qPrintable(user_->messages[0].detail));
  }

  void PasteDataImportsTheClipboard() {
    QGuiApplication::clipboard()->setText("name\tA\tB\nx1\t1\t2\nx2\t2\t5\nx3\t4\t4\n");
    user_->importAnswers.push_back(talvex::TImportOptions());
    Item("EditPasteItem")->trigger();
    QCOMPARE(user_->imports.size(), std::size_t(1));
    QVERIFY(form_->DataLoaded());
    QCOMPARE(form_->State().Data().objectCount, 3u);
    QCOMPARE(form_->State().Data().objectLabels[2], std::string("x3"));
    QCOMPARE(Label("LblName")->text(), QString("Pasted data"));
    QCOMPARE(form_->RecentFiles().Count(), 0);  // not a file
    QVERIFY(RunToEnd());
    QVERIFY(form_->ResultsReady());
    // Not a file in the working folder: the listing and the record say what it was.
    QCOMPARE(form_->Listing().Lines()[6], std::string("Input file name  - (pasted data)"));
    QCOMPARE(form_->Outcome()->Record().source.kind, talvex::TSourceKind::PastedData);
    QCOMPARE(form_->findChild<TElidedLabel*>("StatusText")->FullText(),
             QString("Pasted data: correlation matrix, no transformation, 2 factors"));

    // An empty clipboard is told, and changes nothing.
    QGuiApplication::clipboard()->setText(QString());
    user_->Reset();
    Item("EditPasteItem")->trigger();
    QVERIFY(user_->imports.empty());
    QCOMPARE(user_->messages.size(), std::size_t(1));
    QVERIFY(form_->ResultsReady());
  }

  void SaveDataAsWritesADataMatrixFile() {
    user_->importAnswers.push_back(talvex::TImportOptions());
    OpenThroughDialog(Data("iris_grouped.csv"));
    QVERIFY(Item("FileSaveDataItem")->isEnabled());
    const QString saved = dir_->filePath("iris_saved.nts");
    user_->fileAnswers.push_back(saved);
    Item("FileSaveDataItem")->trigger();
    QVERIFY(user_->messages.empty());
    QVERIFY(user_->fileDialogs.back().save);
    QCOMPARE(user_->fileDialogs.back().initialFile, QString("iris_grouped.nts"));
    // Read back, the numbers and labels are those loaded.
    const talvex::TDataMatrix before = form_->State().Data();
    form_->LoadFromPath(saved);
    QCOMPARE(form_->DataFileName(), saved);
    const talvex::TDataMatrix& after = form_->State().Data();
    QCOMPARE(after.objectCount, before.objectCount);
    QCOMPARE(after.objectLabels, before.objectLabels);
    for (talvex::TSize i = 1; i <= after.valueCount; ++i)
      QCOMPARE(after.values.GetValue(i), before.values.GetValue(i));
  }

  void GroupsFromObjectLabels() {
    OpenThroughDialog(Data("iris.nts"));
    QVERIFY(form_->State().Data().groups.empty());
    Item("OptionsGroupsItem")->trigger();  // marks it
    QCOMPARE(form_->State().Data().groups.front(), std::string("setosa"));
    QCOMPARE(Label("LblInfo")->text(), QString("150 objects, 4 descriptors, 3 groups"));
    Item("OptionsGroupsItem")->trigger();
    QVERIFY(form_->State().Data().groups.empty());
    QCOMPARE(Label("LblInfo")->text(), QString("150 objects, 4 descriptors"));
    // Kept for the next session, and applied at the next load.
    Item("OptionsGroupsItem")->trigger();
    form_->close();
    Start();
    QVERIFY(Item("OptionsGroupsItem")->isChecked());
    OpenThroughDialog(Data("iris.nts"));
    QCOMPARE(form_->State().Data().groups.size(), std::size_t(150));
  }

  void DiagnosticsAndAllResults() {
    OpenThroughDialog(Data("iris.nts"));
    form_->OptionMarks().MethodCovarianceItem->trigger();
    form_->OptionMarks().TransformDecimalItem->trigger();
    QVERIFY(RunToEnd());
    // Leaving some flowers out exchanges axes 2 and 3: the window says so.
    auto* warnings = form_->findChild<QLabel*>("LblWarnings");
    QVERIFY(!warnings->isHidden());
    QVERIFY2(warnings->toolTip().contains("xchang"), qPrintable(warnings->toolTip()));

    Item("FileDiagnosticsItem")->trigger();
    QCOMPARE(viewer_->calls.back(), QString("diagnostics"));
    QVERIFY(!viewer_->diagnosticsLines.empty());

    for (const char* name : {"all.xlsx", "all.json"}) {
      const QString path = dir_->filePath(name);
      user_->fileAnswers.push_back(path);
      Item("SaveAllResultsItem")->trigger();
      QVERIFY2(QFile::exists(path), name);
    }
    for (const auto& message : user_->messages) QVERIFY(message.kind != TMessageKind::Error);
    const QJsonDocument json = QJsonDocument::fromJson(ReadText(dir_->filePath("all.json")));
    QVERIFY(json.isObject());

    // Loading other data takes the line away with the results, and so does
    // a run without warnings (without the jackknife, nothing to warn of).
    OpenThroughDialog(Data("morph.nts"));
    QVERIFY(warnings->isHidden());
    OpenThroughDialog(Data("iris.nts"));
    QVERIFY(RunToEnd());
    QVERIFY(!warnings->isHidden());
    form_->OptionMarks().OptionsJackknifeItem->trigger();
    QVERIFY(RunToEnd());
    QVERIFY(warnings->isHidden());
    QVERIFY(!Item("FileDiagnosticsItem")->isEnabled());
  }

  void FocusChangeReappliesRules() {
    form_->show();
    QApplication::setActiveWindow(form_.get());
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    Item("FileViewItem")->setEnabled(true);  // out of step with the flags
    Button("CloseBtn")->setFocus();
    QTRY_VERIFY(!Item("FileViewItem")->isEnabled());
  }

  void OptionClickRules_data() {
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QStringList>("marked");  // among the nine items, afterwards
    const QStringList defaults = {"MethodCorrelationItem", "TransformRawItem",
                                  "OptionsJackknifeItem", "FactorsAllItem"};
    QTest::newRow("none") << QStringList() << defaults;
    QTest::newRow("covariance") << QStringList({"MethodCovarianceItem"})
                                << QStringList({"MethodCovarianceItem", "TransformRawItem",
                                                "OptionsJackknifeItem", "FactorsAllItem"});
    QTest::newRow("marked correlation moves the mark")
        << QStringList({"MethodCorrelationItem"})
        << QStringList({"MethodCovarianceItem", "TransformRawItem", "OptionsJackknifeItem",
                        "FactorsAllItem"});
    QTest::newRow("method twice") << QStringList({"MethodCovarianceItem", "MethodCovarianceItem"})
                                  << defaults;
    QTest::newRow("decimal logs") << QStringList({"TransformDecimalItem"})
                                  << QStringList({"MethodCorrelationItem", "TransformDecimalItem",
                                                  "OptionsJackknifeItem", "FactorsAllItem"});
    QTest::newRow("marked transformation stays the one mark")
        << QStringList({"TransformNaturalItem", "TransformNaturalItem"})
        << QStringList({"MethodCorrelationItem", "TransformNaturalItem", "OptionsJackknifeItem",
                        "FactorsAllItem"});
    QTest::newRow("kaiser then joliffe")
        << QStringList({"FactorsKaiserItem", "FactorsJoliffeItem"})
        << QStringList({"MethodCorrelationItem", "TransformRawItem", "OptionsJackknifeItem",
                        "FactorsJoliffeItem"});
    QTest::newRow("marked factor rule stays") << QStringList({"FactorsAllItem"}) << defaults;
    QTest::newRow("jackknife off")
        << QStringList({"OptionsJackknifeItem"})
        << QStringList({"MethodCorrelationItem", "TransformRawItem", "FactorsAllItem"});
    QTest::newRow("jackknife twice")
        << QStringList({"OptionsJackknifeItem", "OptionsJackknifeItem"}) << defaults;
  }
  void OptionClickRules() {
    QFETCH(QStringList, clicks);
    QFETCH(QStringList, marked);
    OpenThroughDialog(Data("r06.nts"));
    for (const QString& name : clicks) Item(name.toLatin1().constData())->trigger();
    QStringList actual;
    for (const char* name : {"MethodCorrelationItem", "MethodCovarianceItem", "TransformRawItem",
                             "TransformDecimalItem", "TransformNaturalItem", "OptionsJackknifeItem",
                             "FactorsAllItem", "FactorsKaiserItem", "FactorsJoliffeItem"}) {
      if (Item(name)->isChecked()) actual.append(name);
    }
    std::sort(actual.begin(), actual.end());
    std::sort(marked.begin(), marked.end());
    QCOMPARE(actual, marked);
    // Options never touch the flags.
    QVERIFY(form_->DataLoaded());
    QVERIFY(!form_->ResultsReady());
  }

  void OptionsReadFromSettings_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("marked");
    QTest::addColumn<int>("method");  // of the run's options
    QTest::newRow("no file") << QByteArray()
                             << QStringList({"FactorsAllItem", "MethodCorrelationItem",
                                             "OptionsJackknifeItem", "TransformRawItem"})
                             << 2;
    QTest::newRow("hex and words")
        << QByteArray(
               "[Options]\nCorrelation=0\nCovariance=0x1\nJackkniffe=yes\n"
               "FactorsAll=0\nFactorsKaiser=0X1\n")
        << QStringList({"FactorsKaiserItem", "MethodCovarianceItem", "OptionsJackknifeItem",
                        "TransformRawItem"})
        << 1;
    QTest::newRow("both methods marked")
        << QByteArray("[Options]\nCorrelation=1\nCovariance=1\n")
        << QStringList({"FactorsAllItem", "MethodCorrelationItem", "MethodCovarianceItem",
                        "OptionsJackknifeItem", "TransformRawItem"})
        << 1;
    QTest::newRow("empty groups repaired")
        << QByteArray(
               "[Options]\nCorrelation=0\nCovariance=0\nTransformRaw=0\n"
               "TransformDecimal=0\nTransformNatural=0\nFactorsAll=0\nJackkniffe=0\n")
        << QStringList({"MethodCorrelationItem", "TransformRawItem"}) << 2;
  }
  void OptionsReadFromSettings() {
    QFETCH(QByteArray, file);
    QFETCH(QStringList, marked);
    QFETCH(int, method);
    if (!file.isEmpty()) WriteText(SettingsPath(), file);
    Start();
    QStringList actual;
    for (QAction* item : form_->findChildren<QAction*>()) {
      if (item->isCheckable() && item->isChecked()) actual.append(item->objectName());
    }
    std::sort(actual.begin(), actual.end());
    QCOMPARE(actual, marked);
    QCOMPARE(int(form_->OptionMarks().Options().method), method);
  }

  void OptionsWrittenOnlyWithData() {
    const QByteArray original = "[Options]\nCorrelation=0x1\nJackkniffe=yes\nLabelPoints=0\n";
    WriteText(SettingsPath(), original);
    Start();
    Item("FileOpenItem")->trigger();  // cancelled
    QVERIFY(form_->close());
    QCOMPARE(viewer_->calls, QStringList({"save"}));
    QCOMPARE(ReadText(SettingsPath()), original);

    Start();
    OpenThroughDialog(Data("r06.nts"));
    Item("MethodCovarianceItem")->trigger();
    Item("TransformDecimalItem")->trigger();
    Item("OptionsJackknifeItem")->trigger();
    QVERIFY(form_->close());
    const TSettingsFile written(SettingsPath());
    const struct {
      const char* key;
      int value;
    } expected[] = {{"Correlation", 0},      {"Covariance", 1},       {"TransformRaw", 0},
                    {"TransformDecimal", 1}, {"TransformNatural", 0}, {"Jackkniffe", 0},
                    {"FactorsAll", 1},       {"FactorsKaiser", 0},    {"FactorsJoliffe", 0}};
    for (const auto& e : expected) {
      QCOMPARE(written.ReadString("Options", e.key), QString::number(e.value));
    }
    QCOMPARE(written.ReadString("Options", "LabelPoints"), QString("0"));
    QCOMPARE(written.ReadString("FileHistory", "F0"), Data("r06.nts"));

    // The next start shows what was written.
    Start();
    QVERIFY(Item("MethodCovarianceItem")->isChecked());
    QVERIFY(Item("TransformDecimalItem")->isChecked());
    QVERIFY(!Item("OptionsJackknifeItem")->isChecked());
    QCOMPARE(form_->RecentFiles().Entries(), QStringList({Data("r06.nts")}));
  }

  void UnwritableSettingsAreReportedAtShutDown() {
    WriteText(dir_->filePath("blocker"), "a file, not a folder");
    qputenv("TALVEX_CONFIG_DIR", dir_->filePath("blocker").toUtf8());
    Start();
    OpenThroughDialog(Data("r06.nts"));
    user_->Reset();
    QVERIFY(form_->close());  // shut-down completes
    QCOMPARE(viewer_->calls, QStringList({"save"}));
    QCOMPARE(user_->messages.size(), std::size_t(1));
    QCOMPARE(user_->messages[0].title, ApplicationTitle);
    QCOMPARE(user_->messages[0].text,
             "Unable to write to " + dir_->filePath("blocker") + "/TALVEX.INI.");
  }

  void FactorNumberDialog_data() {
    QTest::addColumn<int>("answer");  // 0 presses Cancel
    QTest::addColumn<unsigned>("factorCount");
    QTest::addColumn<bool>("ruleCleared");
    QTest::newRow("two") << 2 << 2u << true;
    QTest::newRow("all four") << 4 << 4u << true;
    QTest::newRow("cancel keeps everything") << 0 << 4u << false;
  }
  void FactorNumberDialog() {
    QFETCH(int, answer);
    QFETCH(unsigned, factorCount);
    QFETCH(bool, ruleCleared);
    OpenThroughDialog(Data("morph.nts"));  // four variables
    form_->OptionMarks().FactorsKaiserItem->trigger();
    user_->Reset();
    user_->inputAnswers.push_back(answer == 0 ? std::nullopt : std::optional<int>(answer));
    Item("FactorsNumberItem")->trigger();
    QCOMPARE(form_->State().FactorCount(), factorCount);
    QCOMPARE(user_->inputs.size(), std::size_t(1));
    QCOMPARE(user_->inputs[0].title, QString("Factors"));
    QCOMPARE(user_->inputs[0].prompt, QString("Number of Factors:"));
    // A spin box over 1..p that offers the current number.
    QCOMPARE(user_->inputs[0].value, 4);
    QCOMPARE(user_->inputs[0].minimum, 1);
    QCOMPARE(user_->inputs[0].maximum, 4);
    QVERIFY(user_->messages.empty());
    QCOMPARE(Item("FactorsKaiserItem")->isChecked(), !ruleCleared);
    QCOMPARE(form_->OptionMarks().Options().factorRule,
             ruleCleared ? talvex::FactorRule::FactorsNumber : talvex::FactorRule::FactorsKaiser);
  }

  void FactorNumberDialogOffersTheCurrentCount() {
    OpenThroughDialog(Data("morph.nts"));
    user_->inputAnswers.push_back(2);
    Item("FactorsNumberItem")->trigger();
    user_->inputAnswers.push_back(std::nullopt);
    Item("FactorsNumberItem")->trigger();
    QCOMPARE(user_->inputs.back().value, 2);
    QCOMPARE(form_->State().FactorCount(), 2u);
  }

  void RecentEntryReloadsKeepingOrder() {
    OpenThroughDialog(Data("morph.nts"));
    OpenThroughDialog(Data("r06.nts"));
    OpenThroughDialog(Data("negative.nts"));
    const QStringList order = form_->RecentFiles().Entries();
    form_->RecentFiles().MenuItems()[2]->trigger();  // morph.nts
    QVERIFY(form_->DataLoaded());
    QCOMPARE(form_->DataFileName(), Data("morph.nts"));
    QCOMPARE(Label("LblName")->text(), QString("morph.nts"));
    QCOMPARE(form_->RecentFiles().Entries(), order);
    // The Open dialog moves a listed file to the top.
    OpenThroughDialog(Data("r06.nts"));
    QCOMPARE(form_->RecentFiles().Entries().front(), Data("r06.nts"));
  }

  void MissingRecentEntryIsToldAndStays() {
    const QString copy = dir_->filePath("copy.nts");
    QVERIFY(QFile::copy(Data("r06.nts"), copy));
    OpenThroughDialog(copy);
    QVERIFY(QFile::remove(copy));
    user_->Reset();
    form_->RecentFiles().MenuItems()[0]->trigger();
    QCOMPARE(user_->beeps, 1);
    QCOMPARE(user_->messages.size(), std::size_t(1));
    QCOMPARE(user_->messages[0].title, QString("Error"));
    QCOMPARE(user_->messages[0].text, "File \"" + copy + "\" not found!");
    QCOMPARE(user_->messages[0].button, TMessageButton::Ok);
    QCOMPARE(form_->RecentFiles().Entries(), QStringList({copy}));
    QVERIFY(form_->DataLoaded());  // nothing else changed
  }

  void DropOfOneAndOfTwoFiles() {
    OpenThroughDialog(Data("morph.nts"));
    form_->DropFiles({Data("r06.nts")});
    QCOMPARE(form_->State().Data().variableCount, 2u);
    QCOMPARE(form_->RecentFiles().Entries().front(), Data("r06.nts"));

    user_->Reset();
    form_->DropFiles({Data("morph.nts"), Data("negative.nts")});
    QCOMPARE(user_->beeps, 1);
    QCOMPARE(user_->messages.size(), std::size_t(1));
    QCOMPARE(user_->messages[0].kind, TMessageKind::Information);
    QCOMPARE(user_->messages[0].title, QString("Information"));
    QCOMPARE(user_->messages[0].text, QString("Hey! Only one file at a time..."));
    QCOMPARE(user_->messages[0].button, TMessageButton::Ok);
    QVERIFY(form_->DataLoaded());
    QCOMPARE(form_->DataFileName(), Data("r06.nts"));
  }

  void DropEventsCarryFileUrls() {
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(Data("morph.nts"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    enter.setAccepted(false);
    QApplication::sendEvent(form_.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form_.get(), &drop);
    QVERIFY(form_->DataLoaded());
    QCOMPARE(form_->DataFileName(), Data("morph.nts"));
  }

  void FirstFileByDropEnablesClearRecentFiles() {
    // The program's command line hands its file over as a drop.
    QCOMPARE(form_->RecentFiles().Count(), 0);
    QVERIFY(!Item("OptionsClearFilesListItem")->isEnabled());
    form_->DropFiles({Data("morph.nts")});
    QCOMPARE(form_->RecentFiles().Count(), 1);
    QVERIFY(Item("OptionsClearFilesListItem")->isEnabled());
    // The Open dialog then starts at that file.
    Item("FileOpenItem")->trigger();
    QCOMPARE(user_->fileDialogs.back().initialFile, Data("morph.nts"));
  }

  void ClearRecentFilesDisablesItselfAndErasesHistory() {
    OpenThroughDialog(Data("morph.nts"));
    OpenThroughDialog(Data("r06.nts"));
    QVERIFY(Item("OptionsClearFilesListItem")->isEnabled());
    Item("OptionsClearFilesListItem")->trigger();
    QCOMPARE(form_->RecentFiles().Count(), 0);
    QVERIFY(!Item("OptionsClearFilesListItem")->isEnabled());
    QCOMPARE(form_->findChild<QMenu*>("FileMenu")->actions().last()->text(), QString("E&xit"));
    QVERIFY(TSettingsFile(SettingsPath()).Keys("FileHistory").isEmpty());
    QVERIFY(ReadText(SettingsPath()).indexOf("FileHistory") < 0);
    form_->close();
    Start();
    QCOMPARE(form_->RecentFiles().Count(), 0);
  }

  void ClearRecentFilesReportsUnwritableSettings() {
    WriteText(dir_->filePath("blocker"), "a file, not a folder");
    qputenv("TALVEX_CONFIG_DIR", dir_->filePath("blocker").toUtf8());
    Start();
    OpenThroughDialog(Data("r06.nts"));
    user_->Reset();
    Item("OptionsClearFilesListItem")->trigger();
    QCOMPARE(form_->RecentFiles().Count(), 0);
    QCOMPARE(user_->messages.size(), std::size_t(1));
    QCOMPARE(user_->messages[0].title, ApplicationTitle);
    QCOMPARE(user_->messages[0].text,
             "Unable to write to " + dir_->filePath("blocker") + "/TALVEX.INI.");
    QVERIFY(!Item("OptionsClearFilesListItem")->isEnabled());
  }

  void SaveCommandsExportThroughDialog_data() {
    QTest::addColumn<bool>("scores");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("heading");
    QTest::newRow("scores csv") << true << "scores.csv"
                                << QByteArray("Axis1,Axis2,Axis3,Axis4\r\n");
    QTest::newRow("vectors sdf") << false << "VECTORS.SDF"
                                 << QByteArray("Axis1 Axis2 Axis3 Axis4 \r\n");
  }
  void SaveCommandsExportThroughDialog() {
    QFETCH(bool, scores);
    QFETCH(QString, name);
    QFETCH(QByteArray, heading);
    OpenThroughDialog(Data("morph.nts"));
    QVERIFY(RunToEnd());
    user_->Reset();
    const QString target = dir_->filePath(name);
    user_->fileAnswers.push_back(target);
    Item(scores ? "SaveScoresItem" : "SaveVectorsItem")->trigger();
    QVERIFY(user_->messages.empty());
    const TFileDialogRequest& request = user_->fileDialogs.at(0);
    QCOMPARE(request.title, QString("Save As"));
    QCOMPARE(
        request.filters,
        QStringList({"Microsoft Excel (*.xls)", "Comma Separated Values (*.csv)",
                     "System Data File (*.sdf)", "Excel Workbook (*.xlsx)",
                     scores ? "CSV with labels and groups (*.csv)" : "CSV with labels (*.csv)"}));
    QCOMPARE(request.defaultSuffix, QString("sdf"));
    QVERIFY(request.save);
    // The dialog starts beside the data file.
    QCOMPARE(request.directory, QFileInfo(Data("morph.nts")).absolutePath());
    const QByteArray written = ReadText(target);
    QVERIFY(written.startsWith(heading));
    QCOMPARE(written.count('\n'), (scores ? 10 : 4) + 1);
  }

  // The scores as a spreadsheet user wants them: which object, its group, its scores.
  void ScoresAsCsvWithLabelsAndGroups() {
    user_->importAnswers.push_back(talvex::TImportOptions());
    OpenThroughDialog(Data("iris_grouped.csv"));
    QVERIFY(RunToEnd());
    const QString target = dir_->filePath("scores.csv");
    user_->fileAnswers.push_back(target);
    user_->filterAnswer = "CSV with labels and groups (*.csv)";
    Item("SaveScoresItem")->trigger();
    const QList<QByteArray> lines = ReadText(target).split('\n');
    QCOMPARE(lines[0], QByteArray("Object,Group,Axis1,Axis2,Axis3,Axis4\r"));
    QVERIFY2(lines[1].startsWith("setosa01,setosa,"), lines[1].constData());
    QCOMPARE(lines.size(), 150 + 2);
    // Pasted data have no folder: the dialogs start where they like.
    QGuiApplication::clipboard()->setText("name\tA\tB\nx1\t1\t2\nx2\t2\t5\nx3\t4\t4\n");
    user_->importAnswers.push_back(talvex::TImportOptions());
    Item("EditPasteItem")->trigger();
    QVERIFY(RunToEnd());
    user_->Reset();
    Item("SaveAllResultsItem")->trigger();
    QVERIFY(user_->fileDialogs.at(0).directory.isEmpty());
  }

  void ExportToUnknownFormatIsReported() {
    OpenThroughDialog(Data("r06.nts"));
    QVERIFY(RunToEnd());
    user_->Reset();
    const QString target = dir_->filePath("result.txt");
    user_->fileAnswers.push_back(target);
    Item("SaveScoresItem")->trigger();
    QVERIFY(!QFile::exists(target));
    QCOMPARE(user_->messages.size(), std::size_t(1));
    QCOMPARE(user_->messages[0].title, ApplicationTitle);
    QCOMPARE(user_->messages[0].text, "Cannot export to " + target +
                                          ": the file name must end in .xls, .csv, .sdf or .xlsx.");
  }

  void AboutBoxAndMailLink() {
    Item("HelpAboutItem")->trigger();
    QCOMPARE(user_->modals, QStringList({"AboutBox"}));
    QCOMPARE(user_->modalCaptions, QStringList({"About TALVEX for Windows"}));
    TAboutBox& about = form_->AboutBox();
    QCOMPARE(about.findChild<QLabel*>("ProductName")->text(), QString("Quorvane"));
    QVERIFY(about.findChild<QLabel*>("Version")->text().startsWith("Version "));
    QCOMPARE(about.OkButton()->text(), QString("O&K"));
    QCOMPARE(about.MailLink()->toolTip(), "Send mail to " + TAboutBox::MailAddress);
    emit about.MailLink()->linkActivated("mailto:" + TAboutBox::MailAddress);
    QCOMPARE(user_->urls, QList<QUrl>({QUrl("mailto:" + TAboutBox::MailAddress)}));
  }

  void HelpDoesNothingWithoutHelpFile() {
    Start(dir_->filePath("missing-help.rcc"));
    Item("HelpContentsItem")->trigger();
    Item("HelpSearchItem")->trigger();
    QVERIFY(form_->HelpWindow() == nullptr);
    QVERIFY(user_->messages.empty());
  }
};

QTEST_MAIN(TMainFormTest)
#include "main_form_test.moc"
