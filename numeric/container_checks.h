// Range checks made once at the entry of a numeric routine, before anything
// is touched, so that the hot loops can run over the unchecked Column() and
// Data() blocks. They follow the containers' own rules: reads against the
// logical extent, writes against the capacity; an empty range checks nothing,
// as an element-by-element loop over it would read or write nothing.
#pragma once

#include "base/exception.h"
#include "numeric/float_matrix.h"
#include "numeric/float_vector.h"

namespace talvex::detail {

inline void RequireReadable(const TFloatMatrix& m, TSize rows, TSize cols) {
  if (rows != 0 && cols != 0 && (rows > m.Rows() || cols > m.Cols())) throw EOutOfBounds();
}

inline void RequireWritable(const TFloatMatrix& m, TSize rows, TSize cols) {
  if (rows != 0 && cols != 0 && (rows > m.MaxRows() || cols > m.MaxCols())) throw EOutOfBounds();
}

inline void RequireReadable(const TFloatVector& v, TSize count) {
  if (count > v.Length()) throw EOutOfBounds();
}

inline void RequireWritable(const TFloatVector& v, TSize count) {
  if (count > v.Capacity()) throw EOutOfBounds();
}

/// Records a bulk write of rows x cols through Column().
inline void MarkWritten(TFloatMatrix& m, TSize rows, TSize cols) noexcept {
  if (rows != 0 && cols != 0) m.Extend(rows, cols);
}

}  // namespace talvex::detail
