// Locating, registering and listing the help file.
#include "shell/help/help_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QResource>
#include <algorithm>

namespace {

const QString Root = QStringLiteral("/talvex-help");

QString ReadResourceText(const QString& name) {
  QFile file(u':' + Root + u'/' + name);
  if (!file.open(QIODevice::ReadOnly)) return QString();
  return QString::fromUtf8(file.readAll());
}

}  // namespace

QString THelpFile::Locate(const QString& executableDir) {
  const QDir dir(executableDir);
  for (const QString& candidate :
       {dir.filePath(FileName), dir.filePath(QStringLiteral("../share/talvex/") + FileName)}) {
    if (QFileInfo::exists(candidate)) return QDir::cleanPath(candidate);
  }
  return QString();
}

THelpFile::THelpFile(const QString& path) : path_(path) {
  if (path_.isEmpty() || !QFileInfo::exists(path_)) return;
  if (!QResource::registerResource(path_, Root)) return;
  loaded_ = QFile::exists(u':' + Root + QStringLiteral("/contents.txt"));
  if (!loaded_) {
    QResource::unregisterResource(path_, Root);
    return;
  }
  ReadTopics();
  ReadIndex();
}

THelpFile::~THelpFile() {
  if (loaded_) QResource::unregisterResource(path_, Root);
}

QUrl THelpFile::TopicUrl(const QString& file, const QString& heading) {
  QUrl url(QStringLiteral("qrc:") + Root + u'/' + file);
  if (!heading.isEmpty()) url.setFragment(heading);
  return url;
}

void THelpFile::ReadTopics() {
  // contents.txt: one topic file per line, in the order of the contents.
  for (const QString& line : ReadResourceText(QStringLiteral("contents.txt")).split(u'\n')) {
    const QString file = line.trimmed();
    if (file.isEmpty() || file.startsWith(u'#')) continue;
    TTopic topic{file, TopicUrl(file), {}};
    bool fenced = false;
    for (const QString& text : ReadResourceText(file).split(u'\n')) {
      if (text.startsWith(QStringLiteral("```"))) fenced = !fenced;
      if (fenced || !text.startsWith(u'#')) continue;
      const qsizetype level = text.indexOf(u' ');
      const QString heading = text.mid(level + 1).trimmed();
      if (level == 1) {
        topic.title = heading;
      } else if (level == 2 || level == 3) {
        topic.headings.push_back(THeading{heading, int(level), TopicUrl(file, heading)});
      }
    }
    topics_.push_back(std::move(topic));
  }
}

void THelpFile::ReadIndex() {
  for (const TTopic& topic : topics_) {
    index_.push_back(TIndexEntry{topic.title, topic.url});
    for (const THeading& h : topic.headings) index_.push_back(TIndexEntry{h.text, h.url});
  }
  // index.txt: "term = file.md#Heading" lines for terms that head no section.
  for (const QString& line : ReadResourceText(QStringLiteral("index.txt")).split(u'\n')) {
    const qsizetype equals = line.indexOf(u'=');
    if (equals <= 0 || line.startsWith(u'#')) continue;
    const QString term = line.left(equals).trimmed();
    const QString target = line.mid(equals + 1).trimmed();
    const qsizetype hash = target.indexOf(u'#');
    index_.push_back(TIndexEntry{
        term, hash < 0 ? TopicUrl(target) : TopicUrl(target.left(hash), target.mid(hash + 1))});
  }
  std::stable_sort(index_.begin(), index_.end(), [](const TIndexEntry& a, const TIndexEntry& b) {
    return a.term.compare(b.term, Qt::CaseInsensitive) < 0;
  });
}
