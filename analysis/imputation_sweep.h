// One sweep of regularised iterative PCA imputation (Josse and Husson), the
// step that the full sample and every reduced sample of the jackknife repeat
// until their missing cells stop changing:
//
//   1. the means, and under correlations the standard deviations, of the
//      completed sample and its covariance or correlation matrix M, from
//      sums kept up to date cell by cell (TImputationSums);
//   2. M's eigenpairs (lambda_k, v_k); of the first S kept, each is shrunk
//      by phi_k = (lambda_k - sigma2) / lambda_k, sigma2 the mean of the
//      p - S discarded eigenvalues (the noise the kept axes also carry);
//   3. every missing cell of an object, in the sample's own units
//      z = (x - mean) / scale (scale 1 under covariances), is replaced by
//      sum_k t_k phi_k v_k[j], t_k = z . v_k its object's score on axis k
//      computed from the object's current values.
//
// Cost of a sweep: one p x p decomposition, O(q p S) for the q objects with
// missing cells, and O(p) per changed cell to keep the sums, so a sample's
// dispersion never needs its n rows again.
//
// These sweeps define the fixed point. The way there goes faster by
// subspace sweeps (subspace_imputation.h); the full sample always ends with
// these, and a reduced sample falls back to them where that way fails.
#pragma once

#include <span>
#include <vector>

#include "analysis/missing_cells.h"
#include "numeric/dispersion_method.h"
#include "numeric/float_matrix.h"
#include "numeric/float_vector.h"

namespace talvex {

/// The count, the sums of x - c and the sums of products of x - c of a
/// sample's completed rows, c a fixed centre near the means (the full
/// sample's), so that the products keep the digits of the spread.
class TImputationSums {
 public:
  TImputationSums(std::span<const double> centre);

  /// Adds (sign +1) or removes (sign -1) a completed row of p values.
  void AddRow(std::span<const double> row, double sign);
  /// A row's cells `columns` change by `delta`; `before` is the row (all p
  /// values) before the change.
  void ChangeCells(std::span<const double> before, std::span<const TSize> columns,
                   std::span<const double> delta);

  TSize Count() const noexcept { return count_; }
  /// The sample's means, and its standard deviations (divisor count - 1).
  void MeansAndDeviations(std::vector<double>& means, std::vector<double>& deviations) const;
  /// The covariance or correlation matrix (both triangles) into `work` (p x p).
  void Dispersion(DispersionMethod method, TFloatMatrix& work) const;

 private:
  TSize p_;
  TSize count_ = 0;
  std::vector<double> centre_;
  std::vector<double> first_;     // p: sums of x - c
  std::vector<double> products_;  // p x p, row-major: sums of (x - c)(x - c)^T
};

/// A covariance matrix (both triangles of work, p x p) made a correlation
/// matrix; a variable without spread keeps unit scale. `scale` (p) is work.
void ScaleToCorrelations(TFloatMatrix& work, TSize p, std::span<double> scale);

/// The work containers of a sweep, reused from one sweep to the next.
struct TSweepWork {
  TSweepWork(TSize p, TSize components);
  TFloatMatrix work;  // p x p
  TFloatVector offDiag, values;
  TFloatMatrix vectors;  // p x p
  std::vector<double> means, deviations, scales, shrink, row, centred, scores, delta;
  std::vector<TSize> columns;
};

/// Where a sample's values are: the observed cells of `data` (n x p, objects
/// in rows), the missing ones in `cells` (in TMissingCells order), without
/// the object `leftOut` (0-based; n for none).
struct TImputedSample {
  const TFloatMatrix& data;
  const TMissingCells& missing;
  std::span<double> cells;
  TSize leftOut;
};

/// One sweep (see the file comment) with S = `components`: replaces every
/// missing cell of the sample, keeps `sums` up to date and returns the
/// largest change of a cell in standard deviations of its variable.
double ImputationSweep(const TImputedSample& sample, TSize components, DispersionMethod method,
                       TImputationSums& sums, TSweepWork& work);

/// The model of the sample as the sums stand (steps 1 and 2) into `work`:
/// means, scales, eigenpairs and shrink factors.
void ImputationModel(const TImputationSums& sums, TSize components, DispersionMethod method,
                     TSweepWork& work);

/// Object i's (0-based) current values into row (p).
void SampleRow(const TImputedSample& sample, TSize i, std::span<double> row);

/// Object i's row into work.row, standardised into work.centred, and its
/// shrunk scores on the model's first `components` axes into work.scores.
void ModelScores(const TImputedSample& sample, TSize i, TSize components, TSweepWork& work);

/// The sums of the sample's rows as its cells stand, about `centre`.
TImputationSums SampleSums(const TImputedSample& sample, std::span<const double> centre);

/// How a run of sweeps ended.
struct TSweepRun {
  TSize sweeps = 0;
  double change = 0.0;  // the last sweep's largest change, standard deviations
  bool converged = false;
};

/// Sweeps until the largest change is below `tolerance` or `limit` sweeps
/// have been made, forming the sums again from the rows every so often so
/// that the rounding of many small changes never adds up.
TSweepRun SweepUntilStationary(const TImputedSample& sample, TSize components,
                               DispersionMethod method, double tolerance, TSize limit,
                               TImputationSums& sums, TSweepWork& work);

}  // namespace talvex
