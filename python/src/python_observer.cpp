// Progress and cancelling of a run called from Python.
#include "python_observer.h"

namespace talvex::python {

namespace py = pybind11;

namespace {

// How often the interpreter is asked about signals and the callback told:
// well within the second a Ctrl+C may take, and rare enough not to slow the run.
constexpr std::chrono::milliseconds PollInterval(100);

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
