// Anderson acceleration: on a slow linear contraction it reaches the fixed
// point in a fraction of the plain iteration's steps, and after Reset its
// next step is the plain one.
#include "analysis/anderson_mixing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace talvex {
namespace {

// G(x) = A x + b, A symmetric with eigenvalues spread up to 0.97 in a random
// basis: plain iteration loses a factor 0.97 of its error per step.
struct TLinearMap {
  explicit TLinearMap(std::size_t size) : n(size), a(size * size, 0.0), b(size) {
    std::mt19937 engine(11);
    std::normal_distribution<double> normal;
    std::vector<double> q(n * n);
    for (double& v : q) v = normal(engine);
    // Gram-Schmidt: the columns of q orthonormal.
    for (std::size_t k = 0; k < n; ++k) {
      for (std::size_t l = 0; l < k; ++l) {
        double dot = 0.0;
        for (std::size_t i = 0; i < n; ++i) dot += q[i * n + k] * q[i * n + l];
        for (std::size_t i = 0; i < n; ++i) q[i * n + k] -= dot * q[i * n + l];
      }
      double length = 0.0;
      for (std::size_t i = 0; i < n; ++i) length += q[i * n + k] * q[i * n + k];
      for (std::size_t i = 0; i < n; ++i) q[i * n + k] /= std::sqrt(length);
    }
    for (std::size_t k = 0; k < n; ++k) {
      const double lambda = 0.97 * double(k + 1) / double(n) * (k % 2 == 0 ? 1.0 : -0.5);
      for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < n; ++j) a[i * n + j] += lambda * q[i * n + k] * q[j * n + k];
    }
    for (double& v : b) v = normal(engine);
  }
  void Apply(const std::vector<double>& x, std::vector<double>& g) const {
    for (std::size_t i = 0; i < n; ++i) {
      g[i] = b[i];
      for (std::size_t j = 0; j < n; ++j) g[i] += a[i * n + j] * x[j];
    }
  }
  std::size_t n;
  std::vector<double> a, b;
};

double LargestChange(const std::vector<double>& x, const std::vector<double>& g) {
  double largest = 0.0;
  for (std::size_t i = 0; i < x.size(); ++i) largest = std::max(largest, std::fabs(g[i] - x[i]));
  return largest;
}

// Steps until G(x) - x is below 1e-11, plain or accelerated; the fixed point
// reached into x.
int Steps(const TLinearMap& map, TAndersonMixing* mixing, std::vector<double>& x) {
  std::vector<double> g(map.n);
  x.assign(map.n, 0.0);
  for (int step = 1; step <= 5000; ++step) {
    map.Apply(x, g);
    if (LargestChange(x, g) < 1e-11) return step;
    if (mixing != nullptr) {
      mixing->Next(x, g);
    } else {
      x = g;
    }
  }
  return 5000;
}

TEST(AndersonMixing, ReachesTheFixedPointOfASlowContractionInFewSteps) {
  const TLinearMap map(40);
  std::vector<double> plain, accelerated;
  const int plainSteps = Steps(map, nullptr, plain);
  TAndersonMixing mixing(40, 5);
  const int fewSteps = Steps(map, &mixing, accelerated);
  EXPECT_GT(plainSteps, 300);
  EXPECT_LT(fewSteps, plainSteps / 3) << fewSteps << " against " << plainSteps;
  for (std::size_t i = 0; i < 40; ++i) EXPECT_NEAR(accelerated[i], plain[i], 1e-9);
  EXPECT_LE(mixing.Kept(), 5u);
}

TEST(AndersonMixing, AfterResetTheNextStepIsPlain) {
  const TLinearMap map(10);
  TAndersonMixing mixing(10, 3);
  std::vector<double> x(10, 0.0), g(10);
  for (int step = 0; step < 4; ++step) {
    map.Apply(x, g);
    mixing.Next(x, g);
  }
  EXPECT_EQ(mixing.Kept(), 3u);
  mixing.Reset();
  EXPECT_EQ(mixing.Kept(), 0u);
  map.Apply(x, g);
  mixing.Next(x, g);
  EXPECT_EQ(x, g);
}

}  // namespace
}  // namespace talvex
