// Checking and preparing the supplementary items of a run.
#include "supplementary/supplementary_input.h"

#include <cmath>
#include <map>

#include "numeric/probability.h"
#include "supplementary/supplementary_refusal.h"

namespace talvex {

namespace {

std::string VariableName(const TDataMatrix& data, TSize j) {
  return j < data.variableLabels.size() ? data.variableLabels[j] : "VAR" + std::to_string(j + 1);
}

std::string ObjectPlace(const TSupplementaryObjects& objects, std::size_t o) {
  std::string text = "supplementary object \"" +
                     (o < objects.labels.size() ? objects.labels[o] : std::to_string(o + 1)) + "\"";
  if (o < objects.places.size() && !objects.places[o].empty())
    text += " (" + objects.places[o] + ")";
  return text;
}

std::string NumberText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.15g", value);
  return text;
}

void PrepareObjects(const TDataMatrix& data, const TSupplementaryObjects& objects,
                    DataTransform transformation, TPreparedSupplementary& prepared) {
  const TSize p = prepared.p;
  const std::size_t m = objects.labels.size();
  if (objects.values.size() != m * p)
    RefuseSupplementary("Supplementary objects need a value for every variable",
                        std::to_string(m) + " objects and " + std::to_string(p) +
                            " variables, but " + std::to_string(objects.values.size()) + " values");
  if (!objects.groups.empty() && objects.groups.size() != m)
    RefuseSupplementary("Supplementary groups must be given for every object",
                        std::to_string(objects.groups.size()) + " groups for " + std::to_string(m) +
                            " supplementary objects");
  std::vector<TSize> zeroCounts(p, 0);
  prepared.objectRows.resize(m * p);
  for (std::size_t o = 0; o < m; ++o) {
    for (TSize j = 0; j < p; ++j) {
      const double value = objects.values[o * p + j];
      if (!std::isfinite(value))
        RefuseSupplementary(
            "Missing value in a supplementary object",
            ObjectPlace(objects, o) + ", variable \"" + VariableName(data, j) + "\"");
      double transformed = value;
      if (transformation == DataTransform::TransformDecimal) {
        if (!(value > 0.0)) ++zeroCounts[j];
        transformed = Log10OrZero(value);
      } else if (transformation == DataTransform::TransformNatural) {
        if (!(value > 0.0))
          RefuseSupplementary("Natural logarithm of a value <= 0 in a supplementary object",
                              ObjectPlace(objects, o) + ", variable \"" + VariableName(data, j) +
                                  "\": " + NumberText(value));
        transformed = std::log(value);
      }
      prepared.objectRows[o * p + j] = transformed;
    }
  }
  for (TSize j = 0; j < p; ++j) {
    const TSize count = zeroCounts[j];
    if (count == 0) continue;
    prepared.warnings.push_back("log10 of " + std::to_string(count) +
                                (count == 1 ? " value <= 0 in " : " values <= 0 in ") +
                                VariableName(data, j) + " (supplementary objects)" +
                                (count == 1 ? " was" : " were") + " taken as 0");
  }
  prepared.m = TSize(m);
  prepared.objectLabels = objects.labels;
  prepared.objectGroups = objects.groups;
}

void PrepareVariables(const TSupplementaryVariables& variables, TPreparedSupplementary& prepared) {
  const TSize n = prepared.n;
  const std::size_t q = variables.labels.size();
  if (variables.values.size() != q * n)
    RefuseSupplementary("Supplementary variables need a value for every object",
                        std::to_string(q) + " variables and " + std::to_string(n) +
                            " objects, but " + std::to_string(variables.values.size()) + " values");
  prepared.variableColumns.resize(q * n);
  for (std::size_t v = 0; v < q; ++v) {
    for (TSize i = 0; i < n; ++i) {
      const double value = variables.values[std::size_t(i) * q + v];
      if (!std::isfinite(value))
        RefuseSupplementary(
            "Missing value in a supplementary variable",
            "variable \"" + variables.labels[v] + "\", object " + std::to_string(i + 1));
      prepared.variableColumns[v * n + i] = value;
    }
  }
  prepared.q = TSize(q);
  prepared.variableLabels = variables.labels;
}

// Levels in order of first appearance, active objects first; an empty name
// is no group.
TPreparedGrouping Grouping(std::string name, bool supplementaryColumn,
                           const std::vector<std::string>& active,
                           const std::vector<std::string>& supplementary) {
  TPreparedGrouping grouping{std::move(name), supplementaryColumn, {}, {}, {}};
  std::map<std::string, int> index;
  const auto levelOf = [&](const std::string& level) {
    if (level.empty()) return -1;
    const auto [at, added] = index.emplace(level, int(grouping.levels.size()));
    if (added) grouping.levels.push_back(level);
    return at->second;
  };
  for (const std::string& level : active) grouping.activeLevel.push_back(levelOf(level));
  for (const std::string& level : supplementary)
    grouping.supplementaryLevel.push_back(levelOf(level));
  return grouping;
}

}  // namespace

TPreparedSupplementary PrepareSupplementary(const TDataMatrix& data,
                                            const TSupplementaryData& supplementary,
                                            DataTransform transformation) {
  TPreparedSupplementary prepared;
  prepared.n = data.objectCount;
  prepared.p = data.variableCount;
  if (supplementary.Empty()) return prepared;
  PrepareObjects(data, supplementary.objects, transformation, prepared);
  PrepareVariables(supplementary.variables, prepared);
  const std::size_t m = prepared.m;
  if (!data.groups.empty()) {
    // Supplementary objects without groups of their own are in no group.
    const std::vector<std::string> none(m);
    prepared.groupings.push_back(
        Grouping(data.groupName.empty() ? "Group" : data.groupName, false, data.groups,
                 prepared.objectGroups.empty() ? none : prepared.objectGroups));
  }
  for (const TQualitativeVariable& variable : supplementary.qualitative) {
    if (variable.activeLevels.size() != prepared.n ||
        (!variable.supplementaryLevels.empty() && variable.supplementaryLevels.size() != m))
      RefuseSupplementary("A qualitative supplementary variable needs a level for every object",
                          "variable \"" + variable.name + "\"");
    const std::vector<std::string> none(m);
    prepared.groupings.push_back(
        Grouping(variable.name, true, variable.activeLevels,
                 variable.supplementaryLevels.empty() ? none : variable.supplementaryLevels));
  }
  return prepared;
}

}  // namespace talvex
