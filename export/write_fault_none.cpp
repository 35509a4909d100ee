// The program's answer to PendingWriteFault: no fault, ever. It stands
// alone in its object file so that a test's own definition replaces it at
// link time (see write_fault.h).
#include "export/write_fault.h"

namespace talvex {

std::optional<TWriteFault> PendingWriteFault() { return std::nullopt; }

}  // namespace talvex
