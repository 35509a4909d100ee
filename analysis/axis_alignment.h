// The sign alignment of leave-one-out axes: an eigenvector's sign is
// arbitrary, so a reduced sample's axis may come out pointing opposite to the
// full-sample axis of the same number, and its pseudo-values would then be
// about (2n - 1) times the coefficient. Each reduced axis is compared with
// the full-sample one and taken with the sign that points it the same way.
#pragma once

#include <span>

#include "numeric/float_matrix.h"

namespace talvex {

/// signs[a - 1] := -1 where reduced axis a (a = 1..signs.size()) has a
/// negative dot product with column a of `fullAxes`, else +1 (also for a
/// product that is 0 or not a number). `reducedAxes` holds the reduced axes
/// one after another, p coefficients each; it is not changed: reduced axis a
/// times signs[a - 1] is the axis aligned with the full sample. The dot
/// products (DotProduct, in lanes) go to `dots` too where it is not empty.
void AxisAlignmentSigns(const TFloatMatrix& fullAxes, std::span<const double> reducedAxes, TSize p,
                        std::span<double> signs, std::span<double> dots = {});

/// The same for one axis of p coefficients: its sign, and its dot product in
/// `dot`.
double AxisAlignmentSign(const double* fullAxis, const double* reducedAxis, TSize p, double& dot);

}  // namespace talvex
