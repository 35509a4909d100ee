// Reading a whole file into memory in one pass, with the file closed on every
// path and the system's error turned into the program's I/O message.
#pragma once

#include <string>

namespace talvex {

/// The contents of the file at `path`, byte for byte.
/// Raises EInOutError with "File not found", "Invalid filename", "Too many open
/// files", "File access denied" or "I/O error N" (N the system's error number)
/// when the file cannot be opened or read.
std::string ReadFileBytes(const std::string& path);

/// The I/O message for a system error number (errno), as ReadFileBytes raises it.
std::string InOutErrorMessage(int errorNumber);

}  // namespace talvex
