// The program's message boxes.
#include "shell/common/message_box.h"

#include <QGridLayout>
#include <QSpacerItem>
#include <QStyle>

namespace {

// Room for the title bar's buttons beside the title, in average characters.
constexpr int TitleMargin = 16;
constexpr int MinimumBoxWidth = 320;

}  // namespace

void ExecMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                    const QString& text, const QString& detail,
                    QMessageBox::StandardButton button) {
  QMessageBox box(icon, title, text, button, parent);
  if (!detail.isEmpty()) box.setInformativeText(detail);
  box.setTextInteractionFlags(Qt::TextSelectableByMouse);
  // QMessageBox sizes itself to its text only; a spacer across its grid
  // keeps the title readable.
  const QFontMetrics metrics(box.font());
  const int width = std::max(
      MinimumBoxWidth, metrics.horizontalAdvance(title) + TitleMargin * metrics.averageCharWidth());
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                  grid->rowCount(), 0, 1, grid->columnCount());
  }
  box.exec();
}
