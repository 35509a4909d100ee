// Missing cells imputed by regularised iterative PCA (Josse and Husson) on
// the data as the analysis sees them: after the transformation, and
// standardised under the correlation method. Start from the column means of
// the known values, then sweep (imputation_sweep.h) until the largest change
// of a cell is below ImputationTolerance standard deviations of its
// variable, or ImputationIterationLimit sweeps have been made (the run then
// warns). The imputed cells are then the regularised reconstruction of the
// completed data by its first S axes, to the tolerance.
//
// S is given, or chosen by generalised cross-validation over 0 .. min(n - 2,
// p - 1, MaxChosenComponents): each S is imputed from the column means, and
//   GCV(S) = N RSS(S) / (N - p - S (n - 1 + p - S))^2,
// N the known cells, RSS(S) the sum over them of the squared differences
// between the value and its regularised reconstruction (in the analysis's
// units); the smallest GCV wins (ties: the smaller S). An S whose
// denominator is not positive (as many parameters as known cells) is not
// eligible.
//
// The way to the fixed point is subspace sweeps (subspace_imputation.h),
// then plain sweeps (imputation_sweep.h) until the change is below the
// tolerance, so that the cells are the plain sweep's fixed point whichever
// way led there. Cost: per subspace sweep O(R p S) for the R objects with
// missing cells, per plain sweep one p x p decomposition besides (the last
// one or two); choosing S repeats the imputation for each candidate.
//
// Message ImputeMissingCells raises besides those of CheckImputable:
//   "The number of imputation components must be between 0 and <m>"
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/missing_cells.h"
#include "numeric/dispersion_method.h"
#include "numeric/float_matrix.h"
#include "numeric/float_vector.h"
#include "numeric/sizes.h"

namespace talvex {

/// The largest change of a cell, in standard deviations of its variable,
/// below which the imputation has converged: the imputed cells are then the
/// reconstruction to about 1e-10 of the spread, far below what the listing
/// prints and below the 1e-8 a recomputation checks.
inline constexpr double ImputationTolerance = 1e-10;
/// Sweeps made before giving up: each removes a fixed share of the remaining
/// error, a share that comes near 1 only when most of a variable is missing
/// and its axes are barely told apart; beyond this the run warns.
inline constexpr TSize ImputationIterationLimit = 10000;
/// The largest S generalised cross-validation considers.
inline constexpr TSize MaxChosenComponents = 5;

/// What the imputation of a run did.
struct TImputationSummary {
  TSize missingCount = 0;
  TSize components = 0;      // S
  bool chosen = false;       // S chosen by generalised cross-validation
  std::vector<double> gcv;   // S = 0, 1, ...: the criterion; +infinity where not eligible
  TSize iterations = 0;      // sweeps of the full sample
  double finalChange = 0.0;  // the last sweep's largest change, in standard deviations
  bool converged = true;     // false: the iteration limit was reached
  // The jackknife's reduced samples, where it ran with imputation:
  TSize reducedSamples = 0;
  TSize reducedNotConverged = 0;  // reduced samples that reached the limit
  TSize reducedMostIterations = 0;
  TSize reducedIterations = 0;  // the sweeps of all of them
};

/// What a run with imputed cells keeps for its exports and plots.
struct TImputationResult {
  TImputationSummary summary;
  /// The data with every missing cell imputed, in the data's own units (the
  /// imputed value taken back through the transformation), in the order of
  /// TDataMatrix::values; the data's mask tells which cells were imputed.
  TFloatVector values{0};
};

/// The largest S the data allow: min(n - 2, p - 1).
TSize MaxImputationComponents(TSize n, TSize p);

/// Imputes the missing cells of `x` (n x p, objects in rows; the values of
/// the missing cells are ignored) in place, with S = `components` or S
/// chosen by generalised cross-validation. `cells` receives the imputed
/// values in TMissingCells order. Raises the floating-point faults of the
/// decompositions.
TImputationSummary ImputeMissingCells(TFloatMatrix& x, const TMissingCells& missing,
                                      DispersionMethod method, std::optional<TSize> components,
                                      std::vector<double>& cells);

/// The listing's header note: "N missing values imputed by iterative PCA
/// (S components)".
std::string ImputationNote(const TImputationSummary& summary);

/// Warnings for the front ends: the iteration limit reached, by the full
/// sample or by reduced samples.
std::vector<std::string> ImputationWarnings(const TImputationSummary& summary);

}  // namespace talvex
