// A completed run as the plots read it.
#include "drawing/plot_run.h"

#include <algorithm>
#include <cassert>
#include <string>

#include "drawing/eight_bit_qstring.h"

namespace talvex::drawing {

namespace {

QString LabelOr(const std::vector<std::string>& labels, talvex::TSize index) {
  if (index >= 1 && index - 1 < labels.size()) {
    const QString name = FromEightBit(labels[index - 1]).trimmed();
    if (!name.isEmpty()) return name;
  }
  return QString::number(index);
}

}  // namespace

TPlotRun::TPlotRun(std::shared_ptr<const talvex::TRunOutcome> outcome, talvex::TSize factorCount)
    : outcome_(std::move(outcome)), factorCount_(factorCount) {
  assert(outcome_ && "a plot needs a completed run");
}

const talvex::TDiagnostics* TPlotRun::Diagnostics() const noexcept {
  return outcome_->Diagnostics().available ? &outcome_->Diagnostics() : nullptr;
}

const talvex::TSupplementaryResults* TPlotRun::Supplementary() const noexcept {
  return outcome_->Supplementary().available ? &outcome_->Supplementary() : nullptr;
}

talvex::TSize TPlotRun::ComponentCount() const noexcept { return outcome_->ComponentCount(); }

talvex::TSize OfferedComponents(talvex::TSize factorCount, talvex::TSize available) noexcept {
  talvex::TSize top = std::min(factorCount, available);
  if (top < 2 && available >= 2) top = 2;
  return std::max<talvex::TSize>(top, 1);
}

talvex::TSize TPlotRun::OfferedComponents() const noexcept {
  return drawing::OfferedComponents(factorCount_, ComponentCount());
}

const talvex::TJackknifeResults* TPlotRun::Jackknife() const noexcept {
  return Results().tables.jackknife ? &*Results().tables.jackknife : nullptr;
}

QString TPlotRun::ObjectName(talvex::TSize i) const { return LabelOr(Data().objectLabels, i); }

QString TPlotRun::VariableName(talvex::TSize j) const { return LabelOr(Data().variableLabels, j); }

}  // namespace talvex::drawing
