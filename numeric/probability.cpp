// The decimal logarithm of the log transformation and the distribution
// functions of the standard normal (series below 2, continued fraction
// above) and of Student's t (the closed-form finite series for up to 125
// degrees of freedom, a normal approximation beyond).
#include "numeric/probability.h"

#include <array>
#include <cmath>
#include <string>

#include "base/exception.h"
#include "numeric/float_faults.h"

namespace talvex {

namespace {
constexpr double Tolerance = 1.0e-7;
constexpr double InverseRootTwoPi = 0.39894228040143;  // 1 / sqrt(2 pi) to 14 digits
constexpr double InversePi = 0.3183098862;             // 1 / pi to 10 digits
constexpr int MaxTerms = 100;
constexpr std::int32_t MaxExactDegrees = 125;
// 2^64 is beyond any quantile a double probability has (df = 1 at 1e-16 is
// about 3e15); 2100 halvings reach neighbouring doubles from any bracket.
constexpr int MaxBracketDoublings = 64;
constexpr int MaxBisections = 2100;

// ln(3 * 5 * ... * (2i + 1)) for the normal series' i-th term, summed in
// that order once for every call: the jackknife evaluates the series for
// every coefficient of every axis.
const std::array<double, MaxTerms + 1>& SeriesLogProducts() {
  static const std::array<double, MaxTerms + 1> products = [] {
    std::array<double, MaxTerms + 1> sums{};
    double lnprod = 0.0;
    for (int i = 1; i <= MaxTerms; ++i) {
      lnprod += std::log(2.0 * i + 1.0);
      sums[i] = lnprod;
    }
    return sums;
  }();
  return products;
}

}  // namespace

double Log10OrZero(double x) {
  if (x > 0.0) return CheckedResult(std::log(x) / std::log(10.0));
  return 0.0;  // zero and negative values map to 0, by design of the transformation
}

double NormalCdf(double x) {
  const double z = std::fabs(x);
  double p = 1.0;
  if (z < 9.0) {
    if (z <= Tolerance) return 0.5;
    const double phi = InverseRootTwoPi * std::exp(-0.5 * z * z);
    double last = 2.0;
    bool converged = false;
    if (z < 2.0) {
      // Phi(z) = 0.5 + phi (z + z^3/3 + z^5/(3*5) + ...), each term through logarithms.
      const double lnz = std::log(z);
      const std::array<double, MaxTerms + 1>& lnprod = SeriesLogProducts();
      p = phi * z + 0.5;
      for (int i = 1; i <= MaxTerms; ++i) {
        const double k = 2.0 * i + 1.0;
        p += phi * std::exp(k * lnz - lnprod[i]);
        if (std::fabs(p - last) <= Tolerance) {
          converged = true;
          break;
        }
        last = p;
      }
    }
    if (!converged) {
      // Q(z) = phi / (z + 1/(z + 2/(z + 3/(z + ...)))) by its convergents A/B.
      double a2 = 0.0, a1 = phi, b2 = 1.0, b1 = z;
      for (int i = 1; i <= MaxTerms; ++i) {
        const double a = a1 * z + a2 * i;
        const double b = b1 * z + b2 * i;
        if (std::fabs(b) > Tolerance) {
          p = a / b;
          if (std::fabs(p - last) <= Tolerance) break;
          last = p;
        }
        a2 = a1;
        b2 = b1;
        a1 = a;
        b1 = b;
        while (a1 >= 10.0 || b1 >= 10.0) {  // rescale; the ratios stay the same
          a2 *= 0.1;
          b2 *= 0.1;
          a1 *= 0.1;
          b1 *= 0.1;
        }
      }
      p = 1.0 - p;
    }
  }
  if (x < 0.0) p = 1.0 - p;
  return CheckedResult(p);
}

double StudentTCdf(std::int32_t df, double t) {
  const double nu = df;
  if (df > MaxExactDegrees)
    return NormalCdf(t * (1.0 - 0.25 / nu) / std::sqrt(1.0 + 0.5 * (t * t) / nu));
  // df = 0 fails here, as a division by zero; what follows depends on y, so
  // no compiler can evaluate the inf * 0 below before this check.
  const double y = CheckedResult(t / std::sqrt(nu));
  const double b = nu / (nu + t * t);
  const std::int32_t parity = df % 2;  // truncates toward zero, as df - 2 (df div 2)
  double sum = 1.0;
  double term = 1.0;
  std::int32_t k = parity + 2;
  if (df >= 4) {
    while (k <= df - 2) {
      term = term * b * (k - 1) / k;
      sum += term;
      k += 2;
    }
  }
  if (parity == 0) return CheckedResult(0.5 + 0.5 * y * sum * std::sqrt(b));
  if (df == 1) sum = 0.0;
  return CheckedResult(0.5 + (std::atan(y) + y * b * sum) * InversePi);
}

double StudentTQuantile(std::int32_t df, double probability) {
  // Quiet comparisons: a NaN refused here must not leave the invalid
  // operation flag raised for the next check of the arithmetic to report.
  if (df < 1 || !(std::isgreater(probability, 0.0) && std::isless(probability, 1.0))) {
    throw Exception("StudentTQuantile: no quantile for " + std::to_string(probability) + " with " +
                    std::to_string(df) + " degrees of freedom");
  }
  if (probability == 0.5) return 0.0;
  // The distribution function is monotone: bracket the quantile by doubling,
  // then halve the bracket until its ends are neighbouring doubles.
  const bool upper = probability > 0.5;
  double inside = 0.0;
  double outside = upper ? 1.0 : -1.0;
  for (int i = 0; i < MaxBracketDoublings && (StudentTCdf(df, outside) < probability) == upper;
       ++i) {
    inside = outside;
    outside *= 2.0;
  }
  for (int i = 0; i < MaxBisections; ++i) {
    const double middle = 0.5 * (inside + outside);
    if (middle == inside || middle == outside) break;
    if ((StudentTCdf(df, middle) < probability) == upper) {
      inside = middle;
    } else {
      outside = middle;
    }
  }
  return 0.5 * (inside + outside);
}

}  // namespace talvex
