// Placing the supplementary items on a sample's axes.
#include "supplementary/supplementary_placement.h"

#include <cmath>
#include <limits>

#include "numeric/blas_products.h"
#include "numeric/statistics.h"

namespace talvex {

TSupplementaryPlacement::TSupplementaryPlacement(const TPreparedSupplementary& items,
                                                 const TFloatMatrix& x, const double* means,
                                                 const double* deviations, TSize k,
                                                 DispersionMethod method)
    : items_(items), n_(items.n), p_(items.p), k_(k), method_(method) {
  const TSize n = n_, p = p_;
  means_.assign(means, means + p);
  deviations_.assign(deviations, deviations + p);
  centred_.resize(std::size_t(n) * p);
  squares_.assign(p, 0.0);
  for (TSize j = 0; j < p; ++j) {
    const double* column = x.Column(j + 1);
    for (TSize i = 0; i < n; ++i) {
      const double d = column[i] - means_[j];
      centred_[std::size_t(i) * p + j] = d;
      squares_[j] += d * d;
    }
  }
  const TSize m = items.m;
  objects_.resize(std::size_t(m) * p);
  for (std::size_t o = 0; o < m; ++o)
    for (TSize j = 0; j < p; ++j) objects_[o * p + j] = items.objectRows[o * p + j] - means_[j];

  // Each level of each grouping is one row: the sum of its members'
  // deviations from the means, and their count.
  std::size_t groupRows = 0;
  for (const TPreparedGrouping& grouping : items.groupings) groupRows += grouping.levels.size();
  groupSums_.assign(groupRows * p, 0.0);
  groupCounts_.assign(groupRows, 0.0);
  groupOf_.assign(items.groupings.size() * n, -1);
  std::size_t first = 0;
  for (std::size_t g = 0; g < items.groupings.size(); ++g) {
    const TPreparedGrouping& grouping = items.groupings[g];
    for (TSize i = 0; i < n; ++i) {
      if (grouping.activeLevel[i] < 0) continue;
      const std::size_t row = first + std::size_t(grouping.activeLevel[i]);
      groupOf_[g * n + i] = int(row);
      groupCounts_[row] += 1.0;
      for (TSize j = 0; j < p; ++j) groupSums_[row * p + j] += centred_[std::size_t(i) * p + j];
    }
    for (std::size_t o = 0; o < m; ++o) {
      if (grouping.supplementaryLevel[o] < 0) continue;
      const std::size_t row = first + std::size_t(grouping.supplementaryLevel[o]);
      groupCounts_[row] += 1.0;
      for (TSize j = 0; j < p; ++j) groupSums_[row * p + j] += objects_[o * p + j];
    }
    first += grouping.levels.size();
  }

  const TSize q = items.q;
  variableCentred_.resize(std::size_t(q) * n);
  variableSquares_.assign(q, 0.0);
  crossProducts_.assign(std::size_t(q) * p, 0.0);
  for (std::size_t v = 0; v < q; ++v) {
    const double* y = items.variableColumns.data() + v * n;
    const double mean = CentredMean(y, n);
    for (TSize i = 0; i < n; ++i) {
      const double d = y[i] - mean;
      variableCentred_[v * n + i] = d;
      variableSquares_[v] += d * d;
      const double* row = centred_.data() + std::size_t(i) * p;
      double* products = crossProducts_.data() + v * p;
      for (TSize j = 0; j < p; ++j) products[j] += d * row[j];
    }
  }

  rows_ = m + groupRows + q;
  rowsBlock_.resize(rows_ * p);
  product_.resize(rows_ * k);
  scales_.resize(p);
  groupMember_.resize(groupRows);
  shift_.resize(p);
  sumSquares_.resize(q);
}

void TSupplementaryPlacement::Place(const double* axes, const double* eigenvalues,
                                    const TSize* sources, const double* signs, const double* scales,
                                    double count, double* out) {
  const TSize p = p_, k = k_;
  const std::size_t rows = rows_;
  if (rows == 0) return;
  // The rows, not the axes, are divided by the standard deviations: r p
  // divisions instead of p k, and the axes go to the product as they are.
  if (method_ == DispersionMethod::Correlation) {
    for (TSize j = 0; j < p; ++j) {
      double* column = rowsBlock_.data() + std::size_t(j) * rows;
      for (std::size_t r = 0; r < rows; ++r) column[r] /= scales[j];
    }
  }
  Multiply(TSize(rows), k, p, rowsBlock_.data(), rows, axes, p, product_.data(), rows);
  // Each shown axis takes the product of its source axis, with its sign;
  // the variables' covariances with the scores become correlations.
  const std::size_t firstVariable = rows - items_.q;
  for (TSize a = 0; a < k; ++a) {
    const double* from = product_.data() + std::size_t(sources[a] - 1) * rows;
    double* to = out + std::size_t(a) * rows;
    for (std::size_t r = 0; r < rows; ++r) to[r] = signs[a] * from[r];
    for (std::size_t v = 0; v < items_.q; ++v) {
      const double spread = sumSquares_[v] * (count - 1.0) * eigenvalues[a];
      double& value = to[firstVariable + v];
      value = spread > 0.0 ? value / std::sqrt(spread) : std::numeric_limits<double>::quiet_NaN();
    }
  }
}

void TSupplementaryPlacement::Full(const double* axes, const double* eigenvalues, double* out) {
  const TSize p = p_;
  const std::size_t rows = rows_, m = items_.m, q = items_.q;
  const std::size_t groupRows = groupCounts_.size();
  for (TSize j = 0; j < p; ++j) {
    double* column = rowsBlock_.data() + std::size_t(j) * rows;
    for (std::size_t o = 0; o < m; ++o) column[o] = objects_[o * p + j];
    for (std::size_t g = 0; g < groupRows; ++g)
      column[m + g] = groupSums_[g * p + j] / groupCounts_[g];
    for (std::size_t v = 0; v < q; ++v) column[m + groupRows + v] = crossProducts_[v * p + j];
  }
  for (std::size_t v = 0; v < q; ++v) sumSquares_[v] = variableSquares_[v];
  std::vector<TSize> sources(k_);
  for (TSize a = 0; a < k_; ++a) sources[a] = a + 1;
  const std::vector<double> signs(k_, 1.0);
  Place(axes, eigenvalues, sources.data(), signs.data(), deviations_.data(), double(n_), out);
}

void TSupplementaryPlacement::Reduced(TSize left, const double* axes, const double* eigenvalues,
                                      const TSize* sources, const double* signs, double* out) {
  const TSize n = n_, p = p_;
  const std::size_t rows = rows_, m = items_.m, q = items_.q;
  const std::size_t groupRows = groupCounts_.size();
  const std::size_t i = left - 1;
  const double* d = centred_.data() + i * p;
  const double reduced = double(n) - 1.0;
  // Taking object i away moves the means by -d / (n - 1) and the sums of
  // squares and products by -n / (n - 1) times the product of its deviations.
  const double downdate = double(n) / reduced;
  for (TSize j = 0; j < p; ++j) {
    shift_[j] = d[j] / reduced;
    scales_[j] = std::sqrt((squares_[j] - downdate * d[j] * d[j]) / (reduced - 1.0));
  }
  for (std::size_t g = 0; g < groupRows; ++g) groupMember_[g] = false;
  for (std::size_t gi = 0; gi < items_.groupings.size(); ++gi) {
    const int row = groupOf_[gi * n + i];
    if (row >= 0) groupMember_[std::size_t(row)] = true;
  }
  for (TSize j = 0; j < p; ++j) {
    double* column = rowsBlock_.data() + std::size_t(j) * rows;
    const double shift = shift_[j];
    for (std::size_t o = 0; o < m; ++o) column[o] = objects_[o * p + j] + shift;
    for (std::size_t g = 0; g < groupRows; ++g) {
      const bool member = groupMember_[g];
      const double count = groupCounts_[g] - (member ? 1.0 : 0.0);
      column[m + g] = count > 0.0 ? (groupSums_[g * p + j] - (member ? d[j] : 0.0)) / count + shift
                                  : std::numeric_limits<double>::quiet_NaN();
    }
    for (std::size_t v = 0; v < q; ++v)
      column[m + groupRows + v] =
          crossProducts_[v * p + j] - downdate * variableCentred_[v * n + i] * d[j];
  }
  for (std::size_t v = 0; v < q; ++v) {
    const double y = variableCentred_[v * n + i];
    sumSquares_[v] = variableSquares_[v] - downdate * y * y;
  }
  Place(axes, eigenvalues, sources, signs, scales_.data(), reduced, out);
}

}  // namespace talvex
