// Where the result windows stand: each remembers its place and size in
// [Windows] of the settings file, and comes back there when that place still
// lies on a screen.
#pragma once

#include <QSize>
#include <QString>

class QWidget;
class TSettingsFile;

/// Moves and sizes `window` as remembered under `key`; `firstSize` when
/// nothing usable is remembered.
void RestoreWindowPlace(QWidget& window, const TSettingsFile& settings, const QString& key,
                        QSize firstSize);
/// Remembers `window`'s place and size under `key`.
void SaveWindowPlace(const QWidget& window, TSettingsFile& settings, const QString& key);
