// Test-only: arms a write fault for every TAtomicFile (export/write_fault.h)
// while a TScopedWriteFault lives. Link the target talvex_test_write_fault.
#pragma once

#include "export/write_fault.h"

namespace talvex {

/// Arms `fault` for its lifetime (not to be nested).
class TScopedWriteFault {
 public:
  explicit TScopedWriteFault(const TWriteFault& fault);
  ~TScopedWriteFault();
  TScopedWriteFault(const TScopedWriteFault&) = delete;
  TScopedWriteFault& operator=(const TScopedWriteFault&) = delete;
};

}  // namespace talvex
