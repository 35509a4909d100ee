// Error bars from the jackknife's standard errors, read from the results the
// run kept.
#include "figures/uncertainty_marks.h"

#include <cstdint>

#include "numeric/student_t.h"

namespace talvex {

double ErrorBarQuantile(TSize objectCount) {
  return StudentTQuantile95(std::int32_t(objectCount - 1));
}

double ErrorBarHalfLength(double standardError, double z) { return z * standardError; }

std::optional<std::vector<TPlotPoint>> CoefficientErrorBars(const TJackknifeResults& jackknife,
                                                            TSize axisX, TSize axisY, double z) {
  const TSize k = jackknife.axisCount;
  if (axisX < 1 || axisX > k || axisY < 1 || axisY > k) return std::nullopt;
  const std::size_t p = jackknife.eigenvalues.size();
  if (jackknife.vectors.size() != p * k) return std::nullopt;
  std::vector<TPlotPoint> bars(p);
  for (std::size_t j = 0; j < p; ++j) {
    bars[j] = {ErrorBarHalfLength(jackknife.vectors[(axisX - 1) * p + j].standardError, z),
               ErrorBarHalfLength(jackknife.vectors[(axisY - 1) * p + j].standardError, z)};
  }
  return bars;
}

std::vector<double> EigenvalueErrorBars(const TJackknifeResults& jackknife, double z) {
  std::vector<double> bars;
  bars.reserve(jackknife.eigenvalues.size());
  for (const TJackknifeStatistic& s : jackknife.eigenvalues)
    bars.push_back(ErrorBarHalfLength(s.standardError, z));
  return bars;
}

}  // namespace talvex
