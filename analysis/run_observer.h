// TRunObserver: how a front end follows a long analysis run and stops it.
// The run calls it from the thread that runs the analysis.
#pragma once

#include "base/exception.h"
#include "numeric/sizes.h"

namespace talvex {

class TRunObserver {
 public:
  virtual ~TRunObserver() = default;
  /// At the start of each step of the run ("Basic statistics", "Dispersion
  /// matrix", "Eigen-decomposition", "Component scores", "Jackknife"), so a
  /// long run without the jackknife shows where it is.
  virtual void StepStarted(const char* step) { (void)step; }
  /// Once per object of the leave-one-out loop, in object order (1..objectCount).
  virtual void JackknifeIteration(TSize objectNumber, TSize objectCount) {
    (void)objectNumber;
    (void)objectCount;
  }
  /// Within a long step that has no objects to count (the eigen-decomposition
  /// of more than ExactSchemeVariables variables), the share of its work
  /// done, 0 to 1, at intervals of a fraction of a second.
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

}  // namespace talvex
