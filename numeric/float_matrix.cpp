// Creation, copying and filling of TFloatMatrix.
#include "numeric/float_matrix.h"

#include <algorithm>

#include "numeric/element_block.h"

namespace talvex {

TFloatMatrix::TFloatMatrix(TSize maxRows, TSize maxCols)
    : maxRows_(maxRows),
      maxCols_(maxCols),
      rows_(maxRows),
      cols_(maxCols),
      data_(detail::AllocateElementBlock(std::uint64_t(maxRows) * maxCols)) {}

TFloatMatrix::TFloatMatrix(const TFloatMatrix& other)
    : maxRows_(other.maxRows_),
      maxCols_(other.maxCols_),
      rows_(other.rows_),
      cols_(other.cols_),
      data_(detail::AllocateElementBlock(std::uint64_t(other.maxRows_) * other.maxCols_)) {
  std::copy_n(other.data_.get(), std::size_t(maxRows_) * maxCols_, data_.get());
}

TFloatMatrix& TFloatMatrix::operator=(const TFloatMatrix& other) {
  if (this != &other) *this = TFloatMatrix(other);
  return *this;
}

void TFloatMatrix::Fill(TSize rowCount, TSize colCount, double value) {
  rows_ = std::min(rowCount, maxRows_);
  cols_ = std::min(colCount, maxCols_);
  // Column by column: the same elements as a row-by-row visit, in storage order.
  for (TSize j = 1; j <= cols_; ++j) std::fill_n(Column(j), rows_, value);
}

}  // namespace talvex
