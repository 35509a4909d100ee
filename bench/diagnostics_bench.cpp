// The cost of the diagnostics: a jackknife run with and without the
// collector, on the sizes the speed goal names (2000 x 200, 300 x 255).
#include <benchmark/benchmark.h>

#include <random>

#include "analysis/analysis_state.h"
#include "diagnostics/diagnostics_run.h"

namespace talvex {
namespace {

TAnalysisState State(TSize n, TSize p) {
  std::mt19937_64 random(7);
  std::normal_distribution<double> normal;
  TDataMatrix data;
  data.objectCount = n;
  data.variableCount = p;
  data.valueCount = n * p;
  data.values = TFloatVector(n * p);
  const TSize factors = std::max<TSize>(1, p / 5);
  std::vector<double> common(factors);
  for (TSize i = 0; i < n; ++i) {
    data.objectLabels.push_back("O" + std::to_string(i + 1));
    for (double& f : common) f = normal(random);
    for (TSize j = 0; j < p; ++j)
      data.values.SetValue(i * p + j + 1, 50 + 10 * common[j % factors] + 3 * normal(random));
  }
  for (TSize j = 0; j < p; ++j) data.variableLabels.push_back("V" + std::to_string(j + 1));
  TAnalysisState state;
  state.LoadData(std::move(data), "bench.nts");
  return state;
}

void Jackknife(benchmark::State& bench, bool diagnostics) {
  TAnalysisState state = State(TSize(bench.range(0)), TSize(bench.range(1)));
  TAnalysisOptions options;
  options.method = DispersionMethod::Covariance;
  for (auto _ : bench) {
    TReportListing listing;
    if (diagnostics) {
      benchmark::DoNotOptimize(RunWithDiagnostics(state, options, listing));
    } else {
      state.Run(options, listing);
    }
  }
}

void WithoutDiagnostics(benchmark::State& bench) { Jackknife(bench, false); }
void WithDiagnostics(benchmark::State& bench) { Jackknife(bench, true); }

BENCHMARK(WithoutDiagnostics)
    ->Args({2000, 200})
    ->Args({300, 255})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);
BENCHMARK(WithDiagnostics)
    ->Args({2000, 200})
    ->Args({300, 255})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);

}  // namespace
}  // namespace talvex
