// TJackknifeCollector: what a front end or a diagnostic may learn of each
// leave-one-out decomposition the jackknife does anyway. The jackknife hands
// every reduced sample to it, in object order, on the thread that runs the
// loop, just before the sample's pseudo-values are accumulated. Without a
// collector nothing of this is done, and with one the estimates are the same.
#pragma once

#include <span>

#include "numeric/sizes.h"

namespace talvex {

struct TJackknifeInput;

/// One reduced sample as the decomposition returned it. Valid only during the
/// call that receives it.
struct TReducedSampleView {
  TSize object;                    // the object left out, 1..n
  std::span<const double> values;  // p eigenvalues, descending
  std::span<const double> axes;    // the first k axes, axis a at (a - 1) * p, signs as returned
  std::span<const double> signs;   // k: +1 or -1, the sign that aligns axis a with the full sample
  std::span<const double> dots;    // k: reduced axis a . full axis a (DotProduct); may be empty
};

class TJackknifeCollector {
 public:
  virtual ~TJackknifeCollector() = default;
  /// Once, before the first sample; `input` stays valid until the jackknife
  /// returns (copy what is needed later).
  virtual void Start(const TJackknifeInput& input) = 0;
  /// Every reduced sample in object order. Must not raise floating-point
  /// status flags: the jackknife reads them after the loop as faults of its
  /// own arithmetic.
  virtual void Collect(const TReducedSampleView& sample) = 0;
};

}  // namespace talvex
