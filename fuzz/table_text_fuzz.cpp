// Fuzz target of the delimited-text import: any bytes must either give a
// consistent data matrix or raise one of the program's own exceptions. The
// first byte picks the options a user could set, so that the overrides and
// the omit and impute policies are fuzzed with the detection.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/table_import_checks.h"
#include "tables/table_import.h"

using talvex::fuzzing::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  talvex::TImportOptions options;
  const std::uint8_t pick = data[0];
  // Without a separator given, its bits pick imputation instead of omission.
  if (pick & 1)
    options.missing =
        !(pick & 2) && (pick & 4) ? talvex::TMissingPolicy::Impute : talvex::TMissingPolicy::Omit;
  if (pick & 2) options.separator = ",;\t "[(pick >> 2) & 3];
  if (pick & 16) options.decimalComma = (pick & 32) != 0;
  if (pick & 64) options.header = (pick & 128) != 0;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  talvex::TImportReport report;
  talvex::TDataMatrix matrix;
  try {
    matrix = talvex::ImportTableText(text, options, &report);
  } catch (const talvex::Exception&) {
    return 0;
  }
  talvex::fuzzing::RequireConsistentTable(matrix, report);
  Require(report.omittedRows.size() == report.omittedLabels.size());
  // The reader's own notes (a first row that could be either), then the
  // objects left out.
  Require(matrix.notes.size() == report.notes.size() + (report.omittedRows.empty() ? 0 : 1));
  talvex::fuzzing::RequireConsistentMask(matrix, report, options.missing);
  return 0;
}
