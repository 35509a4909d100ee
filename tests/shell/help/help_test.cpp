// The help: the help file built from the manual, its contents and index, the
// help window reached from the main window, and the manual's own links.
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

#include "scripted_interaction.h"
#include "scripted_result_viewer.h"
#include "shell/help/help_file.h"
#include "shell/help/help_window.h"
#include "shell/main_window/main_form.h"
#include "shell/settings/settings_file.h"

using namespace talvex::desktop;

namespace {

QString Slug(const QString& text) {
  QString slug;
  for (const QChar c : text.toLower()) {
    if (c.isLetterOrNumber() || c == u'-' || c == u'_') slug += c;
    if (c == u' ') slug += u'-';
  }
  return slug;
}

}  // namespace

class THelpTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    QVERIFY2(QFile::exists(TALVEX_HELP_FILE), TALVEX_HELP_FILE);
    qputenv("TALVEX_CONFIG_DIR", config_.path().toUtf8());
  }

  void LocatesBesideProgramThenInShare() {
    QTemporaryDir root;
    QVERIFY(QDir(root.path()).mkpath("bin"));
    QVERIFY(QDir(root.path()).mkpath("share/talvex"));
    QCOMPARE(THelpFile::Locate(root.filePath("bin")), QString());
    QVERIFY(QFile::copy(TALVEX_HELP_FILE, root.filePath("share/talvex/talvex-help.rcc")));
    QCOMPARE(THelpFile::Locate(root.filePath("bin")),
             root.filePath("share/talvex/talvex-help.rcc"));
    QVERIFY(QFile::copy(TALVEX_HELP_FILE, root.filePath("bin/talvex-help.rcc")));
    QCOMPARE(THelpFile::Locate(root.filePath("bin")), root.filePath("bin/talvex-help.rcc"));
  }

  void MissingOrForeignFileLoadsNothing() {
    QTemporaryDir dir;
    QVERIFY(!THelpFile(dir.filePath("none.rcc")).Loaded());
    QFile junk(dir.filePath("junk.rcc"));
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write("not a resource file");
    junk.close();
    QVERIFY(!THelpFile(junk.fileName()).Loaded());
  }

  void ContentsAndIndexCoverTheManual() {
    const THelpFile help(TALVEX_HELP_FILE);
    QVERIFY(help.Loaded());
    QStringList titles;
    for (const auto& topic : help.Topics()) titles.append(topic.title);
    QCOMPARE(
        titles,
        QStringList({"Welcome to TALVEX", "Preparing a data file",
                     "Opening spreadsheets and CSV files",
                     "Missing values: imputation by iterative PCA", "Analysis options",
                     "Running an analysis", "Reading the report", "Diagnostics of the jackknife",
                     "Supplementary objects and variables", "The plots", "Exporting results",
                     "The settings file", "The command-line program", "Messages"}));
    for (const auto& topic : help.Topics())
      QVERIFY2(!topic.headings.empty(), qPrintable(topic.title));

    QStringList terms;
    for (const auto& entry : help.Index()) terms.append(entry.term);
    for (const char* term : {"Kaiser's rule", "Jackknife estimates", "Component scores",
                             "TALVEX.INI", "Principal Component Scores", "Drag and drop"}) {
      QVERIFY2(terms.contains(term, Qt::CaseInsensitive), term);
    }
    QStringList sorted = terms;
    std::stable_sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
      return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    QCOMPARE(terms, sorted);
  }

  void EveryLinkAndIndexEntryReachesAHeading() {
    const THelpFile help(TALVEX_HELP_FILE);
    QVERIFY(help.Loaded());
    // Every heading of every topic, by file and slug.
    QSet<QString> targets;
    for (const auto& topic : help.Topics()) {
      const QString file = topic.url.fileName();
      targets.insert(file);
      targets.insert(file + "#" + Slug(topic.title));
      for (const auto& h : topic.headings) targets.insert(file + "#" + Slug(h.text));
    }
    for (const auto& entry : help.Index()) {
      QString target = entry.url.fileName();
      if (entry.url.hasFragment()) target += "#" + Slug(entry.url.fragment(QUrl::FullyDecoded));
      QVERIFY2(targets.contains(target), qPrintable(entry.term + " -> " + target));
    }
    const QRegularExpression link(R"(\]\(([a-z-]+\.md)(#[^)]+)?\))");
    for (const auto& topic : help.Topics()) {
      QFile file(":/talvex-help/" + topic.url.fileName());
      QVERIFY(file.open(QIODevice::ReadOnly));
      const QString text = QString::fromUtf8(file.readAll());
      for (auto it = link.globalMatch(text); it.hasNext();) {
        const auto match = it.next();
        const QString target = match.captured(1) + match.captured(2);
        QVERIFY2(targets.contains(target), qPrintable(topic.title + ": " + target));
      }
    }
  }

  void WindowShowsTopicAtHeading() {
    const THelpFile help(TALVEX_HELP_FILE);
    THelpWindow window(help);
    QCOMPARE(window.ContentsTree()->topLevelItemCount(), int(help.Topics().size()));
    window.ShowTopic(THelpFile::TopicUrl("options.md", "Jackknife estimates"));
    QCOMPARE(window.Browser()->source().fileName(), QString("options.md"));
    const QTextBlock block = window.Browser()->textCursor().block();
    QCOMPARE(block.text(), QString("Jackknife estimates"));
    QVERIFY(block.blockFormat().headingLevel() > 0);
    // A link inside the manual, with a heading in GitHub's style.
    window.Browser()->setSource(QUrl("qrc:/talvex-help/options.md#factors"),
                                QTextDocument::MarkdownResource);
    QCOMPARE(window.Browser()->textCursor().block().text(), QString("Factors"));
  }

  void HelpCommandsOpenContentsAndIndex() {
    TSettingsFile settings;
    TScriptedInteraction user;
    TScriptedResultViewer viewer;
    TMainForm form(settings, viewer, user, TALVEX_HELP_FILE);
    QVERIFY(form.HelpWindow() == nullptr);
    form.findChild<QAction*>("HelpContentsItem")->trigger();
    QVERIFY(form.HelpWindow() != nullptr);
    QVERIFY(form.HelpWindow()->isVisible());
    QCOMPARE(form.HelpWindow()->Tabs()->currentIndex(), 0);
    form.findChild<QAction*>("HelpSearchItem")->trigger();
    QCOMPARE(form.HelpWindow()->Tabs()->currentIndex(), 1);
    QVERIFY(form.HelpWindow()->IndexList()->count() > 50);
    form.close();  // shut-down closes the help window
    QVERIFY(!form.HelpWindow()->isVisible());
  }

 private:
  QTemporaryDir config_;
};

QTEST_MAIN(THelpTest)
#include "help_test.moc"
