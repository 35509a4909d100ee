// The recent-files list: order, limit, letter case as the file system sees it, the File menu's
// entries, picking, clearing, storage in [FileHistory], shortening of long paths.
#include "shell/main_window/recent_files_list.h"

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "shell/common/shorten_path.h"
#include "shell/settings/settings_file.h"

namespace {

// Captions of the menu's actions, "-" for a separator.
QStringList Captions(const QMenu& menu) {
  QStringList captions;
  for (const QAction* action : menu.actions()) {
    captions.append(action->isSeparator() ? QStringLiteral("-") : action->text());
  }
  return captions;
}

}  // namespace

class TMRUFileListTest : public QObject {
  Q_OBJECT
 private slots:
  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    settings_ = std::make_unique<TSettingsFile>(dir_->filePath("TALVEX.INI"));
    menu_ = std::make_unique<QMenu>();
    menu_->addAction("&Open Data...");
    menu_->addSeparator();
    menu_->addAction("E&xit");
  }
  void cleanup() {
    menu_.reset();
    settings_.reset();
  }

  void SixFilesLeaveFiveNewestFirst() {
    TRecentFilesList list(*settings_);
    list.SetFileMenu(menu_.get());
    for (int i = 1; i <= 6; ++i) list.AddFile(QString("/d/f%1.nts").arg(i));
    QCOMPARE(list.Entries(),
             QStringList({"/d/f6.nts", "/d/f5.nts", "/d/f4.nts", "/d/f3.nts", "/d/f2.nts"}));
    QCOMPARE(Captions(*menu_),
             QStringList({"&Open Data...", "-", "E&xit", "-", "&1 /d/f6.nts", "&2 /d/f5.nts",
                          "&3 /d/f4.nts", "&4 /d/f3.nts", "&5 /d/f2.nts"}));
    const QList<TRecentFileItem*> items = list.MenuItems();
    QCOMPARE(items.size(), 5);
    QCOMPARE(items[4]->EntryNumber(), 5u);
  }

  void LetterCaseCountsWhereTheFileSystemSeesIt() {
    // Two files that differ only in case are two entries here, and picking
    // either reports its own path.
    QVERIFY(QFile(dir_->filePath("A.nts")).open(QIODevice::WriteOnly));
    QVERIFY(QFile(dir_->filePath("a.nts")).open(QIODevice::WriteOnly));
    if (QDir(dir_->path()).entryList(QDir::Files).filter(".nts").size() < 2) {
      QSKIP("this file system ignores letter case");
    }
    TRecentFilesList list(*settings_);
    list.SetFileMenu(menu_.get());
    const QString upper = dir_->filePath("A.nts");
    const QString lower = dir_->filePath("a.nts");
    list.AddFile(upper);
    list.AddFile(lower);
    list.AddFile(upper);
    QCOMPARE(list.Entries(), QStringList({upper, lower}));
    QSignalSpy picked(&list, &TRecentFilesList::MRUItemClick);
    list.MenuItems()[1]->trigger();
    QCOMPARE(picked.takeFirst().at(0).toString(), lower);

    // The same holds for entries read back from the settings file.
    list.SaveEntries();
    TRecentFilesList reread(*settings_);
    QCOMPARE(reread.Entries(), QStringList({upper, lower}));
  }

  void ChangesAreAnnounced() {
    TRecentFilesList list(*settings_);
    QSignalSpy changed(&list, &TRecentFilesList::Changed);
    list.AddFile("/d/a.nts");
    list.AddFile("/d/a.nts");
    list.ClearAll();
    list.LoadEntries();
    QCOMPARE(changed.count(), 4);
  }

  void PickReportsPathAndKeepsOrder() {
    TRecentFilesList list(*settings_);
    list.SetFileMenu(menu_.get());
    list.AddFile("/d/a.nts");
    list.AddFile("/d/b.nts");
    list.AddFile("/d/c.nts");
    QSignalSpy picked(&list, &TRecentFilesList::MRUItemClick);
    list.MenuItems()[2]->trigger();
    QCOMPARE(picked.count(), 1);
    QCOMPARE(picked.takeFirst().at(0).toString(), QString("/d/a.nts"));
    QCOMPARE(list.Entries(), QStringList({"/d/c.nts", "/d/b.nts", "/d/a.nts"}));
  }

  void EmptyListShowsNothing() {
    TRecentFilesList list(*settings_);
    list.SetFileMenu(menu_.get());
    list.AddFile("/d/a.nts");
    list.ClearAll();
    QCOMPARE(list.Count(), 0);
    QCOMPARE(Captions(*menu_), QStringList({"&Open Data...", "-", "E&xit"}));
    list.RebuildMenu();
    QCOMPARE(Captions(*menu_).last(), QString("E&xit"));
  }

  void AmpersandInPathIsNoAccessKey() {
    TRecentFilesList list(*settings_);
    list.SetFileMenu(menu_.get());
    list.AddFile("/R&D/x.nts");
    QCOMPARE(list.MenuItems()[0]->text(), QString("&1 /R&&D/x.nts"));
  }

  void LoadsEveryEntryInFileOrderAndCutsOnNextAdd() {
    QFile file(dir_->filePath("TALVEX.INI"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(
        "[FileHistory]\nF3=/d/three\nF0=/d/zero\nF1=\nF2=/d/two\nF0=/d/again\n"
        "X=/d/x\nF5=/d/five\nF6=/d/six\nF7=/d/seven\n");
    file.close();
    TSettingsFile settings(dir_->filePath("TALVEX.INI"));
    TRecentFilesList list(settings);
    list.SetFileMenu(menu_.get());
    QCOMPARE(list.Entries(), QStringList({"/d/three", "/d/zero", "/d/two", "/d/x", "/d/five",
                                          "/d/six", "/d/seven"}));
    QCOMPARE(list.MenuItems().size(), 7);
    QCOMPARE(list.MenuItems()[6]->text(), QString("&7 /d/seven"));
    list.AddFile("/d/new");
    QCOMPARE(list.Entries(), QStringList({"/d/new", "/d/three", "/d/zero", "/d/two", "/d/x"}));
  }

  void SaveWritesNumberedKeysAndSurvivesRestart() {
    {
      TRecentFilesList list(*settings_);
      list.AddFile("/d/a.nts");
      list.AddFile("/d/b.nts");
      list.SaveEntries();
      QVERIFY(settings_->Save());
    }
    TSettingsFile reread(dir_->filePath("TALVEX.INI"));
    QCOMPARE(reread.Keys("FileHistory"), QStringList({"F0", "F1"}));
    QCOMPARE(reread.ReadString("FileHistory", "F0"), QString("/d/b.nts"));
    TRecentFilesList list(reread);
    QCOMPARE(list.Entries(), QStringList({"/d/b.nts", "/d/a.nts"}));
    list.ClearAll();
    list.SaveEntries();
    QVERIFY(reread.Save());
    TSettingsFile restarted(dir_->filePath("TALVEX.INI"));
    QCOMPARE(TRecentFilesList(restarted).Count(), 0);
  }

  void ForgetsDestroyedMenu() {
    TRecentFilesList list(*settings_);
    list.SetFileMenu(menu_.get());
    list.AddFile("/d/a.nts");
    menu_.reset();
    list.AddFile("/d/b.nts");
    list.ClearAll();
    QCOMPARE(list.MenuItems().size(), 0);
  }

  void ShortensStepByStep_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QStringList>("forms");  // from widest to narrowest
    QTest::newRow("drive") << "C:\\Data\\Projects\\iris.nts" << QChar(u'\\')
                           << QStringList({"C:\\Data\\Projects\\iris.nts",
                                           "C:\\...\\Projects\\iris.nts", "C:\\...\\iris.nts",
                                           "...\\iris.nts", "iris.nts"});
    QTest::newRow("unix") << "/home/ann/data/iris.nts" << QChar(u'/')
                          << QStringList({"/home/ann/data/iris.nts", "/.../ann/data/iris.nts",
                                          "/.../data/iris.nts", "/.../iris.nts", ".../iris.nts",
                                          "iris.nts"});
    QTest::newRow("relative") << "data/iris.nts" << QChar(u'/')
                              << QStringList({"data/iris.nts", ".../iris.nts", "iris.nts"});
  }
  void ShortensStepByStep() {
    QFETCH(QString, path);
    QFETCH(QChar, separator);
    QFETCH(QStringList, forms);
    const QFontMetrics metrics(QFont("Liberation Sans", 10));
    for (const QString& form : forms) {
      // Just wide enough for this form: every wider one is passed over.
      const int width = metrics.horizontalAdvance(form);
      QCOMPARE(ShortenPath(path, width, metrics, separator), form);
    }
    QCOMPARE(ShortenPath(path, 1, metrics, separator), forms.last());
  }

  void MenuEntryIsShortenedToCaptionWidth() {
    TRecentFilesList list(*settings_);
    list.SetFileMenu(menu_.get());
    const QString deep = "/home/somebody/projects/morphometrics/2024/field-season/specimens.nts";
    list.AddFile(deep);
    const QString caption = list.MenuItems()[0]->text();
    QVERIFY(caption.startsWith("&1 /.../"));
    QVERIFY(caption.endsWith("/specimens.nts"));
    const QFontMetrics metrics(menu_->font());
    QVERIFY(metrics.horizontalAdvance(caption.mid(3)) <= TRecentFilesList::MaxCaptionWidth);
    QCOMPARE(list.MenuItems()[0]->toolTip(), deep);
  }

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<TSettingsFile> settings_;
  std::unique_ptr<QMenu> menu_;
};

QTEST_MAIN(TMRUFileListTest)
#include "recent_files_list_test.moc"
