// TCollectorPair: two collectors fed from one jackknife, each sample handed
// to the first and then to the second, so that independent followers of the
// reduced samples (the diagnostics, the supplementary items) need no change
// to the jackknife.
#pragma once

#include "analysis/jackknife_collector.h"

namespace talvex {

class TCollectorPair final : public TJackknifeCollector {
 public:
  TCollectorPair(TJackknifeCollector& first, TJackknifeCollector& second)
      : first_(first), second_(second) {}
  void Start(const TJackknifeInput& input) override {
    first_.Start(input);
    second_.Start(input);
  }
  void Collect(const TReducedSampleView& sample) override {
    first_.Collect(sample);
    second_.Collect(sample);
  }

 private:
  TJackknifeCollector& first_;
  TJackknifeCollector& second_;
};

}  // namespace talvex
