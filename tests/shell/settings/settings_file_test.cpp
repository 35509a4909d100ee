// The settings file: value rules, key order, writing back what it did not
// touch, atomic saving.
#include "shell/settings/settings_file.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <memory>

#include "export/atomic_file.h"
#include "shell/settings/integer_text.h"
#include "tests/support/write_fault_seam.h"

namespace {

void WriteText(const QString& path, const QByteArray& text) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(text);
}

QByteArray ReadText(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return QByteArray();
  return file.readAll();
}

}  // namespace

class TSettingsFileTest : public QObject {
  Q_OBJECT
 private slots:
  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
  }

  void ReadsIntegerValues_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("expected");  // default is 42
    QTest::newRow("one") << "1" << 1;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("hex prefix") << "0x1" << 1;
    QTest::newRow("upper hex prefix") << "0X1f" << 31;
    QTest::newRow("negative") << "-3" << -3;
    QTest::newRow("plus sign") << "+7" << 7;
    QTest::newRow("blanks around") << "  12  " << 12;
    QTest::newRow("word") << "yes" << 42;
    QTest::newRow("empty") << "" << 42;
    QTest::newRow("trailing letters") << "1abc" << 42;
    QTest::newRow("decimal point") << "1.0" << 42;
    QTest::newRow("bare hex prefix") << "0x" << 42;
    QTest::newRow("largest") << "2147483647" << 2147483647;
    QTest::newRow("beyond 32 bits") << "2147483648" << 42;
    QTest::newRow("hex bit pattern") << "0xFFFFFFFF" << -1;
    QTest::newRow("hex beyond 32 bits") << "0x100000000" << 42;
  }
  void ReadsIntegerValues() {
    QFETCH(QString, value);
    QFETCH(int, expected);
    const QString path = dir_->filePath("TALVEX.INI");
    WriteText(path, "[Options]\r\nCorrelation=" + value.toUtf8() + "\r\n");
    const TSettingsFile settings(path);
    QCOMPARE(settings.ReadInteger("Options", "Correlation", 42), expected);
    QCOMPARE(IntegerFromText(value).value_or(42), expected);
  }

  void MissingFileGivesDefaults() {
    const TSettingsFile settings(dir_->filePath("absent.ini"));
    QCOMPARE(settings.ReadInteger("Options", "Correlation", 1), 1);
    QCOMPARE(settings.ReadString("FileHistory", "F0", "none"), QString("none"));
    QVERIFY(settings.Keys("FileHistory").isEmpty());
  }

  void NamesIgnoreCaseAndFirstDuplicateCounts() {
    const QString path = dir_->filePath("TALVEX.INI");
    WriteText(path, "[fileHISTORY]\nF2=/c\nf0 = /a\nF1=/b\nF0=/other\n\n[Options]\nJackkniffe=0\n");
    const TSettingsFile settings(path);
    QCOMPARE(settings.Keys("FileHistory"), QStringList({"F2", "f0", "F1"}));
    QCOMPARE(settings.ReadString("FILEhistory", "F0"), QString("/a"));
    QCOMPARE(settings.ReadInteger("options", "JACKKNIFFE", 1), 0);
  }

  void SaveKeepsLinesItDidNotWrite() {
    const QString path = dir_->filePath("TALVEX.INI");
    const QByteArray original =
        "; written by hand\n[Options]\nCorrelation = 0x1\nLabelPoints=1\n\n[Other]\nx=y\n";
    WriteText(path, original);
    TSettingsFile settings(path);
    settings.WriteInteger("Options", "LabelPoints", 1);  // same value: the line stays as it is
    settings.WriteInteger("Options", "Covariance", 0);   // new key: after the section's last key
    settings.WriteString("FileHistory", "F0", "/data/iris.nts");
    QVERIFY(settings.Save());
    QCOMPARE(ReadText(path),
             QByteArray("; written by hand\n[Options]\nCorrelation = 0x1\nLabelPoints=1\n"
                        "Covariance=0\n\n[Other]\nx=y\n[FileHistory]\nF0=/data/iris.nts\n"));
  }

  void RewritesChangedValueAndErasesSection() {
    const QString path = dir_->filePath("TALVEX.INI");
    WriteText(path, "[FileHistory]\nF0=/a\nF1=/b\n[Options]\nCorrelation=1\n");
    TSettingsFile settings(path);
    settings.WriteInteger("options", "correlation", 0);
    settings.EraseSection("FILEHISTORY");
    QVERIFY(settings.Save());
    QCOMPARE(ReadText(path), QByteArray("[Options]\nCorrelation=0\n"));  // the file's spelling
    const TSettingsFile reread(path);
    QVERIFY(reread.Keys("FileHistory").isEmpty());
    QCOMPARE(reread.ReadInteger("Options", "Correlation", 1), 0);
  }

  void UnchangedFileIsNotRewritten() {
    const QString path = dir_->filePath("TALVEX.INI");
    WriteText(path, "[Options]\r\nCorrelation = 1\r\n");
    TSettingsFile settings(path);
    settings.WriteInteger("Options", "Correlation", 1);
    QVERIFY(settings.Save());
    QCOMPARE(ReadText(path), QByteArray("[Options]\r\nCorrelation = 1\r\n"));
  }

  void SaveCreatesMissingFolder() {
    const QString path = dir_->filePath("new/config/TALVEX.INI");
    TSettingsFile settings(path);
    settings.WriteInteger("Options", "Jackkniffe", 0);
    QVERIFY(settings.Save());
    QCOMPARE(ReadText(path), QByteArray("[Options]\nJackkniffe=0\n"));
  }

  void FailedSaveReportsAndKeepsNothing() {
    // A folder that is a regular file cannot hold the settings file.
    const QString blocker = dir_->filePath("blocker");
    WriteText(blocker, "not a folder");
    TSettingsFile settings(blocker + "/TALVEX.INI");
    settings.WriteInteger("Options", "Correlation", 1);
    QVERIFY(!settings.Save());
    QCOMPARE(ReadText(blocker), QByteArray("not a folder"));
  }

  void FailedWriteLeavesOldFile() {
    const QString path = dir_->filePath("TALVEX.INI");
    WriteText(path, "[Options]\nCorrelation=1\n");
    TSettingsFile settings(path);
    settings.WriteInteger("Options", "Correlation", 0);
    {
      talvex::TScopedWriteFault fault({talvex::TWriteFaultStage::Write, 5, ENOSPC});
      QVERIFY(!settings.Save());
    }
    QCOMPARE(ReadText(path), QByteArray("[Options]\nCorrelation=1\n"));
    QCOMPARE(QDir(dir_->path()).entryList(QDir::Files), QStringList({"TALVEX.INI"}));
  }

  void DefaultPathFollowsEnvironment() {
    qputenv("TALVEX_CONFIG_DIR", dir_->path().toUtf8());
    QCOMPARE(TSettingsFile::DefaultPath(), dir_->filePath("TALVEX.INI"));
    qunsetenv("TALVEX_CONFIG_DIR");
    qputenv("XDG_CONFIG_HOME", "/tmp/xdg-somewhere");
    QCOMPARE(TSettingsFile::DefaultPath(), QString("/tmp/xdg-somewhere/TALVEX.INI"));
    qunsetenv("XDG_CONFIG_HOME");
    QCOMPARE(TSettingsFile::DefaultPath(), QDir::homePath() + "/.config/TALVEX.INI");
  }

 private:
  std::unique_ptr<QTemporaryDir> dir_;
};

QTEST_GUILESS_MAIN(TSettingsFileTest)
#include "settings_file_test.moc"
