// TDiagnosticsCollector: what the diagnostics keep of each reduced sample as
// the jackknife hands it over, in object order: the changes of the shown
// eigenvalues, the axis comparison (|cosines| and best matches), and a second
// accumulation of pseudo-values with each sample's axes matched one-to-one to
// the full-sample axes before the signs are aligned.
//
// Memory: O(n k) for the per-object values plus O(p k) accumulators; no
// sample's axes are kept or copied. Cost per sample: the axis matching
// (about k dot products of length p, see axis_matching.h) and one
// accumulation of p (k + 2) pseudo-values, beside a p x p decomposition.
#pragma once

#include <optional>
#include <vector>

#include "analysis/jackknife.h"
#include "analysis/jackknife_collector.h"
#include "diagnostics/axis_matching.h"

namespace talvex {

class TDiagnosticsCollector final : public TJackknifeCollector {
 public:
  /// Without `matchedEstimates` the second accumulation is left out, and
  /// MatchedResults has nothing to give.
  explicit TDiagnosticsCollector(bool matchedEstimates = true)
      : matchedEstimates_(matchedEstimates) {}

  void Start(const TJackknifeInput& input) override;
  void Collect(const TReducedSampleView& sample) override;

  /// Whether the jackknife ran and handed over every sample.
  bool Complete() const noexcept { return started_ && collected_ == n_; }
  TSize ObjectCount() const noexcept { return n_; }
  TSize VariableCount() const noexcept { return p_; }
  TSize AxisCount() const noexcept { return k_; }

  /// Object i (1..n) left out, shown axis a (1..k).
  double Cosine(TSize i, TSize a) const { return cosines_[Index(i, a)]; }
  TSize BestMatch(TSize i, TSize a) const { return best_[Index(i, a)]; }
  bool Exchanged(TSize i, TSize a) const {
    return best_[Index(i, a)] != a || cosines_[Index(i, a)] < ExchangeCosine;
  }
  /// Reduced-sample eigenvalue c (1..k) minus the full-sample one.
  double EigenvalueChange(TSize i, TSize c) const { return changes_[Index(i, c)]; }
  /// The same for the reduced eigenvalue whose axis the one-to-one match
  /// paired with full-sample axis c.
  double MatchedEigenvalueChange(TSize i, TSize c) const { return matchedChanges_[Index(i, c)]; }
  /// The one-to-one match reordered the axes of this sample.
  bool Reordered(TSize i) const { return reordered_[i - 1]; }

  /// The jackknife with every sample's axes matched one-to-one before the
  /// signs were aligned; the eigenvalues of the shown axes follow their axes.
  /// Where no sample was reordered it equals the jackknife's own results.
  TJackknifeResults MatchedResults() const;

 private:
  // Means and sums of squared deviations, updated one object at a time with
  // the jackknife's own arithmetic, so identical samples give identical sums.
  struct TSums {
    std::vector<double> means, squares;
    void Resize(std::size_t size) { means.assign(size, 0.0), squares.assign(size, 0.0); }
    /// Adds the pseudo-values n * full[j] - (n - 1) * sign * reduced[j],
    /// j < length, of the count-th object at first..first + length - 1.
    void Add(std::size_t first, double count, double n, const double* full, const double* reduced,
             double sign, std::size_t length);
  };

  std::size_t Index(TSize i, TSize a) const { return std::size_t(i - 1) * k_ + (a - 1); }

  bool matchedEstimates_;
  bool started_ = false;
  TSize n_ = 0, p_ = 0, k_ = 0, collected_ = 0;
  TSize searched_ = 0;              // the leading shown axes whose eigenvalue is not zero
  std::vector<double> fullValues_;  // p
  std::vector<double> fullAxes_;    // p x k, axis a at (a - 1) * p
  std::vector<double> fullMacs_;    // p; empty without allometry
  double macOrientation_ = 1.0;

  std::vector<double> cosines_, changes_, matchedChanges_;  // n x k
  std::vector<TSize> best_;                                 // n x k
  std::vector<bool> reordered_;                             // n
  TSums values_, vectors_, macs_;                           // matched axes
  TAxisMatch match_;
  std::vector<double> reducedMacs_;  // p
};

}  // namespace talvex
