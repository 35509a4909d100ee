// The jackknife's eigen-decomposition (see the header): the stages joined,
// and the one boundary between the one-based containers and the 0-based
// kernels. Inside, T is (diagonal, coupling) with coupling[i] joining rows i
// and i + 1.
#include "numeric/blocked_principal_axes.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "numeric/block_reflector.h"
#include "numeric/blocked_reflections.h"
#include "numeric/container_checks.h"
#include "numeric/float_faults.h"
#include "numeric/panel_reduction.h"
#include "numeric/principal_axes.h"
#include "numeric/rotation_fallback.h"
#include "numeric/split_tridiagonal.h"
#include "numeric/statistics.h"
#include "numeric/subnormal_flush.h"

namespace talvex {

namespace {

/// The reduction by panels where they pay, in one pass per step below.
void ReduceLower(double* A, std::size_t ld, TSize n, double* diagonal, double* coupling,
                 const TCheckpoint& checkpoint = {}) {
  if (n > PanelCrossover) {
    ReduceLowerPanels(A, ld, n, diagonal, coupling, checkpoint);
  } else {
    ReduceLowerBlocked(A, ld, n, diagonal, coupling);
  }
}

}  // namespace

void ReduceToTridiagonalBlocked(TFloatMatrix& a, TSize n, TFloatVector& d, TFloatVector& e) {
  detail::RequireReadable(a, n, n);
  detail::RequireWritable(d, n);
  detail::RequireWritable(e, n);
  std::vector<double> diagonal(n), coupling(n);
  ReduceLower(a.Column(1), a.MaxRows(), n, diagonal.data(), coupling.data());
  AsTridiagonalizeResult(a, n, diagonal.data(), coupling.data(), d, e);
  CheckFloatFaults();
}

TDecompositionPath BlockedPrincipalAxesOf(TFloatMatrix& work, TSize p, double& trace,
                                          TFloatVector& offDiag, TFloatVector& eigenvalues,
                                          TFloatMatrix& eigenvectors) {
  return BlockedPrincipalAxesOf(work, p, trace, offDiag, eigenvalues, eigenvectors, p);
}

namespace {

/// One decomposition in its stages: the reduction on construction, then the
/// tridiagonal eigenvalues (alone or beside another's), then Finish.
class TBlockedAxes {
 public:
  explicit TBlockedAxes(const TBlockedAxesTask& task, const TCheckpoint& reduction = {})
      : task_(task),
        p_(task.p),
        axes_(std::min(std::max<TSize>(task.axisCount, 1), task.p)),
        diagonal_(task.p),
        coupling_(task.p) {
    TFloatMatrix& work = *task.work;
    detail::RequireReadable(work, p_, p_);
    detail::RequireWritable(*task.offDiag, p_);
    detail::RequireWritable(*task.eigenvalues, p_);
    detail::RequireWritable(*task.eigenvectors, p_, p_);
    *task.trace = MatrixTrace(work, p_);
    ReduceLower(work.Column(1), work.MaxRows(), p_, diagonal_.data(), coupling_.data(), reduction);
    CheckFloatFaults();
    solver_.emplace(diagonal_.data(), coupling_.data(), p_);
  }

  TTridiagonalSolver& Solver() { return *solver_; }
  double* Values() { return task_.eigenvalues->Data(); }

  /// The eigenvectors of T, then back through the reflections: no rotation
  /// ever touches a p x p matrix. valuesCause is what the eigenvalues came
  /// to; where they or the vectors cannot be trusted, the rotations decide.
  TDecompositionPath Finish(TFallbackCause valuesCause) {
    TFloatMatrix& eigenvectors = *task_.eigenvectors;
    TDecompositionPath path;
    double* Z = eigenvectors.Column(1);
    const std::size_t ldz = eigenvectors.MaxRows();
    path.fallback = valuesCause != TFallbackCause::None
                        ? valuesCause
                        : solver_->Vectors(axes_, Values(), Z, ldz, path);
    task_.eigenvalues->Extend(p_);
    if (!path.FellBack()) {
      const double* A = task_.work->Column(1);
      const std::size_t ld = task_.work->MaxRows();
      if (p_ > PanelCrossover) {
        ApplyBlockReflectors(A, ld, p_, Z, ldz, axes_);
      } else {
        ApplyReflectionProduct(A, ld, p_, Z, ldz, axes_);
      }
      SignedUnitAxesSummedInLanes(eigenvectors, p_, axes_);
      return path;
    }
    path.twistedVectors = 0;
    path.clusterSizes.clear();
    RotationFallbackAxes(*task_.work, p_, diagonal_.data(), coupling_.data(), *task_.eigenvalues,
                         *task_.offDiag, eigenvectors);
    return path;
  }

 private:
  TBlockedAxesTask task_;
  TSize p_, axes_;
  std::vector<double> diagonal_, coupling_;
  std::optional<TTridiagonalSolver> solver_;
};

}  // namespace

TDecompositionPath BlockedPrincipalAxesOf(TFloatMatrix& work, TSize p, double& trace,
                                          TFloatVector& offDiag, TFloatVector& eigenvalues,
                                          TFloatMatrix& eigenvectors, TSize axisCount,
                                          const TCheckpoint& checkpoint) {
  const TSubnormalsFlushed flushed(p > FastArithmeticAbove);
  const TBlockedAxesCost cost = BlockedAxesCost(p, axisCount);
  TStagedWork stages(checkpoint, cost.Total());
  TBlockedAxes decomposition({&work, p, &trace, &offDiag, &eigenvalues, &eigenvectors, axisCount},
                             stages.Stage(cost.reduction));
  stages.Done(cost.reduction);
  const TFallbackCause valuesCause = decomposition.Solver().Values(decomposition.Values());
  stages.Done(cost.tridiagonal);
  const TDecompositionPath path = decomposition.Finish(valuesCause);
  stages.Done(cost.back);
  return path;
}

TBlockedAxesCost BlockedAxesCost(TSize p, TSize axisCount) {
  const double order = double(p);
  const double axes = double(std::clamp<TSize>(axisCount, 1, std::max<TSize>(p, 1)));
  return {4.0 / 3.0 * order * order * order, 30.0 * order * order, 2.0 * order * order * axes};
}

void BlockedPrincipalAxesOfTwo(const TBlockedAxesTask& first, const TBlockedAxesTask& second,
                               const TCheckpoint& checkpoint) {
  const bool flush = first.p > FastArithmeticAbove;
  if (flush != (second.p > FastArithmeticAbove)) {
    // Each in its own arithmetic, as alone.
    BlockedPrincipalAxesOf(*first.work, first.p, *first.trace, *first.offDiag, *first.eigenvalues,
                           *first.eigenvectors, first.axisCount, checkpoint);
    BlockedPrincipalAxesOf(*second.work, second.p, *second.trace, *second.offDiag,
                           *second.eigenvalues, *second.eigenvectors, second.axisCount, checkpoint);
    return;
  }
  const TSubnormalsFlushed flushed(flush);
  TBlockedAxes a(first, checkpoint), b(second, checkpoint);
  if (TTridiagonalSolver::ValuesOfTwo(a.Solver(), a.Values(), b.Solver(), b.Values())) {
    a.Finish(TFallbackCause::None);
    b.Finish(TFallbackCause::None);
    return;
  }
  // Each alone, as BlockedPrincipalAxesOf would, which tells whose the
  // trouble is.
  a.Finish(a.Solver().Values(a.Values()));
  b.Finish(b.Solver().Values(b.Values()));
}

}  // namespace talvex
