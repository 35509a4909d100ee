// The data-matrix reader: turns a data-matrix file (title, header line,
// optional labels, values) into a TDataMatrix, or says why it cannot.
#pragma once

#include <string>
#include <string_view>

#include "input/data_matrix.h"
#include "input/data_refused.h"

namespace talvex {

/// Reads the file at `path` into `data` (see ParseDataMatrix), a block at a
/// time: the header is checked before the rest is read, reading stops after
/// the last value, and besides the result only one block and one item are
/// held, so a pipe or a device (/dev/zero) cannot fill the memory. A regular
/// file is read as it was when opened. Raises EInOutError when it cannot be
/// opened or read, and whatever ParseDataMatrix raises; every exception's
/// Detail() names `path` (and the place in the file, as ParseDataMatrix).
void ReadDataFile(const std::string& path, TDataMatrix& data);

/// Parses the bytes of a data-matrix file into `data`. A UTF-8 byte-order
/// mark at the start is skipped. On success `data` holds
/// the new counts, labels and values, and the title of the file's first quoted
/// line (or its previous title when the file has none). On any failure `data`
/// is left exactly as it was.
/// Raises EDataRefused for a file the format turns down ("Invalid matrix type.
/// Must be "1"", "Invalid row specification in file!", "Invalid column
/// specification in file!", "Missing data not allowed!", "Not enough data in
/// file", "Too many values in file", "Label too long in file" for a label of
/// 65536 characters or more; "Invalid matrix type. Must be "1"" also when no
/// header line comes within the first 1 MiB), EConvertError for a count that
/// is not an integer ("'%s' is not a valid integer value") or a value that is
/// not a number or longer than 64 characters ("Invalid numeric input"), and
/// EAllocateFailed when memory runs out. Each exception's Detail() says where:
/// "line 7: value 5 (object 2, variable 1)", "line 2: 1 3 2 x", ...
void ParseDataMatrix(std::string_view bytes, TDataMatrix& data);

/// "5 objects, 10 descriptors": the size line shown after a successful read.
std::string InformationLine(const TDataMatrix& data);

}  // namespace talvex
