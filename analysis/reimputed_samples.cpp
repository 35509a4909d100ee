// The reduced samples of imputed data, each imputed again.
#include "analysis/reimputed_samples.h"

#include <algorithm>

#include "analysis/imputation_sweep.h"
#include "analysis/pca_imputation.h"
#include "numeric/blocked_principal_axes.h"
#include "numeric/float_faults.h"
#include "numeric/statistics.h"

namespace talvex {

TReimputedSamples::TWorkspace::TWorkspace(const TSubspaceImputation& subspace, TSize p)
    : solve(subspace.MakeWorkspace()), work(p, p), offDiag(p), values(p), vectors(p, p) {}

TReimputedSamples::TReimputedSamples(const TFloatMatrix& completed, const TMissingCells& missing,
                                     std::span<const double> cells, TSize components,
                                     DispersionMethod method)
    : completed_(completed),
      missing_(missing),
      cells_(cells.begin(), cells.end()),
      components_(components),
      method_(method),
      n_(missing.ObjectCount()),
      p_(missing.VariableCount()),
      centre_(p_),
      subspace_(completed, missing, cells, components, method),
      startAxes_(subspace_.LeadingAxes()) {
  TFloatVector means(p_), deviations(p_);
  ColumnMeansAndDeviations(completed, n_, p_, means, deviations);
  std::copy_n(means.Data(), p_, centre_.begin());
}

TReimputedSamples::TWorkspace TReimputedSamples::MakeWorkspace() const {
  return TWorkspace(subspace_, p_);
}

TSize TReimputedSamples::Decompose(TSize i, TWorkspace& ws, TSize axisCount) const {
  const TSize left = i - 1;
  const TSubspaceImputation::TOutcome outcome =
      subspace_.Solve(left, startAxes_, ReducedImputationTolerance, SubspaceSweepLimit, ws.solve);
  CheckFloatFaults();
  subspace_.Dispersion(left, ws.solve, ws.work);
  double trace = 0.0;
  BlockedPrincipalAxesOf(ws.work, p_, trace, ws.offDiag, ws.values, ws.vectors, axisCount);
  TSize sweeps = outcome.sweeps;
  bool converged = outcome.converged;
  if (!converged || !RitzValuesAreLeading(ws.solve.ritzValues, ws.values)) {
    // The subspace sweeps failed or found another invariant subspace than
    // the leading one: the plain sweeps start again from the full sample's
    // cells.
    ++plainFinishes_;
    std::vector<double> cells(cells_);
    const TImputedSample sample{completed_, missing_, cells, left};
    TSweepWork work(p_, components_);
    TImputationSums sums = SampleSums(sample, centre_);
    const TSweepRun plain =
        SweepUntilStationary(sample, components_, method_, ReducedImputationTolerance,
                             ImputationIterationLimit - sweeps, sums, work);
    sweeps += plain.sweeps;
    converged = plain.converged;
    sums.Dispersion(method_, ws.work);
    BlockedPrincipalAxesOf(ws.work, p_, trace, ws.offDiag, ws.values, ws.vectors, axisCount);
  }
  if (!converged) ++notConverged_;
  totalIterations_ += sweeps;
  TSize most = mostIterations_.load();
  while (sweeps > most && !mostIterations_.compare_exchange_weak(most, sweeps)) {
  }
  return p_ <= n_ - 1 ? p_ : n_ - 2;
}

}  // namespace talvex
