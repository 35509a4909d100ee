// The jackknife's decomposition (BlockedPrincipalAxesOf: all eigenvalues and
// eigenvectors) beside LAPACK's fast symmetric drivers through OpenBLAS:
// dsyevr (relatively robust representations) and dsyevd (divide and
// conquer), both with all eigenvectors, on one-factor correlation matrices
// (the usual morphometric case: one large eigenvalue over many close small
// ones) and on random symmetric matrices, p = 50 to 300. Every driver copies
// the same matrix into its work array in each iteration. OpenBLAS's own
// threads are set by OPENBLAS_NUM_THREADS; the jackknife runs one
// decomposition per thread, so 1 is the comparison that matters.
#include <benchmark/benchmark.h>
#include <lapacke.h>

#include <random>
#include <string>
#include <vector>

#include "numeric/blocked_principal_axes.h"
#include "numeric/float_faults.h"
#include "numeric/statistics.h"

namespace {

using talvex::TFloatMatrix;
using talvex::TFloatVector;
using talvex::TSize;

enum class TMatrixKind { OneFactor, Random };

/// The correlation matrix of 2p objects whose p variables all load on one
/// factor, or a random symmetric matrix with elements uniform in -1..1.
TFloatMatrix TestMatrix(TMatrixKind kind, TSize p) {
  // The flags are not ours to answer for here: the benchmark library's own
  // statistics and LAPACK's deliberate infinities may have raised them.
  talvex::ClearFloatFaults();
  std::mt19937 rng(p);
  TFloatMatrix a(p, p);
  if (kind == TMatrixKind::Random) {
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    for (TSize j = 1; j <= p; ++j)
      for (TSize i = j; i <= p; ++i) {
        const double x = uniform(rng);
        a.SetValue(i, j, x);
        a.SetValue(j, i, x);
      }
    return a;
  }
  std::normal_distribution<double> normal;
  const TSize n = 2 * p;
  TFloatMatrix data(n, p);
  for (TSize i = 1; i <= n; ++i) {
    const double size = normal(rng);
    for (TSize j = 1; j <= p; ++j)
      data.SetValue(i, j, 20.0 + (1.0 + 0.01 * j) * size + normal(rng));
  }
  talvex::DispersionMatrix(data, n, p, a, talvex::DispersionMethod::Correlation);
  return a;
}

std::vector<double> ColumnMajor(const TFloatMatrix& a, TSize p) {
  return std::vector<double>(a.Column(1), a.Column(1) + std::size_t(p) * p);
}

template <TMatrixKind Kind>
void BM_Blocked(benchmark::State& state) {
  const TSize p = TSize(state.range(0));
  const TFloatMatrix source = TestMatrix(Kind, p);
  TFloatMatrix work(p, p), vectors(p, p);
  TFloatVector off(p), values(p);
  double trace = 0.0;
  talvex::ClearFloatFaults();
  talvex::TDecompositionPath path;
  for (auto _ : state) {
    work = source;
    path = talvex::BlockedPrincipalAxesOf(work, p, trace, off, values, vectors);
    benchmark::DoNotOptimize(vectors.Column(1));
  }
  state.SetLabel(path.FellBack() ? "rotations" : "twisted");
}

template <TMatrixKind Kind>
void BM_Dsyevr(benchmark::State& state) {
  const lapack_int p = lapack_int(state.range(0));
  const std::vector<double> source = ColumnMajor(TestMatrix(Kind, TSize(p)), TSize(p));
  std::vector<double> a(source), w(p), z(std::size_t(p) * p);
  std::vector<lapack_int> support(2 * std::size_t(p));
  lapack_int found = 0, lwork = -1, liwork = -1, iwork0 = 0;
  double work0 = 0.0;
  LAPACKE_dsyevr_work(LAPACK_COL_MAJOR, 'V', 'A', 'L', p, a.data(), p, 0.0, 0.0, 0, 0, 0.0, &found,
                      w.data(), z.data(), p, support.data(), &work0, lwork, &iwork0, liwork);
  lwork = lapack_int(work0);
  liwork = iwork0;
  std::vector<double> work(lwork);
  std::vector<lapack_int> iwork(liwork);
  lapack_int info = 0;
  for (auto _ : state) {
    a = source;
    info = LAPACKE_dsyevr_work(LAPACK_COL_MAJOR, 'V', 'A', 'L', p, a.data(), p, 0.0, 0.0, 0, 0, 0.0,
                               &found, w.data(), z.data(), p, support.data(), work.data(), lwork,
                               iwork.data(), liwork);
    benchmark::DoNotOptimize(z.data());
  }
  if (info != 0 || found != p) state.SkipWithError("dsyevr failed");
}

template <TMatrixKind Kind>
void BM_Dsyevd(benchmark::State& state) {
  const lapack_int p = lapack_int(state.range(0));
  const std::vector<double> source = ColumnMajor(TestMatrix(Kind, TSize(p)), TSize(p));
  std::vector<double> a(source), w(p);
  lapack_int lwork = -1, liwork = -1, iwork0 = 0;
  double work0 = 0.0;
  LAPACKE_dsyevd_work(LAPACK_COL_MAJOR, 'V', 'L', p, a.data(), p, w.data(), &work0, lwork, &iwork0,
                      liwork);
  lwork = lapack_int(work0);
  liwork = iwork0;
  std::vector<double> work(lwork);
  std::vector<lapack_int> iwork(liwork);
  lapack_int info = 0;
  for (auto _ : state) {
    a = source;
    info = LAPACKE_dsyevd_work(LAPACK_COL_MAJOR, 'V', 'L', p, a.data(), p, w.data(), work.data(),
                               lwork, iwork.data(), liwork);
    benchmark::DoNotOptimize(a.data());
  }
  if (info != 0) state.SkipWithError("dsyevd failed");
}

void Sizes(benchmark::internal::Benchmark* b) {
  for (int p : {50, 100, 150, 200, 255, 300}) b->Arg(p);
  b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_Blocked<TMatrixKind::OneFactor>)->Name("OneFactor/Blocked")->Apply(Sizes);
BENCHMARK(BM_Dsyevr<TMatrixKind::OneFactor>)->Name("OneFactor/dsyevr")->Apply(Sizes);
BENCHMARK(BM_Dsyevd<TMatrixKind::OneFactor>)->Name("OneFactor/dsyevd")->Apply(Sizes);
BENCHMARK(BM_Blocked<TMatrixKind::Random>)->Name("Random/Blocked")->Apply(Sizes);
BENCHMARK(BM_Dsyevr<TMatrixKind::Random>)->Name("Random/dsyevr")->Apply(Sizes);
BENCHMARK(BM_Dsyevd<TMatrixKind::Random>)->Name("Random/dsyevd")->Apply(Sizes);

}  // namespace
