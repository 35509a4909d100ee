// Checked writing to standard output; see standard_output.h.
#include "cli/standard_output.h"

#include <cerrno>
#include <system_error>

#include "base/exception.h"

namespace talvex {

void WriteStandardOutput(std::ostream& out, std::string_view text) {
  errno = 0;
  out.write(text.data(), std::streamsize(text.size()));
  out.flush();
  if (out) return;
  const int error = errno;
  throw EInOutError("cannot write the listing: " +
                    (error != 0 ? std::error_code(error, std::generic_category()).message()
                                : std::string("I/O error")));
}

}  // namespace talvex
