// The jackknife's uncertainty in the plots: error bars of +-z SE on the
// vector plot's coefficients and on the scree plot's eigenvalues. Only bars:
// the run keeps each statistic's standard error, not the covariance of two
// coefficients' pseudo-values that a joint ellipse would need.
#pragma once

#include <optional>
#include <vector>

#include "analysis/jackknife.h"
#include "figures/plot_point.h"
#include "numeric/sizes.h"

namespace talvex {

/// The normal quantile for two-sided 95% bars.
constexpr double NormalQuantile95 = 1.96;

/// Half-length of an error bar from a jackknife standard error: z * SE.
double ErrorBarHalfLength(double standardError, double z = NormalQuantile95);

/// The vector plot's error bars: for variable j (element j - 1 of p), the
/// half-lengths along component axisX (x) and component axisY (y), both
/// 1-based. Nullopt when either component lies beyond the k jackknifed
/// (shown) axes, whose coefficients have no standard error.
std::optional<std::vector<TPlotPoint>> CoefficientErrorBars(const TJackknifeResults& jackknife,
                                                            TSize axisX, TSize axisY,
                                                            double z = NormalQuantile95);

/// The scree plot's error bars: one half-length per eigenvalue (p).
std::vector<double> EigenvalueErrorBars(const TJackknifeResults& jackknife,
                                        double z = NormalQuantile95);

}  // namespace talvex
