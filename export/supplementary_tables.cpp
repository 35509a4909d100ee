// Building the supplementary items' full-results tables.
#include "export/supplementary_tables.h"

namespace talvex {

namespace {

TResultCell Text(std::string text) { return {false, 0.0, std::move(text)}; }
TResultCell Number(double x) { return {true, x, {}}; }

void AddValue(std::vector<TResultCell>& row, TSize axis, const TSupplementaryValue& v) {
  row.push_back(Number(axis));
  row.push_back(Number(v.value));
  row.push_back(Number(v.estimate));
  row.push_back(Number(v.standardError));
  row.push_back(Number(v.lower));
  row.push_back(Number(v.upper));
}

std::vector<std::string> Headings(std::vector<std::string> first, const char* value) {
  for (const char* heading : {"Axis", value, "Estimate", "SE", "Lower 95%", "Upper 95%"})
    first.emplace_back(heading);
  return first;
}

}  // namespace

void AppendSupplementaryTables(std::vector<TResultTable>& tables, const TSupplementaryResults& s) {
  if (!s.available) return;
  const TSize k = s.axisCount;
  if (!s.objectLabels.empty()) {
    const bool groups = s.objectGroups.size() == s.objectLabels.size();
    TResultTable scores{"Supplementary scores",
                        Headings(groups ? std::vector<std::string>{"Object", "Group"}
                                        : std::vector<std::string>{"Object"},
                                 "Score")};
    for (std::size_t o = 0; o < s.objectLabels.size(); ++o) {
      for (TSize a = 1; a <= k; ++a) {
        auto& row = scores.rows.emplace_back();
        row.push_back(Text(s.objectLabels[o]));
        if (groups) row.push_back(Text(s.objectGroups[o]));
        AddValue(row, a, s.Score(o, a));
      }
    }
    tables.push_back(std::move(scores));
  }
  if (!s.variableLabels.empty()) {
    TResultTable variables{"Supplementary variables", Headings({"Variable"}, "Correlation")};
    for (std::size_t v = 0; v < s.variableLabels.size(); ++v) {
      for (TSize a = 1; a <= k; ++a) {
        auto& row = variables.rows.emplace_back();
        row.push_back(Text(s.variableLabels[v]));
        AddValue(row, a, s.Correlation(v, a));
      }
    }
    tables.push_back(std::move(variables));
  }
  if (!s.groups.empty()) {
    TResultTable means{
        "Group means",
        Headings({"Grouping", "Group", "Active objects", "Supplementary objects"}, "Mean")};
    for (const TGroupMeans& g : s.groups) {
      for (std::size_t l = 0; l < g.levels.size(); ++l) {
        for (TSize a = 1; a <= k; ++a) {
          auto& row = means.rows.emplace_back();
          row.push_back(Text(g.grouping));
          row.push_back(Text(g.levels[l]));
          row.push_back(Number(g.activeCounts[l]));
          row.push_back(Number(g.supplementaryCounts[l]));
          AddValue(row, a, g.means[l * k + a - 1]);
        }
      }
    }
    tables.push_back(std::move(means));
  }
}

}  // namespace talvex
