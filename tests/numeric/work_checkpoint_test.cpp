// The long products and decompositions of wide data tell their progress and
// can be stopped inside their loops: the Gram matrix in pieces is the whole
// one, the shares told rise to 1, a checkpoint that throws stops the work
// part way, and a checkpoint changes no bit of the results.
#include "numeric/work_checkpoint.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "numeric/blas_products.h"
#include "numeric/float_faults.h"
#include "numeric/wide_principal_axes.h"

namespace talvex {
namespace {

// Columns of n x p random values with a common part, column-major.
TFloatMatrix RandomData(TSize n, TSize p, unsigned seed) {
  std::mt19937 rng(seed);
  std::normal_distribution<double> normal;
  TFloatMatrix x(n, p);
  for (TSize i = 1; i <= n; ++i) {
    const double common = 2.0 * normal(rng);
    for (TSize j = 1; j <= p; ++j) x.SetValue(i, j, 10.0 + common * (1.0 + 0.01 * j) + normal(rng));
  }
  return x;
}

// The shares a checkpoint was told: each in 0..1, none below the one before.
void ExpectRising(const std::vector<double>& shares) {
  ASSERT_FALSE(shares.empty());
  for (std::size_t i = 0; i < shares.size(); ++i) {
    EXPECT_GE(shares[i], 0.0);
    EXPECT_LE(shares[i], 1.0);
    if (i > 0) {
      EXPECT_GE(shares[i], shares[i - 1]) << i;
    }
  }
}

struct TStop {};

TEST(WorkCheckpoint, GramMatrixInPiecesIsTheWholeOne) {
  const TSize m = 200, k = 300;
  const TFloatMatrix v = RandomData(m, k, 3);
  std::vector<double> whole(std::size_t(k) * k, 0.0), pieces(std::size_t(k) * k, 0.0);
  GramUpper(m, k, v.Column(1), v.MaxRows(), whole.data(), k);
  std::vector<double> shares;
  // Pieces of about 40 columns.
  GramUpperInPieces(
      m, k, v.Column(1), v.MaxRows(), pieces.data(), k,
      [&](double share) { shares.push_back(share); }, double(m) * k * 40);
  for (TSize c = 0; c < k; ++c)
    for (TSize r = 0; r <= c; ++r) {
      const double expected = whole[std::size_t(c) * k + r];
      EXPECT_NEAR(pieces[std::size_t(c) * k + r], expected, 1e-13 * std::fabs(expected))
          << r << ", " << c;
    }
  ExpectRising(shares);
  EXPECT_EQ(shares.size(), 8u);  // ceil(300 / 40)
  EXPECT_EQ(shares.back(), 1.0);

  // Within one piece: one product, the whole one's bits, and 1 told once.
  shares.clear();
  GramUpperInPieces(
      m, k, v.Column(1), v.MaxRows(), pieces.data(), k,
      [&](double share) { shares.push_back(share); }, WorkPerPiece);
  for (TSize c = 0; c < k; ++c)
    for (TSize r = 0; r <= c; ++r)
      EXPECT_EQ(pieces[std::size_t(c) * k + r], whole[std::size_t(c) * k + r]);
  EXPECT_EQ(shares, std::vector<double>{1.0});

  // A checkpoint that throws stops the product after its piece.
  int calls = 0;
  EXPECT_THROW(GramUpperInPieces(
                   m, k, v.Column(1), v.MaxRows(), pieces.data(), k,
                   [&](double) {
                     if (++calls == 2) throw TStop{};
                   },
                   double(m) * k * 40),
               TStop);
  EXPECT_EQ(calls, 2);
}

TEST(WorkCheckpoint, StagesMapTheirSharesOntoTheWhole) {
  std::vector<double> told;
  const TCheckpoint whole = [&](double share) { told.push_back(share); };
  TStagedWork stages(whole, 4.0);
  const TCheckpoint first = stages.Stage(1.0);
  first(0.5);
  stages.Done(1.0);
  const TCheckpoint second = stages.Stage(3.0);
  second(0.5);
  stages.Done(3.0);
  EXPECT_EQ(told, (std::vector<double>{0.125, 0.25, 0.625, 1.0}));
  TStagedWork none({}, 4.0);
  EXPECT_FALSE(none.Stage(1.0));
  none.Done(1.0);  // nothing to tell
}

// Both routes of wide data: the checkpoint is told rising shares from inside
// the products and the reduction (many times, not only between stages), the
// results are those without a checkpoint bit for bit, and a checkpoint that
// throws three quarters of the way (inside the reduction, which follows the
// products) stops the decomposition there.
TEST(WorkCheckpoint, WideDecompositionToldAndStoppedInsideItsLoops) {
  const std::pair<TSize, TSize> shapes[] = {{300, 700}, {700, 400}};
  for (const auto& [n, p] : shapes) {
    const TFloatMatrix x = RandomData(n, p, 5);
    ClearFloatFaults();
    const TLeadingAxes plain = LeadingPrincipalAxes(x, n, p, DispersionMethod::Correlation, 3);
    std::vector<double> shares;
    const TLeadingAxes told = LeadingPrincipalAxes(x, n, p, DispersionMethod::Correlation, 3,
                                                   [&](double share) { shares.push_back(share); });
    EXPECT_EQ(told.route, p >= n ? TAxesRoute::ThroughObjects : TAxesRoute::Dispersion);
    EXPECT_EQ(told.trace, plain.trace);
    for (TSize c = 1; c <= p; ++c)
      ASSERT_EQ(told.eigenvalues.GetValue(c), plain.eigenvalues.GetValue(c)) << c;
    for (TSize a = 1; a <= 3; ++a)
      for (TSize j = 1; j <= p; ++j)
        ASSERT_EQ(told.eigenvectors.GetValue(j, a), plain.eigenvectors.GetValue(j, a));
    ExpectRising(shares);
    EXPECT_EQ(shares.back(), 1.0);
    // The reduction tells each of its columns beyond the last 128.
    EXPECT_GT(shares.size(), std::size_t(std::min(n, p) - 128));

    std::vector<double> before;
    EXPECT_THROW(LeadingPrincipalAxes(x, n, p, DispersionMethod::Correlation, 3,
                                      [&](double share) {
                                        if (share > 0.75) throw TStop{};
                                        before.push_back(share);
                                      }),
                 TStop);
    ASSERT_GT(before.size(), 3u);
    EXPECT_GT(before.back(), 0.6);
    ClearFloatFaults();
  }
}

}  // namespace
}  // namespace talvex
