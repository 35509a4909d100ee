// The floating-point status flags around a call into the core. The core reads
// the flags as faults of its own arithmetic, so a flag numpy or the
// interpreter left raised must not reach it; and what the core's arithmetic
// raised must not stay behind for numpy to find. The caller's flags are
// therefore put aside, cleared for the call, and given back after it.
#pragma once

#include <cfenv>

namespace talvex::python {

class TFloatFlagsGuard {
 public:
  TFloatFlagsGuard() noexcept {
    std::fegetexceptflag(&saved_, FE_ALL_EXCEPT);
    std::feclearexcept(FE_ALL_EXCEPT);
  }
  ~TFloatFlagsGuard() { std::fesetexceptflag(&saved_, FE_ALL_EXCEPT); }
  TFloatFlagsGuard(const TFloatFlagsGuard&) = delete;
  TFloatFlagsGuard& operator=(const TFloatFlagsGuard&) = delete;

 private:
  std::fexcept_t saved_;
};

}  // namespace talvex::python
