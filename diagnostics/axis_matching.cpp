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
    // Nearest axes first: an exchange is usually with a neighbour, and the
    // scan stops once the squares not yet seen cannot beat the best one.
    double seenSquares = c * c;
    double bestCosine = c;
    match.best[a - 1] = a;
    bool settled = false;
    for (TSize step = 1; !settled && step < k; ++step) {
      for (const TSize b : {a - step, a + step}) {
        if (b < 1 || b > k) continue;
        const double cb = AbsoluteCosine(full(a), reduced(b), p);
        seenSquares += cb * cb;
        if (cb > bestCosine || (cb == bestCosine && b < match.best[a - 1])) {
          bestCosine = cb;
          match.best[a - 1] = b;
        }
        if (bestCosine * bestCosine >= 1.0 - seenSquares) settled = true;
      }
    }
    if (!settled && bestCosine * bestCosine < 1.0 - seenSquares)
      match.best[a - 1] = BeyondShownAxes;
  }
  if (open.size() < 2) return;

  // Greedy one-to-one match among the open axes, largest |cosine| first.
  // Each open row's cosines are computed lazily, nearest axes first; the
  // squares a row has not yet seen bound every cosine still unseen, so a
  // computed pair at least as large as every row's bound is the largest
  // pair left, exactly as a full sort would find it.
  struct TRow {
    TSize axis;
    TSize step = 0;  // the shown axes within step - 1 of axis are computed
    double seen = 0.0;
    bool exhausted = false;                         // every shown axis computed
    std::vector<std::pair<double, TSize>> cosines;  // (|cosine|, open reduced axis)
    double Bound() const { return exhausted ? 0.0 : std::sqrt(std::max(0.0, 1.0 - seen)); }
  };
  std::vector<bool> isOpen(k + 1, false), reducedTaken(k + 1, false);
  std::vector<TRow> rows;
  for (TSize a : open) {
    rows.push_back(TRow{a, 0, 0.0, false, {}});
    isOpen[a] = true;
  }
  const auto visit = [&](TRow& row, TSize b) {
    const double cb = AbsoluteCosine(full(row.axis), reduced(b), p);
    row.seen += cb * cb;
    if (isOpen[b]) row.cosines.push_back({cb, b});
  };
  const auto extend = [&](TRow& row) {
    if (row.step == 0) {
      visit(row, row.axis);
    } else {
      if (row.axis > row.step) visit(row, row.axis - row.step);
      if (row.axis + row.step <= k) visit(row, row.axis + row.step);
    }
    ++row.step;
    row.exhausted = row.step >= k;
  };
  // (cosine, full axis, reduced axis): larger cosines first, ties to lower axes.
  const auto before = [](double c1, TSize a1, TSize b1, double c2, TSize a2, TSize b2) {
    if (c1 != c2) return c1 > c2;
    return a1 != a2 ? a1 < a2 : b1 < b2;
  };
  std::vector<bool> rowDone(rows.size(), false);
  for (std::size_t left = rows.size(); left != 0;) {
    double best = -1.0, bound = -1.0;
    std::size_t bestRow = 0, boundRow = 0;
    TSize bestAxis = 0;
    for (std::size_t r = 0; r < rows.size(); ++r) {
      if (rowDone[r]) continue;
      for (const auto& [cosine, b] : rows[r].cosines) {
        if (!reducedTaken[b] &&
            (best < 0.0 || before(cosine, rows[r].axis, b, best, rows[bestRow].axis, bestAxis))) {
          best = cosine;
          bestRow = r;
          bestAxis = b;
        }
      }
      if (!rows[r].exhausted && rows[r].Bound() > bound) {
        bound = rows[r].Bound();
        boundRow = r;
      }
    }
    if (best >= 0.0 && best >= bound) {
      rowDone[bestRow] = true;
      reducedTaken[bestAxis] = true;
      --left;
      match.oneToOne[rows[bestRow].axis - 1] = bestAxis;
      if (bestAxis != rows[bestRow].axis) match.reordered = true;
    } else {
      extend(rows[boundRow]);
    }
  }
}

}  // namespace talvex
