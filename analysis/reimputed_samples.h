// TReimputedSamples: the jackknife's reduced samples of data whose missing
// cells were imputed. Leaving an object out changes the model the cells were
// imputed from, so each reduced sample is imputed again, with the same S,
// starting from the full sample's completed values: the pseudo-values then
// carry the imputation's own variability, not only the sampling of the
// objects. The left-out object's cells, missing or known, play no part.
//
// Each sample starts from the full sample's sums (imputation_sweep.h) less
// the left-out row, and sweeps until its cells change by less than
// ImputationTolerance; its dispersion matrix is then that of its own
// re-imputed rows, and is decomposed as it stands. Cost per sample: a few
// sweeps (the full sample's values are close to the reduced sample's fixed
// point), each one p x p decomposition and O(q p S) for the q objects with
// missing cells.
#pragma once

#include <atomic>
#include <optional>
#include <span>
#include <vector>

#include "analysis/imputation_sweep.h"
#include "analysis/missing_cells.h"
#include "numeric/dispersion_method.h"
#include "numeric/float_matrix.h"
#include "numeric/float_vector.h"

namespace talvex {

class TReimputedSamples {
 public:
  /// Per-thread work containers, reused for every object a thread handles.
  struct TWorkspace {
    TWorkspace(TSize p, TSize components, std::span<const double> centre);
    TImputationSums sums;
    std::vector<double> cells;
    TSweepWork sweep;
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

  /// Eigenvalues (all p) and eigenvectors of the sample without object i
  /// (1..n), re-imputed, into ws.values and ws.vectors; returns the number of
  /// axes the reduced sample determines (p, or n - 2 with more variables
  /// than that). Thread-safe for distinct workspaces.
  TSize Decompose(TSize i, TWorkspace& ws) const;

  /// Reduced samples that reached the iteration limit, and the most sweeps
  /// one needed, so far.
  TSize NotConverged() const noexcept { return notConverged_.load(); }
  TSize MostIterations() const noexcept { return mostIterations_.load(); }

 private:
  const TFloatMatrix& completed_;
  const TMissingCells& missing_;
  std::vector<double> cells_;
  TSize components_;
  DispersionMethod method_;
  TSize n_, p_;
  std::vector<double> centre_;
  std::optional<TImputationSums> fullSums_;
  mutable std::atomic<TSize> notConverged_{0};
  mutable std::atomic<TSize> mostIterations_{0};
};

}  // namespace talvex
