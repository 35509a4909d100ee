// TSubspaceImputation: regularised iterative PCA imputation (the sweep of
// imputation_sweep.h) without a p x p decomposition per sweep, for the
// jackknife's reduced samples and the full sample's way to its fixed point.
//
// The model of a sweep needs only the first S eigenpairs of the dispersion
// matrix M and its trace (sigma2 is the mean of the discarded eigenvalues,
// (trace - sum of the kept) / (p - S)). Each sweep forms M and carries the
// last sweep's S axes into a few steps of subspace iteration with a
// Rayleigh-Ritz step (p^2 S each), until the subspace stands still: the
// Ritz pairs are then M's leading eigenpairs, as the plain sweep's full
// decomposition gives them, unless the iteration started orthogonal to the
// leading subspace; callers check that (RitzValuesAreLeading) and otherwise
// finish with the plain sweeps.
//
// The cells of each object are then made consistent with their own row for
// that model (a system of one equation per missing cell of the object, see
// Sweep): the same fixed point as the plain sweep's, reached without the
// slow self-coupling of a row's cells through its own scores. The sweeps
// are accelerated (anderson_mixing.h) once the change shrinks steadily,
// restarted when it grows, and left plain after repeated restarts; they stop
// when the cells change by less than the tolerance, in standard deviations,
// and the subspace has settled.
//
// M is formed without the n rows: the rows without missing cells enter only
// through the sums of the base completion (the full sample's, with its
// cells), the rows with missing cells through their base values Y0 and the
// offsets E of their cells from the base: for y = x - c (c a fixed centre),
//   sum y y^T = P - y_l y_l^T + Y0^T E + E^T Y0 + E^T E,
// P the base's sums of products and y_l the left-out row. The objects'
// scores are Y0 W + E W, W the axes scaled; Y0 is held in blocks of
// LaneCount rows for vector lanes.
//
// Cost per sweep: R p S for the scores of the R objects with missing cells,
// q p for E^T Y0 (q missing cells), p^2 S per subspace step, and per object
// a system of its own missing cells. Results are the same bits for any
// number of threads (each sample is solved by one thread in a fixed order).
#pragma once

#include <cstddef>
#include <limits>
#include <span>
#include <vector>

#include "analysis/anderson_mixing.h"
#include "analysis/missing_cells.h"
#include "numeric/dispersion_method.h"
#include "numeric/float_matrix.h"
#include "numeric/float_vector.h"

namespace talvex {

/// Sweeps of the subspace path kept in the accelerated iteration before the
/// plain one takes over; the acceleration lets it through the slow cases
/// within a few hundred.
inline constexpr TSize SubspaceSweepLimit = 1000;

class TSubspaceImputation {
 public:
  /// The state of one sample's solve, reused from sample to sample.
  struct TWorkspace {
    TWorkspace(std::size_t cells, TSize p, TSize components, std::size_t laneRows);
    std::vector<double> offsets, next;          // q: cells less their base values (E)
    std::vector<double> axes, nextAxes;         // p x S, column-major: V, then the Ritz vectors
    std::vector<double> weights;                // p x S: the axes scaled by 1 / the scales
    std::vector<double> rowScores, cellScores;  // lanes: Y0 W and E W
    std::vector<double> product;                // p x S: M V
    std::vector<double> rotated;                // p x S: Ritz vectors V Z
    std::vector<double> firsts, squares, means, deviations, scales;  // p
    std::vector<double> ritzValues, shrink, scores, centredMeans;    // S
    TFloatMatrix ritz, rotation;                                     // S x S
    TFloatVector ritzWork;                                           // S
    std::vector<double> leftRow;                                     // p
    TFloatMatrix dense;                                  // p x p: the sweep's dispersion matrix
    std::vector<double> sums, kernel;                    // p x p: its sums, E^T Y0
    std::vector<double> model;                           // p x p: U Phi U^T
    std::vector<double> rowSystem, rowValues, currents;  // one object's cells: I - A_JJ, g, z_J
    std::vector<double> state, image;                    // q: what the acceleration mixes
    TAndersonMixing mixing;
  };

