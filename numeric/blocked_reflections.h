// Householder reduction to tridiagonal form for the jackknife's
// eigen-decomposition, and the transformations back through its reflections.
// All indices are 0-based; the matrices are column-major blocks with leading
// dimension ld. The reflections run forward: P(j) takes column j below the
// diagonal, and Q = P(0) P(1) ... P(n-3).
#pragma once

#include <cstddef>

#include "numeric/sizes.h"

namespace talvex {

/// T = Q^T A Q for the n x n symmetric A (lower triangle read): diagonal[i]
/// := T[i][i], coupling[i] := T[i+1][i] for i < n - 1, the reflections left
/// in the lower triangle of A. One pass over the trailing triangle per step,
/// by column pairs in vector lanes: 4/3 n^3.
void ReduceLowerBlocked(double* A, std::size_t ld, TSize n, double* diagonal, double* coupling);

/// A := Q, formed in place of the reflections ReduceLowerBlocked left in A.
void FormReflectionProduct(double* A, std::size_t ld, TSize n);

/// X := Q X (n rows, columns 0..columns-1, leading dimension ldx), Q from
/// the reflections in A, applied four at a time in compact WY form, two
/// columns per pass: 2 n^2 columns.
void ApplyReflectionProduct(const double* A, std::size_t ld, TSize n, double* X, std::size_t ldx,
                            TSize columns);

/// Columns 0..n-1 of A in reverse order.
void ReverseColumns(double* A, std::size_t ld, TSize n);

}  // namespace talvex
