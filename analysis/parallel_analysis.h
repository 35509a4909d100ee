// Parallel analysis (Horn, 1965): how large the eigenvalues of the analysed
// data would be by chance. Each iteration permutes every column of the data
// independently, which keeps each variable's values but destroys their
// association, and decomposes the dispersion matrix of the result by the
// run's method; per component, the chosen percentile of the eigenvalues over
// the iterations is the line an eigenvalue must rise above to stand for
// more than chance.
//
// Cost per iteration: the dispersion matrix, n p^2 / 2, and its eigenvalues
// alone (reduction to tridiagonal form, 4/3 p^3, and root-free QL, O(p^2)).
// The iterations run on a pool of threads. Iteration i permutes with a
// std::mt19937_64 seeded from (seed, i) by std::seed_seq and draws its
// indices by rejection, both fully specified by the standard, so the result
// is the same for a seed on every platform and for any number of threads.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "analysis/analysis_state.h"
#include "analysis/run_observer.h"
#include "analysis/thread_starter.h"
#include "numeric/dispersion_method.h"
#include "numeric/float_matrix.h"
#include "numeric/sizes.h"

namespace talvex {

/// The data of a completed run, as it analysed them.
struct TParallelAnalysisInput {
  TFloatMatrix data{0, 0};  // n x p, objects in rows, transformed as the run transformed them
  TSize objectCount = 0;    // n
  TSize variableCount = 0;  // p
  DispersionMethod method = DispersionMethod::Correlation;
  /// The results the lines belong to (TAnalysisState::ResultsStamp).
  std::uint64_t resultsStamp = 0;
};

/// The data as the run that made `results` analysed them (transformed, and
/// with its imputed cells where values are missing: a permuted column must
/// not carry the missing cells' meaningless stored values), with its method.
TParallelAnalysisInput ParallelAnalysisInput(const TDataMatrix& data,
                                             const TAnalysisResults& results);

/// The same for the state's last run, with its results' stamp. Raises
/// Exception when the state has no results.
TParallelAnalysisInput ParallelAnalysisInput(const TAnalysisState& state);

constexpr std::uint64_t DefaultParallelAnalysisSeed = 20240617;

struct TParallelAnalysisSettings {
  TSize iterations = 100;
  double percentile = 95.0;  // 0..100
  std::uint64_t seed = DefaultParallelAnalysisSeed;
  unsigned threads = 0;  // 0: all cores; the result does not depend on it
  TThreadStarter& threadStarter = SystemThreadStarter();
};

/// Called on the calling thread after each iteration: iterations done, total.
using TParallelAnalysisProgress = std::function<void(TSize done, TSize total)>;

/// The `percentile` of each eigenvalue (p, in eigenvalue order) over
/// `iterations` column-permuted copies of the data: per component, the
/// percentile of the sorted values by linear interpolation between the
/// nearest ranks (the "linear" definition, numpy's default). The observer's
/// CancelRequested() is polled before the first iteration and after every
/// other one, and stops the work with ERunCancelled; its other calls are not
/// made. Raises
/// Exception for no iterations or a percentile outside 0..100, and the
/// floating-point faults of the arithmetic.
std::vector<double> ParallelAnalysis(const TParallelAnalysisInput& input,
                                     const TParallelAnalysisSettings& settings = {},
                                     const TParallelAnalysisProgress& progress = {},
                                     TRunObserver* observer = nullptr);

/// The q-th percentile (0..100) of `values` by linear interpolation between
/// the nearest ranks; `values` is reordered. NaN for no values.
double LinearPercentile(std::vector<double>& values, double q);

}  // namespace talvex
