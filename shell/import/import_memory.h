// TImportMemory: the choice last made for each table in the import dialog
// (its options and its supplementary rows), kept in the settings file, so
// that reopening a table (Open, a recent entry, a drop) offers the roles,
// the policy and the rows the user chose before.
#pragma once

#include <QString>

#include "shell/import/table_choice.h"

namespace talvex::desktop {

class TSettingsFile;

class TImportMemory {
 public:
  explicit TImportMemory(TSettingsFile& settings) : settings_(settings) {}

  /// The choice remembered for the table at `path` (compared exactly), or
  /// the defaults.
  TTableChoice Recall(const QString& path) const;
  /// Remembers `choice` for `path`; the oldest of more than Maximum tables
  /// is forgotten. In memory: the owner of the settings file saves it.
  void Remember(const QString& path, const TTableChoice& choice);

  static constexpr int Maximum = 20;
  static inline const QString Section = QStringLiteral("TableImport");

  /// The choice as one line of text, and back (unknown or damaged fields
  /// give the defaults).
  static QString ChoiceText(const TTableChoice& choice);
  static TTableChoice ChoiceFromText(const QString& text);

 private:
  TSettingsFile& settings_;
};

}  // namespace talvex::desktop
