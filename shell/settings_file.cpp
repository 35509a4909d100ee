// The INI reader/writer of the desktop program.
#include "shell/settings_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "base/exception.h"
#include "export/atomic_file.h"
#include "shell/integer_text.h"

QString TSettingsFile::DefaultPath() {
  QString dir = qEnvironmentVariable("TALVEX_CONFIG_DIR");
  if (dir.isEmpty()) dir = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (dir.isEmpty()) dir = QDir::homePath() + QStringLiteral("/.config");
  return QDir(dir).filePath(QStringLiteral("TALVEX.INI"));
}

TSettingsFile::TSettingsFile(QString path) : path_(std::move(path)) {
  QFile file(path_);
  if (file.open(QIODevice::ReadOnly)) {
    Parse(QString::fromUtf8(file.readAll()));
    savedText_ = Text();
  }
}

void TSettingsFile::Parse(const QString& text) {
  sections_.push_back(TSection{QString(), QString(), {}, false});  // lines before any header
  QStringList lines = text.split(u'\n');
  if (!lines.isEmpty() && lines.back().isEmpty()) lines.pop_back();
  for (QString line : lines) {
    if (line.endsWith(u'\r')) line.chop(1);
    const QString trimmed = line.trimmed();
    if (trimmed.startsWith(u'[') && trimmed.contains(u']')) {
      const QString name = trimmed.mid(1, trimmed.indexOf(u']') - 1).trimmed();
      sections_.push_back(TSection{name, line, {}, true});
      continue;
    }
    const qsizetype equals = line.indexOf(u'=');
    const bool comment = trimmed.startsWith(u';');
    if (equals > 0 && !comment && !line.left(equals).trimmed().isEmpty()) {
      sections_.back().entries.push_back(
          TEntry{line.left(equals).trimmed(), line.mid(equals + 1).trimmed(), line});
    } else {
      sections_.back().entries.push_back(TEntry{QString(), QString(), line});
    }
  }
}

TSettingsFile::TSection* TSettingsFile::Find(const QString& section) {
  for (TSection& s : sections_) {
    if (s.headed && s.name.compare(section, Qt::CaseInsensitive) == 0) return &s;
  }
  return nullptr;
}

const TSettingsFile::TSection* TSettingsFile::Find(const QString& section) const {
  return const_cast<TSettingsFile*>(this)->Find(section);
}

const TSettingsFile::TEntry* TSettingsFile::FindEntry(const QString& section,
                                                      const QString& key) const {
  if (const TSection* s = Find(section)) {
    for (const TEntry& e : s->entries) {
      if (!e.key.isEmpty() && e.key.compare(key, Qt::CaseInsensitive) == 0) return &e;
    }
  }
  return nullptr;
}

QString TSettingsFile::ReadString(const QString& section, const QString& key,
                                  const QString& defaultValue) const {
  const TEntry* e = FindEntry(section, key);
  return e != nullptr ? e->value : defaultValue;
}

int TSettingsFile::ReadInteger(const QString& section, const QString& key, int defaultValue) const {
  const TEntry* e = FindEntry(section, key);
  if (e == nullptr) return defaultValue;
  return IntegerFromText(e->value).value_or(defaultValue);
}

QStringList TSettingsFile::Keys(const QString& section) const {
  QStringList keys;
  if (const TSection* s = Find(section)) {
    for (const TEntry& e : s->entries) {
      if (!e.key.isEmpty() && !keys.contains(e.key, Qt::CaseInsensitive)) keys.append(e.key);
    }
  }
  return keys;
}

void TSettingsFile::WriteString(const QString& section, const QString& key, const QString& value) {
  TSection* s = Find(section);
  if (s == nullptr) {
    sections_.push_back(TSection{section, QStringLiteral("[%1]").arg(section), {}, true});
    s = &sections_.back();
  }
  const QString line = key + u'=' + value;
  for (TEntry& e : s->entries) {
    if (!e.key.isEmpty() && e.key.compare(key, Qt::CaseInsensitive) == 0) {
      if (e.value != value) e = TEntry{e.key, value, e.key + u'=' + value};
      return;
    }
  }
  // A new key goes after the section's last key, before trailing blank lines.
  auto at = s->entries.end();
  while (at != s->entries.begin() && std::prev(at)->key.isEmpty() &&
         std::prev(at)->line.trimmed().isEmpty()) {
    --at;
  }
  s->entries.insert(at, TEntry{key, value, line});
}

void TSettingsFile::WriteInteger(const QString& section, const QString& key, int value) {
  WriteString(section, key, QString::number(value));
}

void TSettingsFile::EraseSection(const QString& section) {
  std::erase_if(sections_, [&](const TSection& s) {
    return s.headed && s.name.compare(section, Qt::CaseInsensitive) == 0;
  });
}

QString TSettingsFile::Text() const {
  QString text;
  for (const TSection& s : sections_) {
    if (s.headed) text += s.header + u'\n';
    for (const TEntry& e : s.entries) text += e.line + u'\n';
  }
  return text;
}

bool TSettingsFile::Save() {
  try {
    const QString text = Text();
    const QFileInfo info(path_);
    if (text == savedText_ && info.exists()) return true;
    // The configuration folder may not exist yet on a new account.
    if (!QDir().mkpath(info.absolutePath())) return false;
    const QByteArray bytes = text.toUtf8();
    talvex::WriteFileAtomically(QFile::encodeName(path_).toStdString(),
                                std::string_view(bytes.constData(), size_t(bytes.size())));
    savedText_ = text;
    return true;
  } catch (const talvex::Exception&) {
    return false;
  }
}
