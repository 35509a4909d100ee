// Writing a data set as a data-matrix file, so that data read from a table
// can be kept in the program's own format (and read back to the same
// numbers).
#pragma once

#include <string>

#include "input/data_matrix.h"

namespace talvex {

/// Writes `data` to `path` as a data-matrix file: the title as a quoted line,
/// the header "1 nL pL 0", the object and the variable labels, then one line
/// of values per object, each value in the shortest text that reads back to
/// the same double; CR LF line ends. Labels are runs without blanks in that
/// format, so blanks and control characters in a label become '_'. Written
/// through TAtomicFile: raises its EInOutError and leaves `path` as it was.
void WriteDataMatrixFile(const std::string& path, const TDataMatrix& data);

}  // namespace talvex
