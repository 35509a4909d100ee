// Jacobi rotations resolve every eigenvalue of a graded matrix to relative
// accuracy, the smallest 1e-16 of the largest included, in whatever order
// the variables come.
#include "numeric/jacobi_eigenpairs.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace talvex {
namespace {

// A = D H D, H = ((1, .5, .25), (.5, 1, .5), (.25, .5, 1)): with the scales
// 1e8, 1 and 1e-8 its eigenvalues are the scales squared times the Schur
// complements of H, to a relative 1e-16: 1e16, 0.75 and 0.5625 / 0.75 x
// 1e-16 = 0.75e-16.
TEST(JacobiEigenpairs, GradedMatrixToRelativeAccuracyInAnyOrder) {
  const double h[3][3] = {{1.0, 0.5, 0.25}, {0.5, 1.0, 0.5}, {0.25, 0.5, 1.0}};
  const std::array<double, 3> scale = {1e8, 1.0, 1e-8};
  for (const std::array<int, 3>& order : {std::array<int, 3>{0, 1, 2}, {2, 0, 1}, {1, 2, 0}}) {
    SCOPED_TRACE(order[0]);
    TFloatMatrix a(3, 3), vectors(3, 3);
    TFloatVector values(3);
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j)
        a.SetValue(i + 1, j + 1, scale[order[i]] * h[order[i]][order[j]] * scale[order[j]]);
    TFloatMatrix copy = a;
    ASSERT_TRUE(JacobiEigenpairs(a, 3, values, vectors));
    EXPECT_NEAR(values.GetValue(1), 1e16, 1e-12 * 1e16);
    EXPECT_NEAR(values.GetValue(2), 0.75, 1e-12 * 0.75);
    EXPECT_NEAR(values.GetValue(3), 0.75e-16, 1e-12 * 0.75e-16);
    // Each vector satisfies A v = lambda v to its own scale, and they are
    // orthonormal.
    for (TSize c = 1; c <= 3; ++c) {
      for (TSize d = 1; d <= 3; ++d) {
        double dot = 0.0;
        for (TSize k = 1; k <= 3; ++k) dot += vectors.GetValue(k, c) * vectors.GetValue(k, d);
        EXPECT_NEAR(dot, c == d ? 1.0 : 0.0, 1e-14);
      }
    }
    double residual = 0.0;
    for (TSize k = 1; k <= 3; ++k) {
      double av = 0.0;
      for (TSize j = 1; j <= 3; ++j) av += copy.GetValue(k, j) * vectors.GetValue(j, 3);
      residual = std::max(residual, std::fabs(av - values.GetValue(3) * vectors.GetValue(k, 3)));
    }
    EXPECT_LT(residual, 1e-14 * 1e8);  // the scale of the rows it meets
  }
}

TEST(JacobiEigenpairs, SemidefiniteAndDiagonal) {
  // Rank one: (1, 2, 3)(1, 2, 3)^T has 14, 0, 0.
  TFloatMatrix a(3, 3), vectors(3, 3);
  TFloatVector values(3);
  for (TSize i = 1; i <= 3; ++i)
    for (TSize j = 1; j <= 3; ++j) a.SetValue(i, j, double(i * j));
  ASSERT_TRUE(JacobiEigenpairs(a, 3, values, vectors));
  EXPECT_NEAR(values.GetValue(1), 14.0, 1e-13);
  EXPECT_NEAR(values.GetValue(2), 0.0, 1e-14);
  EXPECT_NEAR(values.GetValue(3), 0.0, 1e-14);
  TFloatMatrix diagonal(2, 2);
  diagonal.SetValue(1, 1, 1.0);
  diagonal.SetValue(2, 2, 3.0);
  TFloatMatrix v2(2, 2);
  TFloatVector w2(2);
  ASSERT_TRUE(JacobiEigenpairs(diagonal, 2, w2, v2));
  EXPECT_EQ(w2.GetValue(1), 3.0);
  EXPECT_EQ(w2.GetValue(2), 1.0);
  EXPECT_EQ(std::fabs(v2.GetValue(2, 1)), 1.0);
}

}  // namespace
}  // namespace talvex
