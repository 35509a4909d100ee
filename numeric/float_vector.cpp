// Creation, copying and filling of TFloatVector.
#include "numeric/float_vector.h"

#include <algorithm>

#include "numeric/element_block.h"

namespace talvex {

TFloatVector::TFloatVector(TSize capacity)
    : capacity_(capacity), length_(capacity), data_(detail::AllocateElementBlock(capacity)) {}

TFloatVector::TFloatVector(const TFloatVector& other)
    : capacity_(other.capacity_),
      length_(other.length_),
      data_(detail::AllocateElementBlock(other.capacity_)) {
  std::copy_n(other.data_.get(), capacity_, data_.get());
}

TFloatVector& TFloatVector::operator=(const TFloatVector& other) {
  if (this != &other) *this = TFloatVector(other);
  return *this;
}

void TFloatVector::Fill(TSize count, double value) {
  length_ = std::min(count, capacity_);
  std::fill_n(data_.get(), length_, value);
}

}  // namespace talvex
