// TMainFormDriver: the program of the main window's tests, over a scratch
// settings folder, with the scripted user and result viewer, and the steps
// those tests repeat: a command by its item's name, a file opened through
// the Open dialog, a run waited for to its end. Beside it the small file
// and listing helpers they share.
#pragma once

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "scripted_interaction.h"
#include "scripted_result_viewer.h"
#include "shell/main_window/main_form.h"
#include "shell/settings/settings_file.h"

namespace talvex::desktop {

inline QByteArray ReadText(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return QByteArray();
  return file.readAll();
}

inline void WriteText(const QString& path, const QByteArray& text) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(text);
}

// The lines of a listing without the two that change from run to run.
inline QStringList WithoutDateAndTime(const QStringList& lines) {
  QStringList kept;
  for (const QString& line : lines) {
    if (!line.startsWith("Date of analysis - ") && !line.startsWith("Time of analysis - "))
      kept.append(line);
  }
  return kept;
}

class TMainFormDriver {
 protected:
  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<TSettingsFile> settings_;
  std::unique_ptr<TScriptedInteraction> user_;
  std::unique_ptr<TScriptedResultViewer> viewer_;
  std::unique_ptr<TMainForm> form_;

  // Before each test: a settings folder of its own, and the program over it.
  void Begin() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    qputenv("TALVEX_CONFIG_DIR", dir_->path().toUtf8());
    Start();
  }
  void End() {
    form_.reset();
    viewer_.reset();
    user_.reset();
    settings_.reset();
    qunsetenv("TALVEX_CONFIG_DIR");
  }

  // A fresh program over the settings file as it stands.
  void Start(const QString& helpFile = QString()) {
    form_.reset();
    settings_ = std::make_unique<TSettingsFile>(TSettingsFile::DefaultPath());
    user_ = std::make_unique<TScriptedInteraction>();
    viewer_ = std::make_unique<TScriptedResultViewer>();
    form_ = std::make_unique<TMainForm>(*settings_, *viewer_, *user_, helpFile);
    form_->SetRunThreads(2);
  }

  QAction* Item(const char* name) const {
    auto* item = form_->findChild<QAction*>(QString::fromLatin1(name));
    if (item == nullptr) qFatal("no item %s", name);
    return item;
  }

  void OpenThroughDialog(const QString& path) {
    user_->fileAnswers.push_back(path);
    Item("FileOpenItem")->trigger();
  }

  // Runs the analysis and waits for its end.
  bool RunToEnd() {
    QSignalSpy finished(form_.get(), &TMainForm::RunFinished);
    Item("RunAnalysisItem")->trigger();
    return finished.count() > 0 || finished.wait(120000);
  }

  // Runs the command line the window copies, with `outputs` added, by the
  // build's own talvex-cli. Empty when it succeeds, else what went wrong.
  QString RunCopiedCommandLine(const QString& outputs) const {
    Item("EditCopyCommandLineItem")->trigger();
    const QString command = QGuiApplication::clipboard()->text();
    if (!command.startsWith("talvex-cli ")) return "not a command line: " + command;
    QProcess shell;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PATH", QFileInfo(QStringLiteral(TALVEX_CLI)).absolutePath() + ":" +
                                   environment.value("PATH"));
    shell.setProcessEnvironment(environment);
    shell.start("sh", {"-c", command + " " + outputs});
    if (!shell.waitForFinished(120000)) return command + ": did not finish";
    if (shell.exitCode() != 0) return command + ": " + shell.readAllStandardError();
    return QString();
  }

  // The lines of a listing file, and of the listing the window shows.
  static QStringList ListingLines(const QString& path) {
    QStringList lines = QString::fromLatin1(ReadText(path)).split("\r\n");
    lines.removeLast();  // after the last line end
    return lines;
  }
  QStringList DesktopListing() const {
    QStringList lines;
    for (const std::string& line : form_->Listing().Lines())
      lines.append(QString::fromStdString(line));
    return lines;
  }
};

}  // namespace talvex::desktop
