// The field formats of the report listing: C-style fixed-point fields
// ("%10.4f" and the like) that always use "." whatever the locale, and never
// print "-nan".
#pragma once

#include <string>

namespace talvex {

/// x with `decimals` decimals, right-justified in at least `width`
/// characters, as printf's "%<width>.<decimals>f" in the C locale; a NaN
/// prints as "nan" whatever its sign bit.
std::string FloatField(double x, int width, int decimals);

/// Appends FloatField(x, width, decimals) to `text`: the long tables of the
/// listing are written field by field without a string for each field.
void AppendFloatField(std::string& text, double x, int width, int decimals);

}  // namespace talvex
