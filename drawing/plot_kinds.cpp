// The plot-kind table.
#include "drawing/plot_kinds.h"

#include <QCoreApplication>
#include <algorithm>
#include <cassert>

#include "drawing/plot_builders.h"

namespace talvex::drawing {

namespace {

constexpr unsigned ScatterOffers = OffersAxes | OffersLabels;

// The captions and menu items are translated in the plot windows' context.
constexpr TPlotKindEntry Kinds[] = {
    {TPlotKind::Scores, QT_TRANSLATE_NOOP("TPlotWindow", "Object Scores"), ScoresScene,
     QT_TRANSLATE_NOOP("TMainForm", "Component &Scores"), "PlotScoresItem", false,
     TPlotNeeds::Results, "Scores", ScatterOffers | OffersGroups | OffersSupplementaryMarks},
    {TPlotKind::Vectors, QT_TRANSLATE_NOOP("TPlotWindow", "Component Loadings"), VectorsScene,
     QT_TRANSLATE_NOOP("TMainForm", "Vector &Coefficients"), "PlotVectorsItem", false,
     TPlotNeeds::Results, "Vectors", ScatterOffers | OffersErrorBars},
    {TPlotKind::Scree, QT_TRANSLATE_NOOP("TPlotWindow", "Plot of Eigenvalues"), ScreeScene,
     QT_TRANSLATE_NOOP("TMainForm", "Scree &Plot"), "PlotScreeItem", false, TPlotNeeds::Results,
     "Scree", OffersErrorBars | OffersScreeLines},
    {TPlotKind::Biplot, QT_TRANSLATE_NOOP("TPlotWindow", "Biplot"), BiplotScene,
     QT_TRANSLATE_NOOP("TMainForm", "&Biplot"), "PlotBiplotItem", true, TPlotNeeds::Results,
     "Biplot", ScatterOffers | OffersGroups | OffersCircle | OffersSupplementaryMarks},
    {TPlotKind::Influence, QT_TRANSLATE_NOOP("TPlotWindow", "Influence of Each Object"),
     InfluenceScene, QT_TRANSLATE_NOOP("TMainForm", "&Influence Plot"), "PlotInfluenceItem", false,
     TPlotNeeds::Diagnostics, "Influence", OffersLabels},
};

}  // namespace

std::span<const TPlotKindEntry> PlotKinds() noexcept { return Kinds; }

const TPlotKindEntry& PlotKindEntry(TPlotKind kind) noexcept {
  const auto* found =
      std::find_if(std::begin(Kinds), std::end(Kinds),
                   [kind](const TPlotKindEntry& entry) { return entry.kind == kind; });
  assert(found != std::end(Kinds) && "every plot kind has its entry");
  return *found;
}

QString PlotCaption(TPlotKind kind) {
  return QCoreApplication::translate("TPlotWindow", PlotKindEntry(kind).caption);
}

QString PlotMenuText(TPlotKind kind) {
  return QCoreApplication::translate("TMainForm", PlotKindEntry(kind).menuText);
}

bool PlotAvailable(TPlotKind kind, bool diagnostics) noexcept {
  return PlotKindEntry(kind).needs == TPlotNeeds::Results || diagnostics;
}

TFigureScene BuildScene(TPlotKind kind, const TPlotRun& run, const TPlotChoices& choices) {
  return PlotKindEntry(kind).build(run, choices);
}

}  // namespace talvex::drawing
