// The full sample's imputation, and the choice of S.
#include "analysis/pca_imputation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "analysis/imputation_sweep.h"
#include "analysis/subspace_imputation.h"
#include "base/exception.h"
#include "numeric/float_faults.h"
#include "numeric/statistics.h"

namespace talvex {

namespace {

// The column means of the known values, as the imputation's start.
std::vector<double> KnownMeans(const TFloatMatrix& x, const TMissingCells& missing) {
  std::vector<double> means, deviations;
  KnownMeansAndDeviations(x, missing, means, deviations);
  return means;
}

struct TConvergence {
  TSize iterations = 0;
  double change = 0.0;
  bool converged = false;
};

// From the column means, subspace sweeps most of the way, then plain sweeps
// until the change is below the tolerance: the fixed point is the plain
// sweep's, whichever way led to it.
TConvergence Impute(const TFloatMatrix& x, const TMissingCells& missing, TSize components,
                    DispersionMethod method, std::vector<double>& cells) {
  const std::vector<double> start = KnownMeans(x, missing);
  cells.resize(missing.Count());
  for (std::size_t c = 0; c < cells.size(); ++c) cells[c] = start[missing.Column(c)];
  const TSize n = missing.ObjectCount();
  const TSubspaceImputation subspace(x, missing, cells, components, method);
  TSubspaceImputation::TWorkspace ws = subspace.MakeWorkspace();
  const TSubspaceImputation::TOutcome fast =
      subspace.Solve(n, subspace.LeadingAxes(), ImputationTolerance, SubspaceSweepLimit, ws);
  CheckFloatFaults();
  // Where the subspace sweeps failed the plain ones start again from the
  // column means.
  if (fast.converged) subspace.Cells(ws, cells);
  const TImputedSample sample{x, missing, cells, n};
  TSweepWork work(missing.VariableCount(), components);
  TImputationSums sums = SampleSums(sample, start);
  const TSweepRun plain = SweepUntilStationary(sample, components, method, ImputationTolerance,
                                               ImputationIterationLimit - fast.sweeps, sums, work);
  return {fast.sweeps + plain.sweeps, plain.change, plain.converged};
}

// N RSS / (N - p - S (n - 1 + p - S))^2 of a converged imputation.
double GeneralisedCrossValidation(const TFloatMatrix& x, const TMissingCells& missing,
                                  TSize components, DispersionMethod method,
                                  std::vector<double>& cells) {
  const TSize n = missing.ObjectCount();
  const TSize p = missing.VariableCount();
  const double known = double(n) * double(p) - double(missing.Count());
  const double parameters = double(p) + double(components) * double(n - 1 + p - components);
  if (!(known - parameters > 0.0)) return std::numeric_limits<double>::infinity();
  const TImputedSample sample{x, missing, cells, n};
  TSweepWork w(p, components);
  ImputationModel(SampleSums(sample, KnownMeans(x, missing)), components, method, w);
  double squares = 0.0;
  for (TSize i = 0; i < n; ++i) {
    ModelScores(sample, i, components, w);
    std::size_t c = missing.First(i);
    for (TSize j = 0; j < p; ++j) {
      if (c < missing.Last(i) && missing.Column(c) == j) {
        ++c;
        continue;
      }
      double fitted = 0.0;
      for (TSize k = 0; k < components; ++k) fitted += w.scores[k] * w.vectors.Column(k + 1)[j];
      const double residual = w.centred[j] - fitted;
      squares += residual * residual;
    }
  }
  CheckFloatFaults();
  const double denominator = known - parameters;
  return known * squares / (denominator * denominator);
}

std::string Counted(TSize count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

TSize MaxImputationComponents(TSize n, TSize p) {
  return std::min(n >= 2 ? n - 2 : 0, p >= 1 ? p - 1 : 0);
}

TImputationSummary ImputeMissingCells(TFloatMatrix& x, const TMissingCells& missing,
                                      DispersionMethod method, std::optional<TSize> components,
                                      std::vector<double>& cells) {
  const TSize n = missing.ObjectCount();
  const TSize p = missing.VariableCount();
  const TSize most = MaxImputationComponents(n, p);
  TImputationSummary summary;
  summary.missingCount = TSize(missing.Count());
  TConvergence convergence;
  if (components) {
    if (*components > most)
      throw Exception("The number of imputation components must be between 0 and " +
                      std::to_string(most));
    summary.components = *components;
    convergence = Impute(x, missing, summary.components, method, cells);
  } else {
    summary.chosen = true;
    double best = std::numeric_limits<double>::infinity();
    std::vector<double> candidate;
    for (TSize s = 0; s <= std::min(most, MaxChosenComponents); ++s) {
      const TConvergence tried = Impute(x, missing, s, method, candidate);
      const double gcv = GeneralisedCrossValidation(x, missing, s, method, candidate);
      summary.gcv.push_back(gcv);
      if (gcv < best || s == 0) {
        best = std::min(best, gcv);
        summary.components = s;
        convergence = tried;
        cells = candidate;
      }
    }
  }
  summary.iterations = convergence.iterations;
  summary.finalChange = convergence.change;
  summary.converged = convergence.converged;
  for (const TSize i : missing.Rows())
    for (std::size_t c = missing.First(i); c < missing.Last(i); ++c)
      x.Column(missing.Column(c) + 1)[i] = cells[c];
  return summary;
}

std::string ImputationNote(const TImputationSummary& summary) {
  return Counted(summary.missingCount, "missing value", "missing values") +
         " imputed by iterative PCA (" + Counted(summary.components, "component", "components") +
         ")";
}

std::vector<std::string> ImputationWarnings(const TImputationSummary& summary) {
  std::vector<std::string> warnings;
  char change[32];
  std::snprintf(change, sizeof change, "%.3g", summary.finalChange);
  if (!summary.converged)
    warnings.push_back(
        "the imputation of the missing values stopped after " + std::to_string(summary.iterations) +
        " sweeps without converging (last change " + change + " standard deviations)");
  if (summary.reducedNotConverged > 0)
    warnings.push_back("the re-imputation of " +
                       Counted(summary.reducedNotConverged, "reduced sample", "reduced samples") +
                       " of the jackknife stopped at " + std::to_string(ImputationIterationLimit) +
                       " sweeps without converging");
  return warnings;
}

}  // namespace talvex
