// The data-matrix reader: turns a data-matrix file (title, header line,
// optional labels, values) into a TDataMatrix, or says why it cannot.
#pragma once

#include <string>
#include <string_view>

#include "input/data_matrix.h"
#include "input/data_refused.h"

namespace talvex {

/// Reads the file at `path` into `data` (see ParseDataMatrix). The file is read
/// whole and closed before parsing. Raises EInOutError when it cannot be opened
/// or read, and whatever ParseDataMatrix raises.
void ReadDataFile(const std::string& path, TDataMatrix& data);

/// Parses the bytes of a data-matrix file into `data`. On success `data` holds
/// the new counts, labels and values, and the title of the file's first quoted
/// line (or its previous title when the file has none). On any failure `data`
/// is left exactly as it was.
/// Raises EDataRefused for a file the format turns down ("Invalid matrix type.
/// Must be "1"", "Invalid row specification in file!", "Invalid column
/// specification in file!", "Missing data not allowed!", "Not enough data in
/// file", "Too many values in file"), EConvertError for a count that is not an
/// integer ("'%s' is not a valid integer value") or a value that is not a number
/// ("Invalid numeric input"), and EAllocateFailed when memory runs out.
void ParseDataMatrix(std::string_view bytes, TDataMatrix& data);

/// "5 objects, 10 descriptors": the size line shown after a successful read.
std::string InformationLine(const TDataMatrix& data);

}  // namespace talvex
