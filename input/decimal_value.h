// Conversion of one value of a data-matrix file: a decimal real with "." as
// the point, whatever the locale.
#pragma once

#include <string_view>

namespace talvex {

/// The whole of `text` read as an optional sign ("+" or "-"), digits with an
/// optional ".", and an optional exponent introduced by E or e.
/// Raises EConvertError("Invalid numeric input") for anything else, including
/// "inf", "nan" and magnitudes beyond the largest double; a magnitude below the
/// smallest subnormal reads as a zero of the written sign, as IEEE arithmetic
/// would round it.
double ParseDecimalValue(std::string_view text);

}  // namespace talvex
