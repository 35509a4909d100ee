// The recent-files list and its menu entries.
#include "shell/main_window/recent_files_list.h"

#include "shell/common/shorten_path.h"
#include "shell/settings/settings_file.h"

namespace {

// The access keys of the entries, in list order; later entries get none.
const QString AccessKeys = QStringLiteral("1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZ");

// Two spellings name one file only where the file system ignores case.
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
constexpr Qt::CaseSensitivity PathCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity PathCase = Qt::CaseSensitive;
#endif

qsizetype IndexOfPath(const QStringList& list, const QString& path) {
  for (qsizetype i = 0; i < list.size(); ++i) {
    if (list[i].compare(path, PathCase) == 0) return i;
  }
  return -1;
}

}  // namespace

TRecentFileItem::TRecentFileItem(const QString& text, unsigned entryNumber, QObject* parent)
    : QAction(text, parent), entryNumber_(entryNumber) {}

TRecentFilesList::TRecentFilesList(TSettingsFile& settings, QObject* parent)
    : QObject(parent), settings_(settings) {
  LoadEntries();
}

void TRecentFilesList::SetFileMenu(QMenu* menu) {
  RemoveMenuItems();
  fileMenu_ = menu;
  RebuildMenu();
}

void TRecentFilesList::AddFile(const QString& path) {
  const qsizetype found = IndexOfPath(entries_, path);
  if (found >= 0) {
    entries_.move(found, 0);
  } else {
    entries_.prepend(path);
    while (entries_.size() > Maximum) entries_.removeLast();
  }
  RebuildMenu();
  emit Changed();
}

void TRecentFilesList::ClearAll() {
  RemoveMenuItems();
  entries_.clear();
  emit Changed();
}

void TRecentFilesList::RemoveMenuItems() {
  for (const QPointer<TRecentFileItem>& item : items_) {
    if (item.isNull()) continue;
    if (fileMenu_) fileMenu_->removeAction(item);
    item->deleteLater();  // it may be the item whose click is being handled
  }
  items_.clear();
}

void TRecentFilesList::RebuildMenu() {
  RemoveMenuItems();
  if (!fileMenu_ || entries_.isEmpty()) return;
  if (InsertSeparator) {
    auto* separator = new TRecentFileItem(QString(), 0, fileMenu_);
    separator->setSeparator(true);
    fileMenu_->addAction(separator);
    items_.append(separator);
  }
  const QFontMetrics metrics(fileMenu_->font());
  for (int j = 0; j < entries_.size(); ++j) {
    QString caption = ShortenPath(entries_[j], MaxCaptionWidth, metrics);
    caption.replace(u'&', QStringLiteral("&&"));  // a path's "&" is no access key
    if (j < AccessKeys.size()) caption = u'&' + AccessKeys[j] + u' ' + caption;
    auto* item = new TRecentFileItem(caption, unsigned(j + 1), fileMenu_);
    item->setToolTip(entries_[j]);
    item->setEnabled(itemsEnabled_);
    connect(item, &QAction::triggered, this, [this, item] { ItemClick(item); });
    fileMenu_->addAction(item);
    items_.append(item);
  }
}

QList<TRecentFileItem*> TRecentFilesList::MenuItems() const {
  QList<TRecentFileItem*> result;
  for (const QPointer<TRecentFileItem>& item : items_) {
    if (item && item->EntryNumber() > 0) result.append(item);
  }
  return result;
}

void TRecentFilesList::SetItemsEnabled(bool enabled) {
  itemsEnabled_ = enabled;
  for (TRecentFileItem* item : MenuItems()) item->setEnabled(enabled);
}

void TRecentFilesList::ItemClick(const TRecentFileItem* item) {
  const qsizetype index = qsizetype(item->EntryNumber()) - 1;
  if (index < 0 || index >= entries_.size()) return;
  emit MRUItemClick(entries_[index]);
}

void TRecentFilesList::LoadEntries() {
  RemoveMenuItems();
  entries_.clear();
  for (const QString& key : settings_.Keys(AutoSaveKey)) {
    const QString value = settings_.ReadString(AutoSaveKey, key);
    // An entry stands once, whatever the file holds.
    if (!value.isEmpty() && IndexOfPath(entries_, value) < 0) {
      entries_.append(value);
    }
  }
  RebuildMenu();
  emit Changed();
}

void TRecentFilesList::SaveEntries() {
  settings_.EraseSection(AutoSaveKey);
  for (int j = 0; j < entries_.size(); ++j) {
    settings_.WriteString(AutoSaveKey, QStringLiteral("F%1").arg(j), entries_[j]);
  }
}
