// Collecting the reduced samples for the diagnostics.
#include "diagnostics/diagnostics_collector.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>

#include "analysis/allometry.h"
#include "analysis/pseudo_values.h"

namespace talvex {

void TDiagnosticsCollector::TSums::Add(std::size_t first, double count, double n,
                                       const double* full, const double* reduced, double sign,
                                       std::size_t length) {
  AddPseudoValues(means.data() + first, squares.data() + first, count, n, full, reduced, sign,
                  length);
}

void TDiagnosticsCollector::Start(const TJackknifeInput& input) {
  started_ = true;
  n_ = input.objectCount;
  p_ = input.variableCount;
  k_ = input.axisCount;
  collected_ = 0;
  fullValues_.assign(input.eigenvalues.Data(), input.eigenvalues.Data() + p_);
  // The axes of the eigenvalues that are zero up to rounding (more variables
  // than objects) are not searched: any rotation of that space is an equally
  // good set of axes, and comparing every pair of them would cost far more
  // than the decompositions (k^2 p per sample).
  const double nullLevel = fullValues_.empty() ? 0.0
                                               : std::fabs(fullValues_.front()) * double(p_) *
                                                     std::numeric_limits<double>::epsilon();
  searched_ = 0;
  while (searched_ < k_ && fullValues_[searched_] > nullLevel) ++searched_;
  fullAxes_.resize(std::size_t(p_) * k_);
  for (TSize a = 1; a <= k_; ++a)
    std::copy_n(input.eigenvectors.Column(a), p_, fullAxes_.begin() + std::size_t(a - 1) * p_);
  fullMacs_.clear();
  if (input.allometry) {
    fullMacs_.assign(input.allometry->macs.Data(), input.allometry->macs.Data() + p_);
    macOrientation_ = input.allometry->orientation;
  }
  const std::size_t cells = std::size_t(n_) * k_;
  cosines_.assign(cells, 0.0);
  changes_.assign(cells, 0.0);
  matchedChanges_.assign(cells, 0.0);
  best_.assign(cells, 0);
  reordered_.assign(n_, false);
  values_.Resize(matchedEstimates_ ? p_ : 0);
  vectors_.Resize(matchedEstimates_ ? std::size_t(p_) * k_ : 0);
  macs_.Resize(matchedEstimates_ ? fullMacs_.size() : 0);
  reducedMacs_.resize(fullMacs_.size());
}

void TDiagnosticsCollector::Collect(const TReducedSampleView& sample) {
  const TSize i = sample.object;
  ++collected_;
  MatchAxes(fullAxes_, sample.axes, p_, k_, searched_, match_, sample.dots);
  reordered_[i - 1] = match_.reordered;
  for (TSize a = 1; a <= k_; ++a) {
    cosines_[Index(i, a)] = match_.cosines[a - 1];
    best_[Index(i, a)] = match_.best[a - 1];
    changes_[Index(i, a)] = sample.values[a - 1] - fullValues_[a - 1];
    matchedChanges_[Index(i, a)] = sample.values[match_.oneToOne[a - 1] - 1] - fullValues_[a - 1];
  }
  if (!matchedEstimates_) return;

  // The matched accumulation: shown axis a is the reduced axis matched to it,
  // with the sign that aligns that axis; its eigenvalue goes with it.
  const double count = double(collected_);
  const double n = double(n_);
  for (TSize c = 1; c <= k_; ++c)
    values_.Add(c - 1, count, n, &fullValues_[c - 1], &sample.values[match_.oneToOne[c - 1] - 1],
                1.0, 1);
  values_.Add(k_, count, n, fullValues_.data() + k_, sample.values.data() + k_, 1.0, p_ - k_);
  double sizeAxisSign = 1.0;
  for (TSize a = 1; a <= k_; ++a) {
    const TSize source = match_.oneToOne[a - 1];
    const double* full = fullAxes_.data() + std::size_t(a - 1) * p_;
    const double* reduced = sample.axes.data() + std::size_t(source - 1) * p_;
    // The jackknife's own sign where the axis stays, so that an unreordered
    // sample adds exactly what the jackknife added.
    double sign = sample.signs[a - 1];
    if (source != a) sign = DotProduct(full, reduced, p_) < 0.0 ? -1.0 : 1.0;
    if (a == 1) sizeAxisSign = sign;
    vectors_.Add(std::size_t(a - 1) * p_, count, n, full, reduced, sign, p_);
  }
  if (!fullMacs_.empty()) {
    const TSize source = match_.oneToOne[0];
    AllometricCoefficients(std::span(sample.axes.data() + std::size_t(source - 1) * p_, p_),
                           sizeAxisSign * macOrientation_, reducedMacs_);
    macs_.Add(0, count, n, fullMacs_.data(), reducedMacs_.data(), 1.0, p_);
  }
}

TJackknifeResults TDiagnosticsCollector::MatchedResults() const {
  TJackknifeResults results;
  results.axisCount = k_;
  const auto finish = [this](const TSums& sums, TJackknifeTail tail,
                             const std::vector<double>& full,
                             std::vector<TJackknifeStatistic>& into) {
    for (std::size_t s = 0; s < sums.means.size(); ++s)
      into.push_back(FinishJackknifeStatistic(sums.means[s], sums.squares[s], n_, tail, full[s]));
  };
  finish(values_, TJackknifeTail::Upper, fullValues_, results.eigenvalues);
  finish(vectors_, TJackknifeTail::Absolute, fullAxes_, results.vectors);
  finish(macs_, TJackknifeTail::BelowOne, fullMacs_, results.macs);
  return results;
}

}  // namespace talvex
