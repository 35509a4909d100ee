// --check: read and validate a data file, print its information line.
#pragma once

#include <ostream>

#include "cli/cli_options.h"

namespace talvex {

/// Reads options.file and prints "N objects, M descriptors" on `out` (for a
/// table with ", K groups", the sheet read and the reader's notes), and writes
/// the data to options.saveData when given.
/// Returns 0, or 1 when the data could not be saved (told on `err`); a
/// refused or unreadable file raises the reader's exception.
int RunCheckCommand(const TCliOptions& options, std::ostream& out, std::ostream& err);

}  // namespace talvex
