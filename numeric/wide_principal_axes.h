// The principal axes of data with more variables than the exact scheme is
// kept for (ExactSchemeVariables): all eigenvalues, and the first axes only.
//  - Fewer variables than GramCrossover per object: the p x p dispersion
//    matrix from the centred data's cross-products (BLAS, n p^2), then the
//    blocked decomposition (blocked_principal_axes.h): 4/3 p^3 + 2 p^2 k.
//  - Otherwise (always with more variables than objects): the n x n matrix
//    of products between the centred (under correlations also standardised)
//    objects, Z Z^T / (n - 1), whose nonzero eigenvalues are the dispersion
//    matrix's, decomposed alike; each axis is Z^T u, scaled to unit length:
//    n^2 p + 4/3 n^3 + 2 n p k, and never a p x p matrix.
// Sign rule: each axis is turned so that its coefficient of largest
// magnitude is positive; among equal magnitudes the lowest variable number
// decides. Axes past the rank of the data (eigenvalue 0) are not determined
// by them and are returned as zero vectors.
#pragma once

#include "numeric/decomposition_path.h"
#include "numeric/dispersion_method.h"
#include "numeric/float_matrix.h"
#include "numeric/float_vector.h"
#include "numeric/work_checkpoint.h"

namespace talvex {

/// What LeadingPrincipalAxes returns.
struct TLeadingAxes {
  double trace = 0.0;               // of the dispersion matrix
  TFloatVector eigenvalues{0};      // p, descending; 0 past the rank
  TFloatMatrix eigenvectors{0, 0};  // p x axisCount: unit columns, 0 past the rank
  TSize rank = 0;                   // the axes the data determine
  TAxesRoute route = TAxesRoute::Dispersion;
};

/// The principal axes of the n x p data (n >= 2) under `method`, the first
/// axisCount (1..p) of them with their vectors, by the route the sizes
/// choose (WideThroughObjects). Floating-point faults raise as
/// CheckFloatFaults does (a constant variable under correlations: division
/// by zero). The checkpoint is told the share of the whole work done (the
/// products, the decomposition, the axes) at intervals of a fraction of a
/// second (work_checkpoint.h).
TLeadingAxes LeadingPrincipalAxes(const TFloatMatrix& data, TSize n, TSize p,
                                  DispersionMethod method, TSize axisCount,
                                  const TCheckpoint& checkpoint = {});

/// The same by the route given (Dispersion or ThroughObjects), whatever the
/// sizes; ThroughObjects needs n >= 2.
TLeadingAxes LeadingPrincipalAxes(const TFloatMatrix& data, TSize n, TSize p,
                                  DispersionMethod method, TSize axisCount, TAxesRoute route,
                                  const TCheckpoint& checkpoint = {});

/// The sign rule above, applied to columns 1..columns of `axes` (p rows).
void TurnByLargestCoefficient(TFloatMatrix& axes, TSize p, TSize columns);

}  // namespace talvex
