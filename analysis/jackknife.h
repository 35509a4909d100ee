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

#include <memory>
#include <optional>
#include <vector>

#include "analysis/jackknife_collector.h"
#include "analysis/run_observer.h"
#include "analysis/thread_starter.h"
#include "numeric/dispersion_method.h"
#include "numeric/float_matrix.h"
#include "numeric/float_vector.h"

namespace talvex {

class TReimputedSamples;

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

/// The full-sample allometric coefficients and the orientation of the size
/// axis they were formed with (see allometry.h).
struct TJackknifeAllometry {
  const TFloatVector& macs;  // p
  double orientation;        // +1 or -1
};

/// What the reduced samples are made of, known before the full sample is
/// decomposed; everything must outlive the run.
struct TJackknifeData {
  const TFloatMatrix& data;  // the analysed (transformed) data, n x p
  TSize objectCount;
  TSize variableCount;
  TSize axisCount;  // k, 1..p
  DispersionMethod method;
};

/// What the jackknife reads: the reduced samples' data and the full sample's
/// decomposition; everything must outlive the run.
struct TJackknifeInput : TJackknifeData {
  const TFloatVector& eigenvalues;               // full sample, p
  const TFloatMatrix& eigenvectors;              // full sample, p x p
  std::optional<TJackknifeAllometry> allometry;  // only for log-transformed data under covariances
};

/// How the jackknife runs; none of it changes a result.
struct TJackknifeSettings {
  unsigned threads = 0;  // 0: all cores
  TRunObserver* observer = nullptr;
  TThreadStarter& threadStarter = SystemThreadStarter();
  /// Receives every reduced sample in object order; none: nothing is collected.
  TJackknifeCollector* collector = nullptr;
  /// Where the data's missing cells were imputed: each reduced sample is
  /// imputed again (reimputed_samples.h), which does change the results.
  const TReimputedSamples* reimputed = nullptr;
};

/// Which tail a jackknife probability takes.
enum class TJackknifeTail {
  Upper,     // P = |1 - T(t)|, t = estimate / SE: small when the estimate is clearly above 0
  Absolute,  // P = |1 - T(|t|)|: the sign of an eigenvector is arbitrary
  BelowOne,  // P = |T(t)|, t = (estimate - 1) / SE: small when clearly below isometry
};

/// A standard error at or below n eps max(|estimate|, |full-sample value|)
/// is the rounding of n pseudo-values n full - (n - 1) reduced that agree
/// to every digit they carry, and is 0: dividing by it would turn rounding
/// noise into t values of 1e13 and more.
double StandardErrorBeyondRounding(double standardError, double estimate, double full, TSize n);

/// The estimate, standard error and probability of a statistic from the mean
/// of its n pseudo-values, the sum of their squared deviations from it and
/// the statistic's full-sample value,
/// exactly as the jackknife forms them (a standard error of 0 included, and
/// one at rounding level taken as 0, see StandardErrorBeyondRounding).
TJackknifeStatistic FinishJackknifeStatistic(double mean, double squares, TSize n,
                                             TJackknifeTail tail, double full);

/// Runs the leave-one-out loop. Raises the first fault in object order
/// (floating-point faults, ERunCancelled when the observer asks to stop).
/// Threads that cannot be started, or that the workspace budget (256 MB)
/// leaves no room for, are done without: the loop runs on those that did,
/// or on the calling thread alone, with the same results.
TJackknifeResults RunJackknife(const TJackknifeInput& input,
                               const TJackknifeSettings& settings = {});

/// RunJackknife in two steps, so that the reduced samples can be decomposed
/// while the caller decomposes the full sample: under correlations the
/// workers start on construction and fill the ring (which bounds their
/// lead); under covariances they need the full-sample axes and start in
/// Finish. Finish takes the same data, sizes and method, and gives the same
/// results and faults as RunJackknife. Destroying the run unfinished stops
/// its workers.
class TJackknifeRun {
 public:
  TJackknifeRun(const TJackknifeData& data, const TJackknifeSettings& settings = {});
  ~TJackknifeRun();
  TJackknifeRun(const TJackknifeRun&) = delete;
  TJackknifeRun& operator=(const TJackknifeRun&) = delete;

  /// Call once.
  TJackknifeResults Finish(const TJackknifeInput& input);

 private:
  struct TState;
  std::unique_ptr<TState> state_;
};

}  // namespace talvex
