// Leave-one-out dispersion matrices by downdating the full-sample centred sums.
#include "analysis/leave_one_out.h"

#include <cmath>

#include "numeric/blocked_principal_axes.h"
#include "numeric/float_faults.h"
#include "numeric/statistics.h"

namespace talvex {

namespace {

// A downdated variance below this fraction of the full-sample one has lost
// most of its digits to cancellation; such a reduced sample is recomputed
// from its rows. 2^-20 keeps the relative error of every element below about
// 1e-10, far under the printed digits.
constexpr double CancellationLimit = 0x1p-20;

}  // namespace

TLeaveOneOut::TWorkspace::TWorkspace(TSize n, TSize p)
    : work(p, p),
      offDiag(p),
      centred(p),
      rest(p),
      rows(n > 0 ? n - 1 : 0, p),
      values(p),
      vectors(p, p) {}

TLeaveOneOut::TLeaveOneOut(const TFloatMatrix& data, TSize n, TSize p, DispersionMethod method)
    : data_(data), n_(n), p_(p), method_(method), means_(p), residuals_(p), crossProducts_(p, p) {
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
  // The same sums, in the same order, as the full sample's dispersion matrix.
  CentredCrossProducts(data, n, p, means_, crossProducts_);
  CheckFloatFaults();
}

void TLeaveOneOut::Decompose(TSize i, TWorkspace& ws, TSize axisCount) const {
  DowndatedDispersion(i, ws);
  BlockedPrincipalAxesOf(ws.work, p_, ws.trace, ws.offDiag, ws.values, ws.vectors, axisCount);
}

void TLeaveOneOut::DowndatedDispersion(TSize i, TWorkspace& ws) const {
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
    if (!(reduced > CancellationLimit * full)) {
      RecomputedDispersion(i, ws);
      return;
    }
  }

  const double divisor = double(n_) - 2.0;
  // The lower triangle alone: the decomposition reads nothing else, and
  // mirroring it cost a strided write per element.
  // With an exact mean u = -d / sqrt(n - 1) and this is S - n / (n - 1) d d^T.
  for (TSize c = 1; c <= p; ++c) {
    const double* s = crossProducts_.Column(c);
    double* out = ws.work.Column(c);
    const double dc = d[c - 1];
    const double uc = u[c - 1];
    for (TSize b = c - 1; b < p; ++b) out[b] = (s[b] - dc * d[b] - uc * u[b]) / divisor;
  }
  if (method_ == DispersionMethod::Correlation) {
    double* sd = ws.offDiag.Data();  // free until the decomposition starts
    for (TSize b = 1; b <= p; ++b) sd[b - 1] = std::sqrt(ws.work.Column(b)[b - 1]);
    for (TSize c = 1; c <= p; ++c) {
      double* out = ws.work.Column(c);
      for (TSize b = c - 1; b < p; ++b) out[b] = out[b] / (sd[b] * sd[c - 1]);
    }
  }
  ws.work.Extend(p, p);
  CheckFloatFaults();
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
