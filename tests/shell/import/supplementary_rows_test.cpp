// The import dialog's choice of supplementary rows over a real table: the
// columns rows can be picked by, their values, what the choice leaves
// active, the refusals of a choice that leaves too few, and the choice
// remembered with the table's other choices.
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "import/import_dialog_driver.h"
#include "shell/import/import_dialog.h"
#include "shell/import/import_memory.h"
#include "shell/import/supplementary_rows_choice.h"
#include "shell/settings/settings_file.h"

using namespace talvex::desktop;

namespace {

QStringList Texts(const QComboBox& box) {
  QStringList texts;
  for (int i = 0; i < box.count(); ++i) texts.append(box.itemText(i));
  return texts;
}

QStringList Texts(const QListWidget& list) {
  QStringList texts;
  for (int i = 0; i < list.count(); ++i) texts.append(list.item(i)->text());
  return texts;
}

// Checks or clears the list's item `text`, as a click on its box would.
void Check(QListWidget& list, const QString& text, bool checked = true) {
  const QList<QListWidgetItem*> found = list.findItems(text, Qt::MatchExactly);
  QVERIFY2(found.size() == 1, qPrintable(text));
  found.front()->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

}  // namespace

class TSupplementaryRowsTest : public QObject {
  Q_OBJECT

 private slots:
  void RowsPickedByTheGroupLeaveTheOthersActive() {
    TImportDialog dialog("Import", FileRunner(TestTable("iris_grouped.csv")), {});
    TSupplementaryRowsChoice& rows = dialog.RowsChoice();
    // The variables are not offered: rows are picked by what is not analysed.
    QCOMPARE(Texts(rows.ColumnBox()),
             (QStringList{"(none)", "specimen (labels)", "species (group)"}));
    QVERIFY(!rows.ValueList().isEnabled());
    QVERIFY(dialog.Choice().rows.Empty());

    rows.ColumnBox().setCurrentIndex(2);
    QCOMPARE(Texts(rows.ValueList()), (QStringList{"setosa", "versi", "virgin"}));
    // A column without a value checked picks nothing yet.
    QVERIFY(dialog.Choice().rows.Empty());
    QVERIFY(OkEnabled(dialog));

    Check(rows.ValueList(), "virgin");
    QVERIFY(OkEnabled(dialog));
    QVERIFY2(dialog.SummaryLabel().text().startsWith("150 objects, 4 variables, 3 groups"),
             qPrintable(dialog.SummaryLabel().text()));
    QVERIFY2(dialog.SummaryLabel().text().endsWith(
                 "Supplementary rows: 50 objects placed on the axes, 100 active"),
             qPrintable(dialog.SummaryLabel().text()));
    const TTableChoice choice = dialog.Choice();
    QCOMPARE(choice.rows.column, std::string("species"));
    QCOMPARE(choice.rows.values, std::vector<std::string>{"virgin"});

    // Every group picked leaves nothing to analyse: refused, with the reason.
    Check(rows.ValueList(), "setosa");
    Check(rows.ValueList(), "versi");
    QVERIFY(!OkEnabled(dialog));
    QVERIFY(!dialog.Loadable());
    QVERIFY2(dialog.SummaryLabel().text().startsWith("All objects are supplementary"),
             qPrintable(dialog.SummaryLabel().text()));
    Check(rows.ValueList(), "setosa", false);
    QVERIFY(OkEnabled(dialog));
    QVERIFY(dialog.SummaryLabel().text().endsWith("100 objects placed on the axes, 50 active"));
  }

  void TooFewActiveObjectsAreRefused() {
    TImportDialog dialog("Import", FileRunner(TestTable("iris_grouped.csv")), {});
    QListWidget& values = dialog.RowsChoice().ValueList();
    dialog.RowsChoice().ColumnBox().setCurrentIndex(1);  // the labels
    QCOMPARE(values.count(), 150);
    for (int i = 1; i < values.count(); ++i) values.item(i)->setCheckState(Qt::Checked);
    QVERIFY(!OkEnabled(dialog));
    QVERIFY2(dialog.SummaryLabel().text().startsWith("Fewer than two active objects\n"),
             qPrintable(dialog.SummaryLabel().text()));
    QVERIFY(dialog.SummaryLabel().text().contains("leaves 1 of 150 objects active"));
    values.item(1)->setCheckState(Qt::Unchecked);
    QVERIFY(OkEnabled(dialog));
    QVERIFY(dialog.SummaryLabel().text().endsWith("148 objects placed on the axes, 2 active"));
  }

