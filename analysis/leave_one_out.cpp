// Leave-one-out dispersion matrices by downdating the full-sample centred sums.
#include "analysis/leave_one_out.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "numeric/blas_products.h"
#include "numeric/blocked_principal_axes.h"
#include "numeric/float_faults.h"
#include "numeric/jacobi_eigenpairs.h"
#include "numeric/lane_dot.h"
#include "numeric/principal_axes.h"
#include "numeric/statistics.h"
#include "numeric/wide_vectors.h"

namespace talvex {

namespace {

// A downdated variance below this fraction of the full-sample one has lost
// most of its digits to cancellation; such a reduced sample is recomputed
// from its rows. 2^-20 keeps the relative error of every element below about
// 1e-10, far under the printed digits.
constexpr double CancellationLimit = 0x1p-20;

// Under covariances an eigenvalue below this fraction of the largest (within
// the rank) is resolved by a decomposition through tridiagonal form, or by
// the rank-one downdate of the full sample's, only to some p eps times the
// largest, about 1e-8 of itself or worse here: p 2.2e-8 keeps the jackknife
// of the smallest eigenvalue (its estimate, SE and P) far from the digits
// the listing prints; below it Jacobi rotations find every eigenvalue to
// relative accuracy.
constexpr double ResolvedFraction = 1e8 * std::numeric_limits<double>::epsilon();

// The objects' products pay where the objects are clearly fewer than the
// variables: forming and decomposing them costs about (n^2 + 10/3 n^3) and
// the axes 2 n p k, against 10/3 p^3 for the p x p matrix; the two are about
// even at n = 3p/4. Beyond ExactSchemeVariables the wide path (see the
// header) takes the objects' products instead wherever WideThroughObjects.
bool ObjectsAreFewer(TSize n, TSize p) {
  return (n >= 4 && 4 * (std::size_t(n) - 1) <= 3 * std::size_t(p)) || WideThroughObjects(n, p);
}

/// out[b] := (s[b] - d[c] d[b] - u[c] u[b]) / divisor for rows b = c..p-1
/// of column c: in the lanes, whose divisions give the same bits.
TALVEX_WIDE_VECTORS void DowndateColumn(const double* __restrict s, const double* __restrict d,
                                        const double* __restrict u, TSize c, TSize p,
                                        double divisor, double* __restrict out) {
  const double dc = d[c];
  const double uc = u[c];
  for (TSize b = c; b < p; ++b) out[b] = (s[b] - dc * d[b] - uc * u[b]) / divisor;
}

/// DowndateColumn, each element then divided by sd[b] sd[c]: the same
/// operations in one pass over the column.
TALVEX_WIDE_VECTORS void DowndateAndScaleColumn(const double* __restrict s,
                                                const double* __restrict d,
                                                const double* __restrict u,
                                                const double* __restrict sd, TSize c, TSize p,
                                                double divisor, double* __restrict out) {
  const double dc = d[c];
  const double uc = u[c];
  const double sdc = sd[c];
  for (TSize b = c; b < p; ++b) out[b] = ((s[b] - dc * d[b] - uc * u[b]) / divisor) / (sd[b] * sdc);
}

/// The same with the divisions as products with reciprocals (see
/// FastArithmeticAbove): inverse[b] = 1 / sd[b], and columnScale =
/// inverse[c] / divisor.
TALVEX_WIDE_VECTORS void DowndateAndScaleColumnByReciprocals(const double* __restrict s,
                                                             const double* __restrict d,
                                                             const double* __restrict u,
                                                             const double* __restrict inverse,
                                                             TSize c, TSize p, double columnScale,
                                                             double* __restrict out) {
  const double dc = d[c];
  const double uc = u[c];
  for (TSize b = c; b < p; ++b)
    out[b] = ((s[b] - dc * d[b] - uc * u[b]) * columnScale) * inverse[b];
}

}  // namespace

TLeaveOneOut::TWorkspace::TWorkspace(TSize n, TSize p, TSize axisCount)
    // Where the objects' products are decomposed the p x p matrix is needed
    // only by a reduced sample that must be recomputed from its rows, and on
    // the wide path never.
    : work(ObjectsAreFewer(n, p) ? 0 : p, ObjectsAreFewer(n, p) ? 0 : p),
      offDiag(p),
      centred(p),
      rest(p),
      rows(n > 0 && !WideThroughObjects(n, p) ? n - 1 : 0, p),
      values(p),
      vectors(p, WideThroughObjects(n, p) && axisCount > 0 ? std::min(axisCount, p) : p),
      objects(0, 0),
      products(0, 0),
      productValues(0),
      productVectors(0, 0),
      inAxes(p),
      allProducts(0, 0),
      weights(0, 0),
      meanShift(0),
      alongShift(0) {}

std::size_t TLeaveOneOut::WorkspaceSize(TSize n, TSize p, TSize k) {
  const std::size_t np = std::size_t(n) * p, pp = std::size_t(p) * p;
  if (WideThroughObjects(n, p)) return np + std::size_t(p) * k + 4 * std::size_t(n) * n + 6 * p;
  return 2 * pp + 4 * std::size_t(p);
}

TLeaveOneOut::TLeaveOneOut(const TFloatMatrix& data, TSize n, TSize p, DispersionMethod method)
    : data_(data),
      n_(n),
      p_(p),
      method_(method),
      throughObjects_(ObjectsAreFewer(n, p)),
      means_(p),
      residuals_(p),
      crossProducts_(WideThroughObjects(n, p) ? 0 : p, WideThroughObjects(n, p) ? 0 : p),
      wide_(WideThroughObjects(n, p)),
      centred_(0, 0),
      squares_(0),
      products_(0, 0),
      residualImage_(0) {
  // Bounds are checked once here; the loops below use the column blocks.
  if (n > 0 && p > 0) data.GetValue(n, p);
  double* means = means_.Data();
  // The same centred means as the full sample. Even these are rounded, by up
  // to half a unit of the last place of a large offset, which can be a real
  // part of a small spread: the residual sums of the deviations are kept so
  // that the downdate below is exact for the rounded mean too.
  double* residuals = residuals_.Data();
  for (TSize j = 1; j <= p; ++j) {
    const double* column = data.Column(j);
    means[j - 1] = CentredMean(column, n);
    double sum = 0.0;
    for (TSize i = 0; i < n; ++i) sum += column[i] - means[j - 1];
    residuals[j - 1] = sum;
  }
  means_.Extend(p);
  if (wide_) {
    centred_ = TFloatMatrix(n, p);
    squares_ = TFloatVector(p);
    for (TSize j = 1; j <= p; ++j) {
      const double* x = data.Column(j);
      double* c = centred_.Column(j);
      double squares = 0.0;
      for (TSize i = 0; i < n; ++i) {
        c[i] = x[i] - means[j - 1];
        squares += c[i] * c[i];
      }
      squares_.Data()[j - 1] = squares;
    }
    centred_.Extend(n, p);
    squares_.Extend(p);
    if (method == DispersionMethod::Covariance) {
      products_ = TFloatMatrix(n, n);
      ScaledOuterGramLower(n, p, 1.0, centred_.Column(1), centred_.MaxRows(), products_.Column(1),
                           products_.MaxRows());
      products_.Extend(n, n);
      residualImage_ = TFloatVector(n);
      Multiply(n, 1, p, centred_.Column(1), centred_.MaxRows(), residuals_.Data(), p,
               residualImage_.Data(), n);
      residualImage_.Extend(n);
    }
    CheckFloatFaults();
    return;
  }
  // The same sums, in the same order, as the full sample's dispersion matrix.
  CentredCrossProducts(data, n, p, means_, crossProducts_);
  CheckFloatFaults();
}

bool TLeaveOneOut::DispersionToDecompose(TSize i, TWorkspace& ws, TSize axisCount,
                                         TSize& determined) const {
  if (wide_) {
    determined = DecomposeWide(i, ws, axisCount);
    return false;
  }
  const bool downdate = Deviations(i, ws);
  if (downdate && throughObjects_) {
    determined = DecomposeThroughObjects(i, ws, axisCount);
    return false;
  }
  if (ws.work.MaxRows() < p_) ws.work = TFloatMatrix(p_, p_);
  determined = Rank();
  if (wideRange_) {
    if (downdate) {
      DowndatedDispersion(ws);
    } else {
      RecomputedDispersion(i, ws);
    }
    if (JacobiEigenpairs(ws.work, p_, ws.values, ws.vectors)) {
      SignedUnitAxesSummedInLanes(ws.vectors, p_, p_);
      ZeroPastRank(ws);
      determined = Determined(ws);
      return false;
    }
    // Not settled (never seen): the matrix is formed again for the usual
    // decomposition.
    if (downdate) {
      DowndatedDispersion(ws);
    } else {
      RecomputedDispersion(i, ws);
    }
    return true;
  }
  if (downdate && fullAxes_ != nullptr && DecomposeByDowndate(ws, axisCount)) {
    ZeroPastRank(ws);
    determined = Determined(ws);
    return false;
  }
  if (downdate) {
    DowndatedDispersion(ws);
  } else {
    RecomputedDispersion(i, ws);
  }
  return true;
}

TSize TLeaveOneOut::Rank() const { return n_ > 2 ? std::min(p_, n_ - 2) : p_; }

TSize TLeaveOneOut::Determined(const TWorkspace& ws) const {
  const TSize rank = Rank();
  // One variable more than the rank: the null space is a single direction,
  // and the last axis is the unit vector along it, as determined as the
  // others, unless the sample's rank is lower still (objects that repeat
  // one another), which leaves a plane or more to choose from.
  if (rank + 1 != p_ || rank == 0) return rank;
  const double* values = ws.values.Data();
  const double floor = double(p_) * std::numeric_limits<double>::epsilon() * values[0];
  return values[rank - 1] > floor ? p_ : rank;
}

void TLeaveOneOut::ZeroPastRank(TWorkspace& ws) const {
  // Past the rank the eigenvalues are rounding noise about zero: they are
  // zero.
  std::fill(ws.values.Data() + Rank(), ws.values.Data() + p_, 0.0);
}

TSize TLeaveOneOut::Decompose(TSize i, TWorkspace& ws, TSize axisCount) const {
  TSize determined = 0;
  if (DispersionToDecompose(i, ws, axisCount, determined)) {
    BlockedPrincipalAxesOf(ws.work, p_, ws.trace, ws.offDiag, ws.values, ws.vectors, axisCount);
    ZeroPastRank(ws);
    determined = Determined(ws);
  }
  return determined;
}

std::pair<TSize, TSize> TLeaveOneOut::DecomposeTwo(TSize i, TWorkspace& wsI, TSize j,
                                                   TWorkspace& wsJ, TSize axisCount) const {
  TSize determinedI = 0, determinedJ = 0;
  const bool formedI = DispersionToDecompose(i, wsI, axisCount, determinedI);
  const bool formedJ = DispersionToDecompose(j, wsJ, axisCount, determinedJ);
  auto task = [&](TWorkspace& ws) {
    return TBlockedAxesTask{&ws.work,   p_,          &ws.trace, &ws.offDiag,
                            &ws.values, &ws.vectors, axisCount};
  };
  if (formedI && formedJ) {
    BlockedPrincipalAxesOfTwo(task(wsI), task(wsJ));
  } else if (formedI || formedJ) {
    TWorkspace& ws = formedI ? wsI : wsJ;
    BlockedPrincipalAxesOf(ws.work, p_, ws.trace, ws.offDiag, ws.values, ws.vectors, axisCount);
  }
  if (formedI) {
    ZeroPastRank(wsI);
    determinedI = Determined(wsI);
  }
  if (formedJ) {
    ZeroPastRank(wsJ);
    determinedJ = Determined(wsJ);
  }
  return {determinedI, determinedJ};
}

void TLeaveOneOut::UseFullSampleAxes(const TFloatVector& values, const TFloatMatrix& axes) {
  // Eigenvalues too far apart for the usual decompositions (see
  // ResolvedFraction), within the rank, past which they are zero anyway;
  // and variables whose variances span that range too. Jacobi rotations
  // resolve a small eigenvalue that the variables' different scales make
  // small; one that comes of nearly dependent variables of like scales
  // (nearly as many variables as objects, say) they resolve no better, at
  // ten times the cost or more.
  if (wide_) return;  // nothing of the full sample's axes is needed
  const TSize rank = Rank();
  if (method_ == DispersionMethod::Covariance && !throughObjects_ && rank > 0 &&
      values.Capacity() >= p_) {
    const double largest = values.Data()[0];
    const double smallest = values.Data()[rank - 1];
    double least = crossProducts_.Column(1)[0], most = least;
    for (TSize j = 1; j <= p_; ++j) {
      least = std::min(least, crossProducts_.Column(j)[j - 1]);
      most = std::max(most, crossProducts_.Column(j)[j - 1]);
    }
    const double limit = double(p_) * ResolvedFraction;
    wideRange_ = largest > 0.0 && smallest < limit * largest && least < limit * most;
  }
  // The correlation method rescales each reduced matrix, which no rank-one
  // form follows.
  if (method_ != DispersionMethod::Covariance || throughObjects_ || p_ == 0 || n_ < 3 ||
      axes.MaxRows() < p_ || axes.MaxCols() < p_ || values.Capacity() < p_)
    return;
  fullValues_ = &values;
  fullAxes_ = &axes;
  // The rank-one form drops -(d e^T + e d^T) / sqrt(n - 1) + e e^T, e the
  // residual sums over sqrt(n - 1): it is used only where that stays below
  // the rounding of the cross-products themselves, eps (n - 1) L_1.
  double residual = 0.0;
  for (TSize j = 0; j < p_; ++j) residual += residuals_.Data()[j] * residuals_.Data()[j];
  residualNorm_ = std::sqrt(residual / (double(n_) - 1.0));
  residualLimit_ =
      std::numeric_limits<double>::epsilon() * (double(n_) - 1.0) * std::fabs(values.Data()[0]);
}

bool TLeaveOneOut::DecomposeByDowndate(TWorkspace& ws, TSize axisCount) const {
  const TSize p = p_;
  const double* d = ws.centred.Data();
  double squares = 0.0;
  for (TSize j = 0; j < p; ++j) squares += d[j] * d[j];
  const double dropped = 2.0 * std::sqrt(squares) * residualNorm_ / std::sqrt(double(n_) - 1.0) +
                         residualNorm_ * residualNorm_;
  if (!(dropped <= residualLimit_)) return false;

  // The reduced matrix in the full-sample axes: diag((n - 1) / (n - 2) L)
  // - z z^T / (n - 2), z = sqrt(n / (n - 1)) V^T d.
  const double* V = fullAxes_->Column(1);
  const std::size_t ldv = fullAxes_->MaxRows();
  double* z = ws.inAxes.Data();
  MultiplyTransposed(p, 1, p, V, ldv, d, p, z, p);
  const double zScale = std::sqrt(double(n_) / (double(n_) - 1.0));
  for (TSize j = 0; j < p; ++j) z[j] *= zScale;
  double* diagonal = ws.offDiag.Data();  // free: no tridiagonal form here
  const double* full = fullValues_->Data();
  const double grow = (double(n_) - 1.0) / (double(n_) - 2.0);
  double trace = 0.0, zz = 0.0;
  for (TSize j = 0; j < p; ++j) {
    diagonal[j] = grow * full[j];
    trace += diagonal[j];
    zz += z[j] * z[j];
  }
  const double rho = 1.0 / (double(n_) - 2.0);
  const TSize axes = std::clamp<TSize>(axisCount, 1, p);
  if (!DowndatedEigenpairs(diagonal, z, rho, p, axes, ws.values.Data(), ws.work.Column(1),
                           ws.work.MaxRows(), ws.downdate))
    return false;
  ws.values.Extend(p);
  ws.trace = trace - rho * zz;
  Multiply(p, axes, p, V, ldv, ws.work.Column(1), ws.work.MaxRows(), ws.vectors.Column(1),
           ws.vectors.MaxRows());
  ws.vectors.Extend(p, p);
  SignedUnitAxesSummedInLanes(ws.vectors, p, axes);
  CheckFloatFaults();
  return true;
}

bool TLeaveOneOut::Deviations(TSize i, TWorkspace& ws) const {
  const TSize p = p_;
  const double* means = means_.Data();
  const double* residuals = residuals_.Data();
  double* d = ws.centred.Data();
  double* u = ws.rest.Data();
  // u: the sums of the deviations over the other objects, scaled so that
  // u_b * u_c is their share of the cross-product of the reduced sample.
  const double scale = 1.0 / std::sqrt(double(n_) - 1.0);
  for (TSize j = 1; j <= p; ++j) {
    d[j - 1] = data_.Column(j)[i - 1] - means[j - 1];
    u[j - 1] = (residuals[j - 1] - d[j - 1]) * scale;
  }
  for (TSize b = 1; b <= p; ++b) {
    const double full = crossProducts_.Column(b)[b - 1];
    const double reduced = full - d[b - 1] * d[b - 1] - u[b - 1] * u[b - 1];
    if (!(reduced > CancellationLimit * full)) return false;
  }
  return true;
}

void TLeaveOneOut::DowndatedDispersion(TWorkspace& ws) const {
  const TSize p = p_;
  const double* d = ws.centred.Data();
  const double* u = ws.rest.Data();
  const double divisor = double(n_) - 2.0;
  // The lower triangle alone: the decomposition reads nothing else, and
  // mirroring it cost a strided write per element.
  // With an exact mean u = -d / sqrt(n - 1) and this is S - n / (n - 1) d d^T.
  if (method_ == DispersionMethod::Correlation) {
    // The reduced standard deviations from the downdated variances first,
    // then each element downdated and scaled at once.
    double* sd = ws.offDiag.Data();  // free until the decomposition starts
    for (TSize b = 0; b < p; ++b)
      sd[b] = std::sqrt((crossProducts_.Column(b + 1)[b] - d[b] * d[b] - u[b] * u[b]) / divisor);
    // The downdate has been refused where a variance cancels, so every sd is
    // well above zero here; the check keeps the reciprocals finite anyway.
    const bool byReciprocals = p > FastArithmeticAbove && std::all_of(sd, sd + p, [](double x) {
                                 return x >= std::numeric_limits<double>::min();
                               });
    if (byReciprocals) {
      for (TSize b = 0; b < p; ++b) sd[b] = 1.0 / sd[b];
      for (TSize c = 1; c <= p; ++c)
        DowndateAndScaleColumnByReciprocals(crossProducts_.Column(c), d, u, sd, c - 1, p,
                                            sd[c - 1] / divisor, ws.work.Column(c));
    } else {
      for (TSize c = 1; c <= p; ++c)
        DowndateAndScaleColumn(crossProducts_.Column(c), d, u, sd, c - 1, p, divisor,
                               ws.work.Column(c));
    }
  } else {
    for (TSize c = 1; c <= p; ++c)
      DowndateColumn(crossProducts_.Column(c), d, u, c - 1, p, divisor, ws.work.Column(c));
  }
  ws.work.Extend(p, p);
  CheckFloatFaults();
}

TSize TLeaveOneOut::DecomposeThroughObjects(TSize i, TWorkspace& ws, TSize axisCount) const {
  const TSize m = n_ - 1;
  const TSize p = p_;
  if (ws.objects.MaxRows() < m || ws.objects.MaxCols() < p) {
    ws.objects = TFloatMatrix(m, p);
    ws.products = TFloatMatrix(m, m);
    ws.productValues = TFloatVector(m);
    ws.productVectors = TFloatMatrix(m, m);
  }
  // Y: each object's deviation from the full-sample mean, less the shift of
  // the mean that leaving object i out makes (u / sqrt(n - 1)); under
  // correlations each column scaled to the reduced sample's unit variance.
  const double* means = means_.Data();
  const double* u = ws.rest.Data();
  const double shift = 1.0 / std::sqrt(double(n_) - 1.0);
  const double divisor = double(n_) - 2.0;
  const std::size_t ldy = ws.objects.MaxRows();
  for (TSize v = 0; v < p; ++v) {
    const double* x = data_.Column(v + 1);
    double* y = ws.objects.Column(v + 1);
    const double mean = means[v];
    const double delta = u[v] * shift;
    for (TSize k = 0; k < i - 1; ++k) y[k] = (x[k] - mean) - delta;
    for (TSize k = i; k < n_; ++k) y[k - 1] = (x[k] - mean) - delta;
    if (method_ == DispersionMethod::Correlation) {
      double squares = 0.0;
      for (TSize k = 0; k < m; ++k) squares += y[k] * y[k];
      const double scale = 1.0 / std::sqrt(squares / divisor);
      for (TSize k = 0; k < m; ++k) y[k] *= scale;
    }
  }
  ws.objects.Extend(m, p);
  ScaledOuterGramLower(m, p, 1.0 / divisor, ws.objects.Column(1), ldy, ws.products.Column(1),
                       ws.products.MaxRows());
  ws.products.Extend(m, m);
  CheckFloatFaults();

  const TSize rank = ProductEigenvalues(ws, m, axisCount);

  // Each axis is Y^T u, up to its length, which SignedUnitAxes sets.
  const TSize axes = std::min(axisCount, rank);
  if (axes > 0) {
    MultiplyTransposed(p, axes, m, ws.objects.Column(1), ldy, ws.productVectors.Column(1),
                       ws.productVectors.MaxRows(), ws.vectors.Column(1), ws.vectors.MaxRows());
    ws.vectors.Extend(p, p);
    SignedUnitAxesSummedInLanes(ws.vectors, p, axes);
  }
  CheckFloatFaults();
  return rank;
}

TSize TLeaveOneOut::ProductEigenvalues(TWorkspace& ws, TSize m, TSize axisCount) const {
  // The centring leaves one zero eigenvalue among the m: at most m - 1 axes
  // are determined, fewer where the objects themselves are dependent.
  const TSize wanted = std::clamp<TSize>(axisCount, 1, m - 1);
  BlockedPrincipalAxesOf(ws.products, m, ws.trace, ws.offDiag, ws.productValues, ws.productVectors,
                         wanted);
  const double* mu = ws.productValues.Data();
  const double floor = double(m) * std::numeric_limits<double>::epsilon() * mu[0];
  TSize rank = 0;
  while (rank < m - 1 && mu[rank] > floor) ++rank;
  double* values = ws.values.Data();
  std::copy_n(mu, rank, values);
  std::fill(values + rank, values + p_, 0.0);
  ws.values.Extend(p_);
  return rank;
}

void TLeaveOneOut::ScaleWide(TSize i, TWorkspace& ws) const {
  const TSize n = n_, p = p_;
  double* shift = ws.meanShift.Data();
  double* v = ws.alongShift.Data();
  std::fill_n(v, n, 0.0);
  const double divisor = double(n) - 2.0;
  for (TSize j = 0; j < p; ++j) {
    const double* c = centred_.Column(j + 1);
    const double full = squares_.Data()[j];
    // The reduced sample's sum of squares about its own mean, downdated; where
    // that cancels most of it, summed again from its rows.
    double squares = full - c[i - 1] * c[i - 1] - (double(n) - 1.0) * shift[j] * shift[j];
    if (!(squares > CancellationLimit * full)) {
      squares = 0.0;
      for (TSize k = 0; k < n; ++k)
        if (k != i - 1) squares += (c[k] - shift[j]) * (c[k] - shift[j]);
    }
    const double scale = 1.0 / std::sqrt(squares / divisor);
    double* z = ws.objects.Column(j + 1);
    for (TSize k = 0; k < n; ++k) z[k] = c[k] * scale;
    shift[j] *= scale;
    // v = Z s, a column at a time while it is in the cache.
    const double along = shift[j];
    for (TSize k = 0; k < n; ++k) v[k] += z[k] * along;
  }
  ws.objects.Extend(n, p);
  CheckFloatFaults();
}

TSize TLeaveOneOut::DecomposeWide(TSize i, TWorkspace& ws, TSize axisCount) const {
  const TSize n = n_, m = n_ - 1, p = p_;
  const TSize k = std::clamp<TSize>(axisCount, 1, p);
  if (ws.products.MaxRows() < m || ws.weights.MaxCols() < k) {
    ws.products = TFloatMatrix(m, m);
    ws.productValues = TFloatVector(m);
    ws.productVectors = TFloatMatrix(m, m);
    ws.weights = TFloatMatrix(n, k);
    ws.meanShift = TFloatVector(p);
    ws.alongShift = TFloatVector(n);
  }
  if (method_ == DispersionMethod::Correlation &&
      (ws.objects.MaxRows() < n || ws.objects.MaxCols() < p)) {
    ws.objects = TFloatMatrix(n, p);
    ws.allProducts = TFloatMatrix(n, n);
  }
  // s: the reduced sample's mean less the full sample's (exact for the
  // rounded mean too: the residual sums are kept).
  double* shift = ws.meanShift.Data();
  for (TSize j = 0; j < p; ++j)
    shift[j] = (residuals_.Data()[j] - centred_.Column(j + 1)[i - 1]) / (double(n) - 1.0);
  const TSize left = i - 1;
  const double* source = centred_.Column(1);
  std::size_t lds = centred_.MaxRows();
  const double* all = products_.Column(1);
  std::size_t lda = products_.MaxRows();
  if (method_ == DispersionMethod::Correlation) {
    ScaleWide(i, ws);
    source = ws.objects.Column(1);
    lds = ws.objects.MaxRows();
    ScaledOuterGramLower(n, p, 1.0, source, lds, ws.allProducts.Column(1),
                         ws.allProducts.MaxRows());
    all = ws.allProducts.Column(1);
    lda = ws.allProducts.MaxRows();
  }
  double* v = ws.alongShift.Data();
  if (method_ != DispersionMethod::Correlation) {
    // v = C s = (C r - C c_i) / (n - 1): the full products' column i and the
    // residuals' image, O(n) instead of a pass over C.
    const double* along = residualImage_.Data();
    for (TSize r = 0; r < n; ++r) {
      const double product = r >= left ? all[r + left * lda] : all[left + r * lda];
      v[r] = (along[r] - product) / (double(n) - 1.0);
    }
  }
  double ss = 0.0;
  for (TSize j = 0; j < p; ++j) ss += shift[j] * shift[j];

  // The reduced products, lower triangle, divided as the dispersion is.
  const double divisor = double(n) - 2.0;
  double* reduced = ws.products.Column(1);
  const std::size_t ldr = ws.products.MaxRows();
  for (TSize l = 0, col = 0; l < n; ++l) {
    if (l == left) continue;
    for (TSize r = l, row = col; r < n; ++r) {
      if (r == left) continue;
      reduced[row + col * ldr] = (all[r + l * lda] - v[r] - v[l] + ss) / divisor;
      ++row;
    }
    ++col;
  }
  ws.products.Extend(m, m);
  CheckFloatFaults();

  const TSize rank = ProductEigenvalues(ws, m, k);

  // Each axis: Y^T u = C^T w - s (1^T u), up to its length.
  const TSize axes = std::min(k, rank);
  if (axes > 0) WideAxes(left, source, lds, axes, ws);
  CheckFloatFaults();
  return rank;
}

void TLeaveOneOut::WideAxes(TSize left, const double* source, std::size_t lds, TSize axes,
                            TWorkspace& ws) const {
  const TSize n = n_, p = p_;
  const double* shift = ws.meanShift.Data();
  double* w = ws.weights.Column(1);
  const std::size_t ldw = ws.weights.MaxRows();
  std::vector<double> sums(axes);
  for (TSize a = 0; a < axes; ++a) {
    const double* u = ws.productVectors.Column(a + 1);
    double sum = 0.0;
    for (TSize r = 0, row = 0; r < n; ++r) {
      if (r == left) {
        w[r + a * ldw] = 0.0;
        continue;
      }
      w[r + a * ldw] = u[row];
      sum += u[row];
      ++row;
    }
    sums[a] = sum;
  }
  ws.weights.Extend(n, axes);
  // A dot product per variable and axis, down C's contiguous columns: one
  // pass over C, where a matrix product would first copy all of it.
  const std::size_t ldv = ws.vectors.MaxRows();
  double* vectors = ws.vectors.Column(1);
  for (TSize j = 0; j < p; ++j) {
    const double* column = source + std::size_t(j) * lds;
    for (TSize a = 0; a < axes; ++a) vectors[j + a * ldv] = DotProduct(column, w + a * ldw, n);
  }
  for (TSize a = 0; a < axes; ++a) {
    double* axis = ws.vectors.Column(a + 1);
    for (TSize j = 0; j < p; ++j) axis[j] -= shift[j] * sums[a];
  }
  ws.vectors.Extend(p, ws.vectors.MaxCols());
  SignedUnitAxesSummedInLanes(ws.vectors, p, axes);
}

void TLeaveOneOut::RecomputedDispersion(TSize i, TWorkspace& ws) const {
  // Made on first need: most runs never take this path, and n x p per
  // thread would dominate the jackknife's memory.
  if (ws.rows.MaxRows() < n_ - 1 || ws.rows.MaxCols() < p_) ws.rows = TFloatMatrix(n_ - 1, p_);
  for (TSize j = 1; j <= p_; ++j) {
    const double* from = data_.Column(j);
    double* to = ws.rows.Column(j);
    TSize r = 0;
    for (TSize k = 0; k < n_; ++k)
      if (k != i - 1) to[r++] = from[k];
  }
  ws.rows.Extend(n_ - 1, p_);
  DispersionMatrix(ws.rows, n_ - 1, p_, ws.work, method_);
}

}  // namespace talvex
