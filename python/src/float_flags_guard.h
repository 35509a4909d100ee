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

/// The core's floating-point environment set aside while Python code runs
/// in the middle of a run (signal handlers, the progress callback): Python
/// gets the default environment, without the flushing of subnormals some of
/// the core's stages switch on, and the flags its code raises are not taken
/// for faults of the core's arithmetic.
class TCoreFloatEnvironmentAside {
 public:
  TCoreFloatEnvironmentAside() noexcept {
    std::fegetenv(&core_);
    std::fesetenv(FE_DFL_ENV);
  }
  ~TCoreFloatEnvironmentAside() { std::fesetenv(&core_); }
  TCoreFloatEnvironmentAside(const TCoreFloatEnvironmentAside&) = delete;
  TCoreFloatEnvironmentAside& operator=(const TCoreFloatEnvironmentAside&) = delete;

 private:
  std::fenv_t core_;
};

}  // namespace talvex::python
