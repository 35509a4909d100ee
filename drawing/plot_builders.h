// The scenes of the plots: what each plot shows of a run, given the choices
// of its window (components, groups' regions, uncertainty marks, reference
// lines). The geometry comes from figures/; nothing here draws. Each kind's
// builder is named in the plot-kind table (plot_kinds.h).
#pragma once

#include "drawing/figure_scene.h"
#include "drawing/plot_kinds.h"
#include "drawing/plot_run.h"
#include "numeric/sizes.h"

namespace talvex::drawing {

/// How the supplementary objects' jackknife uncertainty is drawn.
enum class TSupplementaryMarks { None, ErrorBars, Ellipses };

/// What is drawn around each group's points.
enum class TGroupRegion { None, ConcentrationEllipse, MeanEllipse };

struct TPlotChoices {
  talvex::TSize x = 1;  // component on the horizontal axis
  talvex::TSize y = 2;  // and on the vertical axis
  bool names = false;   // points are labelled with names, not X values
  TGroupRegion region = TGroupRegion::None;
  bool hulls = false;
  bool errorBars = true;           // from the jackknife, when it ran
  bool referenceLines = true;      // Kaiser, broken stick, parallel analysis
  bool percentBars = false;        // the scree plot as % of trace bars
  bool correlationCircle = false;  // the biplot's correlation view
  bool allEigenvalues = false;     // the scree plot beyond the factors asked for
  TSupplementaryMarks supplementaryMarks = TSupplementaryMarks::ErrorBars;
};

/// The scene of `kind` for `run`. The components must lie within the run's
/// OfferedComponents (the window's spinners keep them there).
TFigureScene BuildScene(TPlotKind kind, const TPlotRun& run, const TPlotChoices& choices);

/// The builders, one per kind.
TFigureScene ScoresScene(const TPlotRun& run, const TPlotChoices& choices);
TFigureScene VectorsScene(const TPlotRun& run, const TPlotChoices& choices);
TFigureScene ScreeScene(const TPlotRun& run, const TPlotChoices& choices);
TFigureScene BiplotScene(const TPlotRun& run, const TPlotChoices& choices);
TFigureScene InfluenceScene(const TPlotRun& run, const TPlotChoices& choices);

/// Whether the run can show the correlation circle (correlation method).
bool CorrelationCircleAvailable(const TPlotRun& run);

}  // namespace talvex::drawing
