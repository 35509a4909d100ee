// How a run in the core is followed from Python: the run goes on the calling
// thread with the interpreter's lock released; every tenth of a second the
// observer takes the lock back for a moment to run the signal handlers (so
// Ctrl+C stops the run) and to tell the progress callback. A Python error
// raised there (KeyboardInterrupt, or the callback's own) cancels the run
// and is raised in its place.
#pragma once

#include <pybind11/pybind11.h>

#include <chrono>
#include <string>

#include "analysis/run_observer.h"

namespace talvex::python {

class TPythonObserver : public TRunObserver {
 public:
  /// `progress` is None or a callable (step, done, total).
  explicit TPythonObserver(pybind11::object progress);
  ~TPythonObserver() override;
  TPythonObserver(const TPythonObserver&) = delete;
  TPythonObserver& operator=(const TPythonObserver&) = delete;

  void StepStarted(const char* step) override;
  void JackknifeIteration(TSize objectNumber, TSize objectCount) override;
  /// Told as (step, thousandths done, 1000).
  void StepProgress(double share) override;
  bool CancelRequested() override;

  /// Raises the Python error that stopped the run, if one did (call with the
  /// lock held).
  void RaiseStoredError();

 private:
  /// With the lock held: the signal handlers, then the callback when told.
  void Poll(bool tell, const std::string& step, TSize done, TSize total);

  pybind11::object progress_;
  std::chrono::steady_clock::time_point last_;
  std::string step_;
  PyObject* errorType_ = nullptr;
  PyObject* errorValue_ = nullptr;
  PyObject* errorTrace_ = nullptr;
};

}  // namespace talvex::python
