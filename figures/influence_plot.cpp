// The influence plot, read from the diagnostics: the labelled objects are
// the ones the diagnostics report lists, in its order.
#include "figures/influence_plot.h"

namespace talvex {

TInfluencePlot MakeInfluencePlot(const TDiagnostics& diagnostics, std::size_t labelCount) {
  TInfluencePlot plot;
  if (!diagnostics.available) return plot;
  plot.threshold = diagnostics.influenceThreshold;
  plot.points.reserve(diagnostics.influence.size());
  for (std::size_t i = 0; i < diagnostics.influence.size(); ++i)
    plot.points.push_back({double(i + 1), diagnostics.influence[i]});
  for (std::size_t rank = 0; rank < diagnostics.influenceRanking.size(); ++rank) {
    const std::size_t index = diagnostics.influenceRanking[rank] - 1;
    // Every object beyond the threshold, wherever the ranking puts it.
    if (rank >= labelCount && !(diagnostics.influence[index] > plot.threshold)) continue;
    plot.labelled.push_back(index);
  }
  return plot;
}

}  // namespace talvex
