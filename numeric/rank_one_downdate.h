// The eigenpairs of a diagonal matrix less a symmetric rank-one term,
// diag(d) - rho z z^T: under the covariance method a reduced sample's
// dispersion matrix is exactly that in the full-sample axes, so its
// eigenvalues follow from a secular equation in O(p^2) and its axes from one
// matrix product, without a reduction to tridiagonal form.
//
// The scheme is the merge step of the divide-and-conquer eigen-solvers:
//  1. deflation: a coordinate whose z is negligible keeps its value and unit
//     vector, and of two coordinates with values closer than rounding one is
//     turned (a plane rotation) so that its z vanishes;
//  2. each remaining eigenvalue from the secular equation
//     1 + rho sum z_i^2 / (delta_i - mu) = 0, solved relative to its nearest
//     pole with a two-pole rational model safeguarded by bisection;
//  3. z recomputed from the eigenvalues found (Gu and Eisenstat's
//     formula), which makes the vectors (delta - mu)^-1 z orthogonal to
//     working precision however close the eigenvalues are.
#pragma once

#include <cstddef>
#include <vector>

#include "numeric/sizes.h"

namespace talvex {

/// Work containers, reused from one call to the next.
struct TDowndateWork {
  std::vector<double> delta, z, zHat, shift, gaps;
  std::vector<TSize> kept, origin;
  struct TRotation {
    TSize first, second;
    double c, s;
  };
  std::vector<TRotation> rotations;
  struct TOrdered {
    double value;
    TSize index;  // < kept.size(): secular root; else deflated coordinate index - kept.size()
  };
  std::vector<TOrdered> order;
};

/// The n eigenvalues of diag(d) - rho z z^T into `values`, descending, and
/// for the first `count` (0..n) of them the unit eigenvectors, in the
/// coordinates of diag(d), as the columns of W (n x count, leading dimension
/// ldw). d must be descending and rho >= 0. Returns false where an
/// eigenvalue could not be found to working precision (nothing then has a
/// meaning): the caller decomposes the matrix another way.
bool DowndatedEigenpairs(const double* d, const double* z, double rho, TSize n, TSize count,
                         double* values, double* W, std::size_t ldw, TDowndateWork& work);

}  // namespace talvex
