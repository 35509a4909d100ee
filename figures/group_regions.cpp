// Ellipses from the 2 x 2 covariance of a group (its eigen-decomposition in
// closed form) and the convex hull by Andrew's monotone chain.
#include "figures/group_regions.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace talvex {

namespace {

/// The smaller eigenvalue of a covariance must exceed this fraction of the
/// larger one: below it the points lie on a line as far as rounding can
/// tell, and the ellipse would be a segment.
constexpr double SingularRatio = 1e-12;

struct TSpread {
  TPlotPoint mean;
  double larger = 0.0;  // eigenvalues of the covariance
  double smaller = 0.0;
  double angle = 0.0;  // of the larger one's eigenvector
  std::size_t count = 0;
};

/// Mean and covariance (n - 1) from centred values, then the eigenvalues and
/// the major axis of the 2 x 2 matrix [[a, b], [b, c]].
std::optional<TSpread> SpreadOf(const std::vector<TPlotPoint>& points) {
  const std::size_t n = points.size();
  if (n < 3) return std::nullopt;
  TSpread spread;
  spread.count = n;
  for (const TPlotPoint& point : points) {
    if (!std::isfinite(point.x) || !std::isfinite(point.y)) return std::nullopt;
    spread.mean.x += point.x;
    spread.mean.y += point.y;
  }
  spread.mean.x /= double(n);
  spread.mean.y /= double(n);
  double a = 0.0, b = 0.0, c = 0.0;
  for (const TPlotPoint& point : points) {
    const double dx = point.x - spread.mean.x;
    const double dy = point.y - spread.mean.y;
    a += dx * dx;
    b += dx * dy;
    c += dy * dy;
  }
  a /= double(n - 1);
  b /= double(n - 1);
  c /= double(n - 1);
  const double halfSum = (a + c) / 2;
  const double radius = std::hypot((a - c) / 2, b);
  spread.larger = halfSum + radius;
  // The smaller root as det / larger: no cancellation when the two differ a lot.
  spread.smaller = spread.larger > 0.0 ? (a * c - b * b) / spread.larger : 0.0;
  if (!std::isfinite(spread.larger) || !(spread.smaller > SingularRatio * spread.larger))
    return std::nullopt;
  spread.angle = 0.5 * std::atan2(2 * b, a - c);
  return spread;
}

std::optional<TEllipse> Scaled(const std::optional<TSpread>& spread, double factor) {
  if (!spread || !(factor > 0.0) || !std::isfinite(factor)) return std::nullopt;
  return TEllipse{spread->mean, std::sqrt(factor * spread->larger),
                  std::sqrt(factor * spread->smaller), spread->angle};
}

bool ValidLevel(double level) { return level > 0.0 && level < 1.0; }

double Cross(const TPlotPoint& o, const TPlotPoint& a, const TPlotPoint& b) {
  return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

}  // namespace

double ChiSquare2Quantile(double level) { return -2.0 * std::log1p(-level); }

double F2Quantile(double m, double level) {
  return m / 2 * std::expm1(-2.0 / m * std::log1p(-level));
}

std::optional<TEllipse> ConcentrationEllipse(const std::vector<TPlotPoint>& points, double level) {
  if (!ValidLevel(level)) return std::nullopt;
  return Scaled(SpreadOf(points), ChiSquare2Quantile(level));
}

std::optional<TEllipse> MeanConfidenceEllipse(const std::vector<TPlotPoint>& points, double level) {
  if (!ValidLevel(level)) return std::nullopt;
  const std::optional<TSpread> spread = SpreadOf(points);
  if (!spread) return std::nullopt;
  const double n = double(spread->count);
  return Scaled(spread, 2 * (n - 1) / (n * (n - 2)) * F2Quantile(n - 2, level));
}

std::vector<TPlotPoint> EllipseOutline(const TEllipse& ellipse, int segments) {
  segments = std::max(segments, 3);
  const double cosAngle = std::cos(ellipse.angle);
  const double sinAngle = std::sin(ellipse.angle);
  std::vector<TPlotPoint> outline;
  outline.reserve(std::size_t(segments));
  for (int i = 0; i < segments; ++i) {
    const double t = 2 * std::numbers::pi * i / segments;
    const double u = ellipse.semiMajor * std::cos(t);
    const double v = ellipse.semiMinor * std::sin(t);
    outline.push_back({ellipse.centre.x + u * cosAngle - v * sinAngle,
                       ellipse.centre.y + u * sinAngle + v * cosAngle});
  }
  return outline;
}

std::vector<TPlotPoint> ConvexHull(std::vector<TPlotPoint> points) {
  std::erase_if(points,
                [](const TPlotPoint& p) { return !std::isfinite(p.x) || !std::isfinite(p.y); });
  const auto lessXY = [](const TPlotPoint& a, const TPlotPoint& b) {
    return a.x < b.x || (a.x == b.x && a.y < b.y);
  };
  std::sort(points.begin(), points.end(), lessXY);
  points.erase(std::unique(points.begin(), points.end(),
                           [](const TPlotPoint& a, const TPlotPoint& b) {
                             return a.x == b.x && a.y == b.y;
                           }),
               points.end());
  const std::size_t n = points.size();
  if (n <= 2) return points;

  // Lower chain left to right, upper chain right to left; a turn that is not
  // strictly to the left drops the middle point (collinear points included).
  std::vector<TPlotPoint> hull(2 * n);
  std::size_t k = 0;
  for (std::size_t i = 0; i < n; ++i) {
    while (k >= 2 && Cross(hull[k - 2], hull[k - 1], points[i]) <= 0) --k;
    hull[k++] = points[i];
  }
  for (std::size_t i = n - 1, lower = k + 1; i-- > 0;) {
    while (k >= lower && Cross(hull[k - 2], hull[k - 1], points[i]) <= 0) --k;
    hull[k++] = points[i];
  }
  hull.resize(k - 1);  // the last point is the first again

  // Start at the lowest point, the leftmost of those.
  const auto start =
      std::min_element(hull.begin(), hull.end(), [](const TPlotPoint& a, const TPlotPoint& b) {
        return a.y < b.y || (a.y == b.y && a.x < b.x);
      });
  std::rotate(hull.begin(), start, hull.end());
  return hull;
}

}  // namespace talvex
