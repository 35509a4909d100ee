// Test-only: the armed fault, and the definition of PendingWriteFault that
// replaces the program's for the tests that link this target.
#include "tests/support/write_fault_seam.h"

#include <atomic>
#include <mutex>

namespace talvex {
namespace {

std::mutex faultMutex;
std::optional<TWriteFault> armedFault;
std::atomic<bool> faultArmed{false};

}  // namespace

std::optional<TWriteFault> PendingWriteFault() {
  if (!faultArmed.load(std::memory_order_acquire)) return std::nullopt;
  std::lock_guard lock(faultMutex);
  return armedFault;
}

TScopedWriteFault::TScopedWriteFault(const TWriteFault& fault) {
  std::lock_guard lock(faultMutex);
  armedFault = fault;
  faultArmed.store(true, std::memory_order_release);
}

TScopedWriteFault::~TScopedWriteFault() {
  std::lock_guard lock(faultMutex);
  armedFault.reset();
  faultArmed.store(false, std::memory_order_release);
}

}  // namespace talvex
