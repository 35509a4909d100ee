// Anderson acceleration (see the header).
#include "analysis/anderson_mixing.h"

#include <algorithm>
#include <cmath>

#include "numeric/lane_dot.h"

namespace talvex {

namespace {

// The least-squares problem is solved through its normal equations, whose
// matrix is nudged by this share of its largest diagonal element, so that
// steps that have become nearly parallel near convergence do not make it
// singular.
constexpr double Regularisation = 1e-12;

// Solves the k x k system a w = b (row-major, a destroyed) by elimination
// with partial pivoting; false where a pivot vanishes.
bool SolveSmall(std::vector<double>& a, std::vector<double>& b, TSize k) {
  for (TSize c = 0; c < k; ++c) {
    TSize pivot = c;
    for (TSize r = c + 1; r < k; ++r)
      if (std::fabs(a[r * k + c]) > std::fabs(a[pivot * k + c])) pivot = r;
    if (!(std::fabs(a[pivot * k + c]) > 0.0)) return false;
    if (pivot != c) {
      for (TSize j = 0; j < k; ++j) std::swap(a[c * k + j], a[pivot * k + j]);
      std::swap(b[c], b[pivot]);
    }
    for (TSize r = c + 1; r < k; ++r) {
      const double factor = a[r * k + c] / a[c * k + c];
      for (TSize j = c; j < k; ++j) a[r * k + j] -= factor * a[c * k + j];
      b[r] -= factor * b[c];
    }
  }
  for (TSize c = k; c-- > 0;) {
    double sum = b[c];
    for (TSize j = c + 1; j < k; ++j) sum -= a[c * k + j] * b[j];
    b[c] = sum / a[c * k + c];
  }
  for (TSize c = 0; c < k; ++c)
    if (!std::isfinite(b[c])) return false;
  return true;
}

}  // namespace

TAndersonMixing::TAndersonMixing(std::size_t size, TSize memory)
    : size_(size),
      memory_(std::max<TSize>(memory, 1)),
      previousResidual_(size),
      previousImage_(size),
      residualSteps_(memory_ * size),
      imageSteps_(memory_ * size),
      gram_(std::size_t(memory_) * memory_),
      system_(std::size_t(memory_) * memory_),
      rhs_(memory_),
      residual_(size) {}

void TAndersonMixing::Reset() noexcept {
  kept_ = 0;
  havePrevious_ = false;
}

void TAndersonMixing::Next(std::span<double> x, std::span<const double> g) {
  const std::size_t n = size_;
  for (std::size_t i = 0; i < n; ++i) residual_[i] = g[i] - x[i];
  if (havePrevious_) {
    // The newest differences go into the ring, over the oldest when full.
    newest_ = kept_ == 0 ? 0 : (newest_ + 1) % memory_;
    kept_ = std::min(kept_ + 1, memory_);
    double* df = residualSteps_.data() + std::size_t(newest_) * n;
    double* dg = imageSteps_.data() + std::size_t(newest_) * n;
    for (std::size_t i = 0; i < n; ++i) {
      df[i] = residual_[i] - previousResidual_[i];
      dg[i] = g[i] - previousImage_[i];
    }
    for (TSize s = 0; s < kept_; ++s) {
      const double dot = DotProduct(df, residualSteps_.data() + std::size_t(s) * n, TSize(n));
      gram_[std::size_t(newest_) * memory_ + s] = dot;
      gram_[std::size_t(s) * memory_ + newest_] = dot;
    }
  }
  std::copy(residual_.begin(), residual_.end(), previousResidual_.begin());
  std::copy(g.begin(), g.end(), previousImage_.begin());
  havePrevious_ = true;
  std::copy(g.begin(), g.end(), x.begin());
  if (kept_ == 0) return;

  const TSize k = kept_;
  double largest = 0.0;
  for (TSize s = 0; s < k; ++s) largest = std::max(largest, gram_[std::size_t(s) * memory_ + s]);
  for (TSize r = 0; r < k; ++r) {
    for (TSize c = 0; c < k; ++c) system_[r * k + c] = gram_[std::size_t(r) * memory_ + c];
    system_[r * k + r] += Regularisation * largest;
    rhs_[r] = DotProduct(residualSteps_.data() + std::size_t(r) * n, residual_.data(), TSize(n));
  }
  if (!SolveSmall(system_, rhs_, k)) {
    // Steps without a usable combination: a plain one, and a fresh start.
    kept_ = 0;
    return;
  }
  for (TSize s = 0; s < k; ++s) {
    const double w = rhs_[s];
    const double* dg = imageSteps_.data() + std::size_t(s) * n;
    for (std::size_t i = 0; i < n; ++i) x[i] -= w * dg[i];
  }
}

}  // namespace talvex
