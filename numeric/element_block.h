// The one place where container element blocks are obtained: a single
// contiguous allocation, with any failure turned into EAllocateFailed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

#include "numeric/exception.h"

namespace talvex::detail {

inline std::unique_ptr<double[]> AllocateElementBlock(std::uint64_t count) {
  if (count > std::uint64_t(PTRDIFF_MAX) / sizeof(double)) throw EAllocateFailed();
  double* block = new (std::nothrow) double[std::size_t(count)];
  if (block == nullptr && count != 0) throw EAllocateFailed();
  return std::unique_ptr<double[]>(block);
}

}  // namespace talvex::detail
