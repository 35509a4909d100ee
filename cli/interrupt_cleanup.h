// What talvex-cli does on SIGINT (Ctrl+C) and SIGTERM (what `timeout` and
// service managers send): remove the temporary files of exports being
// written, then end with the conventional status 128 + the signal's number
// (130, 143). The targets themselves are never half-written (atomic files).
#pragma once

namespace talvex {

/// Installs the handlers for SIGINT and SIGTERM for the rest of the process,
/// and ignores SIGPIPE: a closed pipe on standard output is a failed write,
/// reported like any other, while the other outputs are still written.
void InstallInterruptCleanup();

}  // namespace talvex
