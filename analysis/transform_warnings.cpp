// Warnings about values that decimal logarithms take as 0.
#include "analysis/transform_warnings.h"

namespace talvex {

std::vector<std::string> TransformWarnings(const TDataMatrix& data,
                                           const TAnalysisOptions& options) {
  std::vector<std::string> warnings;
  if (options.transformation != DataTransform::TransformDecimal) return warnings;
  const TSize n = data.objectCount, p = data.variableCount;
  std::vector<TSize> counts(p, 0);
  for (TSize i = 0; i < n; ++i)
    for (TSize j = 1; j <= p; ++j)
      if (!(data.values.GetValue(i * p + j) > 0.0)) ++counts[j - 1];
  for (TSize j = 1; j <= p; ++j) {
    const TSize count = counts[j - 1];
    if (count == 0) continue;
    const std::string label =
        j <= data.variableLabels.size() ? data.variableLabels[j - 1] : "VAR" + std::to_string(j);
    warnings.push_back("log10 of " + std::to_string(count) +
                       (count == 1 ? " value <= 0 in " : " values <= 0 in ") + label +
                       (count == 1 ? " was" : " were") + " taken as 0");
  }
  return warnings;
}

}  // namespace talvex
