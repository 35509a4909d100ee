// Fuzz target of the workbook import (xlsx and ods): any bytes must either
// give a consistent data matrix or raise one of the program's own
// exceptions. The first byte picks the format, the options a user could set,
// and how the rest is read: as the workbook's bytes, or as its parts
// ("name", NUL, "content", NUL, ...) zipped here, so that the fuzzer reaches
// the XML without having to forge checksums. TALVEX_FUZZ_FORMAT=xlsx or ods
// in the environment holds the format whatever the first byte says.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "export/zip_archive.h"
#include "fuzz/table_import_checks.h"
#include "tables/table_import.h"

using talvex::fuzzing::Require;

namespace {

std::string ZipOfParts(std::string_view framed) {
  std::vector<talvex::TZipEntry> entries;
  while (!framed.empty()) {
    const std::size_t nameEnd = framed.find('\0');
    const std::string_view name = framed.substr(0, nameEnd);
    framed = nameEnd == std::string_view::npos ? std::string_view() : framed.substr(nameEnd + 1);
    const std::size_t dataEnd = framed.find('\0');
    entries.push_back({std::string(name), std::string(framed.substr(0, dataEnd))});
    framed = dataEnd == std::string_view::npos ? std::string_view() : framed.substr(dataEnd + 1);
  }
  return talvex::WriteZipArchive(entries);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t pick = data[0];
  // TALVEX_FUZZ_FORMAT=xlsx or ods holds a run to one format.
  static const char* const only = std::getenv("TALVEX_FUZZ_FORMAT");
  const std::string format = only != nullptr ? only : (pick & 1) ? "ods" : "xlsx";
  talvex::TImportOptions options;
  // Decimal comma left to detection: its value bit picks imputation.
  if (pick & 4)
    options.missing =
        !(pick & 8) && (pick & 16) ? talvex::TMissingPolicy::Impute : talvex::TMissingPolicy::Omit;
  if (pick & 8) options.decimalComma = (pick & 16) != 0;
  if (pick & 32) options.header = (pick & 64) != 0;
  if (pick & 128) options.sheet = (pick & 16) ? "#2" : "2";
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  std::string bytes;
  try {
    bytes = (pick & 2) ? ZipOfParts(rest) : std::string(rest);
  } catch (const talvex::Exception&) {
    return 0;  // parts beyond what a zip holds
  }
  talvex::TImportReport report;
  talvex::TDataMatrix matrix;
  try {
    matrix = talvex::ImportTableBytes(bytes, format, options, &report);
  } catch (const talvex::Exception&) {
    return 0;
  }
  talvex::fuzzing::RequireConsistentTable(matrix, report);
  Require(!report.sheet.empty() || !report.sheetNames.empty());
  Require(report.sheetNames.size() >= 1);
  talvex::fuzzing::RequireConsistentMask(matrix, report, options.missing);
  return 0;
}
