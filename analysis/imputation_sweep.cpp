// The sweep of regularised iterative PCA and the sums it keeps.
#include "analysis/imputation_sweep.h"

#include <algorithm>
#include <cmath>

#include "numeric/float_faults.h"
#include "numeric/principal_axes.h"

namespace talvex {

namespace {

// The sums are formed again from the rows every so many sweeps.
constexpr TSize RefreshEvery = 64;

}  // namespace

TImputationSums::TImputationSums(std::span<const double> centre)
    : p_(TSize(centre.size())),
      centre_(centre.begin(), centre.end()),
      first_(centre.size(), 0.0),
      products_(centre.size() * centre.size(), 0.0) {}

void TImputationSums::AddRow(std::span<const double> row, double sign) {
  std::vector<double> y(p_);
  for (TSize a = 0; a < p_; ++a) {
    y[a] = row[a] - centre_[a];
    first_[a] += sign * y[a];
  }
  for (TSize a = 0; a < p_; ++a) {
    const double ya = sign * y[a];
    double* products = products_.data() + std::size_t(a) * p_;
    for (TSize b = 0; b < p_; ++b) products[b] += ya * y[b];
  }
  count_ = sign > 0 ? count_ + 1 : count_ - 1;
}

void TImputationSums::ChangeCells(std::span<const double> before, std::span<const TSize> columns,
                                  std::span<const double> delta) {
  // y' y'^T - y y^T = delta y'^T + y delta^T, both terms nonzero only in the
  // changed rows and columns of the products.
  const std::size_t q = columns.size();
  std::vector<double> after(before.begin(), before.end());
  for (std::size_t c = 0; c < q; ++c) after[columns[c]] += delta[c];
  for (std::size_t c = 0; c < q; ++c) {
    const TSize a = columns[c];
    first_[a] += delta[c];
    double* products = products_.data() + std::size_t(a) * p_;
    for (TSize b = 0; b < p_; ++b) products[b] += delta[c] * (after[b] - centre_[b]);
  }
  for (std::size_t c = 0; c < q; ++c) {
    const TSize b = columns[c];
    for (TSize a = 0; a < p_; ++a)
      products_[std::size_t(a) * p_ + b] += (before[a] - centre_[a]) * delta[c];
  }
}

void TImputationSums::MeansAndDeviations(std::vector<double>& means,
                                         std::vector<double>& deviations) const {
  means.resize(p_);
  deviations.resize(p_);
  const double n = double(count_);
  for (TSize a = 0; a < p_; ++a) {
    means[a] = centre_[a] + first_[a] / n;
    const double squares = products_[std::size_t(a) * p_ + a] - first_[a] * first_[a] / n;
    deviations[a] = std::sqrt(std::max(squares, 0.0) / (n - 1.0));
  }
}

void TImputationSums::Dispersion(DispersionMethod method, TFloatMatrix& work) const {
  const double n = double(count_);
  // The two triangles of the products can differ in their last bits after
  // many changes: the lower one serves both.
  for (TSize a = 0; a < p_; ++a) {
    for (TSize b = 0; b <= a; ++b) {
      const double value =
          (products_[std::size_t(a) * p_ + b] - first_[a] * first_[b] / n) / (n - 1.0);
      work.Column(b + 1)[a] = value;
      work.Column(a + 1)[b] = value;
    }
  }
  if (method == DispersionMethod::Correlation) {
    std::vector<double> scale(p_);
    ScaleToCorrelations(work, p_, scale);
  }
  work.Extend(p_, p_);
}

void ScaleToCorrelations(TFloatMatrix& work, TSize p, std::span<double> scale) {
  for (TSize a = 0; a < p; ++a) {
    const double variance = work.Column(a + 1)[a];
    scale[a] = variance > 0.0 ? 1.0 / std::sqrt(variance) : 1.0;
  }
  for (TSize b = 0; b < p; ++b) {
    double* column = work.Column(b + 1);
    for (TSize a = 0; a < p; ++a) column[a] *= scale[a] * scale[b];
  }
}

TSweepWork::TSweepWork(TSize p, TSize components)
    : work(p, p),
      offDiag(p),
      values(p),
      vectors(p, p),
      means(p),
      deviations(p),
      scales(p),
      shrink(components),
      row(p),
      centred(p),
      scores(components),
      delta(p),
      columns(p) {}

void ImputationModel(const TImputationSums& sums, TSize components, DispersionMethod method,
                     TSweepWork& w) {
  const TSize p = TSize(w.means.size());
  sums.MeansAndDeviations(w.means, w.deviations);
  for (TSize j = 0; j < p; ++j) {
    // A constant variable keeps its value; its unit is taken as 1.
    if (!(w.deviations[j] > 0.0)) w.deviations[j] = 1.0;
    w.scales[j] = method == DispersionMethod::Correlation ? w.deviations[j] : 1.0;
  }
  sums.Dispersion(method, w.work);
  double trace = 0.0;
  PrincipalAxesOf(w.work, p, trace, w.offDiag, w.values, w.vectors);
  // sigma2: the mean of the discarded eigenvalues (never below 0: rounding
  // leaves the null ones slightly negative).
  double discarded = 0.0;
  for (TSize k = components + 1; k <= p; ++k) discarded += w.values.Data()[k - 1];
  const double sigma2 = std::max(0.0, discarded / double(p - components));
  for (TSize k = 0; k < components; ++k) {
    const double lambda = w.values.Data()[k];
    w.shrink[k] = lambda > sigma2 ? (lambda - sigma2) / lambda : 0.0;
  }
}

void SampleRow(const TImputedSample& sample, TSize i, std::span<double> row) {
  const TSize p = TSize(row.size());
  for (TSize j = 0; j < p; ++j) row[j] = sample.data.Column(j + 1)[i];
  for (std::size_t c = sample.missing.First(i); c < sample.missing.Last(i); ++c)
    row[sample.missing.Column(c)] = sample.cells[c];
}

void ModelScores(const TImputedSample& sample, TSize i, TSize components, TSweepWork& w) {
  const TSize p = TSize(w.means.size());
  SampleRow(sample, i, w.row);
  for (TSize j = 0; j < p; ++j) w.centred[j] = (w.row[j] - w.means[j]) / w.scales[j];
  for (TSize k = 0; k < components; ++k) {
    const double* v = w.vectors.Column(k + 1);
    double t = 0.0;
    for (TSize j = 0; j < p; ++j) t += w.centred[j] * v[j];
    w.scores[k] = t * w.shrink[k];
  }
}

double ImputationSweep(const TImputedSample& sample, TSize components, DispersionMethod method,
                       TImputationSums& sums, TSweepWork& w) {
  ImputationModel(sums, components, method, w);
  double largest = 0.0;
  for (const TSize i : sample.missing.Rows()) {
    if (i == sample.leftOut) continue;
    ModelScores(sample, i, components, w);
    const std::size_t first = sample.missing.First(i);
    const std::size_t count = sample.missing.Last(i) - first;
    for (std::size_t c = 0; c < count; ++c) {
      const TSize j = sample.missing.Column(first + c);
      double fitted = 0.0;
      for (TSize k = 0; k < components; ++k) fitted += w.scores[k] * w.vectors.Column(k + 1)[j];
      const double value = w.means[j] + w.scales[j] * fitted;
      w.columns[c] = j;
      w.delta[c] = value - sample.cells[first + c];
      largest = std::max(largest, std::fabs(w.delta[c]) / w.deviations[j]);
      sample.cells[first + c] = value;
    }
    sums.ChangeCells(w.row, std::span(w.columns.data(), count), std::span(w.delta.data(), count));
  }
  return largest;
}

TImputationSums SampleSums(const TImputedSample& sample, std::span<const double> centre) {
  const TSize n = sample.missing.ObjectCount();
  TImputationSums sums(centre);
  std::vector<double> row(centre.size());
  for (TSize i = 0; i < n; ++i) {
    if (i == sample.leftOut) continue;
    SampleRow(sample, i, row);
    sums.AddRow(row, 1.0);
  }
  return sums;
}

TSweepRun SweepUntilStationary(const TImputedSample& sample, TSize components,
                               DispersionMethod method, double tolerance, TSize limit,
                               TImputationSums& sums, TSweepWork& work) {
  TSweepRun run;
  while (run.sweeps < limit) {
    if (run.sweeps > 0 && run.sweeps % RefreshEvery == 0) {
      sums.MeansAndDeviations(work.means, work.deviations);
      sums = SampleSums(sample, work.means);
    }
    run.change = ImputationSweep(sample, components, method, sums, work);
    ++run.sweeps;
    CheckFloatFaults();
    if (run.change < tolerance) {
      run.converged = true;
      break;
    }
  }
  return run;
}

}  // namespace talvex
