// The label that cuts its text to fit.
#include "shell/common/elided_label.h"

TElidedLabel::TElidedLabel(QWidget* parent) : QLabel(parent) {
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void TElidedLabel::SetFullText(const QString& text) {
  fullText_ = text;
  Elide();
}

// The width comes from the layout, never from the text.
QSize TElidedLabel::minimumSizeHint() const { return {0, QLabel::minimumSizeHint().height()}; }

QSize TElidedLabel::sizeHint() const { return {0, QLabel::sizeHint().height()}; }

void TElidedLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  Elide();
}

void TElidedLabel::Elide() {
  setText(fontMetrics().elidedText(fullText_, Qt::ElideMiddle, contentsRect().width()));
}
