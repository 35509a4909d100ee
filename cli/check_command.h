// --check: read and validate a data file, print its information line.
#pragma once

#include <ostream>

#include "cli/cli_options.h"

namespace talvex {

/// Reads options.file and prints "N objects, M descriptors" on `out` (for a
/// table with ", K groups" and the line of objects left out), and writes the
/// data to options.saveData when given.
/// Returns 0; a refused or unreadable file raises the reader's exception.
int RunCheckCommand(const TCliOptions& options, std::ostream& out);

}  // namespace talvex
