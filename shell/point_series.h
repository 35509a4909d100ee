// TPointSeries: one series of the result plots, drawn over a Qt chart's
// axes: circle markers at its points, optionally joined by a line, and the
// point marks (each point's X value, or its object or variable name).
// Qt Charts' own scatter series makes a scene item per point, which takes
// seconds for twenty thousand objects; this paints them in one pass, and
// gives each mark the text it should have.
#pragma once

#include <QColor>
#include <QFont>
#include <QGraphicsObject>
#include <QList>
#include <QPen>
#include <QPointF>
#include <QStringList>

class QChart;
class QValueAxis;

class TPointSeries : public QGraphicsObject {
  Q_OBJECT

 public:
  /// A series drawn as a child of `chart` on its axes `axisX` and `axisY`;
  /// empty, inactive and with its marks hidden at first.
  TPointSeries(QChart* chart, QValueAxis* axisX, QValueAxis* axisY);

  /// Replaces the points (in order) and their marks' texts: X values and names.
  void SetPoints(QList<QPointF> points, QStringList valueTexts, QStringList nameTexts);
  const QList<QPointF>& Points() const noexcept { return points_; }

  /// Circle markers of `size` pixels, filled and outlined.
  void SetMarkers(const QColor& fill, const QColor& outline, qreal size);
  QColor Fill() const { return fill_; }
  QColor Outline() const { return outline_; }
  qreal MarkerSize() const noexcept { return markerSize_; }
  /// A line joining the points in order (Qt::NoPen for none).
  void SetLinePen(const QPen& pen);
  QPen LinePen() const { return linePen_; }

  /// An inactive series draws nothing, marks included.
  void SetActive(bool active);
  bool Active() const noexcept { return active_; }

  /// The marks' visibility; it belongs to the series and outlives refills.
  void SetMarksShown(bool shown);
  bool MarksShown() const noexcept { return marksShown_; }
  /// Whether the marks show the names instead of the X values.
  void SetUseNames(bool useNames);
  /// The marks' texts, one per point.
  const QStringList& MarkTexts() const noexcept { return useNames_ ? names_ : values_; }

  /// Where `point` lies in the chart's coordinates.
  QPointF Position(const QPointF& point) const;

  QRectF boundingRect() const override;
  void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

 private:
  QChart* chart_;
  QValueAxis* axisX_;
  QValueAxis* axisY_;
  QList<QPointF> points_;
  QStringList values_;
  QStringList names_;
  QColor fill_;
  QColor outline_;
  qreal markerSize_ = 8;
  QPen linePen_{Qt::NoPen};
  bool active_ = false;
  bool marksShown_ = false;
  bool useNames_ = false;
  QFont marksFont_;
};
