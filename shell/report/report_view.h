// TReportView: the report window's text view. A read-only, fixed-pitch view
// of the report listing in which the user can move the caret, select and
// copy; copied text has its lines separated by CR LF, as saved reports do.
#pragma once

#include <QPlainTextEdit>
#include <QStringList>

class TReportView : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit TReportView(QWidget* parent = nullptr);

  /// The listing's font: "Courier New" 13 pixels high, or, where no face of
  /// that name is fixed-pitch, the system's fixed-pitch face at that height.
  static QFont ListingFont();

  /// Replaces the text with `lines`, one text line each.
  void SetLines(const QStringList& lines);
  const QStringList& Lines() const noexcept { return lines_; }

 protected:
  QMimeData* createMimeDataFromSelection() const override;

 private:
  QStringList lines_;
};
