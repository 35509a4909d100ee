// A second symmetric eigen-decomposition for the jackknife's reduced samples,
// agreeing with PrincipalAxesOf up to rounding rather than bit for bit (the
// full-sample axes, whose signs the report prints, keep the exact scheme).
// Its stages, each in its own file:
//  1. Householder reduction to tridiagonal form T, forward over the lower
//     triangle: in vector lanes, one pass over the trailing matrix per step
//     (blocked_reflections), and beyond PanelCrossover variables by panels
//     whose updates are matrix-matrix products (panel_reduction): 4/3 p^3.
//  2. The eigenvalues of T by root-free QL (root_free_ql): O(p^2).
//  3. Each eigenvector of T by a twisted factorisation of T - lambda I, with
//     clusters of close eigenvalues resolved together
//     (tridiagonal_eigenvectors, twisted_eigenvectors): O(p^2) plus the
//     clusters.
//  4. The vectors back through the reflections in compact WY form, four at a
//     time (blocked_reflections), or beyond PanelCrossover variables as block
//     reflectors of BlockWidth by matrix-matrix products (block_reflector;
//     with AVX-512, by kernels of our own, block_reflector_kernels):
//     2 p^2 k for the first k axes.
// The matrix-matrix products, and the panels' symmetric matrix-vector
// products, go through the optimised BLAS (blas_products).
// Where stage 2 or 3 cannot be trusted (see TFallbackCause), the rotations of
// the QL algorithm are applied to Q instead, as in PrincipalAxesOf
// (rotation_fallback). Our own lanes are fixed in the code and the BLAS runs
// on one thread with fixed blocking, so the results are the same for every
// thread count; up to PanelCrossover variables they are also the same on
// every processor, beyond it they may differ in the last bits where the
// BLAS chooses other kernels or the processor has AVX-512. Beyond it too the
// arithmetic is the faster kind of FastArithmeticAbove (sizes.h).
#pragma once

#include "numeric/decomposition_path.h"
#include "numeric/float_matrix.h"
#include "numeric/float_vector.h"
#include "numeric/work_checkpoint.h"

namespace talvex {

/// a (n x n symmetric, both triangles set) := Q, d := diagonal and e :=
/// off-diagonal (e[1] = 0) of T = Q^T a Q: the contract of Tridiagonalize.
void ReduceToTridiagonalBlocked(TFloatMatrix& a, TSize n, TFloatVector& d, TFloatVector& e);

/// The contract of PrincipalAxesOf: trace, eigenvalues (descending) and unit
/// eigenvectors with the sign convention; `work` and `offDiag` are left with
/// no meaning. Only the lower triangle of `work` is read. Returns the path the decomposition took,
/// which the results do not depend on.
TDecompositionPath BlockedPrincipalAxesOf(TFloatMatrix& work, TSize p, double& trace,
                                          TFloatVector& offDiag, TFloatVector& eigenvalues,
                                          TFloatMatrix& eigenvectors);

/// The same with the eigenvectors of the first axisCount (1..p) axes alone:
/// columns 1..axisCount of `eigenvectors` are as above, the others are left
/// with no meaning (where the QL rotations take over, all p are formed).
/// All p eigenvalues are formed in any case. The vectors of T and the
/// transformation back cost in proportion to axisCount. A checkpoint, when
/// given, is told the share done within the reduction (after each column
/// beyond PanelCrossover variables) and after each later stage.
TDecompositionPath BlockedPrincipalAxesOf(TFloatMatrix& work, TSize p, double& trace,
                                          TFloatVector& offDiag, TFloatVector& eigenvalues,
                                          TFloatMatrix& eigenvectors, TSize axisCount,
                                          const TCheckpoint& checkpoint = {});

/// The operations of BlockedPrincipalAxesOf's stages, roughly, for the
/// progress its checkpoint is told: the reduction 4/3 p^3, the tridiagonal
/// eigenvalues and vectors some tens of p^2, the way back 2 p^2 k.
struct TBlockedAxesCost {
  double reduction = 0.0;
  double tridiagonal = 0.0;
  double back = 0.0;
  double Total() const { return reduction + tridiagonal + back; }
};
TBlockedAxesCost BlockedAxesCost(TSize p, TSize axisCount);

/// The arguments of one BlockedPrincipalAxesOf.
struct TBlockedAxesTask {
  TFloatMatrix* work = nullptr;
  TSize p = 0;
  double* trace = nullptr;
  TFloatVector* offDiag = nullptr;
  TFloatVector* eigenvalues = nullptr;
  TFloatMatrix* eigenvectors = nullptr;
  TSize axisCount = 0;
};

/// BlockedPrincipalAxesOf of two matrices, with the same bits as one after
/// the other: their tridiagonal eigenvalues are found together (the
/// iterations interleave, each leaving the divider free for the other). A
/// floating-point fault raises as BlockedPrincipalAxesOf would, but need not
/// say which matrix it came from: where that matters, solve each alone. The
/// checkpoint is called within each reduction (with that reduction's share).
void BlockedPrincipalAxesOfTwo(const TBlockedAxesTask& first, const TBlockedAxesTask& second,
                               const TCheckpoint& checkpoint = {});

}  // namespace talvex
