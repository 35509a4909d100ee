// diag(d) - rho z z^T by deflation and the secular equation (see the
// header). Inside, the problem is turned into diag(delta) + rho z z^T with
// delta = -d ascending, whose eigenvalues mu interlace delta from above; the
// eigenvalues asked for are -mu, descending.
#include "numeric/rank_one_downdate.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace talvex {

namespace {

constexpr double Epsilon = std::numeric_limits<double>::epsilon();

// More than enough: the rational model converges in a handful of steps, and
// bisection alone would need about 60.
constexpr int MaxSecularSteps = 100;

/// The root of 1 + rho sum z_i^2 / (delta_i - mu) between delta[j] and
/// delta[j + 1] (above delta[m - 1] for the last), as delta[origin] + tau
/// with origin the nearer pole, so that delta_i - mu is formed as
/// (delta_i - delta[origin]) - tau without cancellation. False where no root
/// was found to working precision.
bool SecularRoot(const double* delta, const double* z, double rho, TSize m, TSize j, TSize& origin,
                 double& tau) {
  const bool last = j + 1 == m;
  double lo = 0.0, hi = 0.0;
  if (last) {
    // 1 + rho sum z^2 / (delta_i - delta_last - rho) >= 0 since |z| = 1.
    origin = j;
    hi = rho;
  } else {
    const double gap = delta[j + 1] - delta[j];
    if (!(gap > 0.0)) return false;
    const double half = gap / 2.0;
    double g = 1.0;
    for (TSize i = 0; i < m; ++i) g += rho * z[i] * z[i] / ((delta[i] - delta[j]) - half);
    // The secular function rises between its poles: its sign at the middle
    // tells which half holds the root.
    if (g >= 0.0) {
      origin = j;
      hi = half;
    } else {
      origin = j + 1;
      lo = -half;
    }
  }
  const double base = delta[origin];
  tau = (lo + hi) / 2.0;
  for (int step = 0; step < MaxSecularSteps; ++step) {
    // psi over the poles at or below j, phi over those above.
    double psi = 0.0, psiSlope = 0.0, phi = 0.0, phiSlope = 0.0;
    for (TSize i = 0; i <= j; ++i) {
      const double t = z[i] / ((delta[i] - base) - tau);
      psi += z[i] * t;
      psiSlope += t * t;
    }
    for (TSize i = j + 1; i < m; ++i) {
      const double t = z[i] / ((delta[i] - base) - tau);
      phi += z[i] * t;
      phiSlope += t * t;
    }
    psi *= rho, psiSlope *= rho, phi *= rho, phiSlope *= rho;
    const double g = 1.0 + psi + phi;
    const double bound = 8.0 * Epsilon * (double(m) + 1.0 + std::fabs(psi) + std::fabs(phi)) +
                         Epsilon * std::fabs(tau) * (psiSlope + phiSlope);
    if (std::fabs(g) <= bound) return true;
    if (g > 0.0) {
      hi = tau;
    } else {
      lo = tau;
    }
    if (hi - lo <= 2.0 * Epsilon * std::max(std::fabs(lo), std::fabs(hi))) return true;

    // The two nearest poles kept, the rest as a constant, matched in value
    // and slope at tau; the model's root between its poles is the next tau.
    const double a = (delta[j] - base) - tau;
    const double s = a * a * psiSlope;
    double next = tau;
    bool modelled = false;
    if (last) {
      const double c = g - a * psiSlope;
      if (c != 0.0) {
        next = tau + a + s / c;
        modelled = true;
      }
    } else {
      const double b = (delta[j + 1] - base) - tau;
      const double S = b * b * phiSlope;
      const double c = g - a * psiSlope - b * phiSlope;
      const double B = c * (a + b) + s + S;
      const double C = c * a * b + s * b + S * a;
      if (c == 0.0) {
        if (B != 0.0) {
          next = tau + C / B;
          modelled = true;
        }
      } else {
        const double root = std::sqrt(std::max(B * B - 4.0 * c * C, 0.0));
        // Both roots without cancellation; the one between the poles.
        const double big = B >= 0.0 ? (B + root) / (2.0 * c) : (B - root) / (2.0 * c);
        const double small = big != 0.0 ? C / (c * big) : 0.0;
        for (double h : {small, big}) {
          if (h > a && h < b) {
            next = tau + h;
            modelled = true;
            break;
          }
        }
      }
    }
    if (!modelled || !(next > lo && next < hi)) next = (lo + hi) / 2.0;
    if (next == tau) return true;
    tau = next;
  }
  return false;
}

}  // namespace

