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
  placement_->Full(fullAxes_.data(), input.eigenvalues.Data(), full_.data());
  reduced_.assign(full_.size(), 0.0);
  means_.assign(full_.size(), 0.0);
  squares_.assign(full_.size(), 0.0);
  axes_.resize(fullAxes_.size());
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

void TSupplementaryCollector::Collect(const TReducedSampleView& sample) {
  // The jackknife reads the status flags after the loop as its own: what the
  // placement raises (a group emptied, an axis without variance) stays here.
  const int before = TakeFloatFaultFlags();
  ++collected_;
  if (matchAxes_) talvex::MatchAxes(fullAxes_, sample.axes, p_, k_, searched_, match_, sample.dots);
  for (TSize a = 1; a <= k_; ++a) {
    const TSize source = matchAxes_ ? match_.oneToOne[a - 1] : a;
    const double* reduced = sample.axes.data() + std::size_t(source - 1) * p_;
    double sign = sample.signs[a - 1];
    if (source != a)
      sign = DotProduct(fullAxes_.data() + std::size_t(a - 1) * p_, reduced, p_) < 0.0 ? -1.0 : 1.0;
    double* axis = axes_.data() + std::size_t(a - 1) * p_;
    for (TSize j = 0; j < p_; ++j) axis[j] = sign * reduced[j];
    values_[a - 1] = sample.values[source - 1];
  }
  placement_->Reduced(sample.object, axes_.data(), values_.data(), reduced_.data());
  AddPseudoValues(means_.data(), squares_.data(), double(collected_), double(n_), full_.data(),
                  reduced_.data(), 1.0, full_.size());
  TakeFloatFaultFlags();
  RaiseFloatFaultFlags(before);
}

}  // namespace talvex
