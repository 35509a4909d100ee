// The missing cells by object, and the data an imputation refuses.
#include "analysis/missing_cells.h"

#include <cmath>
#include <cstdio>

#include "base/exception.h"
#include "numeric/sizes.h"

namespace talvex {

TMissingCells::TMissingCells(const std::vector<std::uint8_t>& mask, TSize n, TSize p)
    : n_(n), p_(p), rowStart_(std::size_t(n) + 1, 0) {
  for (TSize i = 0; i < n; ++i) {
    rowStart_[i] = columns_.size();
    if (!mask.empty()) {
      for (TSize j = 0; j < p; ++j)
        if (mask[std::size_t(i) * p + j] != 0) columns_.push_back(j);
    }
    if (columns_.size() > rowStart_[i]) rows_.push_back(i);
  }
  rowStart_[n] = columns_.size();
}

namespace {

[[noreturn]] void Refuse(const char* message, std::string detail) {
  Exception error(message);
  error.SetDetail(std::move(detail));
  throw error;
}

std::string Percent(double share) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f%%", 100.0 * share);
  return text;
}

}  // namespace

void KnownMeansAndDeviations(const TFloatMatrix& x, const TMissingCells& missing,
                             std::vector<double>& means, std::vector<double>& deviations) {
  const TSize n = missing.ObjectCount();
  const TSize p = missing.VariableCount();
  std::vector<std::uint8_t> known(std::size_t(n) * p, 1);
  for (const TSize i : missing.Rows())
    for (std::size_t c = missing.First(i); c < missing.Last(i); ++c)
      known[std::size_t(missing.Column(c)) * n + i] = 0;
  means.assign(p, 0.0);
  deviations.assign(p, 0.0);
  for (TSize j = 0; j < p; ++j) {
    const double* column = x.Column(j + 1);
    const std::uint8_t* isKnown = known.data() + std::size_t(j) * n;
    double sum = 0.0, count = 0.0;
    for (TSize i = 0; i < n; ++i) {
      if (!isKnown[i]) continue;
      sum += column[i];
      count += 1.0;
    }
    double mean = sum / count;
    double correction = 0.0;
    for (TSize i = 0; i < n; ++i)
      if (isKnown[i]) correction += column[i] - mean;
    mean += correction / count;
    double squares = 0.0;
    for (TSize i = 0; i < n; ++i)
      if (isKnown[i]) squares += (column[i] - mean) * (column[i] - mean);
    means[j] = mean;
    deviations[j] = std::sqrt(squares / (count - 1.0));
  }
}

void CheckImputable(const TDataMatrix& data, double maxShare) {
  const TSize n = data.objectCount;
  const TSize p = data.variableCount;
  if (data.missing.size() != std::size_t(n) * p) return;
  if (p > ExactSchemeVariables)
    Refuse("Imputation is available up to 255 variables",
           std::to_string(p) +
               " variables; leave out the objects with missing values "
               "(--missing omit) or fill the cells before the analysis");
  std::vector<TSize> known(p, 0);
  for (TSize i = 0; i < n; ++i) {
    TSize objectKnown = 0;
    for (TSize j = 0; j < p; ++j) {
      const bool isKnown = data.missing[std::size_t(i) * p + j] == 0;
      objectKnown += isKnown;
      known[j] += isKnown;
    }
    if (objectKnown == 0)
      Refuse("Every value of an object is missing",
             "object " + std::to_string(i + 1) +
                 (i < data.objectLabels.size() ? " \"" + data.objectLabels[i] + "\"" : ""));
  }
  for (TSize j = 0; j < p; ++j) {
    const std::string name =
        "variable " + std::to_string(j + 1) +
        (j < data.variableLabels.size() ? " \"" + data.variableLabels[j] + "\"" : "");
    if (known[j] == 0) Refuse("Every value of a variable is missing", name);
    if (known[j] < 2)
      Refuse("Fewer than two values of a variable are known",
             name + ": 1 of " + std::to_string(n) + " values known");
  }
  const double share = double(data.MissingCount()) / (double(n) * double(p));
  if (share > maxShare)
    Refuse("Too many missing values",
           Percent(share) + " of the cells are missing; the most imputed is " + Percent(maxShare));
}

}  // namespace talvex
