// The two sign rules of the jackknife on their own: reduced axes aligned
// with the full-sample axes of the same number, and the size axis oriented
// for the allometric coefficients.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis/allometry.h"
#include "analysis/axis_alignment.h"

namespace talvex {
namespace {

// Three full-sample axes of p = 4; the reduced axes are the same axes,
// slightly perturbed, each given its own sign.
TEST(AxisAlignment, SignsTurnEachReducedAxisTowardsItsFullSampleAxis) {
  const TSize p = 4, k = 3;
  TFloatMatrix full(p, p);
  const double axes[3][4] = {{0.5, 0.5, 0.5, 0.5}, {0.5, -0.5, 0.5, -0.5}, {0.5, 0.5, -0.5, -0.5}};
  for (TSize a = 1; a <= k; ++a)
    for (TSize j = 1; j <= p; ++j) full.SetValue(j, a, axes[a - 1][j - 1]);
  const double given[3] = {-1.0, 1.0, -1.0};
  std::vector<double> reduced(std::size_t(p) * k);
  for (TSize a = 0; a < k; ++a)
    for (TSize j = 0; j < p; ++j) reduced[a * p + j] = given[a] * (axes[a][j] + 0.01 * (j + 1));
  const std::vector<double> before = reduced;

  std::vector<double> signs(k);
  AxisAlignmentSigns(full, reduced, p, signs);
  EXPECT_EQ(signs, (std::vector<double>{-1.0, 1.0, -1.0}));
  EXPECT_EQ(reduced, before);  // the reduced axes are read, never flipped in place

  // Only as many axes as signs are asked for: the first alone here.
  std::vector<double> first(1);
  AxisAlignmentSigns(full, reduced, p, first);
  EXPECT_EQ(first[0], -1.0);

  // An axis at right angles (dot product 0) keeps its sign.
  std::vector<double> orthogonal = {0.5, -0.5, 0.5, -0.5};
  AxisAlignmentSigns(full, orthogonal, p, first);
  EXPECT_EQ(first[0], 1.0);
}

// An isometric size axis gives coefficients of 1 whichever way the
// eigenvector came out; the orientation decides by the sum, not by the first
// coefficient.
TEST(Allometry, OrientedSizeAxisGivesIsometryAsOne) {
  const std::vector<double> isometric(9, 1.0 / 3.0);
  for (double sign : {1.0, -1.0}) {
    std::vector<double> axis = isometric;
    for (double& c : axis) c *= sign;
    const double orientation = SizeAxisOrientation(axis);
    EXPECT_EQ(orientation, sign);
    std::vector<double> macs(axis.size());
    AllometricCoefficients(axis, orientation, macs);
    for (double mac : macs) EXPECT_NEAR(mac, 1.0, 1e-15);
  }
  const std::vector<double> mixed = {-0.2, 0.6, 0.7, -0.3};
  EXPECT_EQ(SizeAxisOrientation(mixed), 1.0);
  const std::vector<double> negated = {0.2, -0.6, -0.7, 0.3};
  EXPECT_EQ(SizeAxisOrientation(negated), -1.0);
  std::vector<double> macs(4);
  AllometricCoefficients(negated, -1.0, macs);
  EXPECT_DOUBLE_EQ(macs[0], -0.4);  // -0.2 relative to sqrt(1 / 4)
  EXPECT_DOUBLE_EQ(macs[2], 1.4);
}

}  // namespace
}  // namespace talvex
