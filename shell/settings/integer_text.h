// IntegerFromText: the one integer conversion of the desktop program, used
// for values read from the settings file and for the text typed into the
// Factors > Number... box: an optional sign, then decimal digits or "0x"/"0X"
// and hexadecimal digits, with blanks allowed around it.
#pragma once

#include <QString>
#include <optional>

/// The integer written in `text`, or nothing when the text is not an integer
/// or lies outside the 32-bit range. A hexadecimal value is read as a 32-bit
/// pattern, so "0xFFFFFFFF" is -1, as the settings files of old programs
/// store it.
std::optional<int> IntegerFromText(const QString& text);
