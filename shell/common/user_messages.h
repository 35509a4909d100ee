// TUserMessages: how a window of the program tells the user of a failure or
// of its own message, through the user interaction (so tests can script
// it): the general error report with its full-stop rule, a cancelled run
// told without alarm, a window's own boxes preceded by the error beep, and
// a command guarded so that whatever escapes it is told.
#pragma once

#include <QString>
#include <functional>

#include "shell/common/error_report.h"

class TUserInteraction;

class TUserMessages {
 public:
  explicit TUserMessages(TUserInteraction& interaction) : interaction_(interaction) {}

  /// Runs a command; a failure that escapes it goes to ShowFailure.
  void Guarded(const std::function<void()>& command);
  /// A failure as the user is told of it: a cancelled run as information,
  /// anything else as the general error report, with its detail below.
  void ShowFailure(const TFailureReport& failure);
  /// The general error report: the message in a box titled with the
  /// application title, with the full-stop rule, and the detail below it.
  void ShowError(const QString& message, const QString& detail);
  /// A message box of the window itself, preceded by the error beep.
  void ShowOwnMessage(bool error, const QString& title, const QString& text, bool okButton,
                      const QString& detail = QString());

 private:
  TUserInteraction& interaction_;
};
