// Supplementary objects and variables in the plots.
#include "drawing/plot_supplementary.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>

#include "drawing/eight_bit_qstring.h"
#include "figures/group_style.h"
#include "figures/jackknife_ellipse.h"
#include "figures/uncertainty_marks.h"

namespace talvex::drawing {

namespace {

using talvex::TSize;

// Supplementary objects without groups, and the supplementary variables'
// arrows: distinct from the active points' blue and the arrows' red.
const QColor SupplementaryColour(0, 0, 0);
const QColor SupplementaryArrowColour(0, 90, 160);
// Hollow markers need a heavier rim than filled ones to read at print size.
constexpr double HollowMarkerSize = 7.0;
constexpr int EllipseSegments = 120;

QString Tr(const char* text) { return QCoreApplication::translate("TPlotWindow", text); }

QString Number(double value) { return QString::number(value, 'g', 6); }

// "2.35 (SE 0.18)", or the value alone without a standard error.
QString WithError(double value, double standardError) {
  if (!std::isfinite(standardError)) return Number(value);
  return Tr("%1 (SE %2)").arg(Number(value), Number(standardError));
}

}  // namespace

std::vector<QPointF> AddSupplementaryObjects(TFigureScene& scene, const TPlotRun& run,
                                             const TPlotChoices& choices) {
  std::vector<QPointF> extent;
  if (!run.Supplementary() || run.Supplementary()->objectLabels.empty()) return extent;
  const talvex::TSupplementaryResults& s = *run.Supplementary();
  if (choices.x > s.axisCount || choices.y > s.axisCount) return extent;

  // The active data's groups keep their colours and shapes; a group only the
  // supplementary objects have comes after them.
  const talvex::TGrouping active = talvex::GroupObjects(run.Data().groups);
  const bool grouped = !active.names.empty() && s.objectGroups.size() == s.objectLabels.size();
  std::vector<std::string> names = active.names;
  std::vector<int> setOf(s.objectLabels.size(), -1);
  std::vector<std::size_t> groupOf(s.objectLabels.size(), 0);
  std::vector<int> sets;  // by group index: the point set, or -1
  for (std::size_t o = 0; o < s.objectLabels.size(); ++o) {
    std::size_t g = 0;
    if (grouped) {
      const std::string name = s.objectGroups[o].empty() ? talvex::NoGroupName : s.objectGroups[o];
      g = std::size_t(std::find(names.begin(), names.end(), name) - names.begin());
      if (g == names.size()) names.push_back(name);
    }
    if (g >= sets.size()) sets.resize(g + 1, -1);
    if (sets[g] < 0) {
      TScenePointSet set;
      const QColor colour =
          grouped ? [&] {
            const talvex::TRgb rgb = talvex::GroupColour(g);
            return QColor(rgb.red, rgb.green, rgb.blue);
          }()
                  : SupplementaryColour;
      set.outline = grouped ? colour.darker(130) : colour;
      set.fill = Qt::transparent;
      set.size = HollowMarkerSize;
      if (grouped) set.shape = talvex::GroupMarker(g);
      set.legend = grouped ? Tr("%1 (supplementary)").arg(FromEightBit(names[g]))
                           : Tr("Supplementary objects");
      sets[g] = int(scene.pointSets.size());
      scene.pointSets.push_back(std::move(set));
    }
    setOf[o] = sets[g];
    groupOf[o] = g;
  }

  const double z = s.jackknife ? talvex::ErrorBarQuantile(s.objectCount) : 0.0;
  const bool ellipses = choices.supplementaryMarks == TSupplementaryMarks::Ellipses &&
                        choices.x <= s.ellipseAxes && choices.y <= s.ellipseAxes;
  bool ellipseNamed = false;
  for (std::size_t o = 0; o < s.objectLabels.size(); ++o) {
    const talvex::TSupplementaryValue& vx = s.Score(o, choices.x);
    const talvex::TSupplementaryValue& vy = s.Score(o, choices.y);
    TSceneItem item;
    item.at = QPointF(vx.value, vy.value);
    const QString name = FromEightBit(s.objectLabels[o]);
    item.mark = choices.names ? name : QString::number(vx.value, 'g', 3);
    item.name = name;
    item.group = grouped ? Tr("%1, supplementary").arg(FromEightBit(names[groupOf[o]]))
                         : Tr("supplementary");
    item.details =
        Tr("Component %1: %2").arg(choices.x).arg(WithError(vx.value, vx.standardError)) +
        QLatin1Char('\n') +
        Tr("Component %1: %2").arg(choices.y).arg(WithError(vy.value, vy.standardError));
    scene.pointSets[std::size_t(setOf[o])].items.push_back(int(scene.items.size()));
    scene.items.push_back(std::move(item));
    extent.emplace_back(vx.value, vy.value);
    if (!s.jackknife || !choices.errorBars ||
        choices.supplementaryMarks == TSupplementaryMarks::None)
      continue;
    const QColor colour = scene.pointSets[std::size_t(setOf[o])].outline;
    if (ellipses) {
      const double cov = s.scoreCovariances[o * s.Pairs() + s.PairIndex(choices.x, choices.y)];
      const auto ellipse =
          talvex::JackknifeEllipse({vx.value, vy.value}, vx.standardError * vx.standardError,
                                   vy.standardError * vy.standardError, cov, s.objectCount);
      if (!ellipse) continue;
      TScenePolyline line;
      for (const talvex::TPlotPoint& p : talvex::EllipseOutline(*ellipse, EllipseSegments)) {
        line.points.emplace_back(p.x, p.y);
        extent.emplace_back(p.x, p.y);
      }
      line.closed = true;
      line.colour = colour;
      line.style = Qt::DashLine;
      if (!ellipseNamed) {
        line.legend = Tr("95% jackknife ellipses (supplementary)");
        line.legendColour = QColor(80, 80, 80);
        ellipseNamed = true;
      }
      scene.lines.push_back(std::move(line));
    } else {
      TSceneErrorBar bar;
      bar.centre = QPointF(vx.value, vy.value);
      bar.dx =
          std::isfinite(vx.standardError) ? talvex::ErrorBarHalfLength(vx.standardError, z) : 0;
      bar.dy =
          std::isfinite(vy.standardError) ? talvex::ErrorBarHalfLength(vy.standardError, z) : 0;
      bar.colour = colour;
      scene.errorBars.push_back(bar);
      extent.emplace_back(vx.value - bar.dx, vy.value - bar.dy);
      extent.emplace_back(vx.value + bar.dx, vy.value + bar.dy);
      if (scene.errorBarLegend.isEmpty())
        scene.errorBarLegend =
            Tr("95% jackknife interval (\u00b1%1 SE)").arg(QString::number(z, 'f', 3));
    }
  }
  return extent;
}

std::vector<QPointF> AddSupplementaryArrows(TFigureScene& scene, const TPlotRun& run,
                                            const TPlotChoices& choices, bool correlations,
                                            double scale) {
  std::vector<QPointF> tips;
  if (!run.Supplementary() || run.Supplementary()->variableLabels.empty()) return tips;
  const talvex::TSupplementaryResults& s = *run.Supplementary();
  if (choices.x > s.axisCount || choices.y > s.axisCount) return tips;
  const double rootX = std::sqrt(std::max(0.0, run.Results().eigenvalues.GetValue(choices.x)));
  const double rootY = std::sqrt(std::max(0.0, run.Results().eigenvalues.GetValue(choices.y)));
  for (std::size_t v = 0; v < s.variableLabels.size(); ++v) {
    double x = s.Correlation(v, choices.x).value;
    double y = s.Correlation(v, choices.y).value;
    if (!correlations) {
      x = rootX > 0 ? x / rootX * scale : 0.0;
      y = rootY > 0 ? y / rootY * scale : 0.0;
    }
    if (!std::isfinite(x) || !std::isfinite(y)) continue;
    scene.arrows.push_back(
        {QPointF(x, y), FromEightBit(s.variableLabels[v]), SupplementaryArrowColour, Qt::DashLine});
    tips.emplace_back(x, y);
  }
  if (!tips.empty()) {
    // A legend entry for the dashed arrows: a line with no points.
    TScenePolyline key;
    key.colour = SupplementaryArrowColour;
    key.width = 1.2;
    key.style = Qt::DashLine;
    key.legend = Tr("Supplementary variables");
    scene.lines.push_back(std::move(key));
  }
  return tips;
}

}  // namespace talvex::drawing
