// The formats a results export can write, and the choice among them by the
// extension of the target file's name.
#pragma once

#include <string>

#include "base/exception.h"

namespace talvex {

enum class TExportFormat { Xls, Csv, Sdf, Xlsx };

/// A file name whose extension names no export format.
class EUnknownExportFormat : public Exception {
 public:
  using Exception::Exception;
};

/// The format named by the extension of `path` (the text after the last "."
/// of the file name, without dots, in any letter case). Raises
/// EUnknownExportFormat for any other extension, or none, with the message
/// "Cannot export to PATH: the file name must end in .xls, .csv, .sdf or .xlsx".
TExportFormat ExportFormatOf(const std::string& path);

}  // namespace talvex
