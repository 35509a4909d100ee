// Timing of the principal axes (dispersion matrix plus eigen-decomposition,
// and the decomposition alone) beside LAPACK's dsyev with eigenvectors on the
// same dispersion matrices, for 50 to 300 variables and twice as many objects.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "numeric/blocked_principal_axes.h"
#include "numeric/float_faults.h"
#include "numeric/principal_axes.h"
#include "numeric/statistics.h"

#ifdef TALVEX_HAVE_LAPACK
extern "C" void dsyev_(const char* jobz, const char* uplo, const int* n, double* a, const int* lda,
                       double* w, double* work, const int* lwork, int* info, std::size_t,
                       std::size_t);
#endif

namespace {

using talvex::TFloatMatrix;
using talvex::TFloatVector;
using talvex::TSize;

TFloatMatrix CorrelatedData(TSize n, TSize p) {
  std::mt19937 rng(p);
  std::normal_distribution<double> normal;
  TFloatMatrix data(n, p);
  for (TSize i = 1; i <= n; ++i) {
    const double size = normal(rng);
    for (TSize j = 1; j <= p; ++j)
      data.SetValue(i, j, 20.0 + (1.0 + 0.01 * j) * size + normal(rng));
  }
  return data;
}

void BM_PrincipalAxes(benchmark::State& state) {
  const TSize p = TSize(state.range(0)), n = 2 * p;
  const TFloatMatrix data = CorrelatedData(n, p);
  talvex::ClearFloatFaults();
  for (auto _ : state) {
    const talvex::TPrincipalAxes axes =
        talvex::PrincipalAxes(n, p, data, talvex::DispersionMethod::Correlation);
    benchmark::DoNotOptimize(axes.eigenvectors.Column(1));
  }
}

// Either solver: the blocked one also returns its path record.
template <auto Decompose>
void BM_DecomposeOnly(benchmark::State& state) {
  const TSize p = TSize(state.range(0)), n = 2 * p;
  TFloatMatrix dispersion(p, p);
  talvex::DispersionMatrix(CorrelatedData(n, p), n, p, dispersion,
                           talvex::DispersionMethod::Correlation);
  TFloatMatrix work(p, p), vectors(p, p);
  TFloatVector off(p), values(p);
  double trace = 0.0;
  talvex::ClearFloatFaults();
  for (auto _ : state) {
    work = dispersion;
    Decompose(work, p, trace, off, values, vectors);
    benchmark::DoNotOptimize(vectors.Column(1));
  }
}

#ifdef TALVEX_HAVE_LAPACK
void BM_Dsyev(benchmark::State& state) {
  const int p = int(state.range(0));
  const TSize n = 2 * TSize(p);
  TFloatMatrix dispersion(p, p);
  talvex::DispersionMatrix(CorrelatedData(n, p), n, p, dispersion,
                           talvex::DispersionMethod::Correlation);
  const std::vector<double> source(dispersion.Column(1), dispersion.Column(1) + std::size_t(p) * p);
  std::vector<double> a(source), w(p);
  int lwork = -1, info = 0;
  double query = 0.0;
  dsyev_("V", "L", &p, a.data(), &p, w.data(), &query, &lwork, &info, 1, 1);
  lwork = int(query);
  std::vector<double> work(lwork);
  for (auto _ : state) {
    a = source;
    dsyev_("V", "L", &p, a.data(), &p, w.data(), work.data(), &lwork, &info, 1, 1);
    benchmark::DoNotOptimize(a.data());
  }
  if (info != 0) state.SkipWithError("dsyev failed");
}
BENCHMARK(BM_Dsyev)->Arg(50)->Arg(100)->Arg(200)->Arg(300)->Unit(benchmark::kMillisecond);
#endif

BENCHMARK(BM_PrincipalAxes)->Arg(50)->Arg(100)->Arg(200)->Arg(300)->Unit(benchmark::kMillisecond);
void DecompositionSizes(benchmark::internal::Benchmark* b) {
  for (int p : {50, 100, 200, 255, 300}) b->Arg(p);
  b->Unit(benchmark::kMillisecond);
}

// The exact scheme of the full sample beside the blocked one of the jackknife.
BENCHMARK(BM_DecomposeOnly<talvex::PrincipalAxesOf>)
    ->Name("BM_PrincipalAxesOf")
    ->Apply(DecompositionSizes);
// The blocked solver is overloaded (all axes, or the first few): take the one for all.
using TAllAxesSolver = talvex::TDecompositionPath (*)(TFloatMatrix&, TSize, double&, TFloatVector&,
                                                      TFloatVector&, TFloatMatrix&);
BENCHMARK(BM_DecomposeOnly<static_cast<TAllAxesSolver>(talvex::BlockedPrincipalAxesOf)>)
    ->Name("BM_BlockedPrincipalAxesOf")
    ->Apply(DecompositionSizes);

}  // namespace
