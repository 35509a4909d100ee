// The help window.
#include "shell/help/help_window.h"

#include <QAbstractTextDocumentLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "shell/help/help_file.h"

namespace {

constexpr int UrlRole = Qt::UserRole;

// "Reading the report" and "reading-the-report" name the same heading, so
// that the manual's own links work here and in any Markdown viewer.
QString Slug(const QString& text) {
  QString slug;
  for (const QChar c : text.toLower()) {
    if (c.isLetterOrNumber() || c == u'-' || c == u'_') {
      slug += c;
    } else if (c == u' ') {
      slug += u'-';
    }
  }
  return slug;
}

}  // namespace

THelpWindow::THelpWindow(const THelpFile& helpFile, QWidget* parent)
    : QWidget(parent, Qt::Window), helpFile_(helpFile) {
  setObjectName(QStringLiteral("HelpWindow"));
  setWindowTitle(tr("TALVEX Help"));
  resize(860, 600);

  tabs_ = new QTabWidget;
  contents_ = new QTreeWidget;
  indexFilter_ = new QLineEdit;
  index_ = new QListWidget;
  browser_ = new QTextBrowser;
  browser_->setOpenExternalLinks(true);

  auto* indexPage = new QWidget;
  auto* indexLayout = new QVBoxLayout(indexPage);
  indexFilter_->setPlaceholderText(tr("Type a keyword"));
  indexLayout->addWidget(indexFilter_);
  indexLayout->addWidget(index_);
  tabs_->addTab(contents_, tr("&Contents"));
  tabs_->addTab(indexPage, tr("&Index"));

  auto* splitter = new QSplitter;
  splitter->addWidget(tabs_);
  splitter->addWidget(browser_);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({240, 620});
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(splitter);

  CreateContents();
  CreateIndex();

  connect(browser_, &QTextBrowser::sourceChanged, this,
          [this](const QUrl& url) { ScrollToHeading(url.fragment(QUrl::FullyDecoded)); });
  if (!helpFile_.Topics().empty()) ShowTopic(helpFile_.Topics().front().url);
}

void THelpWindow::CreateContents() {
  contents_->setHeaderHidden(true);
  for (const THelpFile::TTopic& topic : helpFile_.Topics()) {
    auto* item = new QTreeWidgetItem(contents_, {topic.title});
    item->setData(0, UrlRole, topic.url);
    QTreeWidgetItem* section = nullptr;
    for (const THelpFile::THeading& h : topic.headings) {
      QTreeWidgetItem* parent = h.level == 3 && section != nullptr ? section : item;
      auto* child = new QTreeWidgetItem(parent, {h.text});
      child->setData(0, UrlRole, h.url);
      if (h.level == 2) section = child;
    }
  }
  connect(contents_, &QTreeWidget::itemActivated, this,
          [this](QTreeWidgetItem* item) { ShowTopic(item->data(0, UrlRole).toUrl()); });
  connect(contents_, &QTreeWidget::itemClicked, this,
          [this](QTreeWidgetItem* item) { ShowTopic(item->data(0, UrlRole).toUrl()); });
}

void THelpWindow::CreateIndex() {
  for (const THelpFile::TIndexEntry& entry : helpFile_.Index()) {
    auto* item = new QListWidgetItem(entry.term, index_);
    item->setData(UrlRole, entry.url);
  }
  connect(indexFilter_, &QLineEdit::textChanged, this, &THelpWindow::FilterIndex);
  connect(indexFilter_, &QLineEdit::returnPressed, this, [this] {
    if (QListWidgetItem* item = index_->currentItem()) ShowTopic(item->data(UrlRole).toUrl());
  });
  connect(index_, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { ShowTopic(item->data(UrlRole).toUrl()); });
  connect(index_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { ShowTopic(item->data(UrlRole).toUrl()); });
}

void THelpWindow::FilterIndex(const QString& text) {
  // Like a printed index: show every term, select the first that begins
  // with what has been typed.
  for (int i = 0; i < index_->count(); ++i) {
    QListWidgetItem* item = index_->item(i);
    if (item->text().startsWith(text.trimmed(), Qt::CaseInsensitive)) {
      index_->setCurrentItem(item);
      index_->scrollToItem(item, QAbstractItemView::PositionAtTop);
      return;
    }
  }
}

void THelpWindow::ShowTopic(const QUrl& url) {
  if (!url.isValid()) return;
  QUrl page = url;
  page.setFragment(QString());
  if (browser_->source().adjusted(QUrl::RemoveFragment) != page) {
    browser_->setSource(page, QTextDocument::MarkdownResource);
  }
  ScrollToHeading(url.fragment(QUrl::FullyDecoded));
}

void THelpWindow::ScrollToHeading(const QString& heading) {
  if (heading.isEmpty()) {
    browser_->verticalScrollBar()->setValue(0);
    return;
  }
  const QString wanted = Slug(heading);
  for (QTextBlock block = browser_->document()->begin(); block.isValid(); block = block.next()) {
    if (block.blockFormat().headingLevel() > 0 && Slug(block.text()) == wanted) {
      QTextCursor cursor(block);
      browser_->setTextCursor(cursor);
      const QRectF rect = browser_->document()->documentLayout()->blockBoundingRect(block);
      browser_->verticalScrollBar()->setValue(int(rect.top()));
      return;
    }
  }
}

void THelpWindow::BringUp() {
  show();
  raise();
  activateWindow();
}

void THelpWindow::ShowContents() {
  tabs_->setCurrentIndex(0);
  BringUp();
  contents_->setFocus();
}

void THelpWindow::ShowIndex() {
  tabs_->setCurrentIndex(1);
  BringUp();
  indexFilter_->setFocus();
  indexFilter_->selectAll();
}
