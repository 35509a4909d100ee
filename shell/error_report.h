// The general error report's text rule and the title it is shown under.
#pragma once

#include <QString>

/// The application title: the main window's caption and the title of the
/// general error report.
inline const QString ApplicationTitle = QStringLiteral("TALVEX for Windows");

/// `message` with a full stop added when its last character sorts after "."
/// (a letter or a digit, but not "!", ")" or a quote).
QString WithFullStop(const QString& message);
