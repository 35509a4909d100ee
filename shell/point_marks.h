// TPointMarks: the marks of one chart series, a text above each point (the
// point's X value, or its object or variable name). Qt Charts' own point
// labels can neither format the number nor give each point its own text, so
// the marks are an item of their own, drawn over the chart.
#pragma once

#include <QFont>
#include <QGraphicsObject>
#include <QStringList>

class QChart;
class QXYSeries;

class TPointMarks : public QGraphicsObject {
  Q_OBJECT

 public:
  /// Marks for `series`, drawn as a child of `chart`; hidden at first.
  TPointMarks(QChart* chart, QXYSeries* series);

  /// The texts of the points in order: X values and names.
  void SetTexts(QStringList valueTexts, QStringList nameTexts);
  /// Whether the names are shown instead of the X values.
  void SetUseNames(bool useNames);
  bool UseNames() const noexcept { return useNames_; }
  /// The texts shown (or that would be shown), one per point.
  const QStringList& Texts() const noexcept { return useNames_ ? names_ : values_; }

  /// Whether the marks are shown; independent of which series is active.
  void SetShown(bool shown);
  bool Shown() const noexcept { return shown_; }

  QRectF boundingRect() const override;
  void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

 private:
  QChart* chart_;
  QXYSeries* series_;
  QStringList values_;
  QStringList names_;
  bool useNames_ = false;
  bool shown_ = false;
  QFont font_;
};
