// The regions drawn around a group of points: the concentration ellipse of
// a bivariate normal fitted to them, the confidence ellipse of their mean,
// and their convex hull.
#pragma once

#include <optional>
#include <vector>

#include "figures/plot_point.h"

namespace talvex {

struct TEllipse {
  TPlotPoint centre;
  double semiMajor = 0.0;
  double semiMinor = 0.0;
  double angle = 0.0;  // radians, major axis from +x, in (-pi/2, pi/2]
};

/// The 95% (level) concentration ellipse of a bivariate normal fitted to the
/// points: mean, covariance with the n - 1 divisor, radii sqrt(chi2_2(level) *
/// eigenvalue), chi2_2(level) = -2 ln(1 - level). Nullopt for fewer than 3
/// points, a non-finite coordinate, a singular covariance (all points on one
/// line) or a level outside (0, 1).
std::optional<TEllipse> ConcentrationEllipse(const std::vector<TPlotPoint>& points,
                                             double level = 0.95);

/// The confidence ellipse of the group mean (Hotelling T^2): radii
/// sqrt(2(n-1)/(n(n-2)) F(2,n-2;level) * eigenvalue), the F(2,m) quantile in
/// closed form. Nullopt as for ConcentrationEllipse.
std::optional<TEllipse> MeanConfidenceEllipse(const std::vector<TPlotPoint>& points,
                                              double level = 0.95);

/// -2 ln(1 - level): the quantile of the chi-square distribution with 2
/// degrees of freedom.
double ChiSquare2Quantile(double level);

/// (m/2) ((1 - level)^(-2/m) - 1): the quantile of the F distribution with 2
/// and m degrees of freedom.
double F2Quantile(double m, double level);

/// `segments` points (at least 3) on the ellipse, counter-clockwise in data
/// units (y up) from the end of the major axis; no repeated end point.
std::vector<TPlotPoint> EllipseOutline(const TEllipse& ellipse, int segments = 128);

/// Convex hull, counter-clockwise (y up) from the lowest-leftmost point (the
/// least y, of those the least x), no repeated end point, collinear points
/// dropped (Andrew's monotone chain, O(n log n)); 0-2 distinct points give
/// those points. Points with a non-finite coordinate are left out.
std::vector<TPlotPoint> ConvexHull(std::vector<TPlotPoint> points);

}  // namespace talvex
