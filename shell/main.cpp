// talvex: the desktop program. Builds the settings file, the result windows
// and the main window, and hands a file named on the command line (as a file
// manager does on a double-click) to the main window like a dropped file.
#include <QApplication>
#include <QFileInfo>
#include <QScreen>
#include <QTimer>

#include "shell/common/qt_user_interaction.h"
#include "shell/help/help_file.h"
#include "shell/main_window/main_form.h"
#include "shell/main_window/result_windows.h"
#include "shell/settings/settings_file.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("talvex"));
  QApplication::setApplicationVersion(QStringLiteral(TALVEX_VERSION));
  QApplication::setDesktopFileName(QStringLiteral("talvex"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/talvex/talvex.svg")));

  TSettingsFile settings;
  TQtUserInteraction interaction;
  TResultWindows resultWindows(settings);
  TMainForm mainForm(settings, resultWindows, interaction,
                     THelpFile::Locate(QCoreApplication::applicationDirPath()));

  mainForm.adjustSize();
  const QRect screen = mainForm.screen()->availableGeometry();
  QRect frame = mainForm.frameGeometry();
  frame.moveCenter(screen.center());
  mainForm.move(frame.topLeft());
  mainForm.show();

  QStringList files;
  for (const QString& argument : QApplication::arguments().mid(1)) {
    files.append(QFileInfo(argument).absoluteFilePath());
  }
  if (!files.isEmpty()) {
    QTimer::singleShot(0, &mainForm, [&mainForm, files] { mainForm.DropFiles(files); });
  }
  return app.exec();
}
