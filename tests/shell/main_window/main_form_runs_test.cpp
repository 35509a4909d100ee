// What the main window's runs carry beyond the loaded data and options: the
// supplementary rows chosen in the import dialog and the objects of files
// added to the run, both named by the run record as the command line's
// options are; the warnings of a completed run; and a number of factors
// raised above what the shown results computed.
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "analysis/pca_imputation.h"
#include "drawing/plot_run.h"
#include "main_window/main_form_driver.h"
#include "shell/main_window/main_form.h"
#include "shell/main_window/option_marks.h"
#include "shell/main_window/recent_files_list.h"
#include "shell/settings/settings_file.h"

using namespace talvex::desktop;

namespace {

QString Data(const char* name) { return QStringLiteral(TALVEX_TEST_DATA "/") + name; }

// The value of a field of the run record, or nothing.
QString RecordField(const talvex::TRunRecord& record, const std::string& name) {
  for (const auto& [field, value] : talvex::RunRecordFields(record))
    if (field == name) return QString::fromStdString(value);
  return QString();
}

}  // namespace

class TMainFormRunsTest : public QObject, private TMainFormDriver {
  Q_OBJECT

 private:
  const talvex::TRunOutcome& Outcome() const { return *form_->Outcome(); }

  // n objects by p variables of pseudo-random values, as a data-matrix file.
  QString RandomData(const char* name, int n, int p) const {
    const QString path = dir_->filePath(name);
    QByteArray text =
        "'Random'\r\n1 " + QByteArray::number(n) + " " + QByteArray::number(p) + " 0\r\n";
    quint32 seed = 2026;
    for (int i = 0; i < n * p; ++i) {
      seed = seed * 1664525u + 1013904223u;
      text += QByteArray::number(double(seed >> 8) / 16777216.0 * 10.0, 'f', 4) +
              ((i + 1) % p == 0 ? "\r\n" : " ");
    }
    WriteText(path, text);
    return path;
  }

  // A table of supplementary objects measured on the loaded data's variables.
  QString ObjectsFile(const char* name, const QByteArray& rows, bool lastVariable = true) const {
    QByteArray text = "name";
    const std::vector<std::string>& variables = form_->State().Data().variableLabels;
    for (std::size_t j = 0; j < variables.size() - (lastVariable ? 0 : 1); ++j)
      text += "," + QByteArray::fromStdString(variables[j]);
    const QString path = dir_->filePath(name);
    WriteText(path, text + "\n" + rows);
    return path;
  }

 private slots:
  void init() { Begin(); }
  void cleanup() { End(); }

  void RowsChosenInTheImportDialogReachTheRun_data() {
    QTest::addColumn<bool>("grouped");
    // The species as the groups, or left out and read only to pick by.
    QTest::newRow("by the group") << true;
    QTest::newRow("by a column left out") << false;
  }
  void RowsChosenInTheImportDialogReachTheRun() {
    QFETCH(bool, grouped);
    TTableChoice chosen;
    if (!grouped) chosen.options.groupColumn = "-";
    chosen.rows = {"species", {"virgin"}};
    user_->importAnswers.push_back(chosen);
    OpenThroughDialog(Data("iris_grouped.csv"));
    QVERIFY(form_->DataLoaded());
    QCOMPARE(form_->State().Data().objectCount, 150u);  // the runs pick the rows
    QVERIFY(RunToEnd());
    QVERIFY(user_->messages.empty());
    QCOMPARE(Outcome().Data().objectCount, 100u);
    QCOMPARE(Outcome().Supplementary().objectLabels.size(), std::size_t(50));
    QCOMPARE(Outcome().Supplementary().objectLabels.front(), std::string("virgin01"));
    // Read only to pick by, the column groups nothing.
    QCOMPARE(Outcome().Supplementary().groups.empty(), !grouped);
    QCOMPARE(RecordField(Outcome().Record(), "Supplementary rows"), QString("species = virgin"));
    QVERIFY(!RecordField(Outcome().Record(), "Command line").contains("--supplementary-variables"));

    // The command line the window offers makes the same listing.
    const QString listing = dir_->filePath("cli listing.txt");
    const QString failure = RunCopiedCommandLine("--report '" + listing + "'");
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QCOMPARE(WithoutDateAndTime(ListingLines(listing)), WithoutDateAndTime(DesktopListing()));

    // Reopened, the table offers the rows with its other choices.
    user_->Reset();
    form_->RecentFiles().MenuItems()[0]->trigger();
    QCOMPARE(user_->imports.size(), std::size_t(1));
    QCOMPARE(user_->imports[0].initial.rows.column, std::string("species"));
    QCOMPARE(user_->imports[0].initial.rows.values, std::vector<std::string>{"virgin"});
  }

