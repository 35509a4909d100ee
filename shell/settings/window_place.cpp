// The result windows' remembered places.
#include "shell/settings/window_place.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStringList>
#include <QWidget>

#include "shell/settings/settings_file.h"

namespace {

const QString WindowsSection = QStringLiteral("Windows");
// Smaller than this, a remembered size is taken for a damaged entry.
constexpr QSize SmallestSize(200, 150);
// Room left on the screen for the window's frame and title bar.
constexpr QSize FrameRoom(16, 48);

// `size` made to fit in the available area of `screen` (the primary one
// when none), at any scale factor.
QSize FittingSize(QSize size, const QScreen* screen) {
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return size;
  const QSize room = screen->availableGeometry().size() - FrameRoom;
  return size.boundedTo(room.expandedTo(SmallestSize));
}

}  // namespace

void RestoreWindowPlace(QWidget& window, const TSettingsFile& settings, const QString& key,
                        QSize firstSize) {
  const QStringList place = settings.ReadString(WindowsSection, key).split(QLatin1Char(','));
  QRect frame;
  if (place.size() == 4)
    frame = QRect(place[0].toInt(), place[1].toInt(), place[2].toInt(), place[3].toInt());
  const QScreen* onScreen = nullptr;
  for (const QScreen* screen : QGuiApplication::screens())
    if (!onScreen && screen->availableGeometry().intersects(frame)) onScreen = screen;
  if (onScreen && frame.width() >= SmallestSize.width() &&
      frame.height() >= SmallestSize.height()) {
    window.resize(FittingSize(frame.size(), onScreen));
    window.move(frame.topLeft());
  } else {
    window.resize(FittingSize(firstSize, window.screen()));
  }
}

void SaveWindowPlace(const QWidget& window, TSettingsFile& settings, const QString& key) {
  settings.WriteString(WindowsSection, key,
                       QStringLiteral("%1,%2,%3,%4")
                           .arg(window.x())
                           .arg(window.y())
                           .arg(window.width())
                           .arg(window.height()));
}
