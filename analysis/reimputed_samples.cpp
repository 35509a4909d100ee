// The reduced samples of imputed data, each imputed again.
#include "analysis/reimputed_samples.h"

#include <algorithm>

#include "analysis/pca_imputation.h"
#include "numeric/principal_axes.h"
#include "numeric/statistics.h"

namespace talvex {

TReimputedSamples::TWorkspace::TWorkspace(TSize p, TSize components, std::span<const double> centre)
    : sums(centre), sweep(p, components), values(p), vectors(p, p) {}

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
      centre_(p_) {
  TFloatVector means(p_), deviations(p_);
  ColumnMeansAndDeviations(completed, n_, p_, means, deviations);
  std::copy_n(means.Data(), p_, centre_.begin());
  fullSums_.emplace(centre_);
  std::vector<double> row(p_);
  for (TSize i = 0; i < n_; ++i) {
    for (TSize j = 0; j < p_; ++j) row[j] = completed.Column(j + 1)[i];
    fullSums_->AddRow(row, 1.0);
  }
}

TReimputedSamples::TWorkspace TReimputedSamples::MakeWorkspace() const {
  return TWorkspace(p_, components_, centre_);
}

TSize TReimputedSamples::Decompose(TSize i, TWorkspace& ws) const {
  const TSize left = i - 1;
  ws.sums = *fullSums_;
  std::vector<double>& row = ws.sweep.row;
  for (TSize j = 0; j < p_; ++j) row[j] = completed_.Column(j + 1)[left];
  ws.sums.AddRow(row, -1.0);
  ws.cells.assign(cells_.begin(), cells_.end());
  const TImputedSample sample{completed_, missing_, ws.cells, left};
  TSize sweeps = 0;
  bool converged = false;
  while (sweeps < ImputationIterationLimit) {
    ++sweeps;
    if (ImputationSweep(sample, components_, method_, ws.sums, ws.sweep) < ImputationTolerance) {
      converged = true;
      break;
    }
  }
  if (!converged) ++notConverged_;
  TSize most = mostIterations_.load();
  while (sweeps > most && !mostIterations_.compare_exchange_weak(most, sweeps)) {
  }
  ws.sums.Dispersion(method_, ws.sweep.work);
  double trace = 0.0;
  PrincipalAxesOf(ws.sweep.work, p_, trace, ws.sweep.offDiag, ws.values, ws.vectors);
  return p_ <= n_ - 1 ? p_ : n_ - 2;
}

}  // namespace talvex
