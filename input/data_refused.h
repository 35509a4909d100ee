// EDataRefused: a data file that the reader turns down because of what it
// declares or lacks (matrix type, counts, missing-data flag, data running out).
// Front ends tell it apart from the other failures: the desktop program shows
// it in an error box with a beep and then adds "File error".
#pragma once

#include "base/exception.h"

namespace talvex {

class EDataRefused : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace talvex
