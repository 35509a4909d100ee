// Which path the jackknife's decomposition takes, and the checks that send it
// to the rotations: the cluster size limit on both sides, a zero matrix, and
// the stages' own refusals (the sweep bound, a residual too large, a fault).
// Whichever path runs, the axes must be right.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "numeric/blocked_principal_axes.h"
#include "numeric/float_faults.h"
#include "numeric/principal_axes.h"
#include "numeric/root_free_ql.h"
#include "numeric/split_tridiagonal.h"
#include "numeric/tridiagonal_eigenvectors.h"
#include "numeric_test_support.h"

namespace talvex {
namespace {

using testing::ExpectEigenpairs;
using testing::MatrixWithEigenvalues;

class BlockedAxesPathsTest : public ::testing::Test {
 protected:
  void SetUp() override { ClearFloatFaults(); }
  void TearDown() override { ClearFloatFaults(); }
};

/// One large eigenvalue, `size` eigenvalues 1e-9 apart around 1 and a small
/// one: the size-factor shape with a cluster of the given size.
std::vector<double> SpectrumWithCluster(TSize size) {
  std::vector<double> spectrum = {10.0};
  for (TSize k = 0; k < size; ++k) spectrum.push_back(1.0 + 1e-9 * double(size - k));
  spectrum.push_back(0.1);
  return spectrum;
}

// MaxClusterSize close eigenvalues are resolved together; one more and the
// rotations take over. Both give right axes.
TEST_F(BlockedAxesPathsTest, ClusterSizeLimit) {
  for (TSize size : {MaxClusterSize - 1, MaxClusterSize, MaxClusterSize + 1}) {
    SCOPED_TRACE(size);
    const std::vector<double> spectrum = SpectrumWithCluster(size);
    const TSize n = TSize(spectrum.size());
    const TFloatMatrix a = MatrixWithEigenvalues(spectrum, 7);
    TFloatMatrix work = a, vectors(n, n);
    TFloatVector off(n), values(n);
    double trace = 0.0;
    const TDecompositionPath path = BlockedPrincipalAxesOf(work, n, trace, off, values, vectors);
    if (size <= MaxClusterSize) {
      EXPECT_EQ(path.fallback, TFallbackCause::None);
      EXPECT_EQ(path.twistedVectors, 2u);
      EXPECT_EQ(path.clusterSizes, std::vector<TSize>{size});
    } else {
      EXPECT_EQ(path.fallback, TFallbackCause::ClusterTooLarge);
      EXPECT_TRUE(path.FellBack());
      EXPECT_EQ(path.twistedVectors, 0u);
      EXPECT_TRUE(path.clusterSizes.empty());
    }
    for (TSize j = 1; j <= n; ++j) EXPECT_NEAR(values.GetValue(j), spectrum[j - 1], 1e-13) << j;
    ExpectEigenpairs(a, n, values, vectors, 1e-11);
  }
}

// Eigenvalues equal to rounding in a form that does not split: the top pairs
// of Wilkinson's W+ of order 31 agree to 1e-15, so their twisted vectors
// coincide and the cluster collapses rather than pass a basis made of
// rounding. Exactly repeated eigenvalues of a dense matrix (7, then 1 five
// times) reduce to a form that splits at negligible couplings, and each
// block's vectors are found on their own.
TEST_F(BlockedAxesPathsTest, RepeatedEigenvalues) {
  const TSize n = 31;
  TFloatMatrix wilkinson(n, n);
  for (TSize i = 1; i <= n; ++i) {
    wilkinson.SetValue(i, i, std::fabs(16.0 - double(i)));
    if (i < n) {
      wilkinson.SetValue(i, i + 1, 1.0);
      wilkinson.SetValue(i + 1, i, 1.0);
    }
  }
  TFloatMatrix work = wilkinson, vectors(n, n);
  TFloatVector off(n), values(n);
  double trace = 0.0;
  TDecompositionPath path = BlockedPrincipalAxesOf(work, n, trace, off, values, vectors);
  EXPECT_EQ(path.fallback, TFallbackCause::ClusterCollapsed);
  ExpectEigenpairs(wilkinson, n, values, vectors, 1e-13);

  TFloatMatrix a(6, 6);
  for (TSize i = 1; i <= 6; ++i)
    for (TSize j = 1; j <= 6; ++j) a.SetValue(i, j, i == j ? 2.0 : 1.0);
  work = a;
  path = BlockedPrincipalAxesOf(work, 6, trace, off, values, vectors);
  EXPECT_EQ(path.fallback, TFallbackCause::None);
  EXPECT_NEAR(values.GetValue(1), 7.0, 1e-14);
  for (TSize j = 2; j <= 6; ++j) EXPECT_NEAR(values.GetValue(j), 1.0, 1e-14) << j;
  ExpectEigenpairs(a, 6, values, vectors, 1e-13);
}

// A zero matrix splits into rows of its own: zero eigenvalues and unit axes.
TEST_F(BlockedAxesPathsTest, ZeroMatrixGivesUnitAxes) {
  for (TSize n : {1u, 4u}) {
    SCOPED_TRACE(n);
    TFloatMatrix a(n, n), vectors(n, n);
    TFloatVector off(n), values(n);
    double trace = 1.0;
    const TDecompositionPath path = BlockedPrincipalAxesOf(a, n, trace, off, values, vectors);
    EXPECT_EQ(path.fallback, TFallbackCause::None);
    EXPECT_EQ(path.twistedVectors, n);
    EXPECT_EQ(trace, 0.0);
    for (TSize j = 1; j <= n; ++j) {
      EXPECT_EQ(values.GetValue(j), 0.0);
      double length = 0.0;
      for (TSize i = 1; i <= n; ++i) length += vectors.GetValue(i, j) * vectors.GetValue(i, j);
      EXPECT_EQ(length, 1.0) << j;
    }
  }
}

TEST_F(BlockedAxesPathsTest, RootFreeEigenvaluesAndTheSweepBound) {
  const TSize n = 12;
  std::vector<double> diagonal(n, 0.0), coupling(n - 1, 1.0), values(n);
  EXPECT_EQ(TridiagonalEigenvalues(diagonal.data(), coupling.data(), n, values.data()),
            TFallbackCause::None);
  for (TSize k = 1; k <= n; ++k)
    EXPECT_NEAR(values[k - 1], 2.0 * std::cos(k * M_PI / (n + 1)), 1e-14) << k;

  coupling[5] = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(TridiagonalEigenvalues(diagonal.data(), coupling.data(), n, values.data()),
            TFallbackCause::EigenvaluesNotConverged);
}

// Root-free QL against the rotations of the exact scheme on tridiagonal
// forms that stress its rotations: Wilkinson's W21+ (pairs of eigenvalues
// equal to 14 digits), a graded matrix spanning 1e-30..1e30, and a zero
// diagonal, where a shift can meet a diagonal element exactly.
TEST_F(BlockedAxesPathsTest, RootFreeEigenvaluesAgreeWithTheRotations) {
  struct TCase {
    std::vector<double> diagonal, coupling;
  };
  std::vector<TCase> cases(3);
  for (int i = 0; i < 21; ++i) cases[0].diagonal.push_back(std::fabs(10.0 - i));
  cases[0].coupling.assign(20, 1.0);
  for (int i = 0; i < 16; ++i) {
    cases[1].diagonal.push_back(std::pow(10.0, 30.0 - 4.0 * i));
    if (i < 15) cases[1].coupling.push_back(std::pow(10.0, 28.0 - 4.0 * i));
  }
  cases[2].diagonal.assign(9, 0.0);
  for (int i = 0; i < 8; ++i) cases[2].coupling.push_back(1.0 + 0.25 * i);
  for (const TCase& t : cases) {
    const TSize n = TSize(t.diagonal.size());
    SCOPED_TRACE(n);
    std::vector<double> values(n);
    ASSERT_EQ(TridiagonalEigenvalues(t.diagonal.data(), t.coupling.data(), n, values.data()),
              TFallbackCause::None);
    TFloatVector d(n), e(n);
    TFloatMatrix z(n, n);
    for (TSize i = 1; i <= n; ++i) {
      d.SetValue(i, t.diagonal[i - 1]);
      e.SetValue(i, i == 1 ? 0.0 : t.coupling[i - 2]);
      for (TSize j = 1; j <= n; ++j) z.SetValue(i, j, i == j ? 1.0 : 0.0);
    }
    TridiagonalQL(d, e, n, z);
    SortEigenpairs(d, z, n);
    for (TSize k = 1; k <= n; ++k) {
      SCOPED_TRACE(k);
      const double expected = d.GetValue(k);
      // Graded: each eigenvalue to its own size (neither way promises more
      // than about 3e-13 of it there); otherwise to the largest.
      const bool graded = &t == &cases[1];
      const double scale = graded ? std::fabs(expected) : std::fabs(d.GetValue(1));
      EXPECT_NEAR(values[k - 1], expected, (graded ? 1e-12 : 1e-13) * scale);
    }
  }
  EXPECT_FALSE(TakeFloatFaults());
}

// The vector stage's own checks: vectors for values that are not
// eigenvalues fail the residual test, and an infinite value faults; the
// path counts a split matrix's vectors as twisted ones.
TEST_F(BlockedAxesPathsTest, TridiagonalVectorChecks) {
  const TSize n = 6;
  std::vector<double> diagonal = {4, 1, 3, 2, 5, 0}, coupling = {1, 0.5, 0, 0.25, 1};
  std::vector<double> values(n), vectors(n * n);
  ASSERT_EQ(TridiagonalEigenvalues(diagonal.data(), coupling.data(), n, values.data()),
            TFallbackCause::None);
  TDecompositionPath path;
  EXPECT_EQ(TridiagonalEigenvectors(diagonal.data(), coupling.data(), n, values.data(), n,
                                    vectors.data(), n, path),
            TFallbackCause::None);
  EXPECT_EQ(path.twistedVectors, n);
  EXPECT_TRUE(path.clusterSizes.empty());

  std::vector<double> shifted = values;
  shifted[2] += 1e-6;
  EXPECT_EQ(TridiagonalEigenvectors(diagonal.data(), coupling.data(), n, shifted.data(), n,
                                    vectors.data(), n, path),
            TFallbackCause::ResidualTooLarge);

  shifted = values;
  shifted[0] = std::numeric_limits<double>::infinity();
  EXPECT_EQ(TridiagonalEigenvectors(diagonal.data(), coupling.data(), n, shifted.data(), n,
                                    vectors.data(), n, path),
            TFallbackCause::VectorFault);
}

// A form that splits into blocks writes each block's vectors straight into
// the columns of its eigenvalues in the descending order of all of them: zero
// outside the block's rows, unit, T x = lambda x. With fewer columns wanted,
// a block's cluster that reaches past them is resolved whole elsewhere and
// the wanted columns are the same.
TEST_F(BlockedAxesPathsTest, SplitFormsFillTheColumnsOfTheirValues) {
  // Rows 0-2 and 3-5 joined by a zero coupling. The second block is
  // symmetric about its middle row: eigenvalues 3 and 3 + 2e-10, a cluster,
  // and one near 1 between the first block's.
  const std::vector<double> diagonal = {5, 2, 1, 3, 1, 3};
  const std::vector<double> coupling = {1, 0.5, 0, 1e-5, 1e-5};
  const TSize n = TSize(diagonal.size());
  auto check = [&](TSize count, std::vector<double>& values, std::vector<double>& Z) {
    std::vector<double> couplingCopy = coupling;
    TDecompositionPath path;
    values.assign(n, 0.0);
    Z.assign(std::size_t(n) * n, std::nan(""));
    ASSERT_EQ(TridiagonalEigenpairs(diagonal.data(), couplingCopy.data(), n, count, values.data(),
                                    Z.data(), n, path),
              TFallbackCause::None);
    EXPECT_EQ(path.clusterSizes, std::vector<TSize>{2});
    for (TSize j = 0; j + 1 < n; ++j) EXPECT_GE(values[j], values[j + 1]);
    for (TSize j = 0; j < count; ++j) {
      const double* x = Z.data() + std::size_t(j) * n;
      double length = 0.0, residual = 0.0;
      for (TSize i = 0; i < n; ++i) {
        length += x[i] * x[i];
        double row = (diagonal[i] - values[j]) * x[i];
        if (i > 0) row += couplingCopy[i - 1] * x[i - 1];
        if (i + 1 < n) row += couplingCopy[i] * x[i + 1];
        residual = std::max(residual, std::fabs(row));
      }
      EXPECT_NEAR(length, 1.0, 1e-13) << "column " << j;
      EXPECT_LT(residual, 1e-13) << "column " << j;
      // Each vector lies in one block.
      const bool first = std::fabs(x[0]) + std::fabs(x[1]) + std::fabs(x[2]) > 0.0;
      for (TSize i = first ? 3 : 0; i < (first ? n : 3); ++i)
        EXPECT_EQ(x[i], 0.0) << "column " << j << " row " << i;
    }
  };
  std::vector<double> allValues, all, someValues, some;
  check(n, allValues, all);
  // The pair sits at positions 1 and 2; two columns end inside it.
  ASSERT_LT(allValues[1] - allValues[2], 1e-6);
  check(2, someValues, some);
  EXPECT_EQ(someValues, allValues);
  for (TSize j = 0; j < 2; ++j)
    for (TSize i = 0; i < n; ++i)
      EXPECT_EQ(some[std::size_t(j) * n + i], all[std::size_t(j) * n + i]) << j << " " << i;
}

}  // namespace
}  // namespace talvex
