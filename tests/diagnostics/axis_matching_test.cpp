// The axis matching's shortcuts (mutual best pairs, the nearest-first search
// that stops early, the lazy one-to-one match) against the plain definitions
// on the whole k x k matrix of cosines, for bases mixed the way reduced
// samples mix them: a few exchanged neighbours, blocks of nearly equal
// eigenvalues, and mass leaking to axes beyond the shown ones.
#include "diagnostics/axis_matching.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <vector>

namespace talvex {
namespace {

// Columns of a p x p matrix (column c at c * p) made orthonormal in order.
void Orthonormalize(std::vector<double>& m, TSize p) {
  for (TSize c = 0; c < p; ++c) {
    double* column = m.data() + std::size_t(c) * p;
    for (int pass = 0; pass < 2; ++pass) {
      for (TSize d = 0; d < c; ++d) {
        const double* other = m.data() + std::size_t(d) * p;
        double dot = 0.0;
        for (TSize j = 0; j < p; ++j) dot += column[j] * other[j];
        for (TSize j = 0; j < p; ++j) column[j] -= dot * other[j];
      }
    }
    double norm = 0.0;
    for (TSize j = 0; j < p; ++j) norm += column[j] * column[j];
    for (TSize j = 0; j < p; ++j) column[j] /= std::sqrt(norm);
  }
}

struct TBases {
  std::vector<double> full, reduced;  // p x p each, axis a at (a - 1) * p
};

// A random orthonormal basis and the same basis turned by I + M made
// orthonormal, M a little noise everywhere plus `mixing` within blocks of
// `block` neighbouring axes; reduced axes also get random signs.
TBases MixedBases(TSize p, TSize block, double mixing, unsigned seed) {
  std::mt19937_64 random(seed);
  std::normal_distribution<double> normal;
  TBases b;
  b.full.resize(std::size_t(p) * p);
  for (double& x : b.full) x = normal(random);
  Orthonormalize(b.full, p);
  std::vector<double> turn(std::size_t(p) * p);
  for (TSize c = 0; c < p; ++c) {
    for (TSize r = 0; r < p; ++r) {
      double x = (r == c ? 1.0 : 0.0) + 0.02 * normal(random);
      if (r / block == c / block) x += mixing * normal(random);
      turn[std::size_t(c) * p + r] = x;
    }
  }
  Orthonormalize(turn, p);
  b.reduced.assign(std::size_t(p) * p, 0.0);
  for (TSize c = 0; c < p; ++c) {
    const double sign = random() % 2 == 0 ? 1.0 : -1.0;
    for (TSize r = 0; r < p; ++r) {
      const double t = sign * turn[std::size_t(c) * p + r];
      for (TSize j = 0; j < p; ++j)
        b.reduced[std::size_t(c) * p + j] += t * b.full[std::size_t(r) * p + j];
    }
  }
  return b;
}

// The definitions: every |cosine| among the shown axes; the best match is
// the largest (ties to the lower axis), or beyond the shown axes when the
// axes not shown carry more; mutual best pairs (squared cosine above 1/2)
// stay, the rest are matched greedily from a full sort.
TAxisMatch Reference(const TBases& b, TSize p, TSize k) {
  std::vector<double> c(std::size_t(k) * k);
  for (TSize a = 1; a <= k; ++a) {
    for (TSize r = 1; r <= k; ++r) {
      double dot = 0.0;
      for (TSize j = 0; j < p; ++j)
        dot += b.full[std::size_t(a - 1) * p + j] * b.reduced[std::size_t(r - 1) * p + j];
      c[std::size_t(a - 1) * k + r - 1] = std::min(1.0, std::fabs(dot));
    }
  }
  const auto at = [&](TSize a, TSize r) { return c[std::size_t(a - 1) * k + r - 1]; };
  TAxisMatch m;
  std::vector<TSize> open;
  for (TSize a = 1; a <= k; ++a) {
    m.cosines.push_back(at(a, a));
    m.oneToOne.push_back(a);
    TSize best = 1;
    double squares = 0.0;
    for (TSize r = 1; r <= k; ++r) {
      squares += at(a, r) * at(a, r);
      if (at(a, r) > at(a, best)) best = r;
    }
    m.best.push_back(at(a, best) * at(a, best) < 1.0 - squares ? BeyondShownAxes : best);
    if (at(a, a) * at(a, a) <= 0.5) open.push_back(a);
  }
  struct TPair {
    double cosine;
    TSize a, r;
  };
  std::vector<TPair> pairs;
  for (TSize a : open)
    for (TSize r : open) pairs.push_back({at(a, r), a, r});
  std::sort(pairs.begin(), pairs.end(), [](const TPair& x, const TPair& y) {
    if (x.cosine != y.cosine) return x.cosine > y.cosine;
    return x.a != y.a ? x.a < y.a : x.r < y.r;
  });
  std::vector<bool> fullDone(k + 1), reducedDone(k + 1);
  for (const TPair& pair : pairs) {
    if (fullDone[pair.a] || reducedDone[pair.r]) continue;
    fullDone[pair.a] = reducedDone[pair.r] = true;
    m.oneToOne[pair.a - 1] = pair.r;
    m.reordered = m.reordered || pair.r != pair.a;
  }
  return m;
}

TEST(AxisMatching, AgreesWithTheDefinitionsOnMixedBases) {
  struct TCase {
    TSize p, k, block;
    double mixing;
  };
  // Neighbours exchanged now and then; all axes shown with heavy mixing in
  // wide blocks (the small eigenvalues of a large set); fewer axes shown
  // than there are, so that mass leaks beyond them.
  const TCase cases[] = {{12, 12, 2, 0.8}, {40, 40, 8, 1.5}, {30, 9, 4, 1.2}, {64, 64, 64, 0.6}};
  TAxisMatch match;  // reused, as the collector reuses it
  int reorderedSamples = 0, beyond = 0, exchanged = 0;
  for (const TCase& c : cases) {
    for (unsigned seed = 1; seed <= 12; ++seed) {
      SCOPED_TRACE(testing::Message() << "p " << c.p << " k " << c.k << " seed " << seed);
      const TBases b = MixedBases(c.p, c.block, c.mixing, seed);
      MatchAxes(b.full, b.reduced, c.p, c.k, c.k, match);
      const TAxisMatch expected = Reference(b, c.p, c.k);
      for (TSize a = 1; a <= c.k; ++a) {
        EXPECT_NEAR(match.cosines[a - 1], expected.cosines[a - 1], 1e-14) << "axis " << a;
        EXPECT_EQ(match.best[a - 1], expected.best[a - 1]) << "axis " << a;
        EXPECT_EQ(match.oneToOne[a - 1], expected.oneToOne[a - 1]) << "axis " << a;
        beyond += match.best[a - 1] == BeyondShownAxes;
        exchanged += match.Exchanged(a);
      }
      EXPECT_EQ(match.reordered, expected.reordered);
      reorderedSamples += match.reordered;
      // One-to-one: every shown reduced axis used once.
      std::vector<TSize> sorted = match.oneToOne;
      std::sort(sorted.begin(), sorted.end());
      std::vector<TSize> identity(c.k);
      std::iota(identity.begin(), identity.end(), TSize(1));
      EXPECT_EQ(sorted, identity);
    }
  }
  // The cases reach every branch: reordered samples, best matches beyond the
  // shown axes, exchanges.
  EXPECT_GT(reorderedSamples, 10);
  EXPECT_GT(beyond, 0);
  EXPECT_GT(exchanged, 100);
}

TEST(AxisMatching, AxesBeyondTheSearchedOnesStayInPlace) {
  // All 40 axes mixed in one block, only the first 10 searched: those agree
  // with the definitions restricted to them; the other 30 keep their own
  // index-matched cosine, are their own best match and are not moved.
  const TSize p = 40, k = 40, searched = 10;
  TAxisMatch match;
  for (unsigned seed = 1; seed <= 6; ++seed) {
    SCOPED_TRACE(seed);
    const TBases b = MixedBases(p, 40, 1.5, seed);
    MatchAxes(b.full, b.reduced, p, k, searched, match);
    for (TSize a = searched + 1; a <= k; ++a) {
      const double expected = std::fabs(std::inner_product(
          b.full.begin() + std::ptrdiff_t((a - 1) * p), b.full.begin() + std::ptrdiff_t(a * p),
          b.reduced.begin() + std::ptrdiff_t((a - 1) * p), 0.0));
      EXPECT_NEAR(match.cosines[a - 1], expected, 1e-14);
      EXPECT_EQ(match.best[a - 1], a);
      EXPECT_EQ(match.oneToOne[a - 1], a);
    }
    std::vector<TSize> first(match.oneToOne.begin(), match.oneToOne.begin() + searched);
    std::sort(first.begin(), first.end());
    for (TSize a = 1; a <= searched; ++a) EXPECT_LE(first[a - 1], k);
    EXPECT_EQ(std::adjacent_find(first.begin(), first.end()), first.end());
  }
}

TEST(AxisMatching, IdenticalAxesAndOneAxis) {
  const TBases b = MixedBases(5, 1, 0.0, 3);
  TAxisMatch match;
  MatchAxes(b.full, b.full, 5, 5, 5, match);
  for (TSize a = 1; a <= 5; ++a) {
    EXPECT_NEAR(match.cosines[a - 1], 1.0, 1e-15);
    EXPECT_LE(match.cosines[a - 1], 1.0);
    EXPECT_EQ(match.best[a - 1], a);
    EXPECT_FALSE(match.Exchanged(a));
  }
  EXPECT_FALSE(match.reordered);
  // One shown axis at right angles to its partner: the others carry it.
  std::vector<double> turned(b.full.begin() + 5, b.full.begin() + 10);
  MatchAxes(b.full, turned, 5, 1, 1, match);
  EXPECT_NEAR(match.cosines[0], 0.0, 1e-15);
  EXPECT_EQ(match.best[0], BeyondShownAxes);
  EXPECT_EQ(match.oneToOne[0], 1u);
  EXPECT_TRUE(match.Exchanged(1));
}

TEST(AxisMatching, DotProductSumsEveryLength) {
  // Lengths around the four-lane blocks and their tails.
  for (TSize p = 0; p <= 19; ++p) {
    std::vector<double> x(p), y(p);
    double expected = 0.0;
    for (TSize j = 0; j < p; ++j) {
      x[j] = 1.0 + j;
      y[j] = j % 2 == 0 ? 0.5 : -0.25;
      expected += x[j] * y[j];
    }
    EXPECT_EQ(DotProduct(x.data(), y.data(), p), expected) << p;
  }
}

}  // namespace
}  // namespace talvex
