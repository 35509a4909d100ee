// Four-lane double vectors for the eigen-solver's inner loops, and the
// attribute that also builds a loop for AVX2, chosen at load time (with g++;
// clang refuses a 256-bit vector passed between a clone and the inline helpers
// below, so its builds keep the baseline code, which gives the same bits).
//
// The lanes are GNU vector extensions: every lane is one IEEE operation, so a
// loop gives the same bits whether the compiler emits one AVX2 instruction or
// two SSE2 ones. Floating-point contraction stays off (no fused multiply-add),
// which keeps the results identical on every x86-64 processor.
#pragma once

#include <cstring>

namespace talvex {

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && \
    !defined(__SANITIZE_ADDRESS__)
#define TALVEX_WIDE_VECTORS __attribute__((target_clones("avx2", "default")))
#else
#define TALVEX_WIDE_VECTORS
#endif

typedef double TLanes __attribute__((vector_size(4 * sizeof(double))));

constexpr unsigned LaneCount = 4;

inline TLanes LoadLanes(const double* from) {
  TLanes v;
  std::memcpy(&v, from, sizeof v);
  return v;
}

inline void StoreLanes(double* to, TLanes v) { std::memcpy(to, &v, sizeof v); }

inline TLanes BroadcastLanes(double x) { return TLanes{x, x, x, x}; }

/// The lanes summed in a fixed order: (0 + 1) + (2 + 3).
inline double SumOfLanes(TLanes v) { return (v[0] + v[1]) + (v[2] + v[3]); }

/// Each lane's value, or -floor where its magnitude is below floor (a NaN
/// stays a NaN).
inline TLanes FloorMagnitudes(TLanes x, TLanes floor) {
  const TLanes magnitude = x < 0.0 ? -x : x;
  return magnitude < floor ? -floor : x;
}

}  // namespace talvex
