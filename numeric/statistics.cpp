// Means, trace, dispersion matrices, standardisation, component scores and
// component-variable correlations. Every sum runs in object (or index) order.
// Means and spreads come from centred values: the column mean first, then
// sums of products of deviations from it, so a large common offset in the
// data (values near 1e7 that differ in the first decimal) costs no precision
// and can never produce a negative variance.
#include "numeric/statistics.h"

#include <cmath>

#include "numeric/container_checks.h"
#include "numeric/float_faults.h"

namespace talvex {

namespace {

/// Mean of x[0..n-1]: the sum in order divided by n, then corrected once by
/// the mean deviation from it. The correction is at the rounding level of the
/// plain mean, but it makes the mean of a constant column exactly that
/// constant, so a zero-variance variable has a variance of exactly zero.
double CentredMean(const double* x, TSize n) {
  double sum = 0.0;
  for (TSize i = 0; i < n; ++i) sum += x[i];
  const double mean = sum / n;
  double deviation = 0.0;
  for (TSize i = 0; i < n; ++i) deviation += x[i] - mean;
  return mean + deviation / n;
}

/// Sum over objects, in order, of (x - mx) * (y - my).
double CentredProductSum(const double* x, double mx, const double* y, double my, TSize n) {
  double sum = 0.0;
  for (TSize i = 0; i < n; ++i) sum += (x[i] - mx) * (y[i] - my);
  return sum;
}

/// Standard deviation (divisor n - 1) of a column with the given mean.
double CentredDeviation(const double* x, double mean, TSize n) {
  return std::sqrt(CentredProductSum(x, mean, x, mean, n) / (n - 1.0));
}

}  // namespace

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

void DispersionMatrix(const TFloatMatrix& data, TSize n, TSize p, TFloatMatrix& result,
                      DispersionMethod method) {
  detail::RequireReadable(data, n, p);
  detail::RequireWritable(result, p, p);
  TFloatVector means(p);
  double* mean = means.Data();
  for (TSize j = 1; j <= p; ++j) mean[j - 1] = CentredMean(data.Column(j), n);

  // Each product sum is formed once and stored in both triangles; the product
  // of two deviations does not depend on their order, so the matrix is
  // exactly symmetric.
  const double divisor = n - 1.0;
  for (TSize f = 1; f <= p; ++f) {
    const double* x = data.Column(f);
    double* column = result.Column(f);
    for (TSize e = f; e <= p; ++e) {
      const double value = CentredProductSum(x, mean[f - 1], data.Column(e), mean[e - 1], n) / divisor;
      column[e - 1] = value;
      result.Column(e)[f - 1] = value;
    }
  }
  detail::MarkWritten(result, p, p);

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

  // Column by column so that every inner loop runs down a column; each score
  // still sums its p products in variable order.
  for (TSize c = 1; c <= k; ++c) {
    double* score = result.Column(c);
    const double* vector = eigenvectors.Column(c);
    for (TSize i = 0; i < n; ++i) score[i] = 0.0;
    for (TSize j = 1; j <= p; ++j) {
      const double* zj = z.Column(j);
      const double v = vector[j - 1];
      for (TSize i = 0; i < n; ++i) score[i] = score[i] + zj[i] * v;
    }
  }
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
