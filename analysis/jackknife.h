// The leave-one-out jackknife of a principal components analysis: for every
// object the decomposition is repeated without it, each result becomes a
// pseudo-value n * full - (n - 1) * reduced, and the pseudo-values give
// estimates, standard errors and one-sided probabilities for the eigenvalues,
// the eigenvector coefficients of the first k axes and, for log-transformed
// data under covariances, the allometric coefficients.
//
// Cost: one p x p decomposition per object plus O(p^2) to form its
// dispersion matrix from the full-sample centred sums. The decompositions run
// on a pool of threads; the pseudo-values are accumulated in object order, so
// the results are the same bit for bit for any number of threads.
#pragma once

#include <vector>

#include "analysis/run_observer.h"
#include "analysis/thread_starter.h"
#include "numeric/dispersion_method.h"
#include "numeric/float_matrix.h"
#include "numeric/float_vector.h"

namespace talvex {

struct TJackknifeStatistic {
  double estimate = 0.0;  // mean of the pseudo-values
  double standardError = 0.0;
  double probability = 0.0;
};

struct TJackknifeResults {
  std::vector<TJackknifeStatistic> eigenvalues;  // p, in eigenvalue order
  TSize axisCount = 0;                           // k
  std::vector<TJackknifeStatistic> vectors;      // axis a, variable j at (a - 1) * p + j - 1
  std::vector<TJackknifeStatistic> macs;         // p; empty without allometry
};

struct TJackknifeInput {
  const TFloatMatrix* data = nullptr;  // the analysed (transformed) data, n x p
  TSize objectCount = 0;
  TSize variableCount = 0;
  TSize axisCount = 0;  // k, 1..p
  DispersionMethod method = DispersionMethod::Correlation;
  const TFloatVector* eigenvalues = nullptr;   // full sample, p
  const TFloatMatrix* eigenvectors = nullptr;  // full sample, p x p
  const TFloatVector* macs = nullptr;          // full sample, p; null without allometry
  double macOrientation = 1.0;  // +1 or -1: the size axis points where its coefficients sum > 0
  unsigned threads = 0;         // 0: all cores
  TRunObserver* observer = nullptr;
  TThreadStarter* threadStarter = nullptr;  // null: the system's threads
};

/// Runs the leave-one-out loop. Raises the first fault in object order
/// (floating-point faults, ERunCancelled when the observer asks to stop).
/// Threads that cannot be started, or that the workspace budget (256 MB)
/// leaves no room for, are done without: the loop runs on those that did,
/// or on the calling thread alone, with the same results.
TJackknifeResults RunJackknife(const TJackknifeInput& input);

}  // namespace talvex
