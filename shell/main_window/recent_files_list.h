// TRecentFilesList: the recent-files list. It remembers the last data files
// that were loaded, shows them as numbered entries at the end of the File
// menu, reports which one the user picks, and keeps the list in the
// [FileHistory] section of the settings file.
#pragma once

#include <QAction>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QStringList>

class TSettingsFile;
class TRecentFilesList;

/// A menu entry made by the list: its 1-based position in the list (0 for
/// the separator that precedes the entries).
class TRecentFileItem : public QAction {
  Q_OBJECT
 public:
  TRecentFileItem(const QString& text, unsigned entryNumber, QObject* parent);
  unsigned EntryNumber() const { return entryNumber_; }

 private:
  unsigned entryNumber_;
};

class TRecentFilesList : public QObject {
  Q_OBJECT
 public:
  /// Reads the entries at once (the list saves itself automatically).
  explicit TRecentFilesList(TSettingsFile& settings, QObject* parent = nullptr);

  /// The menu whose end holds the entries. A destroyed menu is forgotten.
  void SetFileMenu(QMenu* menu);

  /// Moves `path` to the top when it is already listed (compared as the
  /// file system compares names: without regard to letter case only where
  /// it ignores case; the stored spelling stays), else inserts it at the top
  /// and cuts the list to Maximum entries. Rebuilds the menu.
  void AddFile(const QString& path);
  /// Removes every entry and its menu items.
  void ClearAll();
  /// Replaces the menu items by ones for the current entries.
  void RebuildMenu();
  /// Reads [FileHistory] in the file's key order; empty values are skipped.
  /// The count is not cut to Maximum here (the next AddFile does that).
  void LoadEntries();
  /// Writes the entries as F0, F1, ... to a fresh [FileHistory] (in memory;
  /// the owner of the settings file saves it).
  void SaveEntries();

  const QStringList& Entries() const { return entries_; }
  int Count() const { return int(entries_.size()); }
  /// The menu items made for the entries (the separator excluded), in order.
  QList<TRecentFileItem*> MenuItems() const;
  /// Enables or disables the entries' menu items (a running analysis holds
  /// loads back).
  void SetItemsEnabled(bool enabled);

  static constexpr int Maximum = 5;
  static constexpr int MaxCaptionWidth = 200;
  static constexpr bool InsertSeparator = true;
  static inline const QString AutoSaveKey = QStringLiteral("FileHistory");

 signals:
  /// The user picked an entry; the entry stays where it is.
  void MRUItemClick(const QString& fileName);
  /// The entries changed (added, moved, cleared or read anew).
  void Changed();

 private:
  void RemoveMenuItems();
  void ItemClick(const TRecentFileItem* item);

  TSettingsFile& settings_;
  QStringList entries_;
  QPointer<QMenu> fileMenu_;
  QList<QPointer<TRecentFileItem>> items_;  // separator first, when there are entries
  bool itemsEnabled_ = true;
};
