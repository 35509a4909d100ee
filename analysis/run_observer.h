// TRunObserver: how a front end follows a long analysis run and stops it.
// The run calls it from the thread that runs the analysis.
#pragma once

#include "base/exception.h"
#include "numeric/sizes.h"
#include "numeric/work_checkpoint.h"

namespace talvex {

class TRunObserver {
 public:
  virtual ~TRunObserver() = default;
  /// At the start of each step of the run ("Basic statistics", "Dispersion
  /// matrix", "Eigen-decomposition", "Component scores", "Jackknife"; beyond
  /// ExactSchemeVariables "Jackknife preparation" before the
  /// eigen-decomposition), so a long run without the jackknife shows where
  /// it is.
  virtual void StepStarted(const char* step) { (void)step; }
  /// Once per object of the leave-one-out loop, in object order (1..objectCount).
  virtual void JackknifeIteration(TSize objectNumber, TSize objectCount) {
    (void)objectNumber;
    (void)objectCount;
  }
  /// Within a long step that has no objects to count (the jackknife's
  /// preparation and the eigen-decomposition of more than
  /// ExactSchemeVariables variables), the share of its work done, 0 to 1, at
  /// intervals of a fraction of a second.
  virtual void StepProgress(double share) { (void)share; }
  /// Polled between pieces of work, at the latest every fraction of a
  /// second in the long loops; returning true stops the run with ERunCancelled.
  virtual bool CancelRequested() { return false; }
};

// A run stopped by the user; it ends like a failed run.
class ERunCancelled : public Exception {
 public:
  ERunCancelled() : Exception("Analysis cancelled") {}
};

/// A checkpoint of the numerics' long loops that tells `observer` the share
/// of the step done and stops the run with ERunCancelled when it asks; empty
/// without an observer.
inline TCheckpoint ObservedCheckpoint(TRunObserver* observer) {
  if (observer == nullptr) return {};
  return [observer](double share) {
    observer->StepProgress(share);
    if (observer->CancelRequested()) throw ERunCancelled();
  };
}

}  // namespace talvex
