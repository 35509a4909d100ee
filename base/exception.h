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
  /// The program's own message, as the listing and the boxes show it.
  const std::string& Message() const noexcept { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

  /// What the program knows of the cause (the file, the place, the variable
  /// or object involved); empty when it knows nothing more. Front ends show
  /// it beside the message, never in place of it.
  const std::string& Detail() const noexcept { return detail_; }
  void SetDetail(std::string detail) { detail_ = std::move(detail); }

 private:
  std::string message_;
  std::string detail_;
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