  void AColumnLeftOutIsReadToPickBy() {
    // The species set to Ignore: no groups, but rows can still be picked by it.
    talvex::TImportOptions options;
    options.groupColumn = "-";
    TImportDialog dialog("Import", FileRunner(TestTable("iris_grouped.csv")), options);
    TSupplementaryRowsChoice& rows = dialog.RowsChoice();
    QCOMPARE(Texts(rows.ColumnBox()), (QStringList{"(none)", "specimen (labels)", "species"}));
    rows.ColumnBox().setCurrentIndex(2);
    QCOMPARE(Texts(rows.ValueList()), (QStringList{"setosa", "versi", "virgin"}));
    Check(rows.ValueList(), "setosa");
    QVERIFY(OkEnabled(dialog));
    QVERIFY2(dialog.SummaryLabel().text().startsWith("150 objects, 4 variables\n"),
             qPrintable(dialog.SummaryLabel().text()));
    QVERIFY(dialog.SummaryLabel().text().endsWith("50 objects placed on the axes, 100 active"));
  }

  void RememberedRowsAreOfferedAndKept() {
    TTableChoice initial;
    initial.rows = {"species", {"virgin", "extinct"}};
    TImportDialog dialog("Import", FileRunner(TestTable("iris_grouped.csv")), initial);
    QCOMPARE(dialog.RowsChoice().ColumnBox().currentText(), QString("species (group)"));
    // A value the table no longer has is dropped; the others stay checked.
    QCOMPARE(dialog.Choice().rows.values, std::vector<std::string>{"virgin"});
    QVERIFY(dialog.SummaryLabel().text().endsWith("50 objects placed on the axes, 100 active"));
    // Read without its header the table has no such column: nothing is
    // picked; with the header again the choice is back.
    dialog.HeaderBox().setChecked(false);
    QVERIFY(dialog.Choice().rows.Empty());
    QCOMPARE(dialog.RowsChoice().ColumnBox().currentIndex(), 0);
    dialog.HeaderBox().setChecked(true);
    QCOMPARE(dialog.Choice().rows.column, std::string("species"));
    QCOMPARE(dialog.Choice().rows.values, std::vector<std::string>{"virgin"});
  }

  void TheChoiceTravelsWithTheTablesOtherChoices() {
    TTableChoice choice;
    choice.options.variables = {"3", "4"};
    // Names and values with the memory's own separators and 8-bit letters.
    choice.rows = {"st;a=tus", {"fossil, \xE9teint", "a;b", "x=y"}};
    const TTableChoice back = TImportMemory::ChoiceFromText(TImportMemory::ChoiceText(choice));
    QCOMPARE(back.options.variables, choice.options.variables);
    QCOMPARE(back.rows.column, choice.rows.column);
    QCOMPARE(back.rows.values, choice.rows.values);
    // A column without values picks nothing, and is no choice to offer.
    QVERIFY(TImportMemory::ChoiceFromText("rows=species").rows.Empty());
    QVERIFY(TImportMemory::ChoiceFromText(TImportMemory::ChoiceText(TTableChoice())).rows.Empty());

    QTemporaryDir dir;
    TSettingsFile settings(dir.filePath("TALVEX.INI"));
    TImportMemory memory(settings);
    memory.Remember("/data/iris.csv", choice);
    memory.Remember("/data/other.csv", TTableChoice());
    QCOMPARE(memory.Recall("/data/iris.csv").rows.values, choice.rows.values);
    QVERIFY(memory.Recall("/data/other.csv").rows.Empty());
  }
};

QTEST_MAIN(TSupplementaryRowsTest)
#include "supplementary_rows_test.moc"
