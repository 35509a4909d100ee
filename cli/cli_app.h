// RunCli: talvex-cli as a function of its arguments and two streams, so that
// tests can run it in-process.
#pragma once

#include <ostream>

namespace talvex {

/// Runs talvex-cli. Returns the exit status: 0 success, 1 a refused or failing
/// file or run ("talvex-cli: " and the message on `err`), 2 a usage error.
int RunCli(int argc, char** argv, std::ostream& out, std::ostream& err);

}  // namespace talvex
