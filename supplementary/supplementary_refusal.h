// The one way the checks of supplementary items refuse them: raising
// ESupplementaryRefused with the message and, as its detail, the place or
// value at fault.
#pragma once

#include <string>
#include <utility>

#include "supplementary/supplementary_input.h"

namespace talvex {

[[noreturn]] inline void RefuseSupplementary(const char* message, std::string detail) {
  ESupplementaryRefused error(message);
  error.SetDetail(std::move(detail));
  throw error;
}

}  // namespace talvex
