// The full-stop rule of the general error report.
#include "shell/error_report.h"

QString WithFullStop(const QString& message) {
  if (!message.isEmpty() && message.back() > u'.') return message + u'.';
  return message;
}
