// The full-stop rule and the description of failures.
#include "shell/error_report.h"

#include <new>

#include "analysis/run_observer.h"
#include "base/exception.h"

QString WithFullStop(const QString& message) {
  if (!message.isEmpty() && message.back() > u'.') return message + u'.';
  return message;
}

TFailureReport DescribeFailure(const std::exception_ptr& failure) {
  TFailureReport report;
  try {
    std::rethrow_exception(failure);
  } catch (const talvex::ERunCancelled& e) {
    report.message = QString::fromStdString(e.Message());
    report.cancelled = true;
  } catch (const talvex::Exception& e) {
    report.message = QString::fromStdString(e.Message());
    report.detail = QString::fromStdString(e.Detail());
  } catch (const std::bad_alloc&) {
    report.message = QString::fromStdString(talvex::EAllocateFailed().Message());
  } catch (const std::exception& e) {
    report.message = QString::fromLocal8Bit(e.what());
  } catch (...) {
    report.message = QStringLiteral("Unknown failure");
  }
  return report;
}
