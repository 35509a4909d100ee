// THelpWindow: shows the help file: a table of contents and an index beside
// the topic being read.
#pragma once

#include <QWidget>

class QLineEdit;
class QListWidget;
class QTabWidget;
class QTextBrowser;
class QTreeWidget;
class QUrl;
class THelpFile;

class THelpWindow : public QWidget {
  Q_OBJECT
 public:
  THelpWindow(const THelpFile& helpFile, QWidget* parent = nullptr);

  /// Brings the window up on its table of contents (Help > Contents, F1).
  void ShowContents();
  /// Brings the window up on its index, ready for typing (Help > Search Topic...).
  void ShowIndex();
  /// Shows a topic, scrolled to the heading named by the URL's fragment.
  void ShowTopic(const QUrl& url);

  QTextBrowser* Browser() const { return browser_; }
  QTreeWidget* ContentsTree() const { return contents_; }
  QListWidget* IndexList() const { return index_; }
  QTabWidget* Tabs() const { return tabs_; }

 private:
  void CreateContents();
  void CreateIndex();
  void FilterIndex(const QString& text);
  void ScrollToHeading(const QString& heading);
  void BringUp();

  const THelpFile& helpFile_;
  QTabWidget* tabs_;
  QTreeWidget* contents_;
  QLineEdit* indexFilter_;
  QListWidget* index_;
  QTextBrowser* browser_;
};
