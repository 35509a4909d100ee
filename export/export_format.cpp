// Format by file extension; see export_format.h.
#include "export/export_format.h"

#include "base/file_name_case.h"

namespace talvex {

TExportFormat ExportFormatOf(const std::string& path) {
  const std::string extension = FileExtension(path);
  if (extension == "sdf") return TExportFormat::Sdf;
  if (extension == "csv") return TExportFormat::Csv;
  if (extension == "xls") return TExportFormat::Xls;
  if (extension == "xlsx") return TExportFormat::Xlsx;
  throw EUnknownExportFormat("Cannot export to " + path +
                             ": the file name must end in .xls, .csv, .sdf or .xlsx");
}

}  // namespace talvex
