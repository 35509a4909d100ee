// TReimputedSamples: the jackknife's reduced samples of data whose missing
// cells were imputed. Leaving an object out changes the model the cells were
// imputed from, so each reduced sample is imputed again, with the same S,
// starting from the full sample's completed values: the pseudo-values then
// carry the imputation's own variability, not only the sampling of the
// objects. The left-out object's cells, missing or known, play no part.
//
// Each sample starts from the full sample's cells and its first S axes and
// is solved by subspace sweeps (subspace_imputation.h) until its cells
// change by less than ReducedImputationTolerance; its dispersion
// matrix is then that of its own re-imputed rows, and is decomposed as it
// stands. That decomposition also checks the way there: where the Ritz
// values of the last sweep are not the S largest eigenvalues (or the solve
// failed), the sample is imputed again by plain sweeps (imputation_sweep.h)
// from the full sample's cells, as it was before the subspace sweeps, and
// decomposed again. Cost per sample: a few subspace sweeps (the full
// sample's values are close to the reduced sample's fixed point), each
// O(R p S + q p) for the R objects with missing cells and the q cells, then
// one p x p decomposition.
#pragma once

#include <atomic>
#include <span>
#include <vector>

#include "analysis/missing_cells.h"
#include "analysis/pca_imputation.h"
#include "analysis/subspace_imputation.h"
#include "numeric/dispersion_method.h"
#include "numeric/float_matrix.h"
#include "numeric/float_vector.h"

namespace talvex {

/// The tolerance of a reduced sample's cells, in standard deviations: the
/// full sample's. A pseudo-value carries a reduced sample's error times
/// n - 1, and the listing prints standard errors to 8 decimals: at
/// 2000 x 50 with 5% missing, 1e-8 changed the last decimal of two standard
/// errors and 1e-9 of none, and a sweep shrinks the change some 20 to 50
/// times, so the full sample's 1e-10 keeps a margin for one sweep more.
inline constexpr double ReducedImputationTolerance = ImputationTolerance;

class TReimputedSamples {
 public:
  /// Per-thread work containers, reused for every object a thread handles.
  struct TWorkspace {
    TWorkspace(const TSubspaceImputation& subspace, TSize p);
    TSubspaceImputation::TWorkspace solve;
    TFloatMatrix work;     // p x p
    TFloatVector offDiag;  // p
    TFloatVector values;   // p: reduced eigenvalues, descending
    TFloatMatrix vectors;  // p x p: reduced eigenvectors
  };

  /// `completed` (n x p, the full sample with its imputed cells) and
  /// `missing` must outlive this object; `cells` are the imputed values in
  /// TMissingCells order.
  TReimputedSamples(const TFloatMatrix& completed, const TMissingCells& missing,
                    std::span<const double> cells, TSize components, DispersionMethod method);

  /// A workspace for this data.
  TWorkspace MakeWorkspace() const;

  /// Eigenvalues (all p) and the eigenvectors of the first `axisCount` axes
  /// (1..p; the jackknife's) of the sample without object i (1..n),
  /// re-imputed, into ws.values and ws.vectors; returns the number of axes
  /// the reduced sample determines (p, or n - 2 with more variables than
  /// that). Thread-safe for distinct workspaces.
  TSize Decompose(TSize i, TWorkspace& ws, TSize axisCount) const;

  /// Reduced samples that reached the iteration limit, the most sweeps one
  /// needed, the sweeps of all, and the samples finished by plain sweeps,
  /// so far.
  TSize NotConverged() const noexcept { return notConverged_.load(); }
  TSize MostIterations() const noexcept { return mostIterations_.load(); }
  TSize TotalIterations() const noexcept { return totalIterations_.load(); }
  TSize PlainFinishes() const noexcept { return plainFinishes_.load(); }

 private:
  const TFloatMatrix& completed_;
  const TMissingCells& missing_;
  std::vector<double> cells_;
  TSize components_;
  DispersionMethod method_;
  TSize n_, p_;
  std::vector<double> centre_;  // p: the full sample's means
  TSubspaceImputation subspace_;
  std::vector<double> startAxes_;  // p x S: the full sample's first S axes
  mutable std::atomic<TSize> notConverged_{0};
  mutable std::atomic<TSize> mostIterations_{0};
  mutable std::atomic<TSize> totalIterations_{0};
  mutable std::atomic<TSize> plainFinishes_{0};
};

}  // namespace talvex
