// TLeaveOneOut: the dispersion matrix and principal axes of the data without
// one object. The full-sample column means and centred cross-products are
// formed once; removing object i is the downdate
//   S(i) = S - d d^T - u u^T,  d = x_i - m,  u = (r - d) / sqrt(n - 1),
// r the sums of x - m over all objects, which costs O(p^2) instead of
// O(n p^2). With an exact mean r = 0 and this is S - n / (n - 1) d d^T; with
// the rounded mean it is still exact, so a large offset over a small spread
// keeps the digits the full sample keeps. Where the downdate would cancel
// most of a variance (the left-out object carries nearly all of a variable's
// spread) the reduced sample's sums are recomputed from its rows instead.
//
// With fewer objects than variables the reduced dispersion matrix has rank
// at most n - 2, and its nonzero eigenvalues are those of the (n - 1) x
// (n - 1) matrix of products between the reduced sample's objects: that
// matrix is decomposed instead, and its eigenvectors u give the axes as
// Y^T u (Y the reduced sample's centred, and under correlations scaled,
// rows), which costs O(n^2 p) in place of O(p^3). Axes past the rank are
// not determined by the reduced sample at all (see Decompose).
//
// Beyond ExactSchemeVariables with at least as many variables as objects
// (WideThroughObjects), no p x p matrix is formed at all: the full sample's
// centred data C and, under covariances, their n x n products G = C C^T are
// kept, and the reduced sample's products are G without row and column i,
// re-centred by the shift s of the mean: G_kl - v_k - v_l + s.s, v = C s, a
// rank-two change costing O(n p) for v and O(n^2) for the rest. Under
// correlations each reduced sample is scaled by its own standard deviations,
// which no low-rank change follows: its products are formed again from the
// scaled C (n^2 p). Either way the (n - 1) x (n - 1) matrix is decomposed,
// and only the first axisCount axes are recovered, as C^T w - s (1^T u), w
// the eigenvector u with a zero for object i: 2 n p k.
//
// Under the covariance method, given the full sample's axes V and
// eigenvalues L, the reduced matrix is V ((n - 1) L - n / (n - 1) z z^T) V^T
// / (n - 2) with z = V^T d: its eigenvalues follow from a secular equation
// and its axes from V times the small problem's vectors
// (rank_one_downdate), about 2 p^2 k instead of 10/3 p^3. Where the rounding
// of the means leaves a residual that the rank-one form would drop (a large
// offset over a small spread), or the secular equation fails, the matrix is
// decomposed as before.
//
// Under covariances whose eigenvalues within the rank span more than some
// 1e8 / p, and whose variances do too (variables on very different scales),
// neither route resolves the small eigenvalues: each reduced matrix is then
// decomposed by Jacobi rotations, which find every eigenvalue to relative
// accuracy, at ten times the cost or more.
#pragma once

#include <utility>

#include "numeric/dispersion_method.h"
#include "numeric/float_matrix.h"
#include "numeric/float_vector.h"
#include "numeric/rank_one_downdate.h"

namespace talvex {

class TLeaveOneOut {
 public:
  /// Per-thread work containers, reused for every object a thread handles.
  struct TWorkspace {
    /// axisCount: the axes Decompose will be asked for (0: all p); only the
    /// wide path (see the file comment) keeps fewer than p columns.
    explicit TWorkspace(TSize n, TSize p, TSize axisCount = 0);
    TFloatMatrix
        work;  // p x p: the reduced dispersion matrix's lower triangle, then the solver's work
    TFloatVector offDiag;  // p
    TFloatVector centred;  // p: x_i - m
    TFloatVector rest;     // p: the other objects' deviations from m, summed, / sqrt(n - 1)
    TFloatMatrix rows;     // (n - 1) x p, made only when the recomputation path is taken
    TFloatVector values;   // p: reduced eigenvalues, descending
    TFloatMatrix vectors;  // p x p: reduced eigenvectors
    double trace = 0.0;
    // Made on first need, where the objects' products are decomposed:
    TFloatMatrix objects;         // (n - 1) x p: Y
    TFloatMatrix products;        // (n - 1) x (n - 1): Y Y^T / (n - 2), then the solver's work
    TFloatVector productValues;   // n - 1
    TFloatMatrix productVectors;  // (n - 1) x (n - 1)
    // Where the full-sample axes are downdated:
    TFloatVector inAxes;  // p: z = V^T d
    TDowndateWork downdate;
    // The wide path, made on first need:
    TFloatMatrix allProducts;  // n x n: the scaled objects' products (correlations)
    TFloatMatrix weights;      // n x k: the reduced eigenvectors, 0 for the object left out
    TFloatVector meanShift;    // p: s
    TFloatVector alongShift;   // n: v = C s
  };

  /// About how many doubles one workspace holds for n x p data and k axes.
  static std::size_t WorkspaceSize(TSize n, TSize p, TSize k);

