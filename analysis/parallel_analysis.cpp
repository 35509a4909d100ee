// Parallel analysis on the ordered parallel loop: iterations are computed on
// the workers into a ring of slots and gathered in iteration order on the
// calling thread, which reports progress and polls for a stop.
#include "analysis/parallel_analysis.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <thread>

#include "analysis/analysed_data.h"
#include "analysis/ordered_parallel_loop.h"
#include "numeric/blocked_reflections.h"
#include "numeric/float_faults.h"
#include "numeric/float_vector.h"
#include "numeric/principal_axes.h"
#include "numeric/root_free_ql.h"
#include "numeric/statistics.h"

namespace talvex {

namespace {

/// The workers' permuted copies and dispersion matrices stay below this many
/// doubles (256 MB) whatever the thread count asked for.
constexpr std::size_t WorkspaceBudget = std::size_t(32) << 20;
/// Finished iterations waiting to be gathered, per worker.
constexpr TSize SlotsPerWorker = 4;

/// A uniform draw from 0..bound - 1: draws below 2^64 mod bound are
/// rejected so that every value is equally likely (no modulo bias).
std::uint64_t DrawBelow(std::mt19937_64& engine, std::uint64_t bound) {
  const std::uint64_t threshold = (0 - bound) % bound;
  for (;;) {
    const std::uint64_t x = engine();
    if (x >= threshold) return x % bound;
  }
}

/// The engine of iteration `iteration`, independent of the others.
std::mt19937_64 IterationEngine(std::uint64_t seed, TSize iteration) {
  std::seed_seq sequence{std::uint32_t(seed), std::uint32_t(seed >> 32), std::uint32_t(iteration)};
  return std::mt19937_64(sequence);
}

struct TWorkspace {
  TWorkspace(TSize n, TSize p) : permuted(n, p), work(p, p), diagonal(p), coupling(p) {}
  TFloatMatrix permuted;  // n x p
  TFloatMatrix work;      // p x p
  std::vector<double> diagonal, coupling;
};

/// The eigenvalues (descending) of the dispersion matrix of x into values:
/// by the eigenvalues-only path, or, where root-free QL cannot be trusted,
/// by the full decomposition of the report.
void DispersionEigenvalues(const TFloatMatrix& x, TSize n, TSize p, DispersionMethod method,
                           TWorkspace& ws, double* values) {
  DispersionMatrix(x, n, p, ws.work, method);
  CheckFloatFaults();
  ReduceLowerBlocked(ws.work.Column(1), ws.work.MaxRows(), p, ws.diagonal.data(),
                     ws.coupling.data());
  CheckFloatFaults();
  if (TridiagonalEigenvalues(ws.diagonal.data(), ws.coupling.data(), p, values) ==
      TFallbackCause::None)
    return;
  TakeFloatFaults();
  DispersionMatrix(x, n, p, ws.work, method);
  double trace = 0.0;
  TFloatVector offDiag(p), eigenvalues(p);
  TFloatMatrix eigenvectors(p, p);
  PrincipalAxesOf(ws.work, p, trace, offDiag, eigenvalues, eigenvectors);
  CheckFloatFaults();
  std::copy_n(eigenvalues.Data(), p, values);
}

/// Each column of `data` copied into `permuted` in an order of its own.
void PermuteColumns(const TFloatMatrix& data, TSize n, TSize p, std::mt19937_64& engine,
                    TFloatMatrix& permuted) {
  for (TSize j = 1; j <= p; ++j) {
    double* column = permuted.Column(j);
    std::copy_n(data.Column(j), n, column);
    for (TSize i = n; i > 1; --i) std::swap(column[i - 1], column[DrawBelow(engine, i)]);
  }
  permuted.Extend(n, p);
}

unsigned WorkerCount(unsigned asked, TSize iterations, TSize n, TSize p) {
  unsigned threads = asked != 0 ? asked : std::max(1u, std::thread::hardware_concurrency());
  threads = unsigned(std::min<TSize>(threads, iterations));
  const std::size_t perWorkspace = std::size_t(n) * p + std::size_t(p) * p + 2 * std::size_t(p);
  const std::size_t byBudget = std::max<std::size_t>(1, WorkspaceBudget / perWorkspace);
  return unsigned(std::min<std::size_t>(threads, byBudget));
}

}  // namespace

TParallelAnalysisInput ParallelAnalysisInput(const TDataMatrix& data,
                                             const TAnalysisResults& results) {
  TParallelAnalysisInput input;
  input.data = AnalysedData(data, results.tables);
  input.objectCount = data.objectCount;
  input.variableCount = data.variableCount;
  input.method = results.tables.options.method;
  return input;
}

TParallelAnalysisInput ParallelAnalysisInput(const TAnalysisState& state) {
  if (!state.ResultsReady())
    throw Exception("Parallel analysis needs the results of a run: run the analysis first");
  TParallelAnalysisInput input = ParallelAnalysisInput(state.Data(), state.Results());
  input.resultsStamp = state.ResultsStamp();
  return input;
}

double LinearPercentile(std::vector<double>& values, double q) {
  if (values.empty()) return std::numeric_limits<double>::quiet_NaN();
  const double rank = (double(values.size()) - 1) * q / 100;
  const std::size_t below = std::min(values.size() - 1, std::size_t(std::floor(rank)));
  std::nth_element(values.begin(), values.begin() + below, values.end());
  const double lower = values[below];
  if (below + 1 == values.size()) return lower;
  const double upper = *std::min_element(values.begin() + below + 1, values.end());
  return lower + (rank - double(below)) * (upper - lower);
}

std::vector<double> ParallelAnalysis(const TParallelAnalysisInput& input,
                                     const TParallelAnalysisSettings& settings,
                                     const TParallelAnalysisProgress& progress,
                                     TRunObserver* observer) {
  const TSize n = input.objectCount;
  const TSize p = input.variableCount;
  const TSize iterations = settings.iterations;
  if (iterations < 1) throw Exception("Parallel analysis needs at least one iteration");
  if (!(settings.percentile >= 0.0 && settings.percentile <= 100.0))
    throw Exception("The percentile must be between 0 and 100, not " +
                    std::to_string(settings.percentile));
  if (p == 0) return {};

  if (observer != nullptr && observer->CancelRequested()) throw ERunCancelled();
  ClearFloatFaults();
  const unsigned threads = WorkerCount(settings.threads, iterations, n, p);
  std::vector<TWorkspace> workspaces;
  workspaces.reserve(threads);
  for (unsigned t = 0; t < threads; ++t) workspaces.emplace_back(n, p);
  const TSize slotCount = std::min<TSize>(iterations, SlotsPerWorker * threads);
  std::vector<std::vector<double>> slots(slotCount, std::vector<double>(p));
  // The eigenvalues of every iteration, component by component.
  std::vector<std::vector<double>> byComponent(p, std::vector<double>(iterations));

  auto compute = [&](TSize iteration, unsigned worker, TSize slot) {
    TWorkspace& ws = workspaces[worker];
    std::mt19937_64 engine = IterationEngine(settings.seed, iteration);
    PermuteColumns(input.data, n, p, engine, ws.permuted);
    DispersionEigenvalues(ws.permuted, n, p, input.method, ws, slots[slot].data());
  };
  auto gather = [&](TSize iteration, TSize slot) {
    for (TSize c = 0; c < p; ++c) byComponent[c][iteration - 1] = slots[slot][c];
    if (progress) progress(iteration, iterations);
  };
  TOrderedLoopHooks hooks;
  if (observer != nullptr) hooks.stopRequested = [observer] { return observer->CancelRequested(); };
  RunOrderedParallelLoop({iterations, threads, slotCount}, settings.threadStarter, compute, gather,
                         hooks);

  std::vector<double> percentiles(p);
  for (TSize c = 0; c < p; ++c)
    percentiles[c] = LinearPercentile(byComponent[c], settings.percentile);
  return percentiles;
}

}  // namespace talvex
