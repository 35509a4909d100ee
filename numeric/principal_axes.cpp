// Principal axes of a dispersion matrix: Householder reduction to tridiagonal
// form with the transformation accumulated (the tred2 scheme of Wilkinson's
// Handbook for Automatic Computation, vol. II), the QL algorithm with
// implicit shifts (tql2/tqli), a descending selection sort, then unit length
// and the program's sign convention. Cost: about 4/3 p^3 for the reduction,
// 4/3 p^3 for the accumulation and 3 p^3 per average QL sweep count.
//
// The order of every sum and product follows the scheme exactly, so the
// results (and the eigenvector signs the report prints) are those of an
// element-by-element implementation. Only the order of memory traffic is
// changed: the matrix is column-major, so the loops that the scheme writes
// along rows of the lower triangle are turned to run down its columns, with
// each running sum still receiving its terms in the scheme's order.
#include "numeric/principal_axes.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "numeric/container_checks.h"
#include "numeric/float_faults.h"
#include "numeric/lane_dot.h"
#include "numeric/ql_sweep_bound.h"
#include "numeric/statistics.h"
#include "numeric/wide_vectors.h"

namespace talvex {

// The rotation loops are element-wise (no sum is reordered) and carry most of
// the QL cost, so they are also built for AVX2 (TALVEX_WIDE_VECTORS); without
// contraction both builds give the same bits.

namespace {

/// One-based element (r, c) of a column-major block with leading dimension ld.
inline double& At(double* block, std::size_t ld, TSize r, TSize c) {
  return block[std::size_t(r - 1) + std::size_t(c - 1) * ld];
}

/// Columns handled together so that their running sums, each still taken in
/// its own order, form independent chains the processor can overlap.
constexpr TSize ColumnBlock = 4;

/// Adds the contributions of lower-triangle columns c0..c0+b-1 (rows up to l)
/// to the running sums g[r] = sum over k of S[r,k] u[k] of the symmetric block
/// S, where g[r - 1] holds the terms of columns before c0. Column c gives term
/// c of every g[r] with r >= c (row r, first range) and, after the diagonal,
/// terms r = c+1..l of g[c] (second range); columns visited in order feed
/// every sum its terms in ascending k. On return g[c - 1] is complete for the
/// block's columns.
void RowProductsOfBlock(const double* A, std::size_t ld, TSize l, TSize c0, TSize b,
                        const double* __restrict u, double* __restrict g) {
  double sums[ColumnBlock];
  const double* columns[ColumnBlock];
  // The triangle inside the block, column by column.
  for (TSize t = 0; t < b; ++t) {
    const TSize c = c0 + t;
    columns[t] = A + std::size_t(c - 1) * ld;
    const double uc = u[c - 1];
    double sum = g[c - 1] + columns[t][c - 1] * uc;
    for (TSize r = c + 1; r < c0 + b; ++r) {
      g[r - 1] += columns[t][r - 1] * uc;
      sum += columns[t][r - 1] * u[r - 1];
    }
    sums[t] = sum;
  }
  // The rows below the block: each row's sum takes the block's columns in
  // order; each column's sum takes the rows in order.
  if (b == ColumnBlock) {
    const double u0 = u[c0 - 1], u1 = u[c0], u2 = u[c0 + 1], u3 = u[c0 + 2];
    double s0 = sums[0], s1 = sums[1], s2 = sums[2], s3 = sums[3];
    for (TSize r = c0 + b; r <= l; ++r) {
      const double x0 = columns[0][r - 1], x1 = columns[1][r - 1];
      const double x2 = columns[2][r - 1], x3 = columns[3][r - 1];
      const double ur = u[r - 1];
      g[r - 1] = g[r - 1] + x0 * u0 + x1 * u1 + x2 * u2 + x3 * u3;
      s0 += x0 * ur;
      s1 += x1 * ur;
      s2 += x2 * ur;
      s3 += x3 * ur;
    }
    sums[0] = s0;
    sums[1] = s1;
    sums[2] = s2;
    sums[3] = s3;
  } else {
    for (TSize r = c0 + b; r <= l; ++r) {
      const double ur = u[r - 1];
      double row = g[r - 1];
      for (TSize t = 0; t < b; ++t) {
        row += columns[t][r - 1] * u[c0 + t - 1];
        sums[t] += columns[t][r - 1] * ur;
      }
      g[r - 1] = row;
    }
  }
  for (TSize t = 0; t < b; ++t) g[c0 + t - 1] = sums[t];
}

/// Columns of the accumulated transformation updated together: eight
/// independent dot products keep the adder busy.
constexpr TSize ReflectionBlock = 8;

/// Columns j0..j0+b-1 of the accumulated transformation (rows 1..l) :=
/// column - (u . column) v, with v the stored column u/h.
void ApplyReflectionToBlock(double* A, std::size_t ld, TSize l, TSize j0, TSize b,
                            const double* __restrict u, const double* __restrict v) {
  double g[ReflectionBlock] = {};
  double* columns[ReflectionBlock];
  for (TSize t = 0; t < b; ++t) columns[t] = A + std::size_t(j0 + t - 1) * ld;
  if (b == ReflectionBlock) {
    const double *c0 = columns[0], *c1 = columns[1], *c2 = columns[2], *c3 = columns[3];
    const double *c4 = columns[4], *c5 = columns[5], *c6 = columns[6], *c7 = columns[7];
    double g0 = 0.0, g1 = 0.0, g2 = 0.0, g3 = 0.0, g4 = 0.0, g5 = 0.0, g6 = 0.0, g7 = 0.0;
    for (TSize k = 0; k < l; ++k) {
      const double uk = u[k];
      g0 += uk * c0[k];
      g1 += uk * c1[k];
      g2 += uk * c2[k];
      g3 += uk * c3[k];
      g4 += uk * c4[k];
      g5 += uk * c5[k];
      g6 += uk * c6[k];
      g7 += uk * c7[k];
    }
    g[0] = g0, g[1] = g1, g[2] = g2, g[3] = g3, g[4] = g4, g[5] = g5, g[6] = g6, g[7] = g7;
  } else {
    for (TSize t = 0; t < b; ++t)
      for (TSize k = 0; k < l; ++k) g[t] += u[k] * columns[t][k];
  }
  for (TSize t = 0; t < b; ++t) {
    double* __restrict column = columns[t];
    const double gt = g[t];
    for (TSize k = 0; k < l; ++k) column[k] = column[k] - gt * v[k];
  }
}

/// Rotations applied to z in one pass over its rows: five columns' worth of
/// element traffic serves four rotations instead of one.
constexpr TSize RotationGroup = 4;

/// Applies rotations i = high, high-1, ..., high-Count+1 (in that order) to
/// columns i and i+1 of z. Each element receives exactly the operations of
/// applying the rotations one at a time, in the same order: the new z[k, i]
/// of one rotation is the f of the next.
TALVEX_WIDE_VECTORS void ApplyFourRotations(double* __restrict z0, double* __restrict z1,
                                            double* __restrict z2, double* __restrict z3,
                                            double* __restrict z4, TSize n, const double* c,
                                            const double* s) {
  const double c0 = c[0], c1 = c[1], c2 = c[2], c3 = c[3];
  const double s0 = s[0], s1 = s[1], s2 = s[2], s3 = s[3];
  for (TSize k = 0; k < n; ++k) {
    double f = z0[k];
    double zi = z1[k];
    z0[k] = s0 * zi + c0 * f;
    f = c0 * zi - s0 * f;
    zi = z2[k];
    z1[k] = s1 * zi + c1 * f;
    f = c1 * zi - s1 * f;
    zi = z3[k];
    z2[k] = s2 * zi + c2 * f;
    f = c2 * zi - s2 * f;
    zi = z4[k];
    z3[k] = s3 * zi + c3 * f;
    z4[k] = c3 * zi - s3 * f;
  }
}

TALVEX_WIDE_VECTORS void ApplyOneRotation(double* __restrict z0, double* __restrict z1, TSize n,
                                          double c, double s) {
  for (TSize k = 0; k < n; ++k) {
    const double f = z0[k];
    z0[k] = s * z1[k] + c * f;
    z1[k] = c * z1[k] - s * f;
  }
}

/// The rotations of one QL sweep, i from high down to low, applied to z.
void ApplySweep(double* Z, std::size_t ld, TSize n, TSize high, TSize low, const double* cosines,
                const double* sines) {
  auto column = [&](TSize j) { return Z + std::size_t(j - 1) * ld; };
  TSize i = high;
  for (; i >= low + RotationGroup - 1; i -= RotationGroup) {
    // cosines[i - 1] belongs to rotation i; the group takes i, i-1, i-2, i-3.
    const double c[RotationGroup] = {cosines[i - 1], cosines[i - 2], cosines[i - 3],
                                     cosines[i - 4]};
    const double s[RotationGroup] = {sines[i - 1], sines[i - 2], sines[i - 3], sines[i - 4]};
    ApplyFourRotations(column(i + 1), column(i), column(i - 1), column(i - 2), column(i - 3), n, c,
                       s);
    if (i - RotationGroup < low) return;
  }
  for (;; --i) {
    ApplyOneRotation(column(i + 1), column(i), n, cosines[i - 1], sines[i - 1]);
    if (i == low) return;
  }
}

}  // namespace

double TransferSign(double a, double b) { return b >= 0.0 ? std::fabs(a) : -std::fabs(a); }

void Tridiagonalize(TFloatMatrix& a, TSize n, TFloatVector& d, TFloatVector& e) {
  detail::RequireReadable(a, n, n);
  detail::RequireWritable(d, n);
  detail::RequireWritable(e, n);
  TFloatVector scratch(n);     // a contiguous copy of the Householder vector in row i
  double* u = scratch.Data();  // u[k - 1] holds u_k
  double* A = a.Column(1);
  const std::size_t ld = a.MaxRows();
  double* dd = d.Data();
  double* ee = e.Data();

  for (TSize i = n; i >= 2; --i) {
    const TSize l = i - 1;
    double h = 0.0;
    if (l > 1) {
      double scale = 0.0;
      for (TSize k = 1; k <= l; ++k) scale += std::fabs(At(A, ld, i, k));
      if (scale == 0.0) {
        ee[i - 1] = At(A, ld, i, l);  // the row is already reduced
      } else {
        for (TSize k = 1; k <= l; ++k) {
          double& x = At(A, ld, i, k);
          x = x / scale;
          h += x * x;
        }
        double f = At(A, ld, i, l);
        double g = -TransferSign(std::sqrt(h), f);
        ee[i - 1] = scale * g;
        h -= f * g;
        At(A, ld, i, l) = f - g;
        for (TSize k = 1; k <= l; ++k) u[k - 1] = At(A, ld, i, k);

        // e[j] := (row j of the symmetric l x l block) . u, one running sum
        // per j over k = 1..l. The block is held in the lower triangle; its
        // column c supplies term c of every e[r], r >= c (row r, first range)
        // and terms c+1..l of e[c] (column c, second range), so visiting the
        // columns in order feeds each sum its terms in ascending k.
        for (TSize j = 1; j <= l; ++j) ee[j - 1] = 0.0;
        for (TSize c0 = 1; c0 <= l; c0 += ColumnBlock) {
          RowProductsOfBlock(A, ld, l, c0, std::min<TSize>(ColumnBlock, l - c0 + 1), u, ee);
        }
        f = 0.0;
        double* columnI = A + std::size_t(i - 1) * ld;
        for (TSize j = 1; j <= l; ++j) {
          columnI[j - 1] = u[j - 1] / h;
          ee[j - 1] = ee[j - 1] / h;
          f += ee[j - 1] * u[j - 1];
        }
        const double hh = f / (h + h);
        for (TSize j = 1; j <= l; ++j) ee[j - 1] = ee[j - 1] - hh * u[j - 1];
        // a[j,k] -= u_j e_k + e_j u_k over the lower triangle, by columns.
        for (TSize k = 1; k <= l; ++k) {
          double* column = A + std::size_t(k - 1) * ld;
          const double ek = ee[k - 1];
          const double uk = u[k - 1];
          for (TSize j = k; j <= l; ++j)
            column[j - 1] = column[j - 1] - u[j - 1] * ek - ee[j - 1] * uk;
        }
      }
    } else {
      ee[i - 1] = At(A, ld, i, l);
    }
    dd[i - 1] = h;  // zero when the row needed no reflection
  }
  if (n >= 1) {
    dd[0] = 0.0;
    ee[0] = 0.0;
  }

  // Accumulate Q = P(2) ... P(n) in place, growing the leading block.
  for (TSize i = 1; i <= n; ++i) {
    const TSize l = i - 1;
    double* columnI = A + std::size_t(i - 1) * ld;
    if (dd[i - 1] != 0.0) {
      for (TSize k = 1; k <= l; ++k) u[k - 1] = At(A, ld, i, k);
      for (TSize j0 = 1; j0 <= l; j0 += ReflectionBlock) {
        ApplyReflectionToBlock(A, ld, l, j0, std::min<TSize>(ReflectionBlock, l - j0 + 1), u,
                               columnI);
      }
    }
    dd[i - 1] = columnI[i - 1];
    columnI[i - 1] = 1.0;
    for (TSize j = 1; j <= l; ++j) {
      At(A, ld, i, j) = 0.0;
      columnI[j - 1] = 0.0;
    }
  }
  d.Extend(n);
  e.Extend(n);
  CheckFloatFaults();
}

void TridiagonalQL(TFloatVector& d, TFloatVector& e, TSize n, TFloatMatrix& z) {
  detail::RequireReadable(d, n);
  if (n >= 2) {
    detail::RequireReadable(e, n);
  } else {
    detail::RequireWritable(e, n);
  }
  detail::RequireReadable(z, n, n);
  if (n == 0) return;
  double* dd = d.Data();
  double* ee = e.Data();
  double* Z = z.Column(1);
  const std::size_t ld = z.MaxRows();

  // The rotations of a sweep, kept so that they reach z together.
  TFloatVector rotations(2 * n);
  double* cosines = rotations.Data();
  double* sines = cosines + n;

  for (TSize i = 2; i <= n; ++i) ee[i - 2] = ee[i - 1];
  ee[n - 1] = 0.0;

  unsigned long sweepsLeft = SweepsPerEigenvalue * n;
  for (TSize l = 1; l <= n; ++l) {
    for (;;) {
      TSize m = l;
      for (; m <= n - 1; ++m) {
        const double dd2 = std::fabs(dd[m - 1]) + std::fabs(dd[m]);
        if (std::fabs(ee[m - 1]) + dd2 == dd2) break;
      }
      if (m == l) break;
      if (sweepsLeft-- == 0) {
        CheckFloatFaults();  // a fault that poisoned the matrix is the real cause
        throw Exception("Eigenvalue iteration did not converge");
      }
      double g = (dd[l] - dd[l - 1]) / (2.0 * ee[l - 1]);
      double r = std::sqrt(g * g + 1.0);
      g = dd[m - 1] - dd[l - 1] + ee[l - 1] / (g + TransferSign(r, g));
      double s = 1.0;
      double c = 1.0;
      double p = 0.0;
      for (TSize i = m - 1; i >= l; --i) {
        double f = s * ee[i - 1];
        const double b = c * ee[i - 1];
        if (std::fabs(f) >= std::fabs(g)) {
          c = g / f;
          r = std::sqrt(c * c + 1.0);
          ee[i] = f * r;
          s = 1.0 / r;
          c = c * s;
        } else {
          s = f / g;
          r = std::sqrt(s * s + 1.0);
          ee[i] = g * r;
          c = 1.0 / r;
          s = s * c;
        }
        g = dd[i] - p;
        r = (dd[i - 1] - g) * s + 2.0 * c * b;
        p = s * r;
        dd[i] = g + p;
        g = c * r - b;
        cosines[i - 1] = c;
        sines[i - 1] = s;
        if (i == l) break;  // l may be 1: do not let the unsigned index wrap
      }
      ApplySweep(Z, ld, n, m - 1, l, cosines, sines);
      dd[l - 1] = dd[l - 1] - p;
      ee[l - 1] = g;
      ee[m - 1] = 0.0;
    }
  }
  CheckFloatFaults();
}

void SortEigenpairs(TFloatVector& d, TFloatMatrix& z, TSize n) {
  detail::RequireReadable(d, n);
  detail::RequireReadable(z, n, n);
  double* dd = d.Data();
  for (TSize i = 1; i < n; ++i) {
    TSize k = i;
    double best = dd[i - 1];
    for (TSize j = i + 1; j <= n; ++j) {
      if (dd[j - 1] >= best) {  // ties go to the later index
        k = j;
        best = dd[j - 1];
      }
    }
    if (k != i) {
      dd[k - 1] = dd[i - 1];
      dd[i - 1] = best;
      double* zi = z.Column(i);
      double* zk = z.Column(k);
      for (TSize r = 0; r < n; ++r) {
        const double t = zi[r];
        zi[r] = zk[r];
        zk[r] = t;
      }
    }
  }
  CheckFloatFaults();
}

namespace {

void RequireAxesContainers(TSize p, const TFloatVector& offDiag, const TFloatVector& eigenvalues,
                           const TFloatMatrix& eigenvectors) {
  detail::RequireWritable(offDiag, p);
  detail::RequireWritable(eigenvalues, p);
  detail::RequireWritable(eigenvectors, p, p);
}

}  // namespace

void PrincipalAxesOf(TFloatMatrix& work, TSize p, double& trace, TFloatVector& offDiag,
                     TFloatVector& eigenvalues, TFloatMatrix& eigenvectors) {
  detail::RequireReadable(work, p, p);
  RequireAxesContainers(p, offDiag, eigenvalues, eigenvectors);
  trace = MatrixTrace(work, p);  // before the reduction destroys the matrix
  Tridiagonalize(work, p, eigenvalues, offDiag);
  TridiagonalQL(eigenvalues, offDiag, p, work);
  SortEigenpairs(eigenvalues, work, p);
  SignedUnitAxes(work, p, eigenvectors);
}

void SignedUnitAxes(const TFloatMatrix& z, TSize p, TFloatMatrix& eigenvectors) {
  SignedUnitAxes(z, p, eigenvectors, p);
}

namespace {

/// x scaled: x / by, or x * by where byReciprocal (by = 1 / length).
template <typename T>
inline T Scaled(T x, double by, bool byReciprocal) {
  return byReciprocal ? x * by : x / by;
}

/// vector[i] := -(x / length) for x = source[i], where x and the quotient
/// are nonzero, else the quotient (0 stays 0, with its sign); by = length,
/// or 1 / length (finite) with byReciprocal.
void SignedQuotients(const double* source, double by, bool byReciprocal, TSize p, double* vector) {
  for (TSize i = 0; i < p; ++i) {
    double x = source[i];
    if (x != 0.0) x = Scaled(x, by, byReciprocal);
    if (x != 0.0) x = -x;
    vector[i] = x;
  }
}

/// The same in the lanes, whose operations give the same bits. A zero
/// element is scaled too, which raises no flag unless length is zero, so it
/// must not be; its quotient is then dropped.
TALVEX_WIDE_VECTORS void SignedQuotientsInLanes(const double* source, double by, bool byReciprocal,
                                                TSize p, double* vector) {
  const TLanes zero = BroadcastLanes(0.0);
  TSize i = 0;
  for (; i + LaneCount <= p; i += LaneCount) {
    const TLanes x = LoadLanes(source + i);
    const TLanes quotient = Scaled(x, by, byReciprocal);
    const TLanes kept = x != 0.0 ? quotient : x;
    StoreLanes(vector + i, kept != zero ? -kept : kept);
  }
  SignedQuotients(source + i, by, byReciprocal, p - i, vector + i);
}

/// One column divided by its length and negated; a zero column (length 0)
/// goes element by element, which leaves its zeros without a flag.
void SignedUnitColumn(const double* source, double length, TSize p, double* vector) {
  if (length == 0.0) {
    SignedQuotients(source, length, false, p, vector);
  } else {
    SignedQuotientsInLanes(source, length, false, p, vector);
  }
}

}  // namespace

void SignedUnitAxes(const TFloatMatrix& z, TSize p, TFloatMatrix& eigenvectors, TSize columns) {
  // Unit length, then every nonzero element negated: the sign convention of
  // the report. Zeros stay as they are, including a quotient that underflows.
  // Each element is read before it is written, so z may be eigenvectors.
  for (TSize j = 1; j <= columns; ++j) {
    const double* source = z.Column(j);
    double* vector = eigenvectors.Column(j);
    double sumOfSquares = 0.0;
    for (TSize i = 0; i < p; ++i) sumOfSquares += source[i] * source[i];
    SignedUnitColumn(source, std::sqrt(sumOfSquares), p, vector);
  }
  detail::MarkWritten(eigenvectors, p, columns);
  CheckFloatFaults();
}

void SignedUnitAxesSummedInLanes(TFloatMatrix& vectors, TSize p, TSize columns) {
  for (TSize j = 1; j <= columns; ++j) {
    double* vector = vectors.Column(j);
    const double length = std::sqrt(DotProduct(vector, vector, p));
    if (p > FastArithmeticAbove && length >= std::numeric_limits<double>::min()) {
      SignedQuotientsInLanes(vector, 1.0 / length, true, p, vector);
    } else {
      SignedUnitColumn(vector, length, p, vector);
    }
  }
  detail::MarkWritten(vectors, p, columns);
  CheckFloatFaults();
}

TPrincipalAxes PrincipalAxes(TSize n, TSize p, const TFloatMatrix& data, DispersionMethod method) {
  detail::RequireReadable(data, n, p);
  TPrincipalAxes axes{0.0, TFloatVector(p), TFloatMatrix(p, p)};
  TFloatMatrix work(p, p);
  TFloatVector offDiag(p);
  DispersionMatrix(data, n, p, work, method);
  PrincipalAxesOf(work, p, axes.trace, offDiag, axes.eigenvalues, axes.eigenvectors);
  return axes;
}

}  // namespace talvex