  void AddedObjectsAreInTheRunRecord() {
    OpenThroughDialog(Data("iris.nts"));
    const QString fossils = ObjectsFile("fossils.csv", "f1,5.0,3.0,1.5,0.3\nf2,7.5,3.0,6.5,2.2\n");
    user_->fileAnswers.push_back(fossils);
    Item("FileAddSupplementaryItem")->trigger();
    QCOMPARE(user_->messages.size(), std::size_t(1));
    QCOMPARE(user_->messages[0].kind, TMessageKind::Information);
    QCOMPARE(
        user_->messages[0].text,
        QString("2 supplementary objects of fossils.csv will be placed on the axes at the next "
                "run."));
    // A file without one of the variables adds nothing.
    user_->Reset();
    user_->fileAnswers.push_back(ObjectsFile("short.csv", "s1,5.0,3.0,1.5\n", false));
    Item("FileAddSupplementaryItem")->trigger();
    QCOMPARE(user_->messages.size(), std::size_t(1));
    QCOMPARE(user_->messages[0].kind, TMessageKind::Error);
    QVERIFY2(user_->messages[0].text.contains("Supplementary file lacks a variable"),
             qPrintable(user_->messages[0].text));

    user_->Reset();
    QVERIFY(RunToEnd());
    QCOMPARE(Outcome().Supplementary().objectLabels, (std::vector<std::string>{"f1", "f2"}));
    const std::vector<talvex::TSupplementaryFile>& files =
        Outcome().Record().source.supplementaryFiles;
    QCOMPARE(files.size(), std::size_t(1));
    QCOMPARE(QString::fromStdString(files[0].path), QFileInfo(fossils).absoluteFilePath());
    QCOMPARE(files[0].objects, (std::vector<std::string>{"f1", "f2"}));
    const QString field = QString::fromStdString(files[0].path) + " (2 objects: f1, f2)";
    QCOMPARE(RecordField(Outcome().Record(), "Supplementary files"), field);
    // The diagnostics report carries the record.
    Item("FileDiagnosticsItem")->trigger();
    bool reported = false;
    for (const std::string& line : viewer_->diagnosticsLines)
      reported = reported || QString::fromStdString(line).contains(field);
    QVERIFY(reported);
    // The command line reads the same file and makes the same listing.
    QVERIFY(
        RecordField(Outcome().Record(), "Command line").contains(" --supplementary " + fossils));
    const QString listing = dir_->filePath("cli listing.txt");
    const QString failure = RunCopiedCommandLine("--report '" + listing + "'");
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QCOMPARE(WithoutDateAndTime(ListingLines(listing)), WithoutDateAndTime(DesktopListing()));

    // Other data forget the file.
    OpenThroughDialog(Data("iris.nts"));
    QVERIFY(RunToEnd());
    QVERIFY(!Outcome().Supplementary().available);
    QVERIFY(Outcome().Record().source.supplementaryFiles.empty());
  }

  void ZerosOfSupplementaryObjectsAreWarnedAbout() {
    OpenThroughDialog(Data("iris.nts"));
    user_->fileAnswers.push_back(ObjectsFile("zero.csv", "z1,5.0,0,1.5,0.3\n"));
    Item("FileAddSupplementaryItem")->trigger();
    form_->OptionMarks().TransformDecimalItem->trigger();
    user_->Reset();
    QVERIFY(RunToEnd());
    QVERIFY(form_->ResultsReady());
    QCOMPARE(user_->messages.size(), std::size_t(1));
    QCOMPARE(user_->messages[0].kind, TMessageKind::Warning);
    QVERIFY2(user_->messages[0].text.endsWith("(supplementary objects) was taken as 0"),
             qPrintable(user_->messages[0].text));
    QVERIFY(user_->messages[0].detail.contains("entered it as 0"));
  }

