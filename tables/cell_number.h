// Whether a cell's text is a number, in the C locale whatever the system's.
#pragma once

#include <optional>
#include <string_view>

namespace talvex {

/// The number `text` writes (blanks around it allowed): an optional sign,
/// digits with an optional decimal mark ("." or, with `decimalComma`, ","),
/// an optional exponent. Nothing else is a number: no "inf", "nan", hex,
/// thousands separators, or magnitudes beyond the doubles.
std::optional<double> ParseCellNumber(std::string_view text, bool decimalComma);

/// `text` without the blanks and tabs around it.
std::string_view TrimBlanks(std::string_view text);

}  // namespace talvex
