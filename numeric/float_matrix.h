// TFloatMatrix: a one-based, column-major matrix of doubles with a capacity
// (maxRows x maxCols) fixed at creation and a logical extent (rows x cols)
// that grows as elements are written and is reset by Fill. Reads are tested
// against the logical extent, writes against the capacity.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>

#include "base/exception.h"
#include "numeric/element_block.h"
#include "numeric/sizes.h"

namespace talvex {

class TFloatMatrix {
 public:
  /// Allocates maxRows x maxCols elements, all 0.0; the logical extent is the
  /// capacity. Raises EAllocateFailed when the block cannot be obtained.
  TFloatMatrix(TSize maxRows, TSize maxCols);

  TFloatMatrix(const TFloatMatrix& other);
  TFloatMatrix& operator=(const TFloatMatrix& other);
  // A moved-from matrix is empty (0 x 0), never a dangling one.
  TFloatMatrix(TFloatMatrix&& other) noexcept
      : maxRows_(std::exchange(other.maxRows_, 0)),
        maxCols_(std::exchange(other.maxCols_, 0)),
        rows_(std::exchange(other.rows_, 0)),
        cols_(std::exchange(other.cols_, 0)),
        data_(std::move(other.data_)) {}
  TFloatMatrix& operator=(TFloatMatrix&& other) noexcept {
    maxRows_ = std::exchange(other.maxRows_, 0);
    maxCols_ = std::exchange(other.maxCols_, 0);
    rows_ = std::exchange(other.rows_, 0);
    cols_ = std::exchange(other.cols_, 0);
    data_ = std::move(other.data_);
    return *this;
  }
  ~TFloatMatrix() = default;

  double GetValue(TSize row, TSize col) const {
    if (row - 1u >= rows_ || col - 1u >= cols_) throw EOutOfBounds();
    return data_[Offset(row, col)];
  }

  void SetValue(TSize row, TSize col, double value) {
    if (row - 1u >= maxRows_ || col - 1u >= maxCols_) throw EOutOfBounds();
    data_[Offset(row, col)] = value;
    if (row > rows_) rows_ = row;
    if (col > cols_) cols_ = col;
  }

  struct TExtent {
    TSize rows;
    TSize cols;
    bool operator==(const TExtent&) const = default;
  };
  /// The logical extent (rows, cols).
  TExtent GetSize() const noexcept { return {rows_, cols_}; }

  /// rows := min(rowCount, maxRows), cols := min(colCount, maxCols); every
  /// element inside the new extent := value. Never raises. Elements outside
  /// the new extent keep their values.
  void Fill(TSize rowCount, TSize colCount, double value);

  TSize MaxRows() const noexcept { return maxRows_; }
  TSize MaxCols() const noexcept { return maxCols_; }
  TSize Rows() const noexcept { return rows_; }
  TSize Cols() const noexcept { return cols_; }

  /// Column `col` (one-based) as a contiguous block of MaxRows() elements, for
  /// inner loops that have checked their ranges once. Column j starts
  /// MaxRows() elements after column j - 1.
  double* Column(TSize col) noexcept { return data_.get() + std::size_t(col - 1) * maxRows_; }
  const double* Column(TSize col) const noexcept {
    return data_.get() + std::size_t(col - 1) * maxRows_;
  }

  /// Marks the extent as at least rows x cols after a bulk write through
  /// Column(); the caller guarantees rows <= MaxRows() and cols <= MaxCols().
  void Extend(TSize rows, TSize cols) noexcept {
    if (rows > rows_) rows_ = rows;
    if (cols > cols_) cols_ = cols;
  }

 private:
  std::size_t Offset(TSize row, TSize col) const noexcept {
    return std::size_t(row - 1) + std::size_t(col - 1) * maxRows_;
  }

  TSize maxRows_ = 0;
  TSize maxCols_ = 0;
  TSize rows_ = 0;
  TSize cols_ = 0;
  detail::TElementBlock data_;
};

}  // namespace talvex
