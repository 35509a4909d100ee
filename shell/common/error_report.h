// The general error report: the title it is shown under, its full-stop rule,
// and the one place where a failure of any kind becomes what the user reads.
#pragma once

#include <QString>
#include <exception>

/// The application title: the main window's caption and the title of the
/// general error report.
inline const QString ApplicationTitle = QStringLiteral("TALVEX for Windows");

/// `message` with a full stop added when its last character sorts after "."
/// (a letter or a digit, but not "!", ")" or a quote).
QString WithFullStop(const QString& message);

/// A failure as the user is told of it.
struct TFailureReport {
  QString message;         // the program's own message
  QString detail;          // what is known of the cause; may be empty
  bool cancelled = false;  // the user stopped a run: not an error
};

/// Describes `failure`, whatever it holds: the program's own exceptions with
/// their detail, running out of memory with the containers' message, any
/// other std::exception by its text.
TFailureReport DescribeFailure(const std::exception_ptr& failure);
