// The export of a results matrix (the component scores or the vector
// coefficients) to a file whose extension chooses the format: a BIFF
// spreadsheet (xls), comma-separated values (csv), a space-separated system
// data file (sdf) or an xlsx workbook. The columns are headed Axis1..AxisK.
#pragma once

#include <string>
#include <vector>

#include "numeric/float_matrix.h"
#include "numeric/sizes.h"

namespace talvex {

/// Most rows of values an xls export can hold (the heading takes one more;
/// rows are 16-bit in the file).
inline constexpr TSize XlsMaxRows = 65534;
/// Most columns of an xls export: the format stores a 16-bit column index,
/// but spreadsheet programs refuse a BIFF sheet wider than 256 columns.
inline constexpr TSize XlsMaxColumns = 256;

/// Raises EUnknownExportFormat for a `path` whose extension names no format,
/// and Exception when rowCount x columnCount values do not fit its format
/// (xls: XlsMaxRows x XlsMaxColumns; xlsx: a sheet's limits); the message
/// names the formats that hold more. Lets a caller refuse before a long run.
void CheckExportFits(const std::string& path, TSize rowCount, TSize columnCount);

/// Writes rows 1..rowCount, columns 1..columnCount of `matrix` to `path` in
/// the format its extension names (ExportFormatOf), replacing an existing
/// file whole or not at all:
/// - sdf: "Axis1 Axis2 ... " then each row as 23-character numbers
///   (ScientificText), each followed by a blank;
/// - csv: "Axis1,Axis2,..." then each row's numbers joined by ",";
///   (both with CR LF after every line, the last included);
/// - xls: the headings in row 1, the numbers from row 2 (TBiffSheetFile);
/// - xlsx: `labelHeading` in A1, the headings from B1, `rowLabels` from A2
///   (missing ones left empty), the numbers from B2, stored exactly.
/// Only xlsx writes labels. Raises what CheckExportFits raises,
/// EOutOfBounds when an element lies outside the matrix's logical size, EInOutError
/// when the file cannot be written. On any of them nothing is written.
void ExportMatrix(const std::string& path, const TFloatMatrix& matrix, TSize rowCount,
                  TSize columnCount, const std::vector<std::string>& rowLabels,
                  const std::string& labelHeading);

/// The component scores: objectCount rows (objects in file order) of
/// factorCount columns, labelled by the object labels under "Object".
void ExportScores(const std::string& path, const TFloatMatrix& scores, TSize objectCount,
                  TSize factorCount, const std::vector<std::string>& objectLabels);

/// The vector coefficients: variableCount rows of factorCount columns,
/// labelled by the variable labels under "Variable".
void ExportVectors(const std::string& path, const TFloatMatrix& eigenvectors, TSize variableCount,
                   TSize factorCount, const std::vector<std::string>& variableLabels);

}  // namespace talvex