bool DowndatedEigenpairs(const double* d, const double* z, double rho, TSize n, TSize count,
                         double* values, double* W, std::size_t ldw, TDowndateWork& work) {
  count = std::min(count, n);
  double norm = 0.0;
  for (TSize i = 0; i < n; ++i) norm += z[i] * z[i];
  norm = std::sqrt(norm);
  std::vector<double>& delta = work.delta;
  std::vector<double>& zn = work.z;
  delta.resize(n);
  zn.resize(n);
  double largest = 0.0;
  for (TSize i = 0; i < n; ++i) {
    delta[i] = -d[i];
    zn[i] = norm > 0.0 ? z[i] / norm : 0.0;
    largest = std::max(largest, std::fabs(d[i]));
  }
  const double scaledRho = rho * norm * norm;

  // Deflation. A negligible z leaves its coordinate alone; two coordinates
  // closer than rounding are turned so that the earlier one's z vanishes
  // and it leaves the secular equation with a value of its own.
  const double tol = 8.0 * Epsilon * std::max(largest, scaledRho);
  std::vector<TSize>& kept = work.kept;
  std::vector<TSize> deflated;
  kept.clear();
  work.rotations.clear();
  deflated.reserve(n);
  bool previous = false;
  TSize prev = 0;
  for (TSize i = 0; i < n; ++i) {
    if (scaledRho * std::fabs(zn[i]) <= tol) {
      deflated.push_back(i);
      continue;
    }
    if (previous) {
      const double tauPair = std::hypot(zn[prev], zn[i]);
      const double c = zn[i] / tauPair;
      const double s = -zn[prev] / tauPair;
      if (std::fabs((delta[i] - delta[prev]) * c * s) <= tol) {
        zn[i] = tauPair;
        zn[prev] = 0.0;
        const double dp = delta[prev], di = delta[i];
        delta[prev] = dp * c * c + di * s * s;
        delta[i] = dp * s * s + di * c * c;
        work.rotations.push_back({prev, i, c, s});
        deflated.push_back(prev);
        prev = i;
        continue;
      }
      kept.push_back(prev);
    }
    prev = i;
    previous = true;
  }
  if (previous) kept.push_back(prev);
  const TSize m = TSize(kept.size());

  // The secular equation over the kept coordinates, in ascending order.
  std::vector<double> keptDelta(m), keptZ(m);
  for (TSize a = 0; a < m; ++a) {
    keptDelta[a] = delta[kept[a]];
    keptZ[a] = zn[kept[a]];
    if (a > 0 && !(keptDelta[a] > keptDelta[a - 1])) return false;
  }
  work.origin.resize(m);
  work.shift.resize(m);
  for (TSize j = 0; j < m; ++j) {
    if (!SecularRoot(keptDelta.data(), keptZ.data(), scaledRho, m, j, work.origin[j],
                     work.shift[j]))
      return false;
  }

  // All eigenvalues, descending (-mu), the secular roots before deflated
  // values that are equal.
  work.order.clear();
  for (TSize j = 0; j < m; ++j)
    work.order.push_back({-(keptDelta[work.origin[j]] + work.shift[j]), j});
  for (TSize i : deflated) work.order.push_back({-delta[i], m + i});
  std::stable_sort(work.order.begin(), work.order.end(),
                   [](const TDowndateWork::TOrdered& x, const TDowndateWork::TOrdered& y) {
                     return x.value > y.value;
                   });
  for (TSize c = 0; c < n; ++c) values[c] = work.order[c].value;
  if (count == 0) return true;

  // z from the eigenvalues found: z_a^2 = (mu_a - delta_a) / rho
  // prod over j != a of (mu_j - delta_a) / (delta_j - delta_a), every factor
  // positive by the interlacing.
  std::vector<double>& zHat = work.zHat;
  zHat.resize(m);
  const auto rootLessPole = [&](TSize j, TSize a) {  // mu_j - delta_a
    return (keptDelta[work.origin[j]] - keptDelta[a]) + work.shift[j];
  };
  for (TSize a = 0; a < m; ++a) {
    double product = rootLessPole(a, a) / scaledRho;
    for (TSize j = 0; j < m; ++j)
      if (j != a) product *= rootLessPole(j, a) / (keptDelta[j] - keptDelta[a]);
    zHat[a] = std::copysign(std::sqrt(std::max(product, 0.0)), keptZ[a]);
  }

  // Each wanted vector in the turned coordinates, then the turns undone.
  for (TSize c = 0; c < count; ++c) {
    double* w = W + c * ldw;
    std::fill(w, w + n, 0.0);
    const TSize index = work.order[c].index;
    if (index >= m) {
      w[index - m] = 1.0;
      continue;
    }
    double length = 0.0;
    for (TSize a = 0; a < m; ++a) {
      const double entry = zHat[a] / -rootLessPole(index, a);
      w[kept[a]] = entry;
      length += entry * entry;
    }
    length = std::sqrt(length);
    if (!(length > 0.0)) return false;
    for (TSize a = 0; a < m; ++a) w[kept[a]] /= length;
  }
  for (auto r = work.rotations.rbegin(); r != work.rotations.rend(); ++r) {
    for (TSize c = 0; c < count; ++c) {
      double* w = W + c * ldw;
      const double x = w[r->first], y = w[r->second];
      w[r->first] = r->c * x - r->s * y;
      w[r->second] = r->s * x + r->c * y;
    }
  }
  return true;
}

}  // namespace talvex
