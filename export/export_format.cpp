// Format by file extension; see export_format.h.
#include "export/export_format.h"

#include "numeric/text_format.h"

namespace talvex {

TExportFormat ExportFormatOf(const std::string& path) {
  const std::string name = path.substr(path.rfind('/') + 1);
  const auto dot = name.rfind('.');
  std::string extension = dot == std::string::npos ? "" : RemoveChar('.', name.substr(dot));
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  }
  if (extension == "sdf") return TExportFormat::Sdf;
  if (extension == "csv") return TExportFormat::Csv;
  if (extension == "xls") return TExportFormat::Xls;
  if (extension == "xlsx") return TExportFormat::Xlsx;
  throw EUnknownExportFormat("Cannot export to " + path +
                             ": the file name must end in .xls, .csv, .sdf or .xlsx");
}

}  // namespace talvex
