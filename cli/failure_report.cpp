// Failures of talvex-cli as lines on standard error.
#include "cli/failure_report.h"

#include <new>

#include "base/exception.h"

namespace talvex {

void ReportFailure(std::ostream& err, const std::exception& failure) {
  if (const auto* own = dynamic_cast<const Exception*>(&failure)) {
    err << "talvex-cli: " << own->Message() << '\n';
    if (!own->Detail().empty()) err << "talvex-cli: " << own->Detail() << '\n';
  } else if (dynamic_cast<const std::bad_alloc*>(&failure) != nullptr) {
    err << "talvex-cli: " << EAllocateFailed().Message() << '\n';
  } else {
    err << "talvex-cli: " << failure.what() << '\n';
  }
}

}  // namespace talvex
