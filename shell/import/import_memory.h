// TImportMemory: the import options last chosen for each table, kept in the
// settings file, so that reopening a table (Open, a recent entry, a drop)
// offers the roles and policy the user chose before.
#pragma once

#include <QString>

#include "tables/table_import.h"

class TSettingsFile;

class TImportMemory {
 public:
  explicit TImportMemory(TSettingsFile& settings) : settings_(settings) {}

  /// The options remembered for the table at `path` (compared exactly), or
  /// the defaults.
  talvex::TImportOptions Recall(const QString& path) const;
  /// Remembers `options` for `path`; the oldest of more than Maximum tables
  /// is forgotten. In memory: the owner of the settings file saves it.
  void Remember(const QString& path, const talvex::TImportOptions& options);

  static constexpr int Maximum = 20;
  static inline const QString Section = QStringLiteral("TableImport");

  /// The options as one line of text, and back (unknown or damaged fields
  /// give the defaults).
  static QString OptionsText(const talvex::TImportOptions& options);
  static talvex::TImportOptions OptionsFromText(const QString& text);

 private:
  TSettingsFile& settings_;
};
