// Access keys: within each window (its menu bar, buttons, labels and tabs)
// and within each menu, every key leads to exactly one command; otherwise
// Qt treats the key as ambiguous and a keyboard user cannot reach either.
#include <QAbstractButton>
#include <QLabel>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "scripted_interaction.h"
#include "scripted_plot_interaction.h"
#include "scripted_report_interaction.h"
#include "scripted_result_viewer.h"
#include "shell/help/about_box.h"
#include "shell/help/help_file.h"
#include "shell/help/help_window.h"
#include "shell/import/import_dialog.h"
#include "shell/main_window/main_form.h"
#include "shell/main_window/recent_files_list.h"
#include "shell/plots/plot_export_dialog.h"
#include "shell/plots/plot_window.h"
#include "shell/report/report_form.h"
#include "shell/settings/settings_file.h"

using namespace talvex::desktop;
using namespace talvex::drawing;

namespace {

using TKeyUse = QMap<QString, QStringList>;  // "Alt+D" -> captions that use it

void Note(TKeyUse& uses, const QString& caption) {
  const QKeySequence key = QKeySequence::mnemonic(caption);
  if (!key.isEmpty()) uses[key.toString()].append(caption);
}

// "Alt+D: &Data... / &Display" for every key used more than once.
QStringList Clashes(const QString& scope, const TKeyUse& uses) {
  QStringList clashes;
  for (auto it = uses.cbegin(); it != uses.cend(); ++it) {
    if (it.value().size() > 1)
      clashes.append(scope + ": " + it.key() + ": " + it.value().join(" / "));
  }
  return clashes;
}

QStringList MenuClashes(const QMenu& menu) {
  TKeyUse uses;
  QStringList clashes;
  for (const QAction* action : menu.actions()) {
    if (action->isSeparator()) continue;
    Note(uses, action->text());
    if (action->menu() != nullptr) clashes += MenuClashes(*action->menu());
  }
  return clashes + Clashes(menu.title().isEmpty() ? menu.objectName() : menu.title(), uses);
}

// The window's own scope (menu bar titles, buttons, labels with a buddy,
// tabs), then each of its menus.
QStringList WindowClashes(const QWidget& window) {
  TKeyUse uses;
  QStringList clashes;
  for (const QMenuBar* bar : window.findChildren<QMenuBar*>()) {
    for (const QAction* action : bar->actions()) {
      Note(uses, action->text());
      if (action->menu() != nullptr) clashes += MenuClashes(*action->menu());
    }
  }
  for (const QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
    Note(uses, button->text());
  }
  for (const QLabel* label : window.findChildren<QLabel*>()) {
    if (label->buddy() != nullptr) Note(uses, label->text());
  }
  for (const QTabBar* tabs : window.findChildren<QTabBar*>()) {
    for (int i = 0; i < tabs->count(); ++i) Note(uses, tabs->tabText(i));
  }
  return clashes + Clashes(window.objectName(), uses);
}

}  // namespace

class TAccessKeysTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    settings_ = std::make_unique<TSettingsFile>(dir_->filePath("TALVEX.INI"));
  }

  void TheCheckFindsAClash() {
    QWidget window;
    window.setObjectName("Window");
    auto* bar = new QMenuBar(&window);
    bar->addMenu("&Display");
    QMenu* menu = bar->addMenu("&Options");
    menu->addAction("&No Transformation");
    menu->addAction("&Natural Logarithms");
    QLabel label("&Data:", &window);
    QWidget buddy(&window);
    label.setBuddy(&buddy);
    const QStringList clashes = WindowClashes(window);
    QCOMPARE(clashes.size(), 2);
    QVERIFY(clashes.join('\n').contains("Alt+N: &No Transformation / &Natural Logarithms"));
    QVERIFY(clashes.join('\n').contains("Alt+D: &Display / &Data:"));
  }

  void MainWindowWithRecentFiles() {
    TScriptedInteraction user;
    TScriptedResultViewer viewer;
    TMainForm form(*settings_, viewer, user, QString());
    for (int i = 1; i <= TRecentFilesList::Maximum; ++i) {
      form.RecentFiles().AddFile(QString("/d/f%1.nts").arg(i));
    }
    const QStringList clashes = WindowClashes(form);
    QVERIFY2(clashes.isEmpty(), qPrintable(clashes.join('\n')));
  }

  void ReportWindow() {
    TScriptedReportInteraction interaction;
    TReportForm report(*settings_, interaction, "Report Listing", "Listing");
    const QStringList clashes = WindowClashes(report);
    QVERIFY2(clashes.isEmpty(), qPrintable(clashes.join('\n')));
  }

  void PlotWindows_data() {
    QTest::addColumn<int>("kind");
    QTest::newRow("scores") << int(TPlotKind::Scores);
    QTest::newRow("vectors") << int(TPlotKind::Vectors);
    QTest::newRow("scree") << int(TPlotKind::Scree);
    QTest::newRow("biplot") << int(TPlotKind::Biplot);
    QTest::newRow("influence") << int(TPlotKind::Influence);
  }
  void PlotWindows() {
    // Every menu, the axis boxes and the titles strip of each plot window.
    QFETCH(int, kind);
    TScriptedReportInteraction interaction;
    TScriptedPlotInteraction figureInteraction;
    TPlotWindow window(TPlotKind(kind), *settings_, interaction, figureInteraction);
    const QStringList clashes = WindowClashes(window);
    QVERIFY2(clashes.isEmpty(), qPrintable(clashes.join('\n')));
  }

  void AboutBox() {
    TScriptedInteraction user;
    TAboutBox about(user);
    const QStringList clashes = WindowClashes(about);
    QVERIFY2(clashes.isEmpty(), qPrintable(clashes.join('\n')));
  }

  void ImportDialog() {
    const std::string path = std::string(TALVEX_TEST_DATA) + "/iris_grouped.csv";
    TImportDialog dialog(
        "Import",
        [path](const talvex::TImportOptions& options, talvex::TImportReport* report) {
          return talvex::ImportTable(path, options, report);
        },
        {});
    const QStringList clashes = WindowClashes(dialog);
    QVERIFY2(clashes.isEmpty(), qPrintable(clashes.join('\n')));
  }

  void FigureExportDialog() {
    TPlotExportDialog dialog{TFigureSize()};
    const QStringList clashes = WindowClashes(dialog);
    QVERIFY2(clashes.isEmpty(), qPrintable(clashes.join('\n')));
  }

  void HelpWindow() {
    THelpFile help(QStringLiteral(TALVEX_HELP_FILE));
    if (!help.Loaded()) QSKIP("the help file is not built");
    THelpWindow window(help);
    const QStringList clashes = WindowClashes(window);
    QVERIFY2(clashes.isEmpty(), qPrintable(clashes.join('\n')));
  }

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<TSettingsFile> settings_;
};

QTEST_MAIN(TAccessKeysTest)
#include "access_keys_test.moc"
