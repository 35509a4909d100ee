// TSupplementaryCollector: the supplementary items placed on every reduced
// sample the jackknife hands over, with that sample's own means, standard
// deviations and sign-aligned axes (the axes matched one-to-one first when
// asked), and their pseudo-values accumulated in object order.
//
// Memory: O((m + g + q) (p + k)) beside a copy of the centred data (n p).
// Cost per sample: see supplementary_placement.h; with matched axes also the
// axis matching (about k dot products of length p).
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "analysis/jackknife.h"
#include "analysis/jackknife_collector.h"
#include "diagnostics/axis_matching.h"
#include "supplementary/supplementary_input.h"
#include "supplementary/supplementary_placement.h"
#include "supplementary/supplementary_results.h"

namespace talvex {

class TSupplementaryCollector final : public TJackknifeCollector {
 public:
  /// `items` must outlive the collector.
  TSupplementaryCollector(const TPreparedSupplementary& items, bool matchAxes)
      : items_(items), matchAxes_(matchAxes) {}

  void Start(const TJackknifeInput& input) override;
  void Collect(const TReducedSampleView& sample) override;

  /// Whether the jackknife ran and handed over every sample.
  bool Complete() const noexcept { return started_ && collected_ == n_; }
  bool MatchAxes() const noexcept { return matchAxes_; }
  /// The running means and sums of squared deviations of the pseudo-values,
  /// in TSupplementaryPlacement's order.
  const std::vector<double>& Means() const noexcept { return means_; }
  const std::vector<double>& Squares() const noexcept { return squares_; }
  /// The number of leading axes whose pairs have co-moments, and the
  /// co-moments (sums of products of deviations) of the objects' and groups'
  /// pseudo-values: item r (0..m+g-1), pair at r * pairs + pair index.
  TSize PairedAxes() const noexcept { return pairedAxes_; }
  const std::vector<double>& CoMoments() const noexcept { return coMoments_; }

 private:
  void AddCoMoments();

  const TPreparedSupplementary& items_;
  bool matchAxes_;
  bool started_ = false;
  TSize n_ = 0, p_ = 0, k_ = 0, collected_ = 0, searched_ = 0;
  std::optional<TSupplementaryPlacement> placement_;
  std::vector<double> fullAxes_;  // p x k
  std::vector<double> full_;      // the full sample's placed values
  std::vector<double> reduced_;   // one reduced sample's
  std::vector<TSize> sources_;    // k: the reduced axis each shown axis is
  std::vector<double> signs_;     // k: and its sign
  std::vector<double> values_;    // k: and its eigenvalue
  std::vector<double> means_, squares_;
  TSize pairedAxes_ = 0;
  std::size_t pairedItems_ = 0;
  std::vector<double> coMoments_;
  std::vector<double> deltas_, residuals_;  // pairedAxes_: x - old mean, x - new mean
  TAxisMatch match_;
};

}  // namespace talvex
