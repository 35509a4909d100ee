// The one place where container element blocks are obtained: a single
// contiguous, zero-filled allocation, with any failure turned into
// EAllocateFailed. The block comes from calloc, so a large block is zero
// without being touched: a container that is created but never written
// (the results of a data set that is never analysed) costs no memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "base/exception.h"

namespace talvex::detail {

struct TBlockRelease {
  void operator()(double* block) const noexcept { std::free(block); }
};

using TElementBlock = std::unique_ptr<double[], TBlockRelease>;

/// `count` doubles, all 0.0 (IEEE zero is all bits clear).
inline TElementBlock AllocateElementBlock(std::uint64_t count) {
  if (count > std::uint64_t(PTRDIFF_MAX) / sizeof(double)) throw EAllocateFailed();
  if (count == 0) return TElementBlock();
  void* block = std::calloc(std::size_t(count), sizeof(double));
  if (block == nullptr) throw EAllocateFailed();
  return TElementBlock(static_cast<double*>(block));
}

}  // namespace talvex::detail
