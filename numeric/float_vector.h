// TFloatVector: a one-based vector of doubles with a capacity fixed at
// creation and a logical extent (the highest readable index) that grows as
// elements are written and is reset by Fill. Every access is bounds-tested;
// the tests are inline because the eigen-solver and the jackknife run
// through them millions of times.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>

#include "base/exception.h"
#include "numeric/element_block.h"
#include "numeric/sizes.h"

namespace talvex {

class TFloatVector {
 public:
  /// Allocates `capacity` elements, all 0.0; the logical length is the capacity.
  /// Raises EAllocateFailed when the block cannot be obtained.
  explicit TFloatVector(TSize capacity);

  TFloatVector(const TFloatVector& other);
  TFloatVector& operator=(const TFloatVector& other);
  // A moved-from vector is empty (capacity 0), never a dangling one.
  TFloatVector(TFloatVector&& other) noexcept
      : capacity_(std::exchange(other.capacity_, 0)),
        length_(std::exchange(other.length_, 0)),
        data_(std::move(other.data_)) {}
  TFloatVector& operator=(TFloatVector&& other) noexcept {
    capacity_ = std::exchange(other.capacity_, 0);
    length_ = std::exchange(other.length_, 0);
    data_ = std::move(other.data_);
    return *this;
  }
  ~TFloatVector() = default;

  double GetValue(TSize index) const {
    if (index - 1u >= length_) throw EOutOfBounds();  // index 0 wraps to a huge value
    return data_[index - 1];
  }

  void SetValue(TSize index, double value) {
    if (index - 1u >= capacity_) throw EOutOfBounds();
    data_[index - 1] = value;
    if (index > length_) length_ = index;
  }

  /// length := min(count, capacity); elements 1..length := value. Never raises.
  /// Elements beyond the new length keep their values.
  void Fill(TSize count, double value);

  /// Marks the length as at least `length` after a bulk write through Data();
  /// the caller guarantees length <= Capacity().
  void Extend(TSize length) noexcept {
    if (length > length_) length_ = length;
  }

  TSize Capacity() const noexcept { return capacity_; }
  TSize Length() const noexcept { return length_; }

  /// The contiguous element block (element 1 at offset 0), for loops that have
  /// checked their ranges once against Capacity() or Length().
  double* Data() noexcept { return data_.get(); }
  const double* Data() const noexcept { return data_.get(); }

 private:
  TSize capacity_ = 0;
  TSize length_ = 0;
  detail::TElementBlock data_;
};

}  // namespace talvex
