// The cost of parallel analysis (100 iterations, correlations) on sizes from
// the iris data (150 x 4) to a large morphometric set (2000 x 200), on one
// thread and on all cores.
#include <benchmark/benchmark.h>

#include <random>

#include "analysis/parallel_analysis.h"

namespace talvex {
namespace {

TParallelAnalysisInput Input(TSize n, TSize p) {
  std::mt19937_64 random(3);
  std::normal_distribution<double> normal;
  TParallelAnalysisInput input;
  input.data = TFloatMatrix(n, p);
  input.objectCount = n;
  input.variableCount = p;
  for (TSize i = 1; i <= n; ++i) {
    const double common = normal(random);
    for (TSize j = 1; j <= p; ++j) input.data.SetValue(i, j, common + normal(random));
  }
  return input;
}

void ParallelAnalysisIterations(benchmark::State& state) {
  const TParallelAnalysisInput input = Input(TSize(state.range(0)), TSize(state.range(1)));
  TParallelAnalysisSettings settings;
  settings.threads = unsigned(state.range(2));
  for (auto _ : state) benchmark::DoNotOptimize(ParallelAnalysis(input, settings).data());
}
BENCHMARK(ParallelAnalysisIterations)
    ->Args({150, 4, 1})
    ->Args({300, 50, 1})
    ->Args({2000, 200, 1})
    ->Args({2000, 200, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace talvex
