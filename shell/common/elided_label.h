// TElidedLabel: a one-line label that shows as much of its text as fits,
// cutting the middle ("very_lo…name.nts"), so a long file name never widens
// the window; the whole text stays readable in the tool tip.
#pragma once

#include <QLabel>

class TElidedLabel : public QLabel {
  Q_OBJECT
 public:
  explicit TElidedLabel(QWidget* parent = nullptr);

  /// The whole text; what is shown is cut to the label's width.
  void SetFullText(const QString& text);
  const QString& FullText() const noexcept { return fullText_; }

  QSize minimumSizeHint() const override;
  QSize sizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Elide();

  QString fullText_;
};
