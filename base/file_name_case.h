// Lower-casing and file extensions, each rule in one place. Extensions are
// compared without regard to case everywhere (a table named IRIS.CSV is a
// CSV table on every system), and lower-casing folds ASCII letters only: the
// names and keywords it serves are ASCII, and other bytes stay as they are.
#pragma once

#include <string>
#include <string_view>

namespace talvex {

/// `text` with the ASCII letters A-Z lower-cased; every other byte unchanged.
std::string AsciiLower(std::string_view text);

/// The extension of the last name in `path`, lower-cased and without its
/// dot: "csv" for "Data/Iris.CSV" and for ".csv". Empty when the name has
/// none ("notes", "notes.", "..").
std::string FileExtension(std::string_view path);

/// Whether `path` ends in the extension `extension` (lower case, no dot),
/// whatever the case of the path.
bool HasExtension(std::string_view path, std::string_view extension);

}  // namespace talvex
