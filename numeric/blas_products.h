// The matrix-matrix products of the jackknife's eigen-decomposition, through
// the machine's optimised BLAS (OpenBLAS, CBLAS interface); the one place
// that includes it. Matrices are column-major with leading dimensions, as
// BLAS has them. OpenBLAS is kept to one thread of its own: the jackknife
// already runs one decomposition per core, and one thread keeps the order of
// every sum fixed, whatever the jackknife's thread count. The library is
// loaded as the program starts with its thread count set to one, so that it
// starts no threads of its own. Where it cannot be loaded, every product
// raises Exception "The linear-algebra library OpenBLAS could not be used: "
// followed by the loader's reason.
#pragma once

#include <cstddef>
#include <cstdint>

#include "numeric/sizes.h"
#include "numeric/work_checkpoint.h"

namespace talvex {

/// C (m x n) := A^T B, A k x m, B k x n.
void MultiplyTransposed(TSize m, TSize n, TSize k, const double* A, std::size_t lda,
                        const double* B, std::size_t ldb, double* C, std::size_t ldc);

/// C (m x n) := A B, A m x k, B k x n.
void Multiply(TSize m, TSize n, TSize k, const double* A, std::size_t lda, const double* B,
              std::size_t ldb, double* C, std::size_t ldc);

/// C (m x n) := C - A B^T, A m x k, B n x k.
void SubtractProductTransposed(TSize m, TSize n, TSize k, const double* A, std::size_t lda,
                               const double* B, std::size_t ldb, double* C, std::size_t ldc);

/// The lower triangle of C (n x n) := C - V W^T - W V^T, V and W n x k.
void SubtractSymmetricRank2k(TSize n, TSize k, const double* V, std::size_t ldv, const double* W,
                             std::size_t ldw, double* C, std::size_t ldc);

/// y (n) := A x, A n x n symmetric with its lower triangle read.
void MultiplySymmetricLower(TSize n, const double* A, std::size_t lda, const double* x, double* y);

/// The upper triangle of G (k x k) := V^T V, V m x k.
void GramUpper(TSize m, TSize k, const double* V, std::size_t ldv, double* G, std::size_t ldg);

/// The multiply-adds of one piece of a long product between two checkpoints:
/// a fraction of a second on one core.
constexpr double WorkPerPiece = double(std::uint64_t(1) << 31);

/// GramUpper in pieces of about `piece` multiply-adds: blocks of G's columns,
/// the rows above each block by a plain product and its own triangle by its
/// Gram matrix, with the share of the triangle done told to `checkpoint`
/// after each (which may throw to stop). A product within one piece is made
/// by GramUpper alone, with its sums.
void GramUpperInPieces(TSize m, TSize k, const double* V, std::size_t ldv, double* G,
                       std::size_t ldg, const TCheckpoint& checkpoint, double piece);

/// The lower triangle of G (m x m) := alpha Z Z^T, Z m x k.
void ScaledOuterGramLower(TSize m, TSize k, double alpha, const double* Z, std::size_t ldz,
                          double* G, std::size_t ldg);

/// The lower triangle of G (m x m) := beta G + alpha Z Z^T, Z m x k: the
/// Gram matrix of a wide Z in slices of its columns.
void AddScaledOuterGramLower(TSize m, TSize k, double alpha, const double* Z, std::size_t ldz,
                             double beta, double* G, std::size_t ldg);

/// B (m x n) := B T^T, T upper triangular n x n.
void MultiplyByUpperTriangularTransposed(TSize m, TSize n, const double* T, std::size_t ldt,
                                         double* B, std::size_t ldb);

}  // namespace talvex
