// The plot kinds: one table, one entry per kind, holding everything that
// tells the kinds apart outside their builders: the caption, the builder,
// the main window's menu item, the rule that enables it, the name its
// window and settings go by, and the choices its window offers. A new kind
// of plot is one entry here and one builder (plot_builders.h); the desktop's
// Display menu, its windows and the figure export read the table.
#pragma once

#include <QString>
#include <span>

#include "drawing/figure_scene.h"

namespace talvex::drawing {

class TPlotRun;
struct TPlotChoices;

enum class TPlotKind { Scores, Vectors, Scree, Biplot, Influence };

/// What a run must hold for the kind to be offered.
enum class TPlotNeeds {
  Results,     // any completed run
  Diagnostics  // a run with the jackknife's diagnostics
};

/// The groups of choices a plot window offers for the kind, as flags.
enum TPlotOffer : unsigned {
  OffersAxes = 1u << 0,                // components on the axes (the spinners)
  OffersLabels = 1u << 1,              // Label Points, Label with Names
  OffersGroups = 1u << 2,              // Group Regions, Convex Hulls
  OffersErrorBars = 1u << 3,           // Error Bars
  OffersScreeLines = 1u << 4,          // reference lines, parallel analysis, bars, all eigenvalues
  OffersCircle = 1u << 5,              // Correlation Circle
  OffersSupplementaryMarks = 1u << 6,  // the supplementary objects' error bars or ellipses
};

using TSceneBuilder = TFigureScene (*)(const TPlotRun& run, const TPlotChoices& choices);

struct TPlotKindEntry {
  TPlotKind kind;
  /// The window caption and plot title as first shown (untranslated).
  const char* caption;
  TSceneBuilder build;
  /// The main window's Display menu item (untranslated), its object name,
  /// and whether a separator stands before it.
  const char* menuText;
  const char* menuName;
  bool separatorBefore;
  TPlotNeeds needs;
  /// The name the kind's window and settings go by ("Scores": the keys
  /// ScoresLeft, ScoresWidth, ... of the plots' settings).
  const char* name;
  unsigned offers;  // TPlotOffer flags
};

/// Every kind, in the Display menu's order.
std::span<const TPlotKindEntry> PlotKinds() noexcept;
const TPlotKindEntry& PlotKindEntry(TPlotKind kind) noexcept;

/// The window caption and plot title of `kind` as first shown.
QString PlotCaption(TPlotKind kind);
/// The Display menu's item for `kind`, translated.
QString PlotMenuText(TPlotKind kind);
/// Whether `kind` can be shown for a run; `diagnostics` says whether the
/// run has the jackknife's diagnostics.
bool PlotAvailable(TPlotKind kind, bool diagnostics) noexcept;

}  // namespace talvex::drawing
