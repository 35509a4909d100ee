// The block reflector's kernels against plain loops, at sizes that leave
// partial blocks of rows and columns (the masked loads and the single
// columns), and ApplyBlockReflectors against the reflections one at a time.
#include "numeric/block_reflector_kernels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <utility>
#include <vector>

#include "numeric/block_reflector.h"
#include "numeric/blocked_reflections.h"

namespace talvex {
namespace {

constexpr TSize K = KernelWidth;

std::vector<double> Uniform(std::size_t size, unsigned seed) {
  std::mt19937_64 generator(seed);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  std::vector<double> v(size);
  for (double& x : v) x = value(generator);
  return v;
}

class BlockReflectorKernels : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!BlockReflectorKernelsRun()) GTEST_SKIP() << "no AVX-512 on this processor";
  }
};

TEST_F(BlockReflectorKernels, AgreeWithPlainLoopsAtPartialBlocks) {
  for (TSize rows : {1u, 7u, 8u, 23u, 24u, 25u, 61u}) {
    for (TSize columns : {1u, 5u, 6u, 8u, 13u}) {
      SCOPED_TRACE(testing::Message() << rows << " x " << columns);
      const std::size_t ldx = rows + 3;
      std::vector<double> X = Uniform(ldx * columns, rows * 31 + columns);
      const std::vector<double> V = Uniform(std::size_t(rows) * K, rows + 7);
      std::vector<double> rowsOfV(std::size_t(rows) * K), T = Uniform(K * K, 3);
      for (TSize r = 0; r < rows; ++r)
        for (TSize s = 0; s < K; ++s) rowsOfV[r * K + s] = V[s * rows + r];
      for (TSize l = 0; l < K; ++l)
        for (TSize i = l + 1; i < K; ++i) T[l * K + i] = 0.0;

      std::vector<double> P(std::size_t(columns) * K);
      ProjectOntoBlock(rows, columns, X.data(), ldx, rowsOfV.data(), P.data());
      std::vector<double> expected(P.size());
      for (TSize c = 0; c < columns; ++c) {
        for (TSize s = 0; s < K; ++s) {
          double sum = 0.0;
          for (TSize r = 0; r < rows; ++r) sum += X[c * ldx + r] * V[s * rows + r];
          expected[c * K + s] = sum;
          EXPECT_NEAR(P[c * K + s], sum, 1e-13 * rows) << c << ", " << s;
        }
      }

      P = expected;
      MultiplyRowsByFactor(T.data(), columns, P.data());
      for (TSize c = 0; c < columns; ++c) {
        for (TSize i = 0; i < K; ++i) {
          double sum = 0.0;
          for (TSize l = i; l < K; ++l) sum += T[l * K + i] * expected[c * K + l];
          EXPECT_NEAR(P[c * K + i], sum, 1e-13 * K) << c << ", " << i;
        }
      }

      std::vector<double> before = X;
      SubtractBlockProduct(rows, columns, V.data(), rows, P.data(), X.data(), ldx);
      for (TSize c = 0; c < columns; ++c) {
        for (TSize r = 0; r < ldx; ++r) {
          const std::size_t at = c * ldx + r;
          if (r >= rows) {
            EXPECT_EQ(X[at], before[at]) << "past the rows: " << r << ", " << c;
            continue;
          }
          double sum = 0.0;
          for (TSize s = 0; s < K; ++s) sum += V[s * rows + r] * P[c * K + s];
          EXPECT_NEAR(X[at], before[at] - sum, 1e-12 * K) << r << ", " << c;
        }
      }
    }
  }
}

TEST_F(BlockReflectorKernels, BlockReflectorsAgreeWithOneReflectionAtATime) {
  // Reflections of |v|^2 = 2 below the diagonal, as the reductions leave them;
  // n - 2 of them leave one partial block. Columns go through the kernels in
  // groups, and each must come out with the bits it has alone.
  for (const auto& [n, columns] : {std::pair<TSize, TSize>{40, 9}, {131, 200}}) {
    SCOPED_TRACE(n);
    std::vector<double> A = Uniform(std::size_t(n) * n, n);
    for (TSize j = 0; j + 2 < n; ++j) {
      double squares = 0.0;
      for (TSize i = j + 1; i < n; ++i) squares += A[j * n + i] * A[j * n + i];
      for (TSize i = j + 1; i < n; ++i) A[j * n + i] *= std::sqrt(2.0 / squares);
    }
    std::vector<double> X = Uniform(std::size_t(n) * columns, 2 * n), Y = X, Z = X, L = X;
    ApplyBlockReflectors(A.data(), n, n, X.data(), n, columns);
    ApplyReflectionProduct(A.data(), n, n, Y.data(), n, columns);
    ApplyBlockReflectorsThroughLibrary(A.data(), n, n, L.data(), n, columns);
    for (std::size_t i = 0; i < X.size(); ++i) {
      ASSERT_NEAR(X[i], Y[i], 1e-12) << i;
      ASSERT_NEAR(L[i], Y[i], 1e-12) << "through the library: " << i;
    }
    for (TSize c = 0; c < columns; c += 7)
      ApplyBlockReflectors(A.data(), n, n, Z.data() + std::size_t(c) * n, n, 1);
    for (TSize c = 0; c < columns; c += 7)
      for (TSize r = 0; r < n; ++r) ASSERT_EQ(X[c * n + r], Z[c * n + r]) << r << ", " << c;
  }
}

}  // namespace
}  // namespace talvex
