// The jackknife's uncertainty in the plots: error bars of +-t SE (the 95%
// intervals of the full results) on the vector plot's coefficients and on
// the scree plot's eigenvalues. Only bars:
// the run keeps each statistic's standard error, not the covariance of two
// coefficients' pseudo-values that a joint ellipse would need.
#pragma once

#include <optional>
#include <vector>

#include "analysis/jackknife.h"
#include "figures/plot_point.h"
#include "numeric/sizes.h"

namespace talvex {

/// The bars' quantile for a run of objectCount objects: Student's t with
/// objectCount - 1 degrees of freedom at 0.975, as the jackknife intervals
/// of the full results and the diagnostics. objectCount >= 2.
double ErrorBarQuantile(TSize objectCount);

/// Half-length of an error bar from a jackknife standard error: z * SE.
double ErrorBarHalfLength(double standardError, double z);

/// The vector plot's error bars: for variable j (element j - 1 of p), the
/// half-lengths along component axisX (x) and component axisY (y), both
/// 1-based. Nullopt when either component lies beyond the k jackknifed
/// (shown) axes, whose coefficients have no standard error.
std::optional<std::vector<TPlotPoint>> CoefficientErrorBars(const TJackknifeResults& jackknife,
                                                            TSize axisX, TSize axisY, double z);

/// The scree plot's error bars: one half-length per eigenvalue (p).
std::vector<double> EigenvalueErrorBars(const TJackknifeResults& jackknife, double z);

}  // namespace talvex
