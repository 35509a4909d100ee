// The labelled variant of the csv export: the specified csv (headings
// Axis1..AxisK, numbers as ScientificText, CR LF) with the row labels as a
// first column, so that a spreadsheet or script knows which object or
// variable a row belongs to. The specified csv itself stays as it is.
#pragma once

#include <string>
#include <vector>

#include "numeric/float_matrix.h"

namespace talvex {

/// Writes `labelHeading`,Axis1,...,AxisK then, per row, the label (quoted
/// when it holds a comma, quote or line end) and the row's numbers; with
/// `groups` (one per row) a "Group" column follows the labels. Raises
/// EInOutError when the file cannot be written; nothing is written then.
void ExportLabelledCsv(const std::string& path, const TFloatMatrix& matrix, TSize rowCount,
                       TSize columnCount, const std::vector<std::string>& rowLabels,
                       const std::string& labelHeading,
                       const std::vector<std::string>* groups = nullptr);

}  // namespace talvex
