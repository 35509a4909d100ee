// Means, trace, dispersion matrices, standardisation, component scores and
// component-variable correlations. Every sum runs in object (or index) order.
// Means and spreads come from centred values: the column mean first, then
// sums of products of deviations from it, so a large common offset in the
// data (values near 1e7 that differ in the first decimal) costs no precision
// and can never produce a negative variance.
#include "numeric/statistics.h"

#include <algorithm>
#include <cmath>

#include "numeric/container_checks.h"
#include "numeric/float_faults.h"
#include "numeric/wide_vectors.h"

namespace talvex {

namespace {

/// Sum over objects, in order, of (x - mx) * (y - my).
double CentredProductSum(const double* x, double mx, const double* y, double my, TSize n) {
  double sum = 0.0;
  for (TSize i = 0; i < n; ++i) sum += (x[i] - mx) * (y[i] - my);
  return sum;
}

/// Result columns that share one pass over the objects (8 columns of 300
/// doubles fit in the first-level cache).
constexpr TSize DispersionBand = 8;

/// sums[e] += df * d[e], e = 0..count-1: one object's products with the
/// deviation df of one variable.
TALVEX_WIDE_VECTORS void AddProducts(double* __restrict sums, const double* __restrict d, double df,
                                     TSize count) {
  for (TSize e = 0; e < count; ++e) sums[e] = sums[e] + df * d[e];
}

/// The same for four consecutive objects a, b, c, d, added in that order:
/// each sum is loaded and stored once for four objects.
TALVEX_WIDE_VECTORS void AddProductsOfFour(double* __restrict sums, const double* __restrict a,
                                           double fa, const double* __restrict b, double fb,
                                           const double* __restrict c, double fc,
                                           const double* __restrict d, double fd, TSize count) {
  for (TSize e = 0; e < count; ++e)
    sums[e] = sums[e] + fa * a[e] + fb * b[e] + fc * c[e] + fd * d[e];
}

/// Scores i..i+7 of four columns, z pointing at row i of the data's first
/// column and v at the four columns' vectors: each score sums its p terms in
/// variable order, in lanes held in registers for the whole sum.
TALVEX_WIDE_VECTORS void ScoresOfEightByFour(const double* __restrict z, std::size_t ldz,
                                             const double* __restrict v, std::size_t ldv, TSize p,
                                             double* __restrict s, std::size_t lds) {
  TLanes a0 = BroadcastLanes(0.0), a1 = a0, b0 = a0, b1 = a0, c0 = a0, c1 = a0, d0 = a0, d1 = a0;
  for (TSize j = 0; j < p; ++j) {
    const TLanes z0 = LoadLanes(z + j * ldz), z1 = LoadLanes(z + j * ldz + LaneCount);
    const TLanes va = BroadcastLanes(v[j]), vb = BroadcastLanes(v[ldv + j]);
    const TLanes vc = BroadcastLanes(v[2 * ldv + j]), vd = BroadcastLanes(v[3 * ldv + j]);
    a0 = a0 + z0 * va;
    a1 = a1 + z1 * va;
    b0 = b0 + z0 * vb;
    b1 = b1 + z1 * vb;
    c0 = c0 + z0 * vc;
    c1 = c1 + z1 * vc;
    d0 = d0 + z0 * vd;
    d1 = d1 + z1 * vd;
  }
  StoreLanes(s, a0);
  StoreLanes(s + LaneCount, a1);
  StoreLanes(s + lds, b0);
  StoreLanes(s + lds + LaneCount, b1);
  StoreLanes(s + 2 * lds, c0);
  StoreLanes(s + 2 * lds + LaneCount, c1);
  StoreLanes(s + 3 * lds, d0);
  StoreLanes(s + 3 * lds + LaneCount, d1);
}

/// Scores first..n-1 of one column, v its vector: down the columns of z, so
/// that the inner loop runs in lanes while each score sums in variable order.
void ScoresOfRows(const TFloatMatrix& z, TSize first, TSize n, TSize p, const double* v,
                  double* score) {
  for (TSize i = first; i < n; ++i) score[i] = 0.0;
  for (TSize j = 1; j <= p; ++j) {
    const double* zj = z.Column(j);
    for (TSize i = first; i < n; ++i) score[i] = score[i] + zj[i] * v[j - 1];
  }
}

/// Standard deviation (divisor n - 1) of a column with the given mean.
double CentredDeviation(const double* x, double mean, TSize n) {
  return std::sqrt(CentredProductSum(x, mean, x, mean, n) / (n - 1.0));
}

}  // namespace

double CentredMean(const double* x, TSize n) {
  double sum = 0.0;
  for (TSize i = 0; i < n; ++i) sum += x[i];
  const double mean = sum / n;
  double deviation = 0.0;
  for (TSize i = 0; i < n; ++i) deviation += x[i] - mean;
  return mean + deviation / n;
}

double VectorMean(const TFloatVector& v, TSize n) {
  detail::RequireReadable(v, n);
  const double* x = v.Data();
  double sum = 0.0;
  for (TSize i = 0; i < n; ++i) sum += x[i];
  return CheckedResult(sum / n);
}

double MatrixTrace(const TFloatMatrix& m, TSize n) {
  detail::RequireReadable(m, n, n);
  double sum = 0.0;
  for (TSize i = 1; i <= n; ++i) sum += m.Column(i)[i - 1];
  return CheckedResult(sum);
}

void ColumnMeansAndDeviations(const TFloatMatrix& data, TSize n, TSize p, TFloatVector& means,
                              TFloatVector& sds) {
  detail::RequireReadable(data, n, p);
  detail::RequireWritable(means, p);
  detail::RequireWritable(sds, p);
  double* mean = means.Data();
  double* sd = sds.Data();
  for (TSize j = 1; j <= p; ++j) {
    const double* x = data.Column(j);
    mean[j - 1] = CentredMean(x, n);
    sd[j - 1] = CentredDeviation(x, mean[j - 1], n);
  }
  means.Extend(p);
  sds.Extend(p);
  CheckFloatFaults();
}

void CentredCrossProducts(const TFloatMatrix& data, TSize n, TSize p, const TFloatVector& means,
                          TFloatMatrix& result, const TCheckpoint& checkpoint) {
  detail::RequireReadable(data, n, p);
  detail::RequireReadable(means, p);
  detail::RequireWritable(result, p, p);
  const double* mean = means.Data();

  // Object i's deviations, held contiguously (column i of a p x n block), so
  // that the sums of products grow by one object at a time in object order
  // while the inner loops run down columns of the result.
  TFloatMatrix deviations(p, n);
  for (TSize j = 1; j <= p; ++j) {
    const double* x = data.Column(j);
    for (TSize i = 1; i <= n; ++i) deviations.Column(i)[j - 1] = x[i - 1] - mean[j - 1];
  }
  for (TSize f = 1; f <= p; ++f) {
    double* column = result.Column(f);
    for (TSize e = f; e <= p; ++e) column[e - 1] = 0.0;
  }
  // A band of result columns stays in cache while every object passes by.
  for (TSize f0 = 1; f0 <= p; f0 += DispersionBand) {
    const TSize f1 = std::min<TSize>(p, f0 + DispersionBand - 1);
    TSize i = 1;
    for (; i + 3 <= n; i += 4) {
      const double* a = deviations.Column(i);
      const double* b = deviations.Column(i + 1);
      const double* c = deviations.Column(i + 2);
      const double* d = deviations.Column(i + 3);
      for (TSize f = f0; f <= f1; ++f) {
        const TSize k = f - 1;
        AddProductsOfFour(result.Column(f) + k, a + k, a[k], b + k, b[k], c + k, c[k], d + k, d[k],
                          p - k);
      }
    }
    for (; i <= n; ++i) {
      const double* d = deviations.Column(i);
      for (TSize f = f0; f <= f1; ++f)
        AddProducts(result.Column(f) + (f - 1), d + (f - 1), d[f - 1], p - f + 1);
    }
    if (checkpoint) {
      // The share of the lower triangle's columns done.
      const double left = double(p - f1) / double(p);
      checkpoint(1.0 - left * left);
    }
  }
  // Each sum was formed once, in the lower triangle; the product of two
  // deviations does not depend on their order, so the mirror is exact.
  for (TSize f = 1; f <= p; ++f) {
    const double* column = result.Column(f);
    for (TSize e = f + 1; e <= p; ++e) result.Column(e)[f - 1] = column[e - 1];
  }
  detail::MarkWritten(result, p, p);
}

void DispersionMatrix(const TFloatMatrix& data, TSize n, TSize p, TFloatMatrix& result,
                      DispersionMethod method) {
  detail::RequireReadable(data, n, p);
  detail::RequireWritable(result, p, p);
  TFloatVector means(p);
  double* mean = means.Data();
  for (TSize j = 1; j <= p; ++j) mean[j - 1] = CentredMean(data.Column(j), n);
  means.Extend(p);

  CentredCrossProducts(data, n, p, means, result);
  const double divisor = n - 1.0;
  for (TSize f = 1; f <= p; ++f) {
    double* column = result.Column(f);
    for (TSize e = f; e <= p; ++e) {
      column[e - 1] = column[e - 1] / divisor;
      result.Column(e)[f - 1] = column[e - 1];
    }
  }

  if (method == DispersionMethod::Correlation) {
    TFloatVector deviations(p);
    double* s = deviations.Data();
    for (TSize j = 1; j <= p; ++j) s[j - 1] = std::sqrt(result.Column(j)[j - 1]);
    for (TSize e = 1; e <= p; ++e) {
      double* column = result.Column(e);
      for (TSize f = 1; f <= p; ++f) column[f - 1] = column[f - 1] / (s[f - 1] * s[e - 1]);
    }
  }
  CheckFloatFaults();
}

void StandardizeData(const TFloatMatrix& data, TSize n, TSize p, TFloatMatrix& result) {
  detail::RequireReadable(data, n, p);
  detail::RequireWritable(result, n, p);
  for (TSize j = 1; j <= p; ++j) {
    const double* x = data.Column(j);
    const double mean = CentredMean(x, n);
    const double sd = CentredDeviation(x, mean, n);
    double* z = result.Column(j);
    for (TSize i = 0; i < n; ++i) z[i] = (x[i] - mean) / sd;
  }
  detail::MarkWritten(result, n, p);
  CheckFloatFaults();
}

void ComponentScores(TSize n, TSize p, TSize k, TFloatMatrix& result,
                     const TFloatMatrix& eigenvectors, const TFloatMatrix& data,
                     DispersionMethod method) {
  detail::RequireWritable(result, n, k);
  detail::RequireReadable(eigenvectors, p, k);
  detail::RequireReadable(data, n, p);

  // The scores of an analysis are its own data times its eigenvectors:
  // standardised under the correlation method, centred under covariance.
  TFloatMatrix z(n, p);
  if (method == DispersionMethod::Correlation) {
    StandardizeData(data, n, p, z);
  } else {
    for (TSize j = 1; j <= p; ++j) {
      const double* x = data.Column(j);
      const double mean = CentredMean(x, n);
      double* centred = z.Column(j);
      for (TSize i = 0; i < n; ++i) centred[i] = x[i] - mean;
    }
  }

  // Eight scores of four columns at a time, each summed in registers; the
  // rows and columns left over column by column. Each score sums its p
  // products in variable order either way.
  const std::size_t ldz = z.MaxRows(), ldv = eigenvectors.MaxRows(), lds = result.MaxRows();
  TSize c = 1;
  for (; c + 3 <= k; c += 4) {
    TSize i = 0;
    for (; i + 8 <= n; i += 8)
      ScoresOfEightByFour(z.Column(1) + i, ldz, eigenvectors.Column(c), ldv, p,
                          result.Column(c) + i, lds);
    for (TSize col = c; col < c + 4; ++col)
      ScoresOfRows(z, i, n, p, eigenvectors.Column(col), result.Column(col));
  }
  for (; c <= k; ++c) ScoresOfRows(z, 0, n, p, eigenvectors.Column(c), result.Column(c));
  detail::MarkWritten(result, n, k);
  CheckFloatFaults();
}

void ComponentCorrelations(TSize p, TSize k, DispersionMethod method,
                           const TFloatVector& eigenvalues, const TFloatVector& sd,
                           const TFloatMatrix& eigenvectors, TFloatMatrix& result) {
  detail::RequireReadable(eigenvalues, k);
  if (method == DispersionMethod::Covariance) detail::RequireReadable(sd, p);
  detail::RequireReadable(eigenvectors, p, k);
  detail::RequireWritable(result, p, k);
  const double* lambda = eigenvalues.Data();
  for (TSize c = 1; c <= k; ++c) {
    // The absolute value guards against eigenvalues that rounding left
    // slightly below zero.
    const double root = std::sqrt(std::fabs(lambda[c - 1]));
    const double* vector = eigenvectors.Column(c);
    double* out = result.Column(c);
    for (TSize j = 1; j <= p; ++j) {
      double r = vector[j - 1] * root;
      if (r == 0.0) r = 0.0;  // a zero loading is +0, never -0
      if (method == DispersionMethod::Covariance) r = r / sd.Data()[j - 1];
      if (r > 1.0) r = 1.0;  // only the upper side is capped
      out[j - 1] = r;
    }
  }
  detail::MarkWritten(result, p, k);
  CheckFloatFaults();
}

}  // namespace talvex
