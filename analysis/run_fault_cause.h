// RunFaultCause: what a floating-point fault of an analysis run means for the
// user's data. The fault's own message says only which operation failed; the
// run asks this function, after the fault, which variable, object or count
// made it fail, and shows the answer beside the message.
#pragma once

#include <cstdint>
#include <string>

#include "analysis/analysis_options.h"
#include "input/data_matrix.h"

namespace talvex {

// Where in the run the fault arose.
enum class RunStage : std::uint8_t {
  FullSample,  // the statistics and tables of the whole sample
  Jackknife,   // the leave-one-out decompositions
};

/// The cause of a floating-point fault that stopped a run of `data` with
/// `options` at `stage`, as a sentence for the user; empty when the data show
/// none of the known causes (one object, the logarithm of a value <= 0, a
/// constant variable, no variance at all; in the jackknife, two objects or a
/// variable that is constant without one object). The causes are tried in
/// the order in which the run meets them. Costs a pass over the data; meant
/// for the failure path only. Clears this thread's floating-point flags.
std::string RunFaultCause(const TDataMatrix& data, const TAnalysisOptions& options, RunStage stage);

}  // namespace talvex
