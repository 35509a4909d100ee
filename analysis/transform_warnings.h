// TransformWarnings: what a run's transformation does to the data without
// stopping it. Decimal logarithms take every value <= 0 as 0 (the program's
// rule, kept as it is); the front ends warn about it so that a user does not
// analyse zeros that were never measured.
#pragma once

#include <string>
#include <vector>

#include "analysis/analysis_options.h"
#include "input/data_matrix.h"

namespace talvex {

/// One warning per variable, in variable order, that holds values <= 0 when
/// `options` asks for decimal logarithms:
/// "log10 of N values <= 0 in VARIABLE were taken as 0" ("1 value ... was"
/// for one). Empty for any other transformation. One pass over the values.
std::vector<std::string> TransformWarnings(const TDataMatrix& data,
                                           const TAnalysisOptions& options);

}  // namespace talvex
