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

#include <cmath>

#include "numeric/container_checks.h"
#include "numeric/float_faults.h"
#include "numeric/statistics.h"

namespace talvex {

namespace {

/// QL sweeps allowed for the whole matrix: 30 per eigenvalue on average.
/// With implicit shifts an eigenvalue converges cubically and needs one to
/// three sweeps on finite input; the bound only stops input whose split test
/// can never succeed (a NaN that reached the matrix).
constexpr unsigned long SweepsPerEigenvalue = 30;

/// One-based element (r, c) of a column-major block with leading dimension ld.
inline double& At(double* block, std::size_t ld, TSize r, TSize c) {
  return block[std::size_t(r - 1) + std::size_t(c - 1) * ld];
}

}  // namespace

double TransferSign(double a, double b) { return b >= 0.0 ? std::fabs(a) : -std::fabs(a); }

void Tridiagonalize(TFloatMatrix& a, TSize n, TFloatVector& d, TFloatVector& e) {
  detail::RequireReadable(a, n, n);
  detail::RequireWritable(d, n);
  detail::RequireWritable(e, n);
  TFloatVector scratch(n);  // a contiguous copy of the Householder vector in row i
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
        for (TSize c = 1; c <= l; ++c) {
          const double* column = A + std::size_t(c - 1) * ld;
          const double uc = u[c - 1];
          double gc = ee[c - 1] + column[c - 1] * uc;
          for (TSize r = c + 1; r <= l; ++r) {
            ee[r - 1] += column[r - 1] * uc;
            gc += column[r - 1] * u[r - 1];
          }
          ee[c - 1] = gc;
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
          for (TSize j = k; j <= l; ++j) column[j - 1] = column[j - 1] - u[j - 1] * ek - ee[j - 1] * uk;
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
      for (TSize j = 1; j <= l; ++j) {
        double* column = A + std::size_t(j - 1) * ld;
        double g = 0.0;
        for (TSize k = 1; k <= l; ++k) g += u[k - 1] * column[k - 1];
        for (TSize k = 1; k <= l; ++k) column[k - 1] = column[k - 1] - g * columnI[k - 1];
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
        double* __restrict zi = Z + std::size_t(i - 1) * ld;
        double* __restrict zi1 = Z + std::size_t(i) * ld;
        for (TSize k = 0; k < n; ++k) {
          f = zi1[k];
          zi1[k] = s * zi[k] + c * f;
          zi[k] = c * zi[k] - s * f;
        }
        if (i == l) break;  // l may be 1: do not let the unsigned index wrap
      }
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

  // Unit length, then every nonzero element negated: the sign convention of
  // the report. Zeros stay as they are, including a quotient that underflows.
  for (TSize j = 1; j <= p; ++j) {
    const double* source = work.Column(j);
    double* vector = eigenvectors.Column(j);
    double sumOfSquares = 0.0;
    for (TSize i = 0; i < p; ++i) sumOfSquares += source[i] * source[i];
    const double length = std::sqrt(sumOfSquares);
    for (TSize i = 0; i < p; ++i) {
      double x = source[i];
      if (x != 0.0) x = x / length;
      if (x != 0.0) x = -x;
      vector[i] = x;
    }
  }
  detail::MarkWritten(eigenvectors, p, p);
  CheckFloatFaults();
}

void PrincipalAxes(TSize n, TSize p, const TFloatMatrix& data, DispersionMethod method,
                   TFloatMatrix& work, double& trace, TFloatVector& offDiag,
                   TFloatVector& eigenvalues, TFloatMatrix& eigenvectors) {
  detail::RequireReadable(data, n, p);
  detail::RequireWritable(work, p, p);
  RequireAxesContainers(p, offDiag, eigenvalues, eigenvectors);
  DispersionMatrix(data, n, p, work, method);
  PrincipalAxesOf(work, p, trace, offDiag, eigenvalues, eigenvectors);
}

}  // namespace talvex
