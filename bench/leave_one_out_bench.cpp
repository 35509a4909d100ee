// Timing of one leave-one-out step of the jackknife (the reduced dispersion
// matrix from the full-sample sums, then its decomposition) and of a whole
// jackknife, for the sizes the peer comparison uses.
#include <benchmark/benchmark.h>

#include <random>

#include "analysis/jackknife.h"
#include "analysis/leave_one_out.h"
#include "numeric/float_faults.h"
#include "numeric/principal_axes.h"

namespace {

using talvex::TFloatMatrix;
using talvex::TFloatVector;
using talvex::TSize;

// Like the peer's synthetic data: groups of five variables sharing a factor.
TFloatMatrix SyntheticData(TSize n, TSize p) {
  std::mt19937 rng(n * 7919 + p);
  std::normal_distribution<double> normal;
  const TSize factors = std::max<TSize>(1, p / 5);
  TFloatMatrix data(n, p);
  std::vector<double> f(factors);
  for (TSize i = 1; i <= n; ++i) {
    for (double& v : f) v = normal(rng);
    for (TSize j = 1; j <= p; ++j)
      data.SetValue(i, j, 50.0 + 10.0 * f[(j - 1) % factors] + 3.0 * normal(rng) + (j - 1) % 7);
  }
  return data;
}

void BM_LeaveOneOutStep(benchmark::State& state) {
  const TSize p = TSize(state.range(0)), n = TSize(state.range(1));
  const TFloatMatrix data = SyntheticData(n, p);
  talvex::ClearFloatFaults();
  const talvex::TLeaveOneOut leaveOneOut(data, n, p, talvex::DispersionMethod::Correlation);
  talvex::TLeaveOneOut::TWorkspace ws(n, p);
  TSize object = 1;
  for (auto _ : state) {
    leaveOneOut.Decompose(object, ws, p);
    benchmark::DoNotOptimize(ws.vectors.Column(1));
    object = object % n + 1;
  }
}
BENCHMARK(BM_LeaveOneOutStep)
    ->Args({20, 20000})
    ->Args({50, 1000})
    ->Args({100, 1000})
    ->Args({200, 2000})
    ->Args({255, 300})
    ->Args({500, 500})
    ->Args({1000, 300})
    ->Unit(benchmark::kMicrosecond);

void BM_Jackknife(benchmark::State& state) {
  const TSize p = TSize(state.range(0)), n = TSize(state.range(1));
  const unsigned threads = unsigned(state.range(2));
  const TFloatMatrix data = SyntheticData(n, p);
  talvex::ClearFloatFaults();
  const auto [trace, values, vectors] =
      talvex::PrincipalAxes(n, p, data, talvex::DispersionMethod::Correlation);
  const talvex::TJackknifeInput input{
      {data, n, p, p, talvex::DispersionMethod::Correlation}, values, vectors, std::nullopt};
  for (auto _ : state) benchmark::DoNotOptimize(talvex::RunJackknife(input, {.threads = threads}));
}
BENCHMARK(BM_Jackknife)
    ->Args({4, 150, 1})
    ->Args({20, 20000, 1})
    ->Args({20, 20000, 2})
    ->Args({100, 1000, 2})
    ->Unit(benchmark::kMillisecond);

}  // namespace
