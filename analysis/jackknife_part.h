// The jackknife in parts: the reduced samples of a range of left-out objects
// computed apart (in another process, on another machine), and parts merged
// into the estimates of the whole leave-one-out loop.
//
// A part keeps, per object, what the loop would add to its running sums: the
// reduced sample's eigenvalues, its first k axes already aligned with the
// full sample, and its allometric coefficients. Merging replays the loop's
// own update (AddPseudoValues) over the objects in object order, so the
// merged results equal RunJackknife's bit for bit, whatever order the parts
// come in and however the objects were split. The price is memory: a part
// holds (objects) x p x (k + 2) doubles; few shown axes keep it small.
//
// Messages of MergeJackknifeParts:
//   "The jackknife's parts do not fit together" (Detail: what differs)
//   "The jackknife's parts do not cover every object once" (Detail: where)
#pragma once

#include <span>
#include <vector>

#include "analysis/jackknife.h"

namespace talvex {

struct TJackknifePart {
  TSize objectCount = 0;    // n of the whole sample
  TSize variableCount = 0;  // p
  TSize axisCount = 0;      // k
  TSize first = 0;          // the objects left out, first..last (1..n)
  TSize last = 0;
  // The full sample's values, which every part of one run shares.
  std::vector<double> eigenvalues;  // p
  std::vector<double> axes;         // k x p, axis a at (a - 1) * p
  std::vector<double> macs;         // p; empty without allometry
  /// Per object first..last in order, SampleSize() doubles: p eigenvalues,
  /// the k aligned axes, then (with allometry) p allometric coefficients.
  std::vector<double> samples;

  std::size_t SampleSize() const {
    return std::size_t(variableCount) * (axisCount + 1) + macs.size();
  }
};

/// The reduced samples of objects first..last (1 <= first <= last <= n) of
/// the loop RunJackknife runs on `input`, on settings.threads workers; the
/// observer is told of each object (counted from the part's first) and may
/// cancel. Raises what RunJackknife raises.
TJackknifePart RunJackknifePart(const TJackknifeInput& input, TSize first, TSize last,
                                const TJackknifeSettings& settings = {});

/// The jackknife of the whole loop from parts that cover objects 1..n once,
/// in any order. A `collector` (the diagnostics) receives every reduced
/// sample in object order, as from the one-piece loop, and learns the same:
/// the axes come already aligned, with signs +1 and no dots (each sign times
/// its axis is the same, bit for bit). The input its Start receives holds
/// the full sample's eigenvalues, first k axes and allometry, but no data.
TJackknifeResults MergeJackknifeParts(std::span<const TJackknifePart* const> parts,
                                      TJackknifeCollector* collector = nullptr);

}  // namespace talvex
