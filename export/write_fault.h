// The one point where TAtomicFile asks whether a write is to fail on
// purpose, so tests can make a write fail half-way on any file system.
// The program's answer is always "no" (write_fault_none.cpp). A test links
// the test-only target talvex_test_write_fault (tests/support/), whose own
// definition of PendingWriteFault takes the place of the program's; the
// program itself holds no switch for it.
#pragma once

#include <cstdint>
#include <optional>

namespace talvex {

/// Where an injected fault strikes.
enum class TWriteFaultStage { Write, Sync, Rename };

/// A fault that every TAtomicFile meets while it is pending.
struct TWriteFault {
  TWriteFaultStage stage = TWriteFaultStage::Write;
  /// Stage Write: this many bytes reach the temporary file, then writing
  /// fails with `error`.
  std::uint64_t afterBytes = 0;
  int error = 0;  // an errno value
};

/// The fault pending now; none in the program.
std::optional<TWriteFault> PendingWriteFault();

}  // namespace talvex
