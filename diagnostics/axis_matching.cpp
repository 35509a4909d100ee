// Matching reduced-sample axes to full-sample axes by |cosine|.
#include "diagnostics/axis_matching.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace talvex {

namespace {
// A squared cosine above 1/2 leaves less than 1/2 for every other axis.
constexpr double MutualBestSquare = 0.5;

// (cosine, full axis, reduced axis): larger cosines first, ties to lower axes.
bool Before(double c1, TSize a1, TSize b1, double c2, TSize a2, TSize b2) {
  if (c1 != c2) return c1 > c2;
  return a1 != a2 ? a1 < a2 : b1 < b2;
}

}  // namespace

double AbsoluteCosine(const double* x, const double* y, TSize p) {
  return std::min(1.0, std::fabs(DotProduct(x, y, p)));
}

void MatchAxes(std::span<const double> fullAxes, std::span<const double> reducedAxes, TSize p,
               TSize k, TSize searched, TAxisMatch& match, std::span<const double> indexDots) {
  assert(fullAxes.size() >= std::size_t(p) * k && reducedAxes.size() >= std::size_t(p) * k);
  assert(indexDots.empty() || indexDots.size() >= k);
  match.cosines.resize(k);
  match.best.resize(k);
  match.oneToOne.resize(k);
  match.reordered = false;
  const auto full = [&](TSize a) { return fullAxes.data() + std::size_t(a - 1) * p; };
  const auto reduced = [&](TSize a) { return reducedAxes.data() + std::size_t(a - 1) * p; };

  // The index-matched pairs; those that are not mutual best pairs stay open.
  std::vector<char>& isOpen = match.isOpen;
  isOpen.assign(std::size_t(k) + 1, 0);
  std::size_t openCount = 0;
  for (TSize a = 1; a <= k; ++a) {
    const double c = indexDots.empty() ? AbsoluteCosine(full(a), reduced(a), p)
                                       : std::min(1.0, std::fabs(indexDots[a - 1]));
    match.cosines[a - 1] = c;
    match.oneToOne[a - 1] = a;
    match.best[a - 1] = a;
    if (c * c > MutualBestSquare || a > searched) continue;
    isOpen[a] = 1;
    if (match.open.size() <= openCount) match.open.emplace_back();
    TOpenAxis& row = match.open[openCount++];
    row.axis = a;
    row.step = 1;
    row.seen = c * c;
    row.cosines.clear();
    row.cosines.push_back({c, a});
  }
  const std::span<TOpenAxis> rows(match.open.data(), openCount);

  // Best match of each open axis: nearest axes first (an exchange is usually
  // with a neighbour), both neighbours of a step, until the squares not yet
  // seen cannot beat the best one. Every cosine computed is kept for the
  // one-to-one match.
  for (TOpenAxis& row : rows) {
    const TSize a = row.axis;
    double bestCosine = match.cosines[a - 1];
    bool settled = false;
    for (; !settled && row.step < k; ++row.step) {
      for (const TSize b : {a - row.step, a + row.step}) {
        if (b < 1 || b > k) continue;  // a - step wraps around to a large number below 1
        const double cb = AbsoluteCosine(full(a), reduced(b), p);
        row.seen += cb * cb;
        if (isOpen[b]) row.cosines.push_back({cb, b});
        if (cb > bestCosine || (cb == bestCosine && b < match.best[a - 1])) {
          bestCosine = cb;
          match.best[a - 1] = b;
        }
        if (bestCosine * bestCosine >= 1.0 - row.seen) settled = true;
      }
    }
    if (!settled && bestCosine * bestCosine < 1.0 - row.seen) match.best[a - 1] = BeyondShownAxes;
  }
  if (rows.size() < 2) return;

  // Greedy one-to-one match among the open axes, largest |cosine| first.
  // Rows are extended lazily, nearest axes first; the squares a row has not
  // yet seen bound every cosine still unseen, so a computed pair at least as
  // large as every row's bound is the largest pair left, exactly as a full
  // sort would find it.
  const auto exhausted = [k](const TOpenAxis& row) { return row.step >= k; };
  const auto bound = [&](const TOpenAxis& row) {
    return exhausted(row) ? 0.0 : std::sqrt(std::max(0.0, 1.0 - row.seen));
  };
  const auto visit = [&](TOpenAxis& row, TSize b) {
    const double cb = AbsoluteCosine(full(row.axis), reduced(b), p);
    row.seen += cb * cb;
    if (isOpen[b]) row.cosines.push_back({cb, b});
  };
  std::vector<char>& reducedTaken = match.reducedTaken;
  std::vector<char>& rowDone = match.rowDone;
  reducedTaken.assign(std::size_t(k) + 1, 0);
  rowDone.assign(rows.size(), 0);
  for (std::size_t left = rows.size(); left != 0;) {
    double best = -1.0, largestBound = -1.0;
    std::size_t bestRow = 0, boundRow = 0;
    TSize bestAxis = 0;
    for (std::size_t r = 0; r < rows.size(); ++r) {
      if (rowDone[r]) continue;
      for (const auto& [cosine, b] : rows[r].cosines) {
        if (!reducedTaken[b] &&
            (best < 0.0 || Before(cosine, rows[r].axis, b, best, rows[bestRow].axis, bestAxis))) {
          best = cosine;
          bestRow = r;
          bestAxis = b;
        }
      }
      if (!exhausted(rows[r]) && bound(rows[r]) > largestBound) {
        largestBound = bound(rows[r]);
        boundRow = r;
      }
    }
    if (best >= 0.0 && best >= largestBound) {
      rowDone[bestRow] = 1;
      reducedTaken[bestAxis] = 1;
      --left;
      match.oneToOne[rows[bestRow].axis - 1] = bestAxis;
      if (bestAxis != rows[bestRow].axis) match.reordered = true;
    } else {
      TOpenAxis& row = rows[boundRow];
      const TSize a = row.axis;
      if (a > row.step) visit(row, a - row.step);
      if (a + row.step <= k) visit(row, a + row.step);
      ++row.step;
    }
  }
}

}  // namespace talvex
