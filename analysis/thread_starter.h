// TThreadStarter: how the jackknife starts its worker threads. A system out
// of threads refuses with std::system_error; the jackknife then goes on with
// the workers it has. Tests supply a starter that refuses on purpose.
#pragma once

#include <functional>
#include <thread>

namespace talvex {

class TThreadStarter {
 public:
  virtual ~TThreadStarter() = default;
  /// Runs `work` on a new thread, joined when the result is destroyed.
  /// Raises std::system_error when no thread can be started.
  virtual std::jthread Start(std::function<void()> work) = 0;
};

/// The system's threads.
TThreadStarter& SystemThreadStarter();

}  // namespace talvex
