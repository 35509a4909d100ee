// Register-blocked kernels for applying a block reflector of KernelWidth
// reflections, for processors with AVX-512. The library's matrix-matrix
// product copies the vectors into its own layout at every block (a sixth of
// the whole transformation at p = 500); these read them where they lie, with
// the reflections held in two small copies that stay in the cache. Every sum
// runs in one fixed order, so the results do not depend on the thread count.
#pragma once

#include <cstddef>

#include "numeric/sizes.h"

namespace talvex {

/// Reflections per block of the kernels. The block's copies V (rows x
/// KernelWidth) and T (KernelWidth x KernelWidth) are padded with zeros
/// where a block has fewer.
constexpr TSize KernelWidth = 32;

/// True where the processor runs the kernels (AVX-512F); elsewhere the
/// library's products do the work.
bool BlockReflectorKernelsRun();

/// P := X^T V. X is rows x columns (leading dimension ldx); V is rows x
/// KernelWidth stored by rows (row r at rowsOfV + r * KernelWidth); P is
/// columns x KernelWidth stored by rows (row c at P + c * KernelWidth).
void ProjectOntoBlock(TSize rows, TSize columns, const double* X, std::size_t ldx,
                      const double* rowsOfV, double* P);

/// Each row p of P (as ProjectOntoBlock leaves it) := T p, T upper triangular
/// KernelWidth x KernelWidth, column-major.
void MultiplyRowsByFactor(const double* T, TSize columns, double* P);

/// X := X - V P^T. V is rows x KernelWidth, column-major (leading dimension
/// ldv); P as above.
void SubtractBlockProduct(TSize rows, TSize columns, const double* V, std::size_t ldv,
                          const double* P, double* X, std::size_t ldx);

}  // namespace talvex
