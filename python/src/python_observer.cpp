// Progress and cancelling of a run called from Python.
#include "python_observer.h"

#include <algorithm>

#include "float_flags_guard.h"

namespace talvex::python {

namespace py = pybind11;

namespace {

// How often the interpreter is asked about signals and the callback told:
// well within the second a Ctrl+C may take, and rare enough not to slow the run.
constexpr std::chrono::milliseconds PollInterval(100);

// A step's share of its work is told to the callback as done of this total.
constexpr TSize ShareScale = 1000;

}  // namespace

TPythonObserver::TPythonObserver(py::object progress) : progress_(std::move(progress)) {}

TPythonObserver::~TPythonObserver() {
  py::gil_scoped_acquire lock;
  Py_XDECREF(errorType_);
  Py_XDECREF(errorValue_);
  Py_XDECREF(errorTrace_);
  progress_ = py::object();
}

void TPythonObserver::Poll(bool tell, const std::string& step, TSize done, TSize total) {
  if (errorType_ != nullptr) return;
  py::gil_scoped_acquire lock;
  const TCoreFloatEnvironmentAside aside;
  if (PyErr_CheckSignals() == 0 && tell && !progress_.is_none()) {
    try {
      progress_(step, done, total);
    } catch (py::error_already_set& error) {
      error.restore();
    }
  }
  if (PyErr_Occurred() != nullptr) PyErr_Fetch(&errorType_, &errorValue_, &errorTrace_);
}

void TPythonObserver::StepStarted(const char* step) {
  step_ = step;
  last_ = std::chrono::steady_clock::now();
  Poll(true, step_, 0, 0);
}

void TPythonObserver::JackknifeIteration(TSize objectNumber, TSize objectCount) {
  const auto now = std::chrono::steady_clock::now();
  if (objectNumber != objectCount && now - last_ < PollInterval) return;
  last_ = now;
  Poll(true, step_, objectNumber, objectCount);
}

void TPythonObserver::StepProgress(double share) {
  const auto now = std::chrono::steady_clock::now();
  if (share < 1.0 && now - last_ < PollInterval) return;
  last_ = now;
  Poll(true, step_, TSize(std::clamp(share, 0.0, 1.0) * ShareScale), ShareScale);
}

bool TPythonObserver::CancelRequested() {
  const auto now = std::chrono::steady_clock::now();
  if (now - last_ >= PollInterval) {
    last_ = now;
    Poll(false, step_, 0, 0);
  }
  return errorType_ != nullptr;
}

void TPythonObserver::RaiseStoredError() {
  if (errorType_ == nullptr) return;
  PyErr_Restore(errorType_, errorValue_, errorTrace_);
  errorType_ = errorValue_ = errorTrace_ = nullptr;
  throw py::error_already_set();
}

}  // namespace talvex::python
