// The import dialog over real tables: what it detects and shows, how a
// change of a column's role or of the missing-value policy changes what
// would be loaded, and that a table it cannot load cannot be accepted.
#include "shell/import/import_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include "import/import_dialog_driver.h"

using namespace talvex::desktop;

namespace {

QString RoleText(TImportDialog& dialog, int column) { return dialog.RoleBox(column).currentText(); }

}  // namespace

class TImportDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void ShowsWhatWasDetected() {
    TImportDialog dialog("Import", FileRunner(TestTable("iris_grouped.csv")), {});
    QVERIFY(dialog.Loadable());
    QVERIFY(OkEnabled(dialog));
    QCOMPARE(dialog.SeparatorBox().currentText(), QString("Comma"));
    QVERIFY(!dialog.DecimalCommaBox().isChecked());
    QVERIFY(dialog.HeaderBox().isChecked());
    QVERIFY(dialog.SheetBox().isHidden());
    QCOMPARE(dialog.Preview().columnCount(), 6);
    QCOMPARE(dialog.Preview().horizontalHeaderItem(2)->text(), QString("SepalLen"));
    QCOMPARE(dialog.Preview().item(1, 0)->text(), QString("setosa01"));
    const QStringList roles = {"Labels", "Group", "Variable", "Variable", "Variable", "Variable"};
    for (int c = 0; c < 6; ++c) QCOMPARE(RoleText(dialog, c), roles[c]);
    QVERIFY2(dialog.SummaryLabel().text().startsWith("150 objects, 4 variables, 3 groups"),
             qPrintable(dialog.SummaryLabel().text()));
  }

  void RolesChangeWhatWouldBeLoaded() {
    TImportDialog dialog("Import", FileRunner(TestTable("iris_grouped.csv")), {});
    // No groups, and one variable fewer.
    QComboBox& species = dialog.RoleBox(1);
    species.setCurrentIndex(species.findText("Ignore"));
    QComboBox& petalWidth = dialog.RoleBox(5);
    petalWidth.setCurrentIndex(petalWidth.findText("Ignore"));
    QVERIFY2(dialog.SummaryLabel().text().startsWith("150 objects, 3 variables"),
             qPrintable(dialog.SummaryLabel().text()));
    QVERIFY(!dialog.SummaryLabel().text().contains("group"));
    QCOMPARE(dialog.Options().groupColumn, std::string("-"));
    QCOMPARE(dialog.Options().variables, (std::vector<std::string>{"3", "4", "5"}));
    // A text column can only name, group, be supplementary or be left out.
    QCOMPARE(species.findText("Variable"), -1);

    // Without any variable there is nothing to load.
    for (int c = 2; c < 5; ++c)
      dialog.RoleBox(c).setCurrentIndex(dialog.RoleBox(c).findText("Ignore"));
    QVERIFY(!OkEnabled(dialog));
    QVERIFY(dialog.SummaryLabel().text().contains("variable"));
  }

  void ASupplementaryColumnIsKeptOutOfTheAnalysis() {
    TImportDialog dialog("Import", FileRunner(TestTable("iris_grouped.csv")), {});
    QComboBox& petalWidth = dialog.RoleBox(5);
    petalWidth.setCurrentIndex(petalWidth.findText("Supplementary"));
    QVERIFY2(dialog.SummaryLabel().text().startsWith("150 objects, 3 variables, 3 groups"),
             qPrintable(dialog.SummaryLabel().text()));
    QCOMPARE(dialog.Options().supplementaryColumns, (std::vector<std::string>{"6"}));
    QCOMPARE(dialog.Options().variables, (std::vector<std::string>{"3", "4", "5"}));
    QCOMPARE(RoleText(dialog, 5), QString("Supplementary"));
    // A text column may be supplementary too: its groups get group means.
    QVERIFY(dialog.RoleBox(1).findText("Supplementary") >= 0);
  }

  void MissingValuesAreRefusedUntilTheyMayBeLeftOut() {
    TImportDialog dialog("Import", FileRunner(TestTable("iris_missing.csv")), {});
    QVERIFY(!dialog.Loadable());
    QVERIFY(!OkEnabled(dialog));
    QVERIFY2(!dialog.SummaryLabel().text().isEmpty(), "the refusal is shown");
    dialog.MissingBox().setCurrentIndex(1);
    QVERIFY(dialog.Loadable());
    QVERIFY(OkEnabled(dialog));
    QCOMPARE(dialog.Options().missing, talvex::TMissingPolicy::Omit);
    QVERIFY2(dialog.SummaryLabel().text().contains("148 objects"),
             qPrintable(dialog.SummaryLabel().text()));
    QCOMPARE(dialog.Report().omittedRows, (std::vector<talvex::TSize>{3, 60}));
    // Imputed: every object kept, the cells counted.
    dialog.MissingBox().setCurrentIndex(2);
    QVERIFY(dialog.Loadable());
    QCOMPARE(dialog.Options().missing, talvex::TMissingPolicy::Impute);
    QVERIFY2(dialog.SummaryLabel().text().startsWith("150 objects"),
             qPrintable(dialog.SummaryLabel().text()));
    QVERIFY(dialog.Report().omittedRows.empty());
    QVERIFY(dialog.Report().missingCells >= 2);
    dialog.MissingBox().setCurrentIndex(1);

    // "NA" no longer a marker: that cell is text in a numeric column.
    dialog.MarkersEdit().setText("?");
    emit dialog.MarkersEdit().editingFinished();
    QVERIFY(!dialog.Loadable());
  }

  void TheSeparatorCanBeOverridden() {
    TImportDialog dialog("Import", FileRunner(TestTable("iris_grouped.csv")), {});
    dialog.SeparatorBox().setCurrentIndex(dialog.SeparatorBox().findText("Semicolon"));
    QCOMPARE(dialog.Options().separator, std::optional<char>(';'));
    // One column of text: nothing numeric to analyse.
    QCOMPARE(dialog.Preview().columnCount(), 1);
    QVERIFY(!OkEnabled(dialog));
  }

  // A semicolon file with decimal commas, as write.csv2 makes it: a role the
  // user chose survives the decimal mark and the header row being switched
  // off and on, also while the table cannot be read in between.
  void ChosenRolesSurviveChangesOfTheTablesShape() {
    TImportDialog dialog("Import", FileRunner(TestTable("../../tables/data/iris_semicolon.csv")),
                         {});
    QVERIFY(dialog.Loadable());
    QComboBox& petalWidth = dialog.RoleBox(4);
    petalWidth.setCurrentIndex(petalWidth.findText("Ignore"));
    QVERIFY2(dialog.SummaryLabel().text().startsWith("150 objects, 3 variables"),
             qPrintable(dialog.SummaryLabel().text()));
    dialog.DecimalCommaBox().setChecked(false);
    QVERIFY(!dialog.Loadable());  // "5,1" is text now
    QCOMPARE(RoleText(dialog, 4), QString("Ignore"));
    QCOMPARE(RoleText(dialog, 1), QString("Variable"));
    dialog.DecimalCommaBox().setChecked(true);
    QVERIFY(dialog.Loadable());
    QCOMPARE(RoleText(dialog, 4), QString("Ignore"));
    QVERIFY2(dialog.SummaryLabel().text().startsWith("150 objects, 3 variables"),
             qPrintable(dialog.SummaryLabel().text()));
    dialog.HeaderBox().setChecked(false);
    dialog.HeaderBox().setChecked(true);
    QCOMPARE(RoleText(dialog, 4), QString("Ignore"));
    QVERIFY(dialog.NoteLabel().isHidden());  // nothing had to be dropped
    QCOMPARE(dialog.Options().variables, (std::vector<std::string>{"2", "3", "4"}));
  }

  // Another separator gives other columns: a choice whose column is gone is
  // dropped, and the dialog says so.
  void DroppedRolesAreTold() {
    TImportDialog dialog("Import", FileRunner(TestTable("iris_grouped.csv")), {});
    QComboBox& species = dialog.RoleBox(1);
    species.setCurrentIndex(species.findText("Ignore"));
    dialog.SeparatorBox().setCurrentIndex(dialog.SeparatorBox().findText("Semicolon"));
    QVERIFY(!dialog.NoteLabel().isHidden());
    QVERIFY2(dialog.NoteLabel().text().contains("could not be kept"),
             qPrintable(dialog.NoteLabel().text()));
    QVERIFY(dialog.NoteLabel().text().contains("SepalLen"));
  }

  // Crossing the row of role boxes with the arrow keys changes no role.
  void ArrowKeysMoveAcrossTheRolesWithoutChangingThem() {
    TImportDialog dialog("Import", FileRunner(TestTable("iris_grouped.csv")), {});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QComboBox& first = dialog.RoleBox(2);
    first.setFocus();
    const talvex::TImportOptions before = dialog.Options();
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_PageDown, Qt::Key_End})
      QTest::keyClick(&first, key);
    QCOMPARE(RoleText(dialog, 2), QString("Variable"));
    QTest::keyClick(&first, Qt::Key_Right);
    QVERIFY(dialog.RoleBox(3).hasFocus());
    QTest::keyClick(&dialog.RoleBox(3), Qt::Key_Down);
    QTest::keyClick(&dialog.RoleBox(3), Qt::Key_Left);
    QVERIFY(first.hasFocus());
    for (int c = 0; c < 6; ++c) QCOMPARE(RoleText(dialog, c) == "Ignore", false);
    QCOMPARE(dialog.Options().variables, before.variables);
    // Typing a role's first letter is a choice.
    QTest::keyClick(&first, Qt::Key_I);
    QCOMPARE(RoleText(dialog, 2), QString("Ignore"));
  }

  // Penguins: the year would put three stripes into the scores plot; it is
  // offered as Ignore, with a note, once the table can be read.
  void IdentifierColumnsAreOfferedAsIgnore() {
    TImportDialog dialog("Import", FileRunner(TestTable("../../tables/data/penguins.csv")), {});
    QVERIFY(!dialog.Loadable());  // missing values
    dialog.MissingBox().setCurrentIndex(1);
    QVERIFY(dialog.Loadable());
    QCOMPARE(RoleText(dialog, 7), QString("Ignore"));
    QVERIFY(!dialog.NoteLabel().isHidden());
    QVERIFY2(dialog.NoteLabel().text().contains("\"year\""), qPrintable(dialog.NoteLabel().text()));
    QVERIFY2(dialog.SummaryLabel().text().startsWith("342 objects, 4 variables, 3 groups"),
             qPrintable(dialog.SummaryLabel().text()));
    // The user may still analyse it.
    dialog.RoleBox(7).setCurrentIndex(dialog.RoleBox(7).findText("Variable"));
    QVERIFY(dialog.SummaryLabel().text().startsWith("342 objects, 5 variables"));
  }

  void RememberedOptionsAreOffered() {
    talvex::TImportOptions initial;
    initial.groupColumn = "-";
    initial.variables = {"3", "4"};
    TImportDialog dialog("Import", FileRunner(TestTable("iris_grouped.csv")), initial);
    QCOMPARE(RoleText(dialog, 1), QString("Ignore"));
    QCOMPARE(RoleText(dialog, 4), QString("Ignore"));
    QVERIFY2(dialog.SummaryLabel().text().startsWith("150 objects, 2 variables"),
             qPrintable(dialog.SummaryLabel().text()));
  }
};

QTEST_MAIN(TImportDialogTest)
#include "import_dialog_test.moc"
