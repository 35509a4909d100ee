// TDataMatrix: the loaded data set, as read from a data-matrix file or a
// table: title, labels and the objectCount x variableCount values in
// row-major order, and the objects' groups where the data have them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "numeric/float_vector.h"
#include "numeric/sizes.h"

namespace talvex {

/// A column of a table read beside the data but not analysed: one cell text
/// per object (empty for a missing one) and, when all of them are numbers
/// (`numeric`), their values.
struct TExtraColumn {
  std::string name;
  bool numeric = false;
  std::vector<std::string> cells;
  std::vector<double> numbers;  // numeric: one per object; empty otherwise
};

struct TDataMatrix {
  std::string title;
  TSize objectCount = 0;
  TSize variableCount = 0;
  TSize valueCount = 0;                     // objectCount * variableCount
  std::vector<std::string> objectLabels;    // element 0 belongs to object 1
  std::vector<std::string> variableLabels;  // element 0 belongs to variable 1
  // The value of object i and variable j stands at index (i - 1) * variableCount + j.
  TFloatVector values{0};

  // Beyond the data-matrix format: what tables bring. Both are empty for a
  // data-matrix file, and the analysis reads neither.
  std::vector<std::string> groups;  // one per object when the data have groups
  std::string groupName;            // the groups' column, when a column gave them
  std::vector<std::string> notes;   // lines for the listing's header ("3 objects ... left out")
  std::vector<TExtraColumn> extraColumns;  // columns marked supplementary, in table order
  // The missing cells of a table read with imputation: empty when every
  // value was read, otherwise one flag per value, in the order of `values`,
  // 1 where the cell is missing. A missing cell's value has no meaning (it
  // holds 0); a floating-point mark would trip the fault checks.
  std::vector<std::uint8_t> missing;

  /// Whether any value is missing.
  bool HasMissing() const noexcept;
  /// How many values are missing.
  TSize MissingCount() const noexcept;
};

/// How many groups `groups` (one name per object) hold: the distinct names,
/// objects without a group (an empty name) counting as one group of their own.
TSize GroupCount(const std::vector<std::string>& groups);

}  // namespace talvex
