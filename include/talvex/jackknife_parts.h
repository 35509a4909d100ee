// The jackknife of a run in parts, for spreading it over processes or
// machines: each part computes the reduced samples of a range of left-out
// objects, and the parts merge into the jackknife a whole run makes, bit for
// bit (see analysis/jackknife_part.h), with the same diagnostics (influence,
// axis exchanges, matched estimates, intervals). The supplementary items'
// jackknife is not made in parts.
//
// Messages: those of Compute (talvex.h) for the full sample, the
// jackknife's, and those of MergeJackknifeParts.
#pragma once

#include <span>

#include "analysis/jackknife_part.h"
#include "talvex/talvex.h"

namespace talvex {

/// The part of objects first..last (1..n) of the jackknife of `data` run
/// with `options` (its jackknife choice aside). The full sample is analysed
/// first, as Compute analyses it; the observer follows the part's objects.
TJackknifePart ComputeJackknifePart(TRunData data, const TRunOptions& options, TSize first,
                                    TSize last, const TRunHooks& hooks = {});

/// A jackknife merged from parts, and its diagnostics.
struct TMergedJackknife {
  TJackknifeResults jackknife;
  /// As a single run with `options` makes them (TRunOutcome::Diagnostics).
  TDiagnostics diagnostics;
};

/// The jackknife of the whole run from parts covering every object once, in
/// any order, with its diagnostics made with `options`.
TMergedJackknife MergeJackknifeParts(std::span<const TJackknifePart* const> parts,
                                     const TDiagnosticsOptions& options);
TMergedJackknife MergeJackknifeParts(std::span<const TJackknifePart> parts,
                                     const TDiagnosticsOptions& options = {});

/// The 95% intervals estimate -+ t(n - 1, 0.975) SE of a jackknife of n
/// objects, one pair per statistic of `statistics`.
std::vector<std::pair<double, double>> JackknifeIntervals(
    const std::vector<TJackknifeStatistic>& statistics, TSize objectCount);

}  // namespace talvex
