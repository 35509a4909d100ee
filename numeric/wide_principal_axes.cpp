// The full sample's principal axes beyond the exact scheme's variable limit.
#include "numeric/wide_principal_axes.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "numeric/blas_products.h"
#include "numeric/blocked_principal_axes.h"
#include "numeric/float_faults.h"
#include "numeric/sizes.h"
#include "numeric/statistics.h"

namespace talvex {

namespace {

// Columns of the data per product through the objects: 2048 up to 1024
// objects, fewer beyond, so that a piece stays within WorkPerPiece.
constexpr TSize ColumnsPerSlice = 2048;

TSize SliceColumns(TSize n) {
  const double columns = WorkPerPiece / (double(n) * double(n));
  return TSize(std::clamp(columns, 16.0, double(ColumnsPerSlice)));
}

/// z := the data centred by column (CentredMean), and under correlations
/// each column divided by its standard deviation (divisor n - 1).
TFloatMatrix CentredColumns(const TFloatMatrix& data, TSize n, TSize p, DispersionMethod method) {
  TFloatMatrix z(n, p);
  for (TSize j = 1; j <= p; ++j) {
    const double* x = data.Column(j);
    double* y = z.Column(j);
    const double mean = CentredMean(x, n);
    for (TSize i = 0; i < n; ++i) y[i] = x[i] - mean;
    if (method == DispersionMethod::Correlation) {
      double squares = 0.0;
      for (TSize i = 0; i < n; ++i) squares += y[i] * y[i];
      const double sd = std::sqrt(squares / (double(n) - 1.0));
      for (TSize i = 0; i < n; ++i) y[i] /= sd;
    }
  }
  z.Extend(n, p);
  CheckFloatFaults();
  return z;
}

/// The rank: eigenvalues (descending) above the rounding of the largest,
/// at most `most`.
TSize RankOf(const double* values, TSize count, TSize most) {
  if (count == 0 || !(values[0] > 0.0)) return 0;
  const double floor = double(count) * std::numeric_limits<double>::epsilon() * values[0];
  TSize rank = 0;
  while (rank < std::min(count, most) && values[rank] > floor) ++rank;
  return rank;
}

void UnitColumns(TFloatMatrix& axes, TSize p, TSize columns) {
  for (TSize a = 1; a <= columns; ++a) {
    double* v = axes.Column(a);
    double squares = 0.0;
    for (TSize j = 0; j < p; ++j) squares += v[j] * v[j];
    const double length = std::sqrt(squares);
    for (TSize j = 0; j < p; ++j) v[j] /= length;
  }
}

TLeadingAxes ThroughDispersion(const TFloatMatrix& data, TSize n, TSize p, DispersionMethod method,
                               TSize axisCount, const TCheckpoint& checkpoint) {
  TLeadingAxes result;
  result.route = TAxesRoute::Dispersion;
  const double products = double(n) * double(p) * double(p);
  const double decomposition = BlockedAxesCost(p, axisCount).Total();
  TStagedWork stages(checkpoint, products + decomposition);
  {
    // The cross-products of the centred data (under correlations already
    // standardised, so only rounding keeps the diagonal from 1).
    const TFloatMatrix z = CentredColumns(data, n, p, DispersionMethod::Covariance);
    stages.Done(0.0);
    TFloatMatrix work(p, p);
    GramUpperInPieces(n, p, z.Column(1), z.MaxRows(), work.Column(1), work.MaxRows(),
                      stages.Stage(products), WorkPerPiece);
    CheckFloatFaults();
    stages.Done(products);
    const double divisor = double(n) - 1.0;
    std::vector<double> scale(p, 1.0 / divisor);
    if (method == DispersionMethod::Correlation)
      for (TSize j = 0; j < p; ++j) scale[j] = 1.0 / std::sqrt(work.Column(j + 1)[j]);
    for (TSize c = 1; c <= p; ++c) {
      double* column = work.Column(c);
      for (TSize r = c; r <= p; ++r) {
        const double product = work.Column(r)[c - 1];  // upper (c, r)
        column[r - 1] = method == DispersionMethod::Correlation
                            ? product * scale[r - 1] * scale[c - 1]
                            : product * scale[0];
      }
    }
    work.Extend(p, p);
    CheckFloatFaults();
    TFloatVector offDiag(p);
    result.eigenvalues = TFloatVector(p);
    TFloatMatrix vectors(p, p);
    BlockedPrincipalAxesOf(work, p, result.trace, offDiag, result.eigenvalues, vectors, axisCount,
                           stages.Stage(decomposition));
    CheckFloatFaults();
    stages.Done(decomposition);
    result.eigenvectors = TFloatMatrix(p, axisCount);
    for (TSize a = 1; a <= axisCount; ++a)
      std::copy_n(vectors.Column(a), p, result.eigenvectors.Column(a));
    result.eigenvectors.Extend(p, axisCount);
  }
  result.rank = p;
  TurnByLargestCoefficient(result.eigenvectors, p, axisCount);
  return result;
}

TLeadingAxes ThroughObjects(const TFloatMatrix& data, TSize n, TSize p, DispersionMethod method,
                            TSize axisCount, const TCheckpoint& checkpoint) {
  TLeadingAxes result;
  result.route = TAxesRoute::ThroughObjects;
  // The centring leaves one zero eigenvalue among the n: at most n - 1 axes.
  const TSize wanted = std::clamp<TSize>(axisCount, 1, n);
  const double gram = double(n) * double(n) * double(p);
  const double decomposition = BlockedAxesCost(n, wanted).Total();
  const double recovery = 2.0 * double(n) * double(p) * double(axisCount);
  TStagedWork stages(checkpoint, gram + decomposition + recovery);
  const TFloatMatrix z = CentredColumns(data, n, p, method);
  stages.Done(0.0);
  const std::size_t ldz = z.MaxRows();
  TFloatMatrix products(n, n);
  const double alpha = 1.0 / (double(n) - 1.0);
  const TSize slice = SliceColumns(n);
  const TCheckpoint slices = stages.Stage(gram);
  for (TSize first = 0; first < p; first += slice) {
    const TSize columns = std::min(slice, p - first);
    AddScaledOuterGramLower(n, columns, alpha, z.Column(first + 1), ldz, first == 0 ? 0.0 : 1.0,
                            products.Column(1), products.MaxRows());
    CheckFloatFaults();
    if (slices) slices(double(first + columns) / double(p));
  }
  products.Extend(n, n);
  stages.Done(gram);

  TFloatVector offDiag(n), mu(n);
  TFloatMatrix u(n, n);
  BlockedPrincipalAxesOf(products, n, result.trace, offDiag, mu, u, wanted,
                         stages.Stage(decomposition));
  CheckFloatFaults();
  stages.Done(decomposition);
  result.rank = RankOf(mu.Data(), n, std::min(n - 1, p));
  result.eigenvalues = TFloatVector(p);
  double* values = result.eigenvalues.Data();
  std::copy_n(mu.Data(), result.rank, values);
  std::fill(values + result.rank, values + p, 0.0);
  result.eigenvalues.Extend(p);

  // Each axis is Z^T u up to its length; past the rank, zero.
  result.eigenvectors = TFloatMatrix(p, axisCount);
  const TSize shown = std::min(axisCount, result.rank);
  if (shown > 0)
    MultiplyTransposed(p, shown, n, z.Column(1), ldz, u.Column(1), u.MaxRows(),
                       result.eigenvectors.Column(1), result.eigenvectors.MaxRows());
  for (TSize a = shown + 1; a <= axisCount; ++a) std::fill_n(result.eigenvectors.Column(a), p, 0.0);
  result.eigenvectors.Extend(p, axisCount);
  UnitColumns(result.eigenvectors, p, shown);
  TurnByLargestCoefficient(result.eigenvectors, p, shown);
  CheckFloatFaults();
  stages.Done(recovery);
  return result;
}

}  // namespace

void TurnByLargestCoefficient(TFloatMatrix& axes, TSize p, TSize columns) {
  for (TSize a = 1; a <= columns; ++a) {
    double* v = axes.Column(a);
    TSize largest = 0;
    for (TSize j = 1; j < p; ++j)
      if (std::fabs(v[j]) > std::fabs(v[largest])) largest = j;
    if (v[largest] < 0.0)
      for (TSize j = 0; j < p; ++j) v[j] = v[j] == 0.0 ? 0.0 : -v[j];  // never -0
  }
}

TLeadingAxes LeadingPrincipalAxes(const TFloatMatrix& data, TSize n, TSize p,
                                  DispersionMethod method, TSize axisCount,
                                  const TCheckpoint& checkpoint) {
  return LeadingPrincipalAxes(
      data, n, p, method, axisCount,
      WideThroughObjects(n, p) ? TAxesRoute::ThroughObjects : TAxesRoute::Dispersion, checkpoint);
}

TLeadingAxes LeadingPrincipalAxes(const TFloatMatrix& data, TSize n, TSize p,
                                  DispersionMethod method, TSize axisCount, TAxesRoute route,
                                  const TCheckpoint& checkpoint) {
  if (n > 0 && p > 0) data.GetValue(n, p);  // bounds, once
  axisCount = std::clamp<TSize>(axisCount, 1, p);
  return route == TAxesRoute::ThroughObjects
             ? ThroughObjects(data, n, p, method, axisCount, checkpoint)
             : ThroughDispersion(data, n, p, method, axisCount, checkpoint);
}

}  // namespace talvex
