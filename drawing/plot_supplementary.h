// The supplementary items in the plots: objects as hollow markers in their
// groups' colours, with the jackknife's error bars or joint 95% ellipses,
// and variables as dashed arrows. Added to a scene the plot builders made.
#pragma once

#include <QPointF>
#include <vector>

#include "drawing/figure_scene.h"
#include "drawing/plot_builders.h"
#include "drawing/plot_run.h"

namespace talvex::drawing {

/// Adds the run's supplementary objects on the chosen components to a
/// scores plot or biplot `scene` whose active objects were drawn with the
/// run's groups. Returns the points the plot's ranges must hold.
std::vector<QPointF> AddSupplementaryObjects(TFigureScene& scene, const TPlotRun& run,
                                             const TPlotChoices& choices);

/// Adds the supplementary variables as dashed arrows: at their correlations
/// with the two components (`correlations`, the correlation circle), or
/// where an active variable with those correlations would stand in the
/// biplot (correlation / sqrt(eigenvalue), times `scale`). Returns the tips.
std::vector<QPointF> AddSupplementaryArrows(TFigureScene& scene, const TPlotRun& run,
                                            const TPlotChoices& choices, bool correlations,
                                            double scale);

}  // namespace talvex::drawing
