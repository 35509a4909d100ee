// Writing to standard output with every failure seen: a full disk, /dev/full
// or a closed stream must not pass for success.
#pragma once

#include <ostream>
#include <string_view>

namespace talvex {

/// Writes `text` to `out` and flushes it. Raises EInOutError("cannot write the
/// listing: REASON") when the write or the flush fails; REASON is the system's
/// text for errno at the failure ("No space left on device", "Bad file
/// descriptor"), or "I/O error" when the stream does not say.
void WriteStandardOutput(std::ostream& out, std::string_view text);

}  // namespace talvex
