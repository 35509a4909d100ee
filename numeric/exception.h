// The one exception family of TALVEX: every failure a user can meet (a bad
// file, a numerical fault, a container misuse) carries the message the user
// sees. Front ends turn it into a message box or a line on standard error.
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace talvex {

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const std::string& Message() const noexcept { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

// Container errors.
class EOutOfBounds : public Exception {
 public:
  EOutOfBounds() : Exception("Array Reference Out of Bounds") {}
};

class EAllocateFailed : public Exception {
 public:
  EAllocateFailed() : Exception("Memory Allocation Failed") {}
};

// Floating-point faults, raised at the step where the arithmetic failed.
class EInvalidOp : public Exception {
 public:
  EInvalidOp() : Exception("Invalid floating point operation") {}
};

class EZeroDivide : public Exception {
 public:
  EZeroDivide() : Exception("Floating point division by zero") {}
};

class EOverflow : public Exception {
 public:
  EOverflow() : Exception("Floating point overflow") {}
};

// Text that should be an integer or a number but is not.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// A file that cannot be opened, read or written.
class EInOutError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace talvex
