// Saving the loaded data set as a data-matrix file, so that data opened from
// a table (or pasted) can be kept in the program's own format and reopened
// as it is.
#pragma once

#include <string>

#include "input/data_matrix.h"

namespace talvex {

/// Writes `data` to `path` as a data-matrix file that ReadDataFile reads back
/// to the same title, labels and values (every double bit for bit), replacing
/// an existing file whole or not at all. The file, CR LF after every line:
/// - the title between double quotes (between apostrophes when it holds a
///   double quote; when it holds both, its double quotes become apostrophes),
///   only its first line (up to the first CR or LF), a 0x1A (which ends a
///   data file) as '_';
/// - the header "1 nL pL 0";
/// - the object labels, then the variable labels, separated by blanks, a new
///   line before a label that would take a line past 80 characters;
/// - the values, one object per line, each in the shortest form that reads
///   back as the same double ("0.1", "-0", "5e-324"), "." as the point
///   whatever the locale.
/// Labels follow the reader's rule that a blank, tab or line end ends a label
/// and other control characters vanish: each character from 0x00 to 0x20 in
/// a label is written as '_'; an empty (or missing) label is written as the
/// label the reader makes up for a file without labels, "OBJi" or "VARj".
/// A label or title longer than 65535 bytes (more than the reader takes) is
/// cut there, before a whole UTF-8 character when it is UTF-8. Labels are
/// thus the same when read back unless one of these rules changed them.
/// Groups and notes are no part of the format and are not written (groups
/// can be made again from the labels when the file is reopened).
/// Precondition: objectCount and variableCount at least 1 and `values`
/// holding objectCount x variableCount values. Raises Exception naming the
/// object and variable of a value that is not finite (the format has no
/// form for it), before anything is written; EInOutError when the file
/// cannot be written.
void WriteDataMatrixFile(const std::string& path, const TDataMatrix& data);

}  // namespace talvex
