// How talvex-cli reports a failure on standard error: "talvex-cli: " and the
// message, then the cause on a line of its own when the program knows it.
#pragma once

#include <exception>
#include <ostream>

namespace talvex {

/// The program's own exceptions print their message and, when not empty,
/// their detail; running out of memory prints the program's allocation
/// message; any other exception prints its what().
void ReportFailure(std::ostream& err, const std::exception& failure);

}  // namespace talvex
