// The header line of a data-matrix file ("1 5L 10L 0": matrix type, object
// count, variable count, missing-data flag) and the check that the rest of
// the file can hold what the header declares.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "numeric/sizes.h"

namespace talvex {

struct TDataHeader {
  TSize objectCount = 0;
  TSize variableCount = 0;
  bool objectLabels = false;    // object labels follow the header line
  bool variableLabels = false;  // variable labels follow the object labels
};

/// Takes a trimmed header line apart at single blanks, field by field in file
/// order. Raises EDataRefused for a matrix type other than "1", a count that is
/// zero, negative or beyond 32 bits, or a fourth field without a "0"; raises
/// EConvertError when a count, with its L markers removed, is not an integer.
TDataHeader ParseHeaderLine(const std::string& line);

/// Refuses ("Not enough data in file") a header whose labels and values cannot
/// fit in `bytesLeft` bytes, counting one byte per item and one separator
/// between items, so that nothing is allocated for data a file cannot hold.
/// Refuses ("Too many values in file") a value count beyond 32 bits.
/// Returns the value count.
/// An unknown `bytesLeft` (a pipe, a device) skips the first check.
TSize CheckDeclaredSize(const TDataHeader& header, std::optional<std::uint64_t> bytesLeft);

}  // namespace talvex
