// Matching reduced-sample axes to full-sample axes by |cosine|.
#include "diagnostics/axis_matching.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace talvex {

namespace {
// A squared cosine above 1/2 leaves less than 1/2 for every other axis.
constexpr double MutualBestSquare = 0.5;
}  // namespace

double AbsoluteCosine(const double* x, const double* y, TSize p) {
  double dot = 0.0;
  for (TSize j = 0; j < p; ++j) dot += x[j] * y[j];
  return std::min(1.0, std::fabs(dot));
}

void MatchAxes(std::span<const double> fullAxes, std::span<const double> reducedAxes, TSize p,
               TSize k, TAxisMatch& match) {
  assert(fullAxes.size() >= std::size_t(p) * k && reducedAxes.size() >= std::size_t(p) * k);
  match.cosines.resize(k);
  match.best.resize(k);
  match.oneToOne.resize(k);
  match.reordered = false;
  const auto full = [&](TSize a) { return fullAxes.data() + std::size_t(a - 1) * p; };
  const auto reduced = [&](TSize a) { return reducedAxes.data() + std::size_t(a - 1) * p; };

  std::vector<TSize> open;  // axes without a mutual best partner
  for (TSize a = 1; a <= k; ++a) {
    const double c = AbsoluteCosine(full(a), reduced(a), p);
    match.cosines[a - 1] = c;
    match.oneToOne[a - 1] = a;
    if (c * c > MutualBestSquare) {
      match.best[a - 1] = a;
      continue;
    }
    open.push_back(a);
    double shownSquares = 0.0;
    double bestCosine = -1.0;
    for (TSize b = 1; b <= k; ++b) {
      const double cb = b == a ? c : AbsoluteCosine(full(a), reduced(b), p);
      shownSquares += cb * cb;
      if (cb > bestCosine) {
        bestCosine = cb;
        match.best[a - 1] = b;
      }
    }
    if (bestCosine * bestCosine < 1.0 - shownSquares) match.best[a - 1] = BeyondShownAxes;
  }
  if (open.size() < 2) return;

  // Greedy one-to-one match among the open axes, largest |cosine| first.
  struct TPair {
    double cosine;
    TSize fullAxis, reducedAxis;
  };
  std::vector<TPair> pairs;
  for (TSize a : open)
    for (TSize b : open) pairs.push_back({AbsoluteCosine(full(a), reduced(b), p), a, b});
  std::stable_sort(pairs.begin(), pairs.end(),
                   [](const TPair& x, const TPair& y) { return x.cosine > y.cosine; });
  std::vector<bool> fullTaken(k + 1, false), reducedTaken(k + 1, false);
  for (const TPair& pair : pairs) {
    if (fullTaken[pair.fullAxis] || reducedTaken[pair.reducedAxis]) continue;
    fullTaken[pair.fullAxis] = reducedTaken[pair.reducedAxis] = true;
    match.oneToOne[pair.fullAxis - 1] = pair.reducedAxis;
    if (pair.reducedAxis != pair.fullAxis) match.reordered = true;
  }
}

}  // namespace talvex
