// The test seam of TAtomicFile: a fault armed here makes every file being
// written fail at the chosen stage, so tests can make a write fail half-way
// on any file system. Only tests include this header.
#pragma once

#include <cstdint>

namespace talvex {

/// Where an injected fault strikes.
enum class TWriteFaultStage { Write, Sync, Rename };

/// A fault to inject into every TAtomicFile while a TScopedWriteFault lives,
/// so tests can make a write fail half-way on any file system.
struct TWriteFault {
  TWriteFaultStage stage = TWriteFaultStage::Write;
  /// Stage Write: this many bytes reach the temporary file, then writing
  /// fails with `error`.
  std::uint64_t afterBytes = 0;
  int error = 0;  // an errno value
};

/// Arms a fault for its lifetime (tests only; not to be nested).
class TScopedWriteFault {
 public:
  explicit TScopedWriteFault(const TWriteFault& fault);
  ~TScopedWriteFault();
  TScopedWriteFault(const TScopedWriteFault&) = delete;
  TScopedWriteFault& operator=(const TScopedWriteFault&) = delete;
};

}  // namespace talvex
