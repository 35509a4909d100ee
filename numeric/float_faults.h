// Floating-point faults as exceptions. The arithmetic runs untrapped; each
// computing step checks this thread's status flags when it ends, so an
// invalid operation, a division by zero or an overflow stops the work at the
// step where it happened. Underflow and inexact results are ignored.
#pragma once

namespace talvex {

/// Clears this thread's floating-point status flags.
void ClearFloatFaults() noexcept;

/// Raises EInvalidOp, EZeroDivide or EOverflow (checked in that order) when
/// the corresponding flag has been set since the last clear; the flags are
/// cleared before raising.
void CheckFloatFaults();

/// Whether a fault flag has been set since the last clear, clearing the
/// flags: for a step that has a fallback of its own when it faults.
bool TakeFloatFaults() noexcept;

/// This thread's fault flags, cleared: for work split between threads,
/// whose flags the thread that goes on then takes over (RaiseFloatFaultFlags).
int TakeFloatFaultFlags() noexcept;

/// Raises the fault flags taken from another thread on this one.
void RaiseFloatFaultFlags(int flags) noexcept;

/// CheckFloatFaults(), then returns `value`. For scalar routines: passing the
/// result to this out-of-line call forces the arithmetic that produced it to
/// finish before the flags are read.
double CheckedResult(double value);

}  // namespace talvex
