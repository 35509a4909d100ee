// TSettingsFile: the program's INI file ("TALVEX.INI" in the user's
// configuration directory): sections of key=value lines, read and written a
// value at a time with the value rules of a private-profile file (integers in
// decimal or with a "0x" prefix; a missing key or a non-integer gives the
// default). The file's own key order is kept; Save writes atomically.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class TSettingsFile {
 public:
  /// The settings file of this user: $TALVEX_CONFIG_DIR, else
  /// $XDG_CONFIG_HOME, else ~/.config, then "TALVEX.INI". Tests set
  /// TALVEX_CONFIG_DIR.
  static QString DefaultPath();

  /// Reads `path` if it exists (a missing or unreadable file reads as empty).
  /// Section and key names compare without regard to letter case; where a
  /// key stands twice in a section, its first occurrence counts.
  explicit TSettingsFile(QString path = DefaultPath());

  const QString& Path() const { return path_; }

  /// The value as an integer, or `defaultValue` when the key is missing or
  /// its value is not an integer.
  int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
  /// The value as text, or `defaultValue` when the key is missing.
  QString ReadString(const QString& section, const QString& key,
                     const QString& defaultValue = QString()) const;
  /// The keys of a section in file order.
  QStringList Keys(const QString& section) const;

  void WriteInteger(const QString& section, const QString& key, int value);
  void WriteString(const QString& section, const QString& key, const QString& value);
  void EraseSection(const QString& section);

  /// Writes the whole file atomically (temporary file beside it, then
  /// rename); a file whose text has not changed is left untouched. Returns
  /// false when it cannot be written; the old file is then left as it was.
  bool Save();

 private:
  // One line of a section. A line that is not key=value (a comment, a blank
  // line) keeps its text in `line` with an empty key, so that Save gives it
  // back unchanged; so does every key=value line the program did not write.
  struct TEntry {
    QString key;
    QString value;
    QString line;
  };
  // Lines before the first section header form a section without a header.
  struct TSection {
    QString name;
    QString header;
    std::vector<TEntry> entries;
    bool headed = true;
  };
  void Parse(const QString& text);
  QString Text() const;
  TSection* Find(const QString& section);
  const TSection* Find(const QString& section) const;
  const TEntry* FindEntry(const QString& section, const QString& key) const;

  QString path_;
  std::vector<TSection> sections_;
  QString savedText_;  // the file's text as last read or written
};
