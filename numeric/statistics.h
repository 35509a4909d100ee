// Descriptive statistics and dispersion matrices of a data matrix (objects in
// rows, variables in columns): means, trace, covariance or correlation,
// standardisation, component scores, component-variable correlations.
// Sums are formed from centred values (two passes) so that data with a large
// common offset keep their precision.
#pragma once

#include "numeric/dispersion_method.h"
#include "numeric/float_matrix.h"
#include "numeric/float_vector.h"
#include "numeric/work_checkpoint.h"

namespace talvex {

/// (v[1] + ... + v[n]) / n.
double VectorMean(const TFloatVector& v, TSize n);

/// Mean of x[0..n-1]: the sum in order divided by n, then corrected once by
/// the mean deviation from it. The correction is at the rounding level of the
/// plain mean, but it makes the mean of a constant column exactly that
/// constant, so a zero-variance variable has a variance of exactly zero, and
/// a large offset does not eat into a small spread. Every mean the analysis
/// centres on is formed this way.
double CentredMean(const double* x, TSize n);

/// m[1,1] + ... + m[n,n]; 0 for n = 0.
double MatrixTrace(const TFloatMatrix& m, TSize n);

/// means[j] := mean and sds[j] := standard deviation (divisor n - 1) of
/// column j of the n x p data, j = 1..p.
void ColumnMeansAndDeviations(const TFloatMatrix& data, TSize n, TSize p, TFloatVector& means,
                              TFloatVector& sds);

/// result (p x p, both triangles) := the sums over the n objects, in object
/// order, of the products of the deviations of columns e and f from means[e]
/// and means[f] (p means, as CentredMean gives them). Divided by n - 1 they
/// are the covariance matrix; the leave-one-out downdate starts from them.
/// The checkpoint, when given, is told the share done after each band of a
/// few columns (work_checkpoint.h).
void CentredCrossProducts(const TFloatMatrix& data, TSize n, TSize p, const TFloatVector& means,
                          TFloatMatrix& result, const TCheckpoint& checkpoint = {});

/// result (p x p, both triangles) := covariance (divisor n - 1) or correlation
/// matrix of the n x p data.
void DispersionMatrix(const TFloatMatrix& data, TSize n, TSize p, TFloatMatrix& result,
                      DispersionMethod method);

/// result (i, j) := (data (i, j) - mean of column j) / standard deviation of column j.
void StandardizeData(const TFloatMatrix& data, TSize n, TSize p, TFloatMatrix& result);

/// result (i, c), c = 1..k := score of object i on component c: the
/// standardised data times the eigenvectors under Correlation, the centred
/// data times the eigenvectors under Covariance.
void ComponentScores(TSize n, TSize p, TSize k, TFloatMatrix& result,
                     const TFloatMatrix& eigenvectors, const TFloatMatrix& data,
                     DispersionMethod method);

/// result (j, c) := eigenvectors (j, c) * sqrt(|eigenvalues[c]|), divided by
/// sd[j] under Covariance; values above 1 become 1.
void ComponentCorrelations(TSize p, TSize k, DispersionMethod method,
                           const TFloatVector& eigenvalues, const TFloatVector& sd,
                           const TFloatMatrix& eigenvectors, TFloatMatrix& result);

}  // namespace talvex
