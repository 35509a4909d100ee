// Collecting the supplementary items' reduced-sample placements.
#include "supplementary/supplementary_collector.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/pseudo_values.h"
#include "numeric/float_faults.h"
#include "numeric/float_vector.h"
#include "numeric/lane_dot.h"
#include "numeric/statistics.h"

namespace talvex {

void TSupplementaryCollector::Start(const TJackknifeInput& input) {
  started_ = true;
  collected_ = 0;
  n_ = input.objectCount;
  p_ = input.variableCount;
  k_ = input.axisCount;
  // The run's own means and deviations of the analysed data.
  TFloatVector means(p_), deviations(p_);
  ColumnMeansAndDeviations(input.data, n_, p_, means, deviations);
  placement_.emplace(items_, input.data, means.Data(), deviations.Data(), k_, input.method);
  fullAxes_.resize(std::size_t(p_) * k_);
  for (TSize a = 1; a <= k_; ++a)
    std::copy_n(input.eigenvectors.Column(a), p_, fullAxes_.begin() + std::size_t(a - 1) * p_);
  full_.assign(placement_->Size(), 0.0);
  // What the placement raises is no fault of the jackknife's (see Collect).
  const int before = TakeFloatFaultFlags();
  placement_->Full(fullAxes_.data(), input.eigenvalues.Data(), full_.data());
  TakeFloatFaultFlags();
  RaiseFloatFaultFlags(before);
  reduced_.assign(full_.size(), 0.0);
  means_.assign(full_.size(), 0.0);
  squares_.assign(full_.size(), 0.0);
  sources_.resize(k_);
  signs_.resize(k_);
  pairedAxes_ = std::min(k_, SupplementaryEllipseAxes);
  pairedItems_ = placement_->Items() - items_.q;
  coMoments_.assign(pairedItems_ * pairedAxes_ * (pairedAxes_ - (pairedAxes_ > 0)) / 2, 0.0);
  deltas_.resize(pairedAxes_);
  residuals_.resize(pairedAxes_);
  values_.resize(k_);
  // As the diagnostics do: the axes of eigenvalues that are zero to rounding
  // are not matched (any rotation of that space is as good).
  const double* eigenvalues = input.eigenvalues.Data();
  const double nullLevel =
      p_ == 0 ? 0.0
              : std::fabs(eigenvalues[0]) * double(p_) * std::numeric_limits<double>::epsilon();
  searched_ = 0;
  while (searched_ < k_ && eigenvalues[searched_] > nullLevel) ++searched_;
}

// The co-moments of each placed object's and group's pseudo-values on the
// leading axes, updated as Welford's means are (before them): with d the
// pseudo-value's deviation from the old mean, C(a, b) += d(a) (x(b) - new
// mean(b)).
void TSupplementaryCollector::AddCoMoments() {
  const std::size_t rows = placement_->Items();
  const double count = double(collected_), n = double(n_);
  const std::size_t pairs = std::size_t(pairedAxes_) * (pairedAxes_ - (pairedAxes_ > 0)) / 2;
  for (std::size_t r = 0; r < pairedItems_; ++r) {
    for (TSize a = 0; a < pairedAxes_; ++a) {
      const std::size_t s = std::size_t(a) * rows + r;
      const double pseudo = n * full_[s] - (n - 1.0) * reduced_[s];
      deltas_[a] = pseudo - means_[s];
      residuals_[a] = pseudo - (means_[s] + deltas_[a] / count);
    }
    double* c = coMoments_.data() + r * pairs;
    for (TSize a = 0; a < pairedAxes_; ++a)
      for (TSize b = a + 1; b < pairedAxes_; ++b) *c++ += deltas_[a] * residuals_[b];
  }
}

void TSupplementaryCollector::Collect(const TReducedSampleView& sample) {
  // The jackknife reads the status flags after the loop as its own: what the
  // placement raises (a group emptied, an axis without variance) stays here.
  const int before = TakeFloatFaultFlags();
  ++collected_;
  if (matchAxes_) talvex::MatchAxes(fullAxes_, sample.axes, p_, k_, searched_, match_, sample.dots);
  for (TSize a = 1; a <= k_; ++a) {
    const TSize source = matchAxes_ ? match_.oneToOne[a - 1] : a;
    double sign = sample.signs[a - 1];
    if (source != a)
      sign = DotProduct(fullAxes_.data() + std::size_t(a - 1) * p_,
                        sample.axes.data() + std::size_t(source - 1) * p_, p_) < 0.0
                 ? -1.0
                 : 1.0;
    sources_[a - 1] = source;
    signs_[a - 1] = sign;
    values_[a - 1] = sample.values[source - 1];
  }
  placement_->Reduced(sample.object, sample.axes.data(), values_.data(), sources_.data(),
                      signs_.data(), reduced_.data());
  AddCoMoments();
  AddPseudoValues(means_.data(), squares_.data(), double(collected_), double(n_), full_.data(),
                  reduced_.data(), 1.0, full_.size());
  TakeFloatFaultFlags();
  RaiseFloatFaultFlags(before);
}

}  // namespace talvex
