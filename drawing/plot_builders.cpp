// The plots' scenes, built from a completed run.
#include "drawing/plot_builders.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>
#include <limits>

#include "drawing/eight_bit_qstring.h"
#include "drawing/plot_supplementary.h"
#include "drawing/plot_text.h"
#include "figures/biplot_scaling.h"
#include "figures/group_regions.h"
#include "figures/influence_plot.h"
#include "figures/scree_lines.h"
#include "figures/uncertainty_marks.h"

namespace talvex::drawing {

namespace {

using talvex::TSize;

// The specified colours of the plots without groups.
const QColor ScoresColour(0, 0, 255);
// The ring around objects with imputed cells: dark red, apart from the groups' palette.
const QColor ImputedColour(170, 0, 0);
const QColor VectorsColour(255, 0, 0);
const QColor ScreeLineColour(0, 0, 255);
const QColor ScreeMarkerColour(0, 128, 0);
const QColor UncertaintyColour(90, 90, 90);
const QColor KaiserColour(213, 94, 0);
const QColor BrokenStickColour(0, 114, 178);
const QColor ParallelColour(204, 121, 167);
const QColor ArrowColour(170, 0, 0);
const QColor BarColour(86, 180, 233);
const QColor RegionLegendColour(80, 80, 80);

// Margin of the data ranges, as a fraction of the span (the drawing adds
// room for the markers' rims).
constexpr double RangeMargin = 0.02;
// Segments of a drawn ellipse or circle: smooth at any print size.
constexpr int OutlineSegments = 180;

QString Tr(const char* text) { return QCoreApplication::translate("TPlotWindow", text); }

QColor ToColour(talvex::TRgb rgb) { return QColor(rgb.red, rgb.green, rgb.blue); }

// The smallest and largest of the values seen.
struct TExtent {
  double low = std::numeric_limits<double>::infinity();
  double high = -std::numeric_limits<double>::infinity();
  void Add(double value) {
    if (!std::isfinite(value)) return;
    low = std::min(low, value);
    high = std::max(high, value);
  }
  // The extent with a small margin, not widened to round numbers: the
  // plot spends its area on what it draws.
  talvex::TRange Fit() const {
    if (low > high) return {-1.0, 1.0};
    if (high == low) {
      const double half = std::max(1.0, std::fabs(low) * 0.1);
      return {low - half, high + half};
    }
    const double margin = (high - low) * RangeMargin;
    return {low - margin, high + margin};
  }
};

QString Number(double value) { return QString::number(value, 'g', 6); }

// The horizontal range of a plot over the numbers 1..count (components,
// objects): half a step beyond each end, not out to the next round number.
talvex::TRange CountRange(std::size_t count) { return {0.4, double(count) + 0.6}; }

// A range for values that cannot be negative starts at zero, unless marks
// (error bars) reach below it.
talvex::TRange FromZero(const TExtent& extent) {
  talvex::TRange range = extent.Fit();
  if (extent.low >= 0 && range.low < 0) range.low = 0;
  return range;
}

QString MarkText(const TPlotRun& run, bool object, TSize index, double x, bool names) {
  if (names) return object ? run.ObjectName(index) : run.VariableName(index);
  return MarkValueText(x);
}

// The regions drawn around each group's points, in the group's colour.
// The legend names each kind of region once, with a neutral swatch.
void AddGroupRegions(TFigureScene& scene,
                     const std::vector<std::vector<talvex::TPlotPoint>>& groups,
                     const std::vector<QColor>& colours, const TPlotChoices& choices) {
  bool ellipseNamed = false;
  bool hullNamed = false;
  for (std::size_t g = 0; g < groups.size(); ++g) {
    std::optional<talvex::TEllipse> ellipse;
    if (choices.region == TGroupRegion::ConcentrationEllipse)
      ellipse = talvex::ConcentrationEllipse(groups[g]);
    else if (choices.region == TGroupRegion::MeanEllipse)
      ellipse = talvex::MeanConfidenceEllipse(groups[g]);
    if (ellipse) {
      TScenePolyline line;
      for (const talvex::TPlotPoint& p : talvex::EllipseOutline(*ellipse, OutlineSegments))
        line.points.emplace_back(p.x, p.y);
      line.closed = true;
      line.colour = colours[g];
      line.width = 1.2;
      QColor fill = colours[g];
      fill.setAlpha(28);
      line.fill = fill;
      if (!ellipseNamed) {
        line.legend = choices.region == TGroupRegion::ConcentrationEllipse
                          ? Tr("95% concentration ellipses")
                          : Tr("95% confidence ellipses of the means");
        line.legendColour = RegionLegendColour;
        ellipseNamed = true;
      }
      scene.lines.push_back(std::move(line));
    }
    if (choices.hulls) {
      TScenePolyline hull;
      for (const talvex::TPlotPoint& p : talvex::ConvexHull(groups[g]))
        hull.points.emplace_back(p.x, p.y);
      if (hull.points.size() < 2) continue;
      hull.closed = true;
      hull.colour = colours[g];
      hull.style = Qt::DashLine;
      if (!hullNamed) {
        hull.legend = Tr("Convex hulls");
        hull.legendColour = RegionLegendColour;
        hullNamed = true;
      }
      scene.lines.push_back(std::move(hull));
    }
  }
}

// Objects with imputed cells: a ring around their marker, one legend
// entry, and the hover naming the variables imputed.
void AddImputedMarks(TFigureScene& scene, const TPlotRun& run) {
  const talvex::TDataMatrix& data = run.Data();
  if (!data.HasMissing() || scene.items.size() < data.objectCount) return;
  const std::size_t first = scene.items.size() - data.objectCount;
  TScenePointSet ring;
  ring.legend = Tr("Imputed values");
  ring.outline = ImputedColour;
  ring.fill = Qt::transparent;
  ring.size = 11.0;
  const TSize p = data.variableCount;
  for (TSize i = 0; i < data.objectCount; ++i) {
    QStringList imputed;
    for (TSize j = 1; j <= p; ++j)
      if (data.missing[std::size_t(i) * p + j - 1] != 0) imputed.append(run.VariableName(j));
    if (imputed.isEmpty()) continue;
    TSceneItem& item = scene.items[first + i];
    item.details += Tr("\nImputed: %1").arg(imputed.join(QStringLiteral(", ")));
    ring.items.push_back(int(first + i));
  }
  scene.pointSets.push_back(std::move(ring));
}

// The objects' scores on the chosen components, coloured by group when the
// data have groups; the extent is widened to hold them.
void AddScores(TFigureScene& scene, const TPlotRun& run, const TPlotChoices& choices, TExtent& xs,
               TExtent& ys) {
  const talvex::TFloatMatrix& scores = run.Results().scores;
  const talvex::TGrouping grouping = talvex::GroupObjects(run.Data().groups);
  const bool grouped = !grouping.names.empty();
  const std::size_t groupCount = grouped ? grouping.names.size() : 1;
  std::vector<std::vector<talvex::TPlotPoint>> groupPoints(groupCount);
  std::vector<QColor> colours(groupCount, ScoresColour);
  const std::size_t firstSet = scene.pointSets.size();
  for (std::size_t g = 0; g < groupCount; ++g) {
    TScenePointSet set;
    if (grouped) {
      colours[g] = ToColour(talvex::GroupColour(g));
      set.legend = FromEightBit(grouping.names[g]);
      set.shape = talvex::GroupMarker(g);
    }
    // A darker rim keeps the light colours (yellow) visible on white.
    set.outline = grouped ? colours[g].darker(150) : colours[g];
    set.fill = colours[g];
    scene.pointSets.push_back(std::move(set));
  }
  const QString xName = Tr("Component %1").arg(choices.x);
  const QString yName = Tr("Component %1").arg(choices.y);
  for (TSize i = 1; i <= scores.Rows(); ++i) {
    const double x = scores.GetValue(i, choices.x);
    const double y = scores.GetValue(i, choices.y);
    const std::size_t g = grouped ? grouping.ofObject[i - 1] : 0;
    TSceneItem item;
    item.at = QPointF(x, y);
    item.mark = MarkText(run, true, i, x, choices.names);
    item.name = run.ObjectName(i);
    if (grouped) item.group = FromEightBit(grouping.names[g]);
    item.details = QStringLiteral("%1: %2\n%3: %4").arg(xName, Number(x), yName, Number(y));
    scene.pointSets[firstSet + g].items.push_back(int(scene.items.size()));
    scene.items.push_back(std::move(item));
    groupPoints[g].push_back({x, y});
    xs.Add(x);
    ys.Add(y);
  }
  AddImputedMarks(scene, run);
  if (grouped) {
    scene.legendTitle =
        run.Data().groupName.empty() ? Tr("Group") : FromEightBit(run.Data().groupName);
    // The objects without a group are no group: no region of their own.
    if (std::find(run.Data().groups.begin(), run.Data().groups.end(), std::string()) !=
        run.Data().groups.end())
      groupPoints.back().clear();
    AddGroupRegions(scene, groupPoints, colours, choices);
  }
  for (const TScenePolyline& line : scene.lines)
    for (const QPointF& p : line.points) {
      xs.Add(p.x());
      ys.Add(p.y());
    }
}

QString AxisTitle(const TPlotRun& run, TSize component) {
  return ComponentAxisTitle(int(component), run.Results().eigenvalues.GetValue(component),
                            run.Results().trace);
}

// The standard error of coefficient j on axis a, when the jackknife
// estimated that axis.
double CoefficientError(const talvex::TJackknifeResults* jackknife, TSize p, TSize a, TSize j) {
  if (!jackknife || a > jackknife->axisCount) return 0.0;
  return jackknife->vectors[std::size_t(a - 1) * p + j - 1].standardError;
}

// A scatter plot of two components: its titles, equal units, zero lines.
TFigureScene ComponentScene(TPlotKind kind, const TPlotRun& run, const TPlotChoices& choices) {
  TFigureScene scene;
  scene.title = PlotCaption(kind);
  scene.xTitle = AxisTitle(run, choices.x);
  scene.yTitle = AxisTitle(run, choices.y);
  scene.equalAspect = true;
  scene.zeroLines = true;
  return scene;
}

}  // namespace

TFigureScene ScoresScene(const TPlotRun& run, const TPlotChoices& choices) {
  TFigureScene scene = ComponentScene(TPlotKind::Scores, run, choices);
  TExtent xs;
  TExtent ys;
  AddScores(scene, run, choices, xs, ys);
  for (const QPointF& p : AddSupplementaryObjects(scene, run, choices)) {
    xs.Add(p.x());
    ys.Add(p.y());
  }
  scene.xRange = xs.Fit();
  scene.yRange = ys.Fit();
  return scene;
}

namespace {

// The bars' quantile and its legend entry: the 95% intervals of the full
// results, t with n - 1 degrees of freedom.
double BarQuantile(const TPlotRun& run) { return talvex::ErrorBarQuantile(run.ObjectCount()); }

QString BarLegend(double z) {
  return Tr("95% jackknife interval (\u00b1%1 SE)").arg(QString::number(z, 'f', 3));
}

}  // namespace

TFigureScene VectorsScene(const TPlotRun& run, const TPlotChoices& choices) {
  TFigureScene scene = ComponentScene(TPlotKind::Vectors, run, choices);
  TScenePointSet set;
  set.outline = VectorsColour;
  set.fill = VectorsColour;
  const talvex::TFloatMatrix& vectors = run.Results().eigenvectors;
  const TSize p = vectors.Rows();
  const talvex::TJackknifeResults* jackknife = run.Jackknife();
  const double z = jackknife ? BarQuantile(run) : 0.0;
  TExtent xs;
  TExtent ys;
  for (TSize j = 1; j <= p; ++j) {
    const double x = vectors.GetValue(j, choices.x);
    const double y = vectors.GetValue(j, choices.y);
    TSceneItem item;
    item.at = QPointF(x, y);
    item.mark = MarkText(run, false, j, x, choices.names);
    item.name = run.VariableName(j);
    const double seX = CoefficientError(jackknife, p, choices.x, j);
    const double seY = CoefficientError(jackknife, p, choices.y, j);
    item.details = Tr("Component %1: %2").arg(choices.x).arg(Number(x));
    if (seX > 0) item.details += Tr(" (SE %1)").arg(Number(seX));
    item.details += QLatin1Char('\n') + Tr("Component %1: %2").arg(choices.y).arg(Number(y));
    if (seY > 0) item.details += Tr(" (SE %1)").arg(Number(seY));
    set.items.push_back(int(scene.items.size()));
    scene.items.push_back(std::move(item));
    xs.Add(x);
    ys.Add(y);
    if (choices.errorBars && (seX > 0 || seY > 0)) {
      TSceneErrorBar bar;
      bar.centre = QPointF(x, y);
      bar.dx = talvex::ErrorBarHalfLength(seX, z);
      bar.dy = talvex::ErrorBarHalfLength(seY, z);
      bar.colour = UncertaintyColour;
      scene.errorBars.push_back(bar);
      xs.Add(x - bar.dx);
      xs.Add(x + bar.dx);
      ys.Add(y - bar.dy);
      ys.Add(y + bar.dy);
    }
  }
  if (!scene.errorBars.empty()) scene.errorBarLegend = BarLegend(z);
  scene.pointSets.push_back(std::move(set));
  scene.xRange = xs.Fit();
  scene.yRange = ys.Fit();
  return scene;
}

TFigureScene ScreeScene(const TPlotRun& run, const TPlotChoices& choices) {
  TFigureScene scene;
  scene.title = PlotCaption(TPlotKind::Scree);
  scene.integerTicksX = true;
  const talvex::TFloatVector& eigenvalues = run.Results().eigenvalues;
  const TSize p = eigenvalues.Length();
  const TSize k = choices.allEigenvalues ? p : std::min(run.FactorCount(), p);
  const double trace = run.Results().trace;
  TExtent ys;
  ys.Add(0);
  std::vector<double> values;
  for (TSize c = 1; c <= k; ++c) values.push_back(eigenvalues.GetValue(c));

  if (choices.percentBars) {
    scene.xTitle = Tr("Component");
    scene.yTitle = Tr("Percent of trace");
    const std::vector<double> percents = talvex::PercentOfTrace(values, trace);
    const std::vector<double> cumulative = talvex::CumulativePercent(percents);
    TScenePolyline line;
    line.colour = ScreeLineColour;
    line.legend = Tr("Cumulative %");
    line.markers = true;
    line.markerFill = Qt::white;
    line.markerOutline = ScreeLineColour;
    for (TSize c = 1; c <= k; ++c) {
      scene.bars.push_back({double(c), 0.7, percents[c - 1], BarColour});
      line.points.emplace_back(double(c), cumulative[c - 1]);
      scene.numbers.push_back(
          {QPointF(double(c), percents[c - 1]), QString::asprintf("%.1f", percents[c - 1])});
      ys.Add(cumulative[c - 1]);
    }
    scene.lines.push_back(std::move(line));
    scene.xRange = CountRange(k);
    scene.yRange = FromZero(ys);
    return scene;
  }

  scene.xTitle = Tr("Number of Eigenvalues");
  scene.yTitle = Tr("Values");
  TScenePolyline line;
  line.colour = ScreeLineColour;
  line.markers = true;
  line.markerFill = Qt::white;
  line.markerOutline = ScreeMarkerColour;
  const talvex::TJackknifeResults* jackknife = run.Jackknife();
  const double z = jackknife ? BarQuantile(run) : 0.0;
  for (TSize c = 1; c <= k; ++c) {
    const double value = values[c - 1];
    line.points.emplace_back(double(c), value);
    TSceneItem item;
    item.at = QPointF(double(c), value);
    // Each point carries its component number.
    item.mark = QString::number(c);
    item.alwaysLabelled = true;
    item.name = Tr("Eigenvalue %1").arg(c);
    item.details = Tr("%1 (%2% of trace)")
                       .arg(Number(value))
                       .arg(QString::asprintf("%.2f", value * 100 / trace));
    ys.Add(value);
    if (jackknife && c <= jackknife->eigenvalues.size()) {
      const double se = jackknife->eigenvalues[c - 1].standardError;
      item.details += Tr("\nJackknife SE %1").arg(Number(se));
      if (choices.errorBars && se > 0) {
        const double half = talvex::ErrorBarHalfLength(se, z);
        scene.errorBars.push_back({QPointF(double(c), value), 0.0, half, UncertaintyColour});
        // Eigenvalues are never negative: a bar reaching below zero is cut
        // off rather than stretching the axis.
        ys.Add(std::max(0.0, value - half));
        ys.Add(value + half);
      }
    }
    scene.items.push_back(std::move(item));
  }
  if (!scene.errorBars.empty()) scene.errorBarLegend = BarLegend(z);
  scene.lines.push_back(std::move(line));

  if (choices.referenceLines) {
    if (run.Options().method == talvex::DispersionMethod::Correlation) {
      const double level = talvex::KaiserLevel(std::size_t(p), trace);
      scene.rules.push_back({level, KaiserColour, Qt::DashLine, Tr("Kaiser (mean eigenvalue)")});
      ys.Add(level);
    }
    const std::vector<double> stick = talvex::BrokenStick(std::size_t(p), trace);
    TScenePolyline broken;
    broken.colour = BrokenStickColour;
    broken.style = Qt::DashLine;
    broken.legend = Tr("Broken stick");
    for (TSize c = 1; c <= k; ++c) {
      broken.points.emplace_back(double(c), stick[c - 1]);
      ys.Add(stick[c - 1]);
    }
    scene.lines.push_back(std::move(broken));
    if (const auto& parallel = run.ParallelAnalysis()) {
      TScenePolyline line95;
      line95.colour = ParallelColour;
      line95.style = Qt::DotLine;
      line95.width = 1.5;
      line95.legend = Tr("Parallel analysis (95th percentile)");
      for (TSize c = 1; c <= k && c <= parallel->size(); ++c) {
        line95.points.emplace_back(double(c), (*parallel)[c - 1]);
        ys.Add((*parallel)[c - 1]);
      }
      scene.lines.push_back(std::move(line95));
    }
  }
  scene.xRange = CountRange(k);
  scene.yRange = FromZero(ys);
  return scene;
}

TFigureScene BiplotScene(const TPlotRun& run, const TPlotChoices& choices) {
  TFigureScene scene;
  scene.equalAspect = true;
  scene.zeroLines = true;
  const talvex::TFloatMatrix& vectors = run.Results().eigenvectors;
  const TSize p = vectors.Rows();
  TExtent xs;
  TExtent ys;
  xs.Add(0);
  ys.Add(0);
  if (choices.correlationCircle && CorrelationCircleAvailable(run)) {
    // Under correlations a component's correlation with variable j is its
    // coefficient times the square root of its eigenvalue.
    scene.title = Tr("Correlation Circle");
    scene.xTitle = AxisTitle(run, choices.x);
    scene.yTitle = AxisTitle(run, choices.y);
    scene.unitCircle = true;
    const double rootX = std::sqrt(std::max(0.0, run.Results().eigenvalues.GetValue(choices.x)));
    const double rootY = std::sqrt(std::max(0.0, run.Results().eigenvalues.GetValue(choices.y)));
    for (TSize j = 1; j <= p; ++j)
      scene.arrows.push_back(
          {QPointF(vectors.GetValue(j, choices.x) * rootX, vectors.GetValue(j, choices.y) * rootY),
           run.VariableName(j), ArrowColour});
    AddSupplementaryArrows(scene, run, choices, true, 1.0);
    scene.xRange = {-1.0 - RangeMargin, 1.0 + RangeMargin};
    scene.yRange = scene.xRange;
    return scene;
  }
  scene.title = PlotCaption(TPlotKind::Biplot);
  AddScores(scene, run, choices, xs, ys);
  // The arrows are scaled to the active scores only.
  std::vector<talvex::TPlotPoint> scores;
  scores.reserve(scene.items.size());
  for (const TSceneItem& item : scene.items) scores.push_back({item.at.x(), item.at.y()});
  for (const QPointF& at : AddSupplementaryObjects(scene, run, choices)) {
    xs.Add(at.x());
    ys.Add(at.y());
  }
  std::vector<talvex::TPlotPoint> coefficients;
  for (TSize j = 1; j <= p; ++j)
    coefficients.push_back({vectors.GetValue(j, choices.x), vectors.GetValue(j, choices.y)});
  const double scale = talvex::ArrowScale(scores, coefficients);
  for (TSize j = 1; j <= p; ++j) {
    const QPointF tip(coefficients[j - 1].x * scale, coefficients[j - 1].y * scale);
    scene.arrows.push_back({tip, run.VariableName(j), ArrowColour});
    xs.Add(tip.x());
    ys.Add(tip.y());
  }
  for (const QPointF& tip : AddSupplementaryArrows(scene, run, choices, false, scale)) {
    xs.Add(tip.x());
    ys.Add(tip.y());
  }
  // Which scaling the picture uses, as biplots conventionally state it: a
  // note under the title, so that the axis titles stay short.
  scene.note = Tr("Points: scores; arrows: coefficients \u00d7 %1").arg(Number(scale));
  scene.xTitle = AxisTitle(run, choices.x);
  scene.yTitle = AxisTitle(run, choices.y);
  scene.xRange = xs.Fit();
  scene.yRange = ys.Fit();
  return scene;
}

TFigureScene InfluenceScene(const TPlotRun& run, const TPlotChoices& choices) {
  TFigureScene scene;
  scene.title = PlotCaption(TPlotKind::Influence);
  scene.xTitle = Tr("Object");
  // The measure's definition as a note: a short axis title fits any size.
  scene.yTitle = Tr("Influence");
  scene.note = Tr("Influence: the largest |dL| of the shown eigenvalues");
  scene.integerTicksX = true;
  TExtent ys;
  ys.Add(0);
  if (!run.Diagnostics()) {
    scene.xRange = CountRange(1);
    scene.yRange = FromZero(ys);
    return scene;
  }
  const talvex::TInfluencePlot plot = talvex::MakeInfluencePlot(*run.Diagnostics());
  const talvex::TGrouping grouping = talvex::GroupObjects(run.Data().groups);
  const bool grouped = !grouping.names.empty();
  const std::size_t groupCount = grouped ? grouping.names.size() : 1;
  for (std::size_t g = 0; g < groupCount; ++g) {
    TScenePointSet set;
    const QColor colour = grouped ? ToColour(talvex::GroupColour(g)) : ScoresColour;
    set.outline = grouped ? colour.darker(150) : colour;
    set.fill = colour;
    if (grouped) {
      set.legend = FromEightBit(grouping.names[g]);
      set.shape = talvex::GroupMarker(g);
    }
    scene.pointSets.push_back(std::move(set));
  }
  for (std::size_t i = 0; i < plot.points.size(); ++i) {
    const talvex::TPlotPoint& point = plot.points[i];
    const TSize object = TSize(i + 1);
    TSceneItem item;
    item.at = QPointF(point.x, point.y);
    item.name = run.ObjectName(object);
    // Only the objects the diagnostics single out are labelled; the
    // pointer names any other.
    const auto rank = std::find(plot.labelled.begin(), plot.labelled.end(), i);
    if (rank != plot.labelled.end()) {
      item.mark = choices.names ? item.name : QString::number(object);
      item.singledOut = true;
      item.singledRank = int(rank - plot.labelled.begin());
    }
    const std::size_t g = grouped ? grouping.ofObject[i] : 0;
    if (grouped) item.group = FromEightBit(grouping.names[g]);
    item.details = Tr("Object %1, influence %2").arg(object).arg(Number(point.y));
    scene.pointSets[g].items.push_back(int(scene.items.size()));
    scene.items.push_back(std::move(item));
    ys.Add(point.y);
  }
  scene.rules.push_back({plot.threshold, KaiserColour, Qt::DashLine, Tr("Threshold 3")});
  ys.Add(plot.threshold);
  scene.xRange = CountRange(plot.points.size());
  scene.yRange = FromZero(ys);
  return scene;
}

bool CorrelationCircleAvailable(const TPlotRun& run) {
  return run.Options().method == talvex::DispersionMethod::Correlation;
}

}  // namespace talvex::drawing