  /// How a solve ended.
  struct TOutcome {
    TSize sweeps = 0;
    double change = 0.0;     // the last sweep's largest change of a cell, standard deviations
    bool converged = false;  // cells and basis below the tolerance
    bool brokeDown = false;  // the basis lost its rank: use the plain sweeps
  };

  /// `data` (n x p, objects in rows; missing cells ignored) completed by
  /// `baseCells` (TMissingCells order) is the base every sample starts from.
  /// `data` and `missing` must outlive this object.
  TSubspaceImputation(const TFloatMatrix& data, const TMissingCells& missing,
                      std::span<const double> baseCells, TSize components, DispersionMethod method);

  TWorkspace MakeWorkspace() const;

  /// Solves the sample without object `leftOut` (0-based; n for none), its
  /// cells starting at the base values and its axes at `startAxes` (p x S,
  /// column-major, orthonormal), until its cells change by less than
  /// `tolerance` with the subspace settled, or `limit` sweeps. The cells are
  /// then ws.offsets, the last model's eigenvalues ws.ritzValues. A reduced
  /// sample (leftOut < n) is taken to start near its fixed point (the base
  /// being the full sample's): it is accelerated from its second sweep.
  TOutcome Solve(TSize leftOut, std::span<const double> startAxes, double tolerance, TSize limit,
                 TWorkspace& ws) const;

  /// The sample's cells (base values plus ws.offsets) into `cells`.
  void Cells(const TWorkspace& ws, std::span<double> cells) const;

  /// The covariance or correlation matrix (both triangles) of the sample
  /// without `leftOut` with its cells as ws holds them, into `work` (p x p).
  void Dispersion(TSize leftOut, TWorkspace& ws, TFloatMatrix& work) const;

  /// The first S eigenvectors (p x S, column-major) of the base's dispersion
  /// matrix: the basis the reduced samples start from.
  std::vector<double> LeadingAxes() const;

  TSize Components() const noexcept { return S_; }

 private:
  struct TChange {
    double cells = 0.0;
    double axes = 0.0;
    bool brokeDown = false;
  };
  static constexpr TSize NoRow = std::numeric_limits<TSize>::max();

  void SampleSums(TSize leftOut, TWorkspace& ws) const;
  double LeadingSubspace(TWorkspace& ws, double tolerance) const;
  TChange Sweep(TSize leftOut, TWorkspace& ws, double tolerance) const;
  /// The sweep's model: the Ritz axes, their shrink factors and the objects'
  /// scores; false when the subspace iteration broke down.
  bool FitModel(TSize leftOut, TWorkspace& ws, double tolerance, TChange& change) const;
  /// The sweep's new cells, each object's solved for the model at once.
  void SolveCells(TSize leftOut, TWorkspace& ws, TChange& change) const;
  void BaseRow(TSize i, std::span<double> row) const;

  const TFloatMatrix& data_;
  const TMissingCells& missing_;
  TSize n_, p_, S_;
  DispersionMethod method_;
  std::vector<double> centre_;     // p: the base's means
  std::vector<double> firsts_;     // p: sums of x - c over the base's rows
  std::vector<double> products_;   // p x p, row-major: sums of (x - c)(x - c)^T
  std::vector<double> blocks_;     // the rows with missing cells less c, LaneCount rows a block
  std::vector<double> baseRows_;   // the same row by row
  std::vector<TSize> gapRow_;      // n: an object's place among those rows, or NoRow
  std::vector<TSize> cellRow_;     // q: the place of each cell's object
  std::vector<double> baseCells_;  // q: the base values of the cells
  std::vector<double> baseDeviations_;  // p: the scale of the cells in the acceleration
};

/// Whether `ritz` (S values) are the S largest of `eigenvalues` (descending),
/// to a relative 1e-6 of the largest: the subspace a solve ended in is then
/// the dominant one.
bool RitzValuesAreLeading(std::span<const double> ritz, const TFloatVector& eigenvalues);

}  // namespace talvex
