// The reference lines and bar heights of the scree plot: the broken-stick
// expectation, Kaiser's level, and the percentages of the trace. (The
// parallel-analysis line is computed by the analysis and kept in the
// results: analysis/parallel_analysis.h.)
#pragma once

#include <cstddef>
#include <vector>

namespace talvex {

/// Broken-stick expectation of eigenvalue k (1..p) for a total `trace`:
/// trace/p * sum_{i=k..p} 1/i, element k - 1 of the result (p elements).
std::vector<double> BrokenStick(std::size_t variableCount, double trace);

/// Kaiser's level: the mean eigenvalue trace/p (1 under the correlation
/// method); 0 for no variables.
double KaiserLevel(std::size_t variableCount, double trace);

/// Percent of trace per eigenvalue, 100 * eigenvalue / trace (all 0 for a
/// trace of 0).
std::vector<double> PercentOfTrace(const std::vector<double>& eigenvalues, double trace);

/// The running sum of the percents.
std::vector<double> CumulativePercent(const std::vector<double>& percents);

}  // namespace talvex
