// Floating-point faults as exceptions: the status flags of <cfenv> are read
// after each computing step, so a fault stops the work where it happened
// without trapping (signals would leave the containers half written with no
// way to say which step failed).
#include "numeric/float_faults.h"

#include <cfenv>

#include "base/exception.h"

namespace talvex {

namespace {
constexpr int FaultFlags = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;
}

void ClearFloatFaults() noexcept { std::feclearexcept(FE_ALL_EXCEPT); }

void CheckFloatFaults() {
  const int raised = std::fetestexcept(FaultFlags);
  if (raised == 0) return;
  std::feclearexcept(FE_ALL_EXCEPT);
  if (raised & FE_INVALID) throw EInvalidOp();
  if (raised & FE_DIVBYZERO) throw EZeroDivide();
  throw EOverflow();
}

int TakeFloatFaultFlags() noexcept {
  const int raised = std::fetestexcept(FaultFlags);
  std::feclearexcept(FE_ALL_EXCEPT);
  return raised;
}

bool TakeFloatFaults() noexcept { return TakeFloatFaultFlags() != 0; }

void RaiseFloatFaultFlags(int flags) noexcept {
  if ((flags & FaultFlags) != 0) std::feraiseexcept(flags & FaultFlags);
}

double CheckedResult(double value) {
  CheckFloatFaults();
  return value;
}

}  // namespace talvex
