// The transformation back through the reflections of the jackknife's
// tridiagonal reduction for the larger reduced samples: BlockWidth
// reflections at a time as one block reflector I - V T V^T (compact WY, as
// LAPACK's dlarft and dlarfb form it), applied to the vectors by two
// matrix-matrix products. 2 n^2 k operations for k vectors.
#pragma once

#include <cstddef>

#include "numeric/sizes.h"

namespace talvex {

/// Reflections per block reflector.
constexpr TSize BlockWidth = 32;

/// X := Q X for the columns 0..columns-1 of X (n rows, leading dimension
/// ldx), Q = P(0) P(1) ... P(n-3) from the reflections ReduceLowerBlocked or
/// ReduceLowerPanels left in A (each P(j) = I - v v^T, v in column j below
/// the diagonal). Agrees with ApplyReflectionProduct up to rounding.
/// Where the processor has AVX-512 the products go through our own kernels
/// (block_reflector_kernels.h), elsewhere through the BLAS.
void ApplyBlockReflectors(const double* A, std::size_t ld, TSize n, double* X, std::size_t ldx,
                          TSize columns);

/// The same through the BLAS's products on any processor.
void ApplyBlockReflectorsThroughLibrary(const double* A, std::size_t ld, TSize n, double* X,
                                        std::size_t ldx, TSize columns);

}  // namespace talvex
