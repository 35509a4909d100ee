// The multivariate allometric coefficients: the size axis (the first
// eigenvector of log-transformed data under covariances) relative to
// isometry, where all p coefficients equal sqrt(1 / p). The sign of an
// eigenvector is arbitrary, so the size axis is oriented first, to the side
// where its coefficients sum to a positive value; isometry is then +1.
#pragma once

#include <span>

namespace talvex {

/// -1 when the coefficients of `sizeAxis`, summed in order, are negative;
/// otherwise +1.
double SizeAxisOrientation(std::span<const double> sizeAxis);

/// macs[j] := orientation * sizeAxis[j] / sqrt(1 / p), p = sizeAxis.size().
/// `orientation` is +1 or -1: the size axis' own (SizeAxisOrientation) for
/// the full sample; for a reduced sample the full sample's orientation times
/// the sign that aligns the reduced axis with the full-sample one.
void AllometricCoefficients(std::span<const double> sizeAxis, double orientation,
                            std::span<double> macs);

}  // namespace talvex
