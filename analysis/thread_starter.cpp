// The system's threads as a TThreadStarter.
#include "analysis/thread_starter.h"

#include <utility>

namespace talvex {

namespace {

class TSystemThreadStarter : public TThreadStarter {
 public:
  std::jthread Start(std::function<void()> work) override { return std::jthread(std::move(work)); }
};

}  // namespace

TThreadStarter& SystemThreadStarter() {
  static TSystemThreadStarter starter;
  return starter;
}

}  // namespace talvex
