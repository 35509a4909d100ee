// The main job of talvex-cli: read the data file, run the analysis with the
// command line's options, and write the listing and the exports.
#pragma once

#include <ostream>

#include "cli/cli_options.h"

namespace talvex {

/// Runs the analysis of options.file. Returns the exit status (0 or 1); prints
/// "talvex-cli: " and the message of a failure on `err`. May raise the program's
/// exceptions, which the caller reports the same way.
int RunAnalysisCommand(const TCliOptions& options, std::ostream& out, std::ostream& err);

}  // namespace talvex
