// The imputation's tables of the full results.
#include "export/imputation_tables.h"

#include <cmath>
#include <cstdio>

namespace talvex {

namespace {

TResultCell Text(std::string text) { return {false, 0.0, std::move(text)}; }
TResultCell Number(double x) { return {true, x, {}}; }

std::string Label(const std::vector<std::string>& labels, TSize index) {
  return index <= labels.size() ? labels[index - 1] : std::to_string(index);
}

std::string General(double x) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", x);
  return text;
}

}  // namespace

void AppendImputationTables(std::vector<TResultTable>& tables, const TDataMatrix& data,
                            const TImputationResult& imputation) {
  const TImputationSummary& s = imputation.summary;
  const TSize n = data.objectCount, p = data.variableCount;

  TResultTable about{"Imputation", {"Field", "Value"}};
  const auto field = [&about](const char* name, TResultCell value) {
    about.rows.push_back({Text(name), std::move(value)});
  };
  field("Method", Text("regularised iterative PCA"));
  field("Missing values", Number(double(s.missingCount)));
  field("Components", Number(double(s.components)));
  field("Components chosen by",
        Text(s.chosen ? "generalised cross-validation" : "the user (--impute-components)"));
  for (std::size_t c = 0; c < s.gcv.size(); ++c) {
    about.rows.push_back({Text("GCV with " + std::to_string(c) + " components"),
                          std::isfinite(s.gcv[c]) ? Number(s.gcv[c]) : Text("not eligible")});
  }
  field("Sweeps", Number(double(s.iterations)));
  field("Final change (standard deviations)", Number(s.finalChange));
  field("Tolerance (standard deviations)", Number(ImputationTolerance));
  field("Converged", Text(s.converged ? "yes" : "no"));
  if (s.reducedSamples > 0) {
    field("Reduced samples re-imputed", Number(double(s.reducedSamples)));
    field("Reduced samples not converged", Number(double(s.reducedNotConverged)));
    field("Most sweeps of a reduced sample", Number(double(s.reducedMostIterations)));
    field("Mean sweeps of a reduced sample",
          Number(double(s.reducedIterations) / double(s.reducedSamples)));
  }
  field("Note", Text("Imputed values are predictions of the model, not measurements; the change "
                     "is below " +
                     General(ImputationTolerance) + " standard deviations at convergence"));
  tables.push_back(std::move(about));

  const bool groups = data.groups.size() == n;
  TResultTable completed{"Completed data", {"Object"}};
  TResultTable mask{"Imputed cells", {"Object"}};
  if (groups) completed.headings.push_back("Group");
  for (TSize j = 1; j <= p; ++j) {
    completed.headings.push_back(Label(data.variableLabels, j));
    mask.headings.push_back(Label(data.variableLabels, j));
  }
  for (TSize i = 1; i <= n; ++i) {
    auto& values = completed.rows.emplace_back();
    auto& flags = mask.rows.emplace_back();
    values.push_back(Text(Label(data.objectLabels, i)));
    flags.push_back(Text(Label(data.objectLabels, i)));
    if (groups) values.push_back(Text(data.groups[i - 1]));
    for (TSize j = 1; j <= p; ++j) {
      const std::size_t at = std::size_t(i - 1) * p + (j - 1);
      values.push_back(Number(imputation.values.Data()[at]));
      flags.push_back(Number(at < data.missing.size() && data.missing[at] != 0 ? 1.0 : 0.0));
    }
  }
  tables.push_back(std::move(completed));
  tables.push_back(std::move(mask));
}

}  // namespace talvex
