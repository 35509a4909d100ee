// Shortening of paths for the recent-files menu.
#include "shell/common/shorten_path.h"

QString ShortenPath(const QString& path, int width, const QFontMetrics& metrics, QChar separator) {
  const QString sep(separator);
  const QString ellipsis = QStringLiteral("...") + sep;
  const QString rootEllipsis = sep + ellipsis;

  const qsizetype lastSep = path.lastIndexOf(separator);
  QString directory = path.left(lastSep + 1);
  const QString fileName = path.mid(lastSep + 1);
  QString drive;
  if (directory.size() >= 2 && directory[1] == u':' && directory[0].isLetter()) {
    drive = directory.left(2);
    directory.remove(0, 2);
  }

  QString result = path;
  while (metrics.horizontalAdvance(result) > width && (!directory.isEmpty() || !drive.isEmpty())) {
    if (directory == rootEllipsis) {
      drive.clear();
      directory = ellipsis;
    } else if (directory.isEmpty()) {
      drive.clear();
    } else if (directory == sep) {
      directory.clear();
    } else {
      const bool rooted = directory.startsWith(separator);
      if (rooted) directory.remove(0, 1);
      if (directory.startsWith(ellipsis)) directory.remove(0, ellipsis.size());
      const qsizetype first = directory.indexOf(separator);
      if (first < 0) {
        directory.clear();
      } else {
        directory = ellipsis + directory.mid(first + 1);
        if (rooted) directory.prepend(separator);
      }
    }
    result = drive + directory + fileName;
  }
  return result;
}