  /// `data` (n x p) must outlive this object.
  TLeaveOneOut(const TFloatMatrix& data, TSize n, TSize p, DispersionMethod method);

  /// Eigenvalues and eigenvectors of the sample without object i (1..n) into
  /// ws.values (all p) and ws.vectors (the first axisCount columns, 1..p;
  /// the others have no meaning). Returns the number of leading axes the
  /// reduced sample determines: p, or with p > n - 1 at most n - 2 (with
  /// p = n - 1 the last axis is the sample's one null direction, and
  /// determined). The eigenvalues past rank n - 2 are 0, and the vectors
  /// of the axes past the number returned have no meaning (any directions
  /// at right angles to the determined ones would serve). Thread-safe for
  /// distinct workspaces.
  TSize Decompose(TSize i, TWorkspace& ws, TSize axisCount) const;

  /// Decompose for objects i and j at once, with the same results: where
  /// both samples' matrices are decomposed as they stand, their eigenvalue
  /// iterations interleave. Returns the numbers of determined axes of i and
  /// j. A floating-point fault raises without saying whose it is: decompose
  /// each alone to tell.
  std::pair<TSize, TSize> DecomposeTwo(TSize i, TWorkspace& wsI, TSize j, TWorkspace& wsJ,
                                       TSize axisCount) const;

  /// Downdates the full sample's axes from now on where the method allows,
  /// or decomposes by Jacobi rotations where the eigenvalues span too wide
  /// a range (see the file comment): `values` (p, descending) and `axes`
  /// (p x p) are the full-sample decomposition of the same data, and must
  /// outlive this object.
  void UseFullSampleAxes(const TFloatVector& values, const TFloatMatrix& axes);

  /// Whether the objects' products are decomposed (see the file comment).
  bool ThroughObjects() const noexcept { return throughObjects_; }

 private:
  /// Forms sample i's matrix in ws.work where it is to be decomposed as it
  /// stands (true); otherwise decomposes the sample another way (false).
  /// determined := the number of axes the sample determines.
  bool DispersionToDecompose(TSize i, TWorkspace& ws, TSize axisCount, TSize& determined) const;
  TSize Rank() const;
  /// The axes sample ws (decomposed) determines: Rank(), or p where the
  /// null space is a single direction.
  TSize Determined(const TWorkspace& ws) const;
  void ZeroPastRank(TWorkspace& ws) const;
  TSize DecomposeThroughObjects(TSize i, TWorkspace& ws, TSize axisCount) const;
  TSize DecomposeWide(TSize i, TWorkspace& ws, TSize axisCount) const;
  /// Both routes through the objects: decomposes the m x m reduced products
  /// in ws.products for up to `axisCount` axes; their eigenvalues within the
  /// rank they determine go to ws.values, 0 past it (p in all). Returns the rank.
  TSize ProductEigenvalues(TWorkspace& ws, TSize m, TSize axisCount) const;
  /// The first `axes` axes of a wide reduced sample (its object `left`,
  /// 0-based, out) from the product matrix's vectors, the (scaled) centred
  /// columns `source` (leading dimension `lds`) and the mean shift.
  void WideAxes(TSize left, const double* source, std::size_t lds, TSize axes,
                TWorkspace& ws) const;
  /// Under correlations: s and the scaled C of sample i into ws.
  void ScaleWide(TSize i, TWorkspace& ws) const;
  bool DecomposeByDowndate(TWorkspace& ws, TSize axisCount) const;
  /// d := x_i - m and u; false where the downdate would cancel most of a
  /// variance (the reduced sample is then recomputed from its rows).
  bool Deviations(TSize i, TWorkspace& ws) const;
  void DowndatedDispersion(TWorkspace& ws) const;
  void RecomputedDispersion(TSize i, TWorkspace& ws) const;

  const TFloatMatrix& data_;
  TSize n_;
  TSize p_;
  DispersionMethod method_;
  bool throughObjects_;
  const TFloatVector* fullValues_ = nullptr;
  const TFloatMatrix* fullAxes_ = nullptr;
  bool wideRange_ = false;      // covariance eigenvalues too far apart: Jacobi rotations
  double residualNorm_ = 0.0;   // |residuals| / sqrt(n - 1)
  double residualLimit_ = 0.0;  // the rank-one form holds below it (see UseFullSampleAxes)
  TFloatVector means_;          // p
  TFloatVector residuals_;      // p: sums of x - m over all objects (rounding of m)
  TFloatMatrix crossProducts_;  // p x p: sums of products of centred values (not when wide)
  // The wide path (see the file comment):
  bool wide_ = false;
  TFloatMatrix centred_;        // n x p: C
  TFloatVector squares_;        // p: the diagonal of C^T C
  TFloatMatrix products_;       // n x n: C C^T, lower triangle (covariances)
  TFloatVector residualImage_;  // n: C r (covariances)
};

}  // namespace talvex
