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
#pragma once

#include "numeric/dispersion_method.h"
#include "numeric/float_matrix.h"
#include "numeric/float_vector.h"

namespace talvex {

class TLeaveOneOut {
 public:
  /// Per-thread work containers, reused for every object a thread handles.
  struct TWorkspace {
    explicit TWorkspace(TSize n, TSize p);
    TFloatMatrix
        work;  // p x p: the reduced dispersion matrix's lower triangle, then the solver's work
    TFloatVector offDiag;  // p
    TFloatVector centred;  // p: x_i - m
    TFloatVector rest;     // p: the other objects' deviations from m, summed, / sqrt(n - 1)
    TFloatMatrix rows;     // (n - 1) x p, made only when the recomputation path is taken
    TFloatVector values;   // p: reduced eigenvalues, descending
    TFloatMatrix vectors;  // p x p: reduced eigenvectors
    double trace = 0.0;
  };

  /// `data` (n x p) must outlive this object.
  TLeaveOneOut(const TFloatMatrix& data, TSize n, TSize p, DispersionMethod method);

  /// Eigenvalues and eigenvectors of the sample without object i (1..n) into
  /// ws.values (all p) and ws.vectors (the first axisCount columns, 1..p;
  /// the others have no meaning). Thread-safe for distinct workspaces.
  void Decompose(TSize i, TWorkspace& ws, TSize axisCount) const;

 private:
  void DowndatedDispersion(TSize i, TWorkspace& ws) const;
  void RecomputedDispersion(TSize i, TWorkspace& ws) const;

  const TFloatMatrix& data_;
  TSize n_;
  TSize p_;
  DispersionMethod method_;
  TFloatVector means_;          // p
  TFloatVector residuals_;      // p: sums of x - m over all objects (rounding of m)
  TFloatMatrix crossProducts_;  // p x p: sums of products of centred values
};

}  // namespace talvex
