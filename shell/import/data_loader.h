// TDataLoader: every way data come into the program (a data-matrix file, a
// table through its import dialog, text pasted from the clipboard), each
// read aside and made the loaded data only when it has read whole. A table
// offers the roles and supplementary rows chosen for it last time
// (TImportMemory). What a load does to the window afterwards (the name, the
// size line, the commands) is the main window's business.
//
// Messages it shows: a refused source's own message and then "File error"
// (both naming the source where the reader does not), or the general error
// report for any other failure; "The clipboard holds no table. Copy the
// cells in a spreadsheet first." for an empty clipboard.
#pragma once

#include <QString>
#include <functional>

#include "analysis/analysis_state.h"
#include "shell/import/import_dialog.h"
#include "shell/import/import_memory.h"

namespace talvex::desktop {

class TSettingsFile;
class TUserInteraction;
class TUserMessages;

class TDataLoader {
 public:
  /// Loads into `state`; the import memory lives in `settings`.
  TDataLoader(talvex::TAnalysisState& state, TSettingsFile& settings, TUserInteraction& interaction,
              TUserMessages& messages);

  /// Reads the file at `path`: a table after its import dialog (Cancel
  /// loads nothing), any other file as a data matrix. False when nothing
  /// was loaded; the failure has been told.
  bool LoadFile(const QString& path);
  /// Reads `text` (the clipboard's) as a table after the import dialog,
  /// under the name "Pasted data". False when nothing was loaded.
  bool LoadPasted(const QString& text);

  /// The name pasted data go by.
  static QString PastedDataName();

 private:
  /// Runs `load`; a refused source is told (its own message, then "File
  /// error"), another failure goes to the general error report, both naming
  /// `source` where the failure does not. False when it did not load.
  bool LoadWithMessages(const QString& source, const std::function<void()>& load);
  /// Reads a table with `read` as `choice` says and makes it the loaded data
  /// (`path`: the file, empty for pasted text; `name`: what the data go by).
  /// The rows it picks are recorded in the source for the runs to place.
  void LoadTable(const TImportRunner& read, const std::string& path, const std::string& name,
                 const TTableChoice& choice);

  talvex::TAnalysisState& state_;
  TUserInteraction& interaction_;
  TUserMessages& messages_;
  TImportMemory importMemory_;
};

}  // namespace talvex::desktop
