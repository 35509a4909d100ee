// What the import dialog's tests share: the tables of the test data, read as
// the program reads a file, and whether the dialog can be accepted.
#pragma once

#include <QDialogButtonBox>
#include <QPushButton>
#include <string>

#include "shell/import/import_dialog.h"

namespace talvex::desktop {

inline std::string TestTable(const char* name) {
  return std::string(TALVEX_TEST_DATA) + "/" + name;
}

inline TImportRunner FileRunner(const std::string& path) {
  return [path](const talvex::TImportOptions& options, talvex::TImportReport* report) {
    return talvex::ImportTable(path, options, report);
  };
}

inline bool OkEnabled(const TImportDialog& dialog) {
  return dialog.Buttons().button(QDialogButtonBox::Ok)->isEnabled();
}

}  // namespace talvex::desktop
