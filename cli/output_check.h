// Checks of talvex-cli's output files made before any work: no output may be
// the data file or another output, and every output must be writable where
// it is named, so that a long run never ends in a file that cannot be
// written or one output replacing another.
#pragma once

#include <string>
#include <vector>

#include "cli/cli_options.h"

namespace talvex {

struct TOutputFile {
  std::string option;  // "--report", "--scores", "--vectors"
  std::string path;
};

/// The files the options name for writing, in option order; "--report -"
/// (standard output) is not a file.
std::vector<TOutputFile> OutputFiles(const TCliOptions& options);

/// Raises ECliUsage when an output resolves (symbolic links followed, also
/// those to a file not yet there; hard links included) to the data file or to
/// another output. Each file a results folder may hold counts as an output.
void CheckDistinctFiles(const TCliOptions& options);

/// Raises EUnknownExportFormat for an export name without a known extension,
/// and EInOutError("Cannot create file PATH: REASON") for an output whose
/// folder is missing or not writable, or that is a folder (an export also
/// when it is a device or a pipe, which cannot be replaced).
void CheckOutputPlaces(const TCliOptions& options);

}  // namespace talvex
