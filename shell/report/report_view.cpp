// The report window's read-only text view.
#include "shell/report/report_view.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QMimeData>
#include <QTextCursor>

namespace {
constexpr int ListingPixelSize = 13;
}

TReportView::TReportView(QWidget* parent) : QPlainTextEdit(parent) {
  setReadOnly(true);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  // Listing lines are laid out in columns; wrapping them would break the columns.
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setUndoRedoEnabled(false);
  setFont(ListingFont());
  QPalette colours = palette();
  colours.setColor(QPalette::Text, Qt::black);
  colours.setColor(QPalette::Base, Qt::white);
  setPalette(colours);
}

QFont TReportView::ListingFont() {
  QFont font(QStringLiteral("Courier New"));
  font.setPixelSize(ListingPixelSize);
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  if (QFontInfo(font).fixedPitch()) return font;
  QFont fallback = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  fallback.setPixelSize(ListingPixelSize);
  return fallback;
}

void TReportView::SetLines(const QStringList& lines) {
  lines_ = lines;
  setPlainText(lines.join(QLatin1Char('\n')));
}

QMimeData* TReportView::createMimeDataFromSelection() const {
  QString text = textCursor().selectedText();
  text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
  text.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
  auto* data = new QMimeData;
  data->setText(text);
  return data;
}