  void ImputationThatStopsShortIsWarnedAbout() {
    // Three variables that move together, the third known for 2 objects of
    // 800: each sweep of the imputation recovers little of what is missing,
    // and the iteration limit comes first.
    QByteArray text = "name,x1,x2,y\n";
    quint32 seed = 2026;
    const auto uniform = [&seed] {
      seed = seed * 1664525u + 1013904223u;
      return double(seed >> 8) / 16777216.0;
    };
    for (int i = 0; i < 800; ++i) {
      const double a = uniform() * 2 - 1;
      const double x1 = a + (uniform() - 0.5) * 0.1;
      const double x2 = a + (uniform() - 0.5) * 0.1;
      const double y = a + (uniform() - 0.5) * 0.1;
      text += "o" + QByteArray::number(i + 1) + "," + QByteArray::number(x1, 'f', 6) + "," +
              QByteArray::number(x2, 'f', 6) + "," +
              (i < 2 ? QByteArray::number(y, 'f', 6) : QByteArray()) + "\n";
    }
    const QString path = dir_->filePath("slow.csv");
    WriteText(path, text);
    TTableChoice chosen;
    chosen.options.missing = talvex::TMissingPolicy::Impute;
    user_->importAnswers.push_back(chosen);
    OpenThroughDialog(path);
    form_->OptionMarks().OptionsJackknifeItem->setChecked(false);
    user_->Reset();
    QVERIFY(RunToEnd());
    QVERIFY(form_->ResultsReady());
    QVERIFY(!Outcome().Results().tables.imputation->summary.converged);
    QCOMPARE(user_->messages.size(), std::size_t(1));
    QCOMPARE(user_->messages[0].kind, TMessageKind::Warning);
    QVERIFY2(user_->messages[0].text.startsWith(
                 "the imputation of the missing values stopped after 10000 sweeps without "
                 "converging (last change "),
             qPrintable(user_->messages[0].text));
    QVERIFY(user_->messages[0].detail.contains("diagnostics report"));
    QVERIFY(!user_->messages[0].detail.contains("entered it as 0"));
  }

  void RaisedFactorsAskForAnotherRun_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("before");  // 0: the default
    QTest::addColumn<int>("computed");
    QTest::addColumn<int>("raised");
    // Beyond 255 variables the default is 10 components, and only those are computed.
    QTest::newRow("wide") << QString("wide") << 0 << 10 << 15;
    QTest::newRow("iris with two factors") << Data("iris.nts") << 2 << 2 << 4;
  }
  void RaisedFactorsAskForAnotherRun() {
    QFETCH(QString, file);
    QFETCH(int, before);
    QFETCH(int, computed);
    QFETCH(int, raised);
    OpenThroughDialog(file == "wide" ? RandomData("wide.nts", 40, 300) : file);
    if (before > 0) {
      user_->inputAnswers.push_back(before);
      Item("FactorsNumberItem")->trigger();
    }
    QVERIFY(RunToEnd());
    QCOMPARE(Outcome().ComponentCount(), talvex::TSize(computed));
    user_->Reset();
    user_->inputAnswers.push_back(raised);
    Item("FactorsNumberItem")->trigger();
    QCOMPARE(form_->State().FactorCount(), talvex::TSize(raised));
    QCOMPARE(user_->messages.size(), std::size_t(1));
    QCOMPARE(user_->messages[0].kind, TMessageKind::Information);
    QCOMPARE(user_->messages[0].text,
             QString("The results shown hold %1 components. Run the analysis again to compute %2.")
                 .arg(computed)
                 .arg(raised));

    // The saves refuse before asking for a file; the plots offer what was computed.
    for (const char* save : {"SaveScoresItem", "SaveVectorsItem"}) {
      user_->Reset();
      Item(save)->trigger();
      QVERIFY(user_->fileDialogs.empty());
      QCOMPARE(user_->messages.size(), std::size_t(1));
      QCOMPARE(user_->messages[0].text,
               QString("The results hold %1 components. Run the analysis again to save %2.")
                   .arg(computed)
                   .arg(raised));
    }
    Item("PlotScoresItem")->trigger();
    QCOMPARE(viewer_->factorCount, unsigned(raised));
    QCOMPARE(talvex::drawing::TPlotRun(viewer_->plotted, viewer_->factorCount).OfferedComponents(),
             talvex::TSize(computed));

    // The next run computes them, and they can be saved.
    QVERIFY(RunToEnd());
    QCOMPARE(Outcome().ComponentCount(), talvex::TSize(raised));
    user_->Reset();
    const QString scores = dir_->filePath("scores.csv");
    user_->fileAnswers.push_back(scores);
    user_->filterAnswer = "Comma Separated Values (*.csv)";
    Item("SaveScoresItem")->trigger();
    QVERIFY(user_->messages.empty());
    QCOMPARE(ReadText(scores).split('\n').front().count(','), raised - 1);
    // Fewer factors than computed need no run.
    user_->inputAnswers.push_back(1);
    Item("FactorsNumberItem")->trigger();
    QVERIFY(user_->messages.empty());
  }
};

QTEST_MAIN(TMainFormRunsTest)
#include "main_form_runs_test.moc"
