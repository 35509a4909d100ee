// TFigureScene: what one plot shows, in data units, ready to be drawn:
// the points with their names and groups, lines, arrows, error bars, bars,
// reference lines and the titles, whatever the kind of plot. The plot
// builders make it from a run and the window's choices; the drawing only
// draws it, so the same scene reaches the screen, the files and the printer.
#pragma once

#include <QColor>
#include <QPointF>
#include <QString>
#include <vector>

#include "figures/axis_ticks.h"
#include "figures/group_style.h"

namespace talvex::drawing {

/// One object or variable: where it stands and what the user can learn of it.
struct TSceneItem {
  QPointF at;
  QString mark;     // the label the plot shows (a number or the name)
  QString name;     // for the hover text
  QString group;    // empty without groups
  QString details;  // the values, for the hover text
  /// Labelled whatever the reader chose, before the other points, and
  /// searched for the farthest (the objects the diagnostics single out).
  bool singledOut = false;
  int singledRank = 0;  // among those singled out: 0 first
  /// Labelled whatever the reader chose, where there is room (the scree
  /// plot's component numbers).
  bool alwaysLabelled = false;
};

/// Items drawn alike, with one legend entry (none when `legend` is empty).
struct TScenePointSet {
  QString legend;
  QColor outline;
  QColor fill;
  talvex::TMarkerShape shape = talvex::TMarkerShape::Circle;
  double size = 6.0;       // marker diameter, points
  std::vector<int> items;  // indices into TFigureScene::items
};

/// A polyline or polygon; markers at its vertices when `markers`.
struct TScenePolyline {
  std::vector<QPointF> points;
  QColor colour;
  double width = 1.0;  // points
  Qt::PenStyle style = Qt::SolidLine;
  bool closed = false;
  QColor fill = Qt::transparent;
  QString legend;
  QColor legendColour;  // the legend's swatch; invalid: `colour`
  bool markers = false;
  QColor markerFill;
  QColor markerOutline;
};

/// An arrow from the origin, labelled at its tip.
struct TSceneArrow {
  QPointF tip;
  QString label;
  QColor colour;
  Qt::PenStyle style = Qt::SolidLine;  // the shaft's (dashed: a supplementary variable)
};

/// Error bars around a centre: +-dx across, +-dy up and down (0: none).
struct TSceneErrorBar {
  QPointF centre;
  double dx = 0.0;
  double dy = 0.0;
  QColor colour;
};

/// A bar from 0 up to `height`, centred on `x`.
struct TSceneBar {
  double x = 0.0;
  double width = 0.8;
  double height = 0.0;
  QColor fill;
};

/// A horizontal reference line across the whole plot.
struct TSceneRule {
  double y = 0.0;
  QColor colour;
  Qt::PenStyle style = Qt::DashLine;
  QString legend;
};

/// A text at a point of the plot (the percent bars' values), placed like a
/// point's label and left out where it has no place.
struct TSceneNumber {
  QPointF at;
  QString text;
};

struct TFigureScene {
  QString title;
  QString xTitle;
  QString yTitle;
  talvex::TRange xRange;  // the view that Reset View returns to
  talvex::TRange yRange;
  bool equalAspect = false;  // one unit the same length on both axes
  bool zeroLines = false;
  bool unitCircle = false;
  bool integerTicksX = false;  // component numbers

  std::vector<TSceneItem> items;
  std::vector<TScenePointSet> pointSets;
  std::vector<TSceneBar> bars;
  std::vector<TScenePolyline> lines;
  std::vector<TSceneRule> rules;
  std::vector<TSceneErrorBar> errorBars;
  std::vector<TSceneArrow> arrows;
  std::vector<TSceneNumber> numbers;
  QString errorBarLegend;  // the legend entry of the error bars, if any
  QString legendTitle;     // above the legend's entries (the group column)
  QString note;            // a line under the title (the biplot's arrow scale)
};

}  // namespace talvex::drawing
