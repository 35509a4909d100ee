// The program's messages to the user.
#include "shell/common/user_messages.h"

#include <exception>

#include "shell/common/user_interaction.h"

void TUserMessages::Guarded(const std::function<void()>& command) {
  try {
    command();
  } catch (...) {
    ShowFailure(DescribeFailure(std::current_exception()));
  }
}

void TUserMessages::ShowFailure(const TFailureReport& failure) {
  const QString& detail = failure.detail;
  if (failure.cancelled) {
    // The user's own decision: told, without alarm.
    interaction_.ShowMessage(TMessageKind::Information, ApplicationTitle, failure.message,
                             TMessageButton::Ok, detail);
    return;
  }
  ShowError(failure.message, detail);
}

void TUserMessages::ShowError(const QString& message, const QString& detail) {
  interaction_.Beep();
  interaction_.ShowMessage(TMessageKind::Error, ApplicationTitle, WithFullStop(message),
                           TMessageButton::Ok, detail);
}

void TUserMessages::ShowOwnMessage(bool error, const QString& title, const QString& text,
                                   bool okButton, const QString& detail) {
  interaction_.Beep();
  interaction_.ShowMessage(error ? TMessageKind::Error : TMessageKind::Information, title, text,
                           okButton ? TMessageButton::Ok : TMessageButton::Cancel, detail);
}
