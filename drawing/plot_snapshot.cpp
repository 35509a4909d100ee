// The plot windows' copy of a completed run.
#include "drawing/plot_snapshot.h"

#include <algorithm>

#include "drawing/eight_bit_text.h"

namespace {

QString LabelOr(const std::vector<std::string>& labels, talvex::TSize index) {
  if (index >= 1 && index - 1 < labels.size()) {
    const QString name = FromEightBit(labels[index - 1]).trimmed();
    if (!name.isEmpty()) return name;
  }
  return QString::number(index);
}

}  // namespace

talvex::TSize TPlotSnapshot::ComponentCount() const noexcept {
  return std::min(
      {results.eigenvalues.Length(), results.scores.Cols(), results.eigenvectors.Cols()});
}

talvex::TSize TPlotSnapshot::OfferedComponents() const noexcept {
  const talvex::TSize available = ComponentCount();
  talvex::TSize top = std::min(factorCount, available);
  if (top < 2 && available >= 2) top = 2;
  return std::max<talvex::TSize>(top, 1);
}

const talvex::TJackknifeResults* TPlotSnapshot::Jackknife() const noexcept {
  return results.tables.jackknife ? &*results.tables.jackknife : nullptr;
}

QString TPlotSnapshot::ObjectName(talvex::TSize i) const { return LabelOr(data.objectLabels, i); }

QString TPlotSnapshot::VariableName(talvex::TSize j) const {
  return LabelOr(data.variableLabels, j);
}

std::shared_ptr<TPlotSnapshot> MakePlotSnapshot(
    const talvex::TAnalysisState& state, const talvex::TDiagnostics* diagnostics,
    const talvex::TSupplementaryResults* supplementary) {
  auto snapshot = std::make_shared<TPlotSnapshot>();
  snapshot->data = state.Data();
  snapshot->results = state.Results();
  snapshot->factorCount = state.FactorCount();
  if (diagnostics && diagnostics->available) snapshot->diagnostics = *diagnostics;
  if (supplementary && supplementary->available) snapshot->supplementary = *supplementary;
  return snapshot;
}
