// ShortenPath: fits a file path into a width for a menu caption by replacing
// leading folders with "...", keeping the file name whole.
#pragma once

#include <QChar>
#include <QFontMetrics>
#include <QString>

/// `path` itself when it fits in `width` pixels of `metrics`; otherwise the
/// first of its shorter forms that fits, cutting folders from the front:
/// /home/ann/data/iris.nts, /.../ann/data/iris.nts, /.../data/iris.nts,
/// /.../iris.nts, .../iris.nts, iris.nts. A path that starts with a drive
/// ("C:") keeps it until only the file name and "..." are left. The file name
/// alone is returned whole even when it is still too wide.
QString ShortenPath(const QString& path, int width, const QFontMetrics& metrics,
                    QChar separator = u'/');
