// THelpFile: the program's help file, a binary Qt resource built from the
// user manual in docs/ (Markdown topics, the order of the contents in
// contents.txt, extra index terms in index.txt). It finds the file, makes
// its topics readable under qrc:/talvex-help/, and lists the table of
// contents and the index.
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <vector>

class THelpFile {
 public:
  /// The file name of the help file.
  static inline const QString FileName = QStringLiteral("talvex-help.rcc");

  /// Where the program looks for the help file: beside the executable (the
  /// build tree), then in ../share/talvex (an installed program).
  static QString Locate(const QString& executableDir);

  /// Registers the help file at `path`; Loaded() is false when it is missing
  /// or not a help file, and then the help shows nothing.
  explicit THelpFile(const QString& path);
  ~THelpFile();
  THelpFile(const THelpFile&) = delete;
  THelpFile& operator=(const THelpFile&) = delete;

  bool Loaded() const { return loaded_; }

  struct THeading {
    QString text;
    int level = 1;
    QUrl url;
  };
  struct TTopic {
    QString title;
    QUrl url;
    std::vector<THeading> headings;  // the sections of the topic, level 2 and 3
  };
  /// The topics in the order of the table of contents.
  const std::vector<TTopic>& Topics() const { return topics_; }

  struct TIndexEntry {
    QString term;
    QUrl url;
  };
  /// Every section heading and every extra term, sorted without regard to
  /// letter case.
  const std::vector<TIndexEntry>& Index() const { return index_; }

  /// The URL of a topic file, with a heading as fragment when given.
  static QUrl TopicUrl(const QString& file, const QString& heading = QString());

 private:
  void ReadTopics();
  void ReadIndex();

  QString path_;
  bool loaded_ = false;
  std::vector<TTopic> topics_;
  std::vector<TIndexEntry> index_;
};
