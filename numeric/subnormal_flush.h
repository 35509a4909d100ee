// Subnormal numbers flushed to zero for a stretch of work on this thread:
// results that would be subnormal become zero, and subnormal operands count
// as zero (the flush-to-zero and denormals-are-zero modes of x86-64). On
// other processors nothing changes.
//
// Intel processors take a microcode assist, a hundred cycles and more, for
// every vector operation that meets a subnormal number. The eigenvectors of
// a tridiagonal matrix decay exponentially away from where they are
// localised, so a few of their elements pass through the subnormal range,
// and the products back through the reflections then meet them in every
// block (an eighth of the jackknife's time at 500 variables). Numbers below
// 2.2e-308 never reach a printed digit.
#pragma once

#if defined(__x86_64__) || defined(__SSE2__)
#include <xmmintrin.h>
#define TALVEX_HAS_MXCSR 1
#endif

namespace talvex {

#ifdef TALVEX_HAS_MXCSR
constexpr bool SubnormalsCanBeFlushed = true;
#else
constexpr bool SubnormalsCanBeFlushed = false;
#endif

class TSubnormalsFlushed {
 public:
  /// Flushes from here to the end of the scope where `flush` is set.
  explicit TSubnormalsFlushed(bool flush) {
#ifdef TALVEX_HAS_MXCSR
    saved_ = _mm_getcsr();
    if (flush) _mm_setcsr(saved_ | FlushBits);
#else
    (void)flush;
#endif
  }
  ~TSubnormalsFlushed() {
#ifdef TALVEX_HAS_MXCSR
    // The mode bits alone: the status flags raised meanwhile stay raised,
    // for the fault checks that follow.
    _mm_setcsr((_mm_getcsr() & ~FlushBits) | (saved_ & FlushBits));
#endif
  }
  TSubnormalsFlushed(const TSubnormalsFlushed&) = delete;
  TSubnormalsFlushed& operator=(const TSubnormalsFlushed&) = delete;

 private:
#ifdef TALVEX_HAS_MXCSR
  static constexpr unsigned FlushBits = 0x8040;  // flush-to-zero, denormals-are-zero
  unsigned saved_ = 0;
#endif
};

}  // namespace talvex
