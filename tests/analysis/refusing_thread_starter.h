// A thread starter that starts the system's threads up to a limit, then
// refuses as a system out of threads does.
#pragma once

#include <functional>
#include <system_error>
#include <thread>
#include <utility>

#include "analysis/thread_starter.h"

namespace talvex::testing {

class TRefusingStarter : public TThreadStarter {
 public:
  explicit TRefusingStarter(unsigned allowed) : allowed_(allowed) {}
  std::jthread Start(std::function<void()> work) override {
    ++asked;
    if (started == allowed_)
      throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again),
                              "thread creation refused");
    ++started;
    return std::jthread(std::move(work));
  }
  unsigned asked = 0;
  unsigned started = 0;

 private:
  unsigned allowed_;
};

}  // namespace talvex::testing
