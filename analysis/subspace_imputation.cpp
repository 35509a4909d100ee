// Iterative PCA imputation by subspace sweeps (see the header).
#include "analysis/subspace_imputation.h"

#include <algorithm>
#include <cmath>

#include "analysis/imputation_sweep.h"
#include "numeric/jacobi_eigenpairs.h"
#include "numeric/lane_dot.h"
#include "numeric/principal_axes.h"
#include "numeric/wide_vectors.h"

namespace talvex {

namespace {

// Steps the acceleration keeps: enough to span the few slow modes of the
// sweep, few enough that its least-squares problem stays well posed.
constexpr TSize AccelerationMemory = 5;
// The acceleration starts once the change shrinks and is below
// AccelerateBelow standard deviations: far from the fixed point its
// extrapolation can carry the cells into a region where the sweep barely
// contracts. A reduced sample starts at the full sample's fixed point, near
// its own, and is accelerated as soon as its change shrinks. It stops,
// for plain sweeps until the change shrinks again, when the change grows
// beyond AllowedGrowth times the smallest since it started, and for good
// after RestartLimit stops.
constexpr double AccelerateBelow = 1e-3;
constexpr double AllowedGrowth = 2.0;
constexpr TSize RestartLimit = 8;
// Steps of subspace iteration on a sweep's dispersion matrix, at most: each
// gains the ratio of the (S+1)-th eigenvalue to the S-th, and the last
// sweep's axes are close; where that ratio is near 1 the sweeps go on with
// the axes not settled, and the change of the axes keeps them going.
constexpr TSize SubspaceSteps = 50;
// A basis vector that keeps less than this share of its length once the
// others are taken out of it has lost its direction.
constexpr double RankLoss = 1e-12;
// Ritz values agree with eigenvalues to this share of the largest.
constexpr double RitzAgreement = 1e-6;

std::size_t BlockCount(std::size_t rows) { return (rows + LaneCount - 1) / LaneCount; }

// One block of LaneCount rows, columns k0 .. k0 + Width - 1 of W: the rows'
// scores y . w_k, kept in registers.
template <TSize Width>
[[gnu::always_inline]] inline void BlockColumns(const double* y, TSize p, TSize k0, const double* w,
                                                double* a) {
  TLanes score[Width];
  for (TSize c = 0; c < Width; ++c) score[c] = BroadcastLanes(0.0);
  for (TSize j = 0; j < p; ++j) {
    const TLanes yj = LoadLanes(y + std::size_t(j) * LaneCount);
    for (TSize c = 0; c < Width; ++c)
      score[c] += yj * BroadcastLanes(w[std::size_t(k0 + c) * p + j]);
  }
  for (TSize c = 0; c < Width; ++c) StoreLanes(a + (k0 + c) * LaneCount, score[c]);
}

// The pass over the rows with missing cells: A = Y0 W, four columns of W at
// a time.
TALVEX_WIDE_VECTORS void BlockPass(const double* blocks, std::size_t blockCount, TSize p, TSize S,
                                   const double* w, double* a) {
  for (std::size_t block = 0; block < blockCount; ++block) {
    const double* y = blocks + block * p * LaneCount;
    double* ab = a + block * S * LaneCount;
    for (TSize k0 = 0; k0 < S; k0 += 4) {
      switch (std::min<TSize>(4, S - k0)) {
        case 1:
          BlockColumns<1>(y, p, k0, w, ab);
          break;
        case 2:
          BlockColumns<2>(y, p, k0, w, ab);
          break;
        case 3:
          BlockColumns<3>(y, p, k0, w, ab);
          break;
        default:
          BlockColumns<4>(y, p, k0, w, ab);
          break;
      }
    }
  }
}

// Solves a x = b for the symmetric positive definite k x k matrix a
// (row-major, destroyed) by its factors L D L^T; b becomes x. Two unknowns,
// the common case, directly.
void SolvePositiveDefinite(double* a, double* b, TSize k) {
  if (k == 2) {
    const double inverse = 1.0 / (a[0] * a[3] - a[1] * a[2]);
    const double x0 = (a[3] * b[0] - a[1] * b[1]) * inverse;
    b[1] = (a[0] * b[1] - a[2] * b[0]) * inverse;
    b[0] = x0;
    return;
  }
  for (TSize c = 0; c < k; ++c) {
    double* row = a + std::size_t(c) * k;
    for (TSize l = 0; l < c; ++l) {
      // row[l] := L_cl = (a_cl - sum L_cm D_m L_lm) / D_l, D_l kept on the diagonal.
      const double* other = a + std::size_t(l) * k;
      double value = row[l];
      for (TSize m = 0; m < l; ++m) value -= row[m] * other[m] * a[std::size_t(m) * k + m];
      row[l] = value / other[l];
    }
    double diagonal = row[c];
    for (TSize m = 0; m < c; ++m) diagonal -= row[m] * row[m] * a[std::size_t(m) * k + m];
    row[c] = diagonal;
  }
  for (TSize c = 0; c < k; ++c)
    for (TSize l = 0; l < c; ++l) b[c] -= a[std::size_t(c) * k + l] * b[l];
  for (TSize c = 0; c < k; ++c) b[c] /= a[std::size_t(c) * k + c];
  for (TSize c = k; c-- > 0;)
    for (TSize l = c + 1; l < k; ++l) b[c] -= a[std::size_t(l) * k + c] * b[l];
}

// K += e y for each of an object's cells with offset e (row j of K for a
// cell of variable j), in vector lanes.
TALVEX_WIDE_VECTORS void AddCellRows(double* __restrict kernel, const double* __restrict y,
                                     const double* offsets, const TSize* columns, std::size_t cells,
                                     TSize p) {
  for (std::size_t c = 0; c < cells; ++c) {
    const double e = offsets[c];
    if (e == 0.0) continue;
    double* row = kernel + std::size_t(columns[c]) * p;
    const TLanes ee = BroadcastLanes(e);
    TSize a = 0;
    for (; a + LaneCount <= p; a += LaneCount)
      StoreLanes(row + a, LoadLanes(row + a) + ee * LoadLanes(y + a));
    for (; a < p; ++a) row[a] += e * y[a];
  }
}

// Modified Gram-Schmidt, twice, on the S columns of `v` (p x S,
// column-major); false where a column loses its direction.
bool Orthonormalise(std::vector<double>& v, TSize p, TSize S) {
  for (TSize k = 0; k < S; ++k) {
    double* column = v.data() + std::size_t(k) * p;
    const double before = std::sqrt(DotProduct(column, column, p));
    for (int pass = 0; pass < 2; ++pass) {
      for (TSize a = 0; a < k; ++a) {
        const double* other = v.data() + std::size_t(a) * p;
        const double projection = DotProduct(other, column, p);
        for (TSize j = 0; j < p; ++j) column[j] -= projection * other[j];
      }
    }
    const double length = std::sqrt(DotProduct(column, column, p));
    if (!(length > RankLoss * before)) return false;
    for (TSize j = 0; j < p; ++j) column[j] /= length;
  }
  return true;
}

}  // namespace

TSubspaceImputation::TWorkspace::TWorkspace(std::size_t cells, TSize p, TSize S,
                                            std::size_t laneRows)
    : offsets(cells, 0.0),
      next(cells, 0.0),
      axes(std::size_t(p) * S),
      nextAxes(std::size_t(p) * S),
      weights(std::size_t(p) * S),
      rowScores(laneRows * S),
      cellScores(laneRows * S),
      product(std::size_t(p) * S),
      rotated(std::size_t(p) * S),
      firsts(p),
      squares(p),
      means(p),
      deviations(p),
      scales(p),
      ritzValues(S),
      shrink(S),
      scores(S),
      centredMeans(S),
      ritz(std::max<TSize>(S, 1), std::max<TSize>(S, 1)),
      rotation(std::max<TSize>(S, 1), std::max<TSize>(S, 1)),
      ritzWork(std::max<TSize>(S, 1)),
      leftRow(p),
      dense(p, p),
      sums(std::size_t(p) * p),
      kernel(std::size_t(p) * p),
      model(std::size_t(p) * p, 0.0),
      rowSystem(std::size_t(p) * p),
      rowValues(p),
      currents(p),
      state(cells),
      image(cells),
      mixing(cells, AccelerationMemory) {}

TSubspaceImputation::TSubspaceImputation(const TFloatMatrix& data, const TMissingCells& missing,
                                         std::span<const double> baseCells, TSize components,
                                         DispersionMethod method)
    : data_(data),
      missing_(missing),
      n_(missing.ObjectCount()),
      p_(missing.VariableCount()),
      S_(components),
      method_(method),
      centre_(p_, 0.0),
      firsts_(p_, 0.0),
      products_(std::size_t(p_) * p_, 0.0),
      gapRow_(n_, NoRow),
      cellRow_(missing.Count()),
      baseCells_(baseCells.begin(), baseCells.end()),
      baseDeviations_(p_, 1.0) {
  const std::vector<TSize>& rows = missing_.Rows();
  for (std::size_t r = 0; r < rows.size(); ++r) {
    gapRow_[rows[r]] = TSize(r);
    for (std::size_t c = missing_.First(rows[r]); c < missing_.Last(rows[r]); ++c)
      cellRow_[c] = TSize(r);
  }
  std::vector<double> row(p_);
  for (TSize i = 0; i < n_; ++i) {
    BaseRow(i, row);
    for (TSize j = 0; j < p_; ++j) centre_[j] += row[j];
  }
  for (TSize j = 0; j < p_; ++j) centre_[j] /= double(n_);
  for (TSize i = 0; i < n_; ++i) {
    BaseRow(i, row);
    for (TSize j = 0; j < p_; ++j) row[j] -= centre_[j];
    for (TSize a = 0; a < p_; ++a) {
      firsts_[a] += row[a];
      double* products = products_.data() + std::size_t(a) * p_;
      for (TSize b = 0; b < p_; ++b) products[b] += row[a] * row[b];
    }
  }
  blocks_.assign(BlockCount(rows.size()) * p_ * LaneCount, 0.0);
  baseRows_.resize(rows.size() * p_);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    BaseRow(rows[r], row);
    double* block = blocks_.data() + (r / LaneCount) * p_ * LaneCount + r % LaneCount;
    for (TSize j = 0; j < p_; ++j) {
      block[std::size_t(j) * LaneCount] = row[j] - centre_[j];
      baseRows_[r * p_ + j] = row[j] - centre_[j];
    }
  }
  for (TSize j = 0; j < p_; ++j) {
    const double n = double(n_);
    const double variance =
        (products_[std::size_t(j) * p_ + j] - firsts_[j] * firsts_[j] / n) / (n - 1.0);
    if (variance > 0.0) baseDeviations_[j] = std::sqrt(variance);
  }
}

TSubspaceImputation::TWorkspace TSubspaceImputation::MakeWorkspace() const {
  return TWorkspace(missing_.Count(), p_, S_, BlockCount(missing_.Rows().size()) * LaneCount);
}

void TSubspaceImputation::BaseRow(TSize i, std::span<double> row) const {
  for (TSize j = 0; j < p_; ++j) row[j] = data_.Column(j + 1)[i];
  for (std::size_t c = missing_.First(i); c < missing_.Last(i); ++c)
    row[missing_.Column(c)] = baseCells_[c];
}

// The count, sums and sums of squares of the sample as its cells stand, and
// from them its means, standard deviations and scales, as TImputationSums
// and ImputationModel form them.
void TSubspaceImputation::SampleSums(TSize leftOut, TWorkspace& ws) const {
  const TSize p = p_;
  std::copy(firsts_.begin(), firsts_.end(), ws.firsts.begin());
  for (TSize j = 0; j < p; ++j) ws.squares[j] = products_[std::size_t(j) * p + j];
  const TSize leftGap = leftOut < n_ ? gapRow_[leftOut] : NoRow;
  if (leftOut < n_) {
    BaseRow(leftOut, ws.leftRow);
    for (TSize j = 0; j < p; ++j) {
      const double y = ws.leftRow[j] - centre_[j];
      ws.leftRow[j] = y;
      ws.firsts[j] -= y;
      ws.squares[j] -= y * y;
    }
  }
  for (std::size_t c = 0; c < ws.offsets.size(); ++c) {
    if (cellRow_[c] == leftGap) continue;
    const TSize j = missing_.Column(c);
    const double e = ws.offsets[c];
    ws.firsts[j] += e;
    ws.squares[j] += e * (2.0 * (baseCells_[c] - centre_[j]) + e);
  }
  const double count = double(leftOut < n_ ? n_ - 1 : n_);
  for (TSize j = 0; j < p; ++j) {
    ws.means[j] = centre_[j] + ws.firsts[j] / count;
    const double squares = ws.squares[j] - ws.firsts[j] * ws.firsts[j] / count;
    const double deviation = std::sqrt(std::max(squares, 0.0) / (count - 1.0));
    // A constant variable keeps its value; its unit is taken as 1.
    ws.deviations[j] = deviation > 0.0 ? deviation : 1.0;
    ws.scales[j] = method_ == DispersionMethod::Correlation ? ws.deviations[j] : 1.0;
  }
}

double TSubspaceImputation::LeadingSubspace(TWorkspace& ws, double tolerance) const {
  const TSize p = p_, S = S_;
  double moved = 0.0;
  for (TSize step = 0; step < SubspaceSteps; ++step) {
    // M V, column by column of M (symmetric).
    for (TSize k = 0; k < S; ++k) {
      double* column = ws.product.data() + std::size_t(k) * p;
      std::fill_n(column, p, 0.0);
      for (TSize b = 0; b < p; ++b) {
        const double vb = ws.axes[std::size_t(k) * p + b];
        const double* m = ws.dense.Column(b + 1);
        for (TSize a = 0; a < p; ++a) column[a] += m[a] * vb;
      }
    }
    for (TSize a = 0; a < S; ++a) {
      for (TSize b = 0; b <= a; ++b) {
        const double ab = DotProduct(ws.axes.data() + std::size_t(a) * p,
                                     ws.product.data() + std::size_t(b) * p, p);
        const double ba = DotProduct(ws.axes.data() + std::size_t(b) * p,
                                     ws.product.data() + std::size_t(a) * p, p);
        ws.ritz.Column(b + 1)[a] = 0.5 * (ab + ba);
      }
    }
    ws.ritz.Extend(S, S);
    if (!JacobiEigenpairs(ws.ritz, S, ws.ritzWork, ws.rotation)) return -1.0;
    // Each Ritz vector keeps the sign of the basis vector it comes from.
    for (TSize k = 1; k <= S; ++k) {
      double* z = ws.rotation.Column(k);
      if (z[k - 1] < 0.0)
        for (TSize c = 0; c < S; ++c) z[c] = -z[c];
      ws.ritzValues[k - 1] = ws.ritzWork.Data()[k - 1];
    }
    // U = V Z into rotated, M U = (M V) Z into nextAxes.
    for (TSize k = 0; k < S; ++k) {
      const double* z = ws.rotation.Column(k + 1);
      double* u = ws.rotated.data() + std::size_t(k) * p;
      double* mu = ws.nextAxes.data() + std::size_t(k) * p;
      std::fill_n(u, p, 0.0);
      std::fill_n(mu, p, 0.0);
      for (TSize c = 0; c < S; ++c) {
        const double* v = ws.axes.data() + std::size_t(c) * p;
        const double* mv = ws.product.data() + std::size_t(c) * p;
        for (TSize j = 0; j < p; ++j) {
          u[j] += z[c] * v[j];
          mu[j] += z[c] * mv[j];
        }
      }
    }
    if (!Orthonormalise(ws.nextAxes, p, S)) return -1.0;
    // How far orth(M U) lies outside span V.
    moved = 0.0;
    for (TSize k = 0; k < S; ++k) {
      const double* v = ws.nextAxes.data() + std::size_t(k) * p;
      double* outside = ws.weights.data() + std::size_t(k) * p;
      std::copy_n(v, p, outside);
      for (TSize c = 0; c < S; ++c) {
        const double* old = ws.axes.data() + std::size_t(c) * p;
        const double projection = DotProduct(old, v, p);
        for (TSize j = 0; j < p; ++j) outside[j] -= projection * old[j];
      }
      for (TSize j = 0; j < p; ++j) moved = std::max(moved, std::fabs(outside[j]));
    }
    if (moved < tolerance) {
      std::swap(ws.axes, ws.rotated);  // the Ritz vectors, for the next sweep too
      return moved;
    }
    std::swap(ws.axes, ws.nextAxes);
  }
  // Not settled within the steps: the model is the last Ritz pairs.
  std::swap(ws.axes, ws.rotated);
  return moved;
}

TSubspaceImputation::TChange TSubspaceImputation::Sweep(TSize leftOut, TWorkspace& ws,
                                                        double tolerance) const {
  TChange change;
  if (FitModel(leftOut, ws, tolerance, change)) SolveCells(leftOut, ws, change);
  return change;
}

bool TSubspaceImputation::FitModel(TSize leftOut, TWorkspace& ws, double tolerance,
                                   TChange& change) const {
  const TSize p = p_, S = S_;
  const std::size_t q = ws.offsets.size();
  const TSize leftGap = leftOut < n_ ? gapRow_[leftOut] : NoRow;
  // The model: the sample's dispersion matrix M from the sums, its leading
  // Ritz pairs from the last sweep's axes on, sigma2 from its trace.
  Dispersion(leftOut, ws, ws.dense);
  if (S > 0) {
    double trace = 0.0;
    for (TSize j = 1; j <= p; ++j) trace += ws.dense.Column(j)[j - 1];
    const double moved = LeadingSubspace(ws, tolerance);
    if (moved < 0.0) {
      change.brokeDown = true;
      return false;
    }
    change.axes = moved;
    // U is now ws.axes.
    for (TSize k = 0; k < S; ++k)
      for (TSize j = 0; j < p; ++j)
        ws.weights[std::size_t(k) * p + j] = ws.axes[std::size_t(k) * p + j] / ws.scales[j];
    std::fill(ws.cellScores.begin(), ws.cellScores.end(), 0.0);
    for (std::size_t c = 0; c < q; ++c) {
      const TSize r = cellRow_[c];
      const double e = ws.offsets[c];
      if (r == leftGap || e == 0.0) continue;
      const TSize j = missing_.Column(c);
      double* b = ws.cellScores.data() + (r / LaneCount) * S * LaneCount + r % LaneCount;
      for (TSize k = 0; k < S; ++k) b[k * LaneCount] += e * ws.weights[std::size_t(k) * p + j];
    }
    BlockPass(blocks_.data(), BlockCount(missing_.Rows().size()), p, S, ws.weights.data(),
              ws.rowScores.data());
    double kept = 0.0;
    for (TSize k = 0; k < S; ++k) kept += ws.ritzValues[k];
    // sigma2: the mean of the discarded eigenvalues (never below 0).
    const double sigma2 = std::max(0.0, (trace - kept) / double(p - S));
    for (TSize k = 0; k < S; ++k) {
      const double lambda = ws.ritzValues[k];
      ws.shrink[k] = lambda > sigma2 ? (lambda - sigma2) / lambda : 0.0;
      double meanScore = 0.0;
      for (TSize j = 0; j < p; ++j)
        meanScore += (ws.means[j] - centre_[j]) * ws.weights[std::size_t(k) * p + j];
      ws.centredMeans[k] = meanScore;
    }
    // A = U Phi U^T, for the objects' own cells.
    for (TSize a = 0; a < p; ++a) {
      double* row = ws.model.data() + std::size_t(a) * p;
      std::fill_n(row, p, 0.0);
      for (TSize k = 0; k < S; ++k) {
        const double* u = ws.axes.data() + std::size_t(k) * p;
        const double ua = ws.shrink[k] * u[a];
        for (TSize b = 0; b < p; ++b) row[b] += ua * u[b];
      }
    }
  }
  return true;
}

void TSubspaceImputation::SolveCells(TSize leftOut, TWorkspace& ws, TChange& change) const {
  const TSize p = p_, S = S_;
  const TSize leftGap = leftOut < n_ ? gapRow_[leftOut] : NoRow;
  // The cells: each object's shrunk scores on the Ritz vectors, from its
  // current values, give the model's values g of its missing cells J; with
  // A = U Phi U^T (Phi the shrink factors) in the standardised units z, the
  // sweep would set z_J := g = A_JK z_K + A_JJ z_J. The cells are instead
  // made consistent with their own row at once, z_J := (I - A_JJ)^-1 A_JK
  // z_K: the same fixed point, without the slow self-coupling of a row's
  // cells through its own scores, and the plain sweep's change is at most
  // this one's (it is (I - A_JJ) times it, and 0 <= A_JJ < I).
  const std::vector<TSize>& rows = missing_.Rows();
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const std::size_t first = missing_.First(rows[r]), last = missing_.Last(rows[r]);
    if (TSize(r) == leftGap) {
      std::fill(ws.next.begin() + first, ws.next.begin() + last, 0.0);
      continue;
    }
    const std::size_t lane = (r / LaneCount) * S * LaneCount + r % LaneCount;
    for (TSize k = 0; k < S; ++k)
      ws.scores[k] = (ws.rowScores[lane + k * LaneCount] + ws.cellScores[lane + k * LaneCount] -
                      ws.centredMeans[k]) *
                     ws.shrink[k];
    const TSize cells = TSize(last - first);
    if (cells == 1) {
      // One cell: z_j := g / (1 - A_jj) less nothing else of its own.
      const TSize j = missing_.Column(first);
      double fitted = 0.0;
      for (TSize k = 0; k < S; ++k) fitted += ws.scores[k] * ws.axes[std::size_t(k) * p + j];
      const double a = ws.model[std::size_t(j) * p + j];
      const double current = (baseCells_[first] + ws.offsets[first] - ws.means[j]) / ws.scales[j];
      ws.next[first] =
          ws.means[j] + ws.scales[j] * ((fitted - a * current) / (1.0 - a)) - baseCells_[first];
      change.cells =
          std::max(change.cells, std::fabs(ws.next[first] - ws.offsets[first]) / ws.deviations[j]);
      continue;
    }
    double* system = ws.rowSystem.data();
    double* values = ws.rowValues.data();
    double* current = ws.currents.data();
    for (TSize c = 0; c < cells; ++c) {
      const TSize j = missing_.Column(first + c);
      current[c] = (baseCells_[first + c] + ws.offsets[first + c] - ws.means[j]) / ws.scales[j];
    }
    // values := g - A_JJ z_J, system := I - A_JJ.
    for (TSize c = 0; c < cells; ++c) {
      const TSize j = missing_.Column(first + c);
      double fitted = 0.0;
      for (TSize k = 0; k < S; ++k) fitted += ws.scores[k] * ws.axes[std::size_t(k) * p + j];
      const double* model = ws.model.data() + std::size_t(j) * p;
      for (TSize d = 0; d < cells; ++d) {
        const double a = model[missing_.Column(first + d)];
        system[c * cells + d] = (c == d ? 1.0 : 0.0) - a;
        fitted -= a * current[d];
      }
      values[c] = fitted;
    }
    SolvePositiveDefinite(system, values, cells);
    for (TSize c = 0; c < cells; ++c) {
      const TSize j = missing_.Column(first + c);
      const std::size_t cell = first + c;
      ws.next[cell] = ws.means[j] + ws.scales[j] * values[c] - baseCells_[cell];
      change.cells =
          std::max(change.cells, std::fabs(ws.next[cell] - ws.offsets[cell]) / ws.deviations[j]);
    }
  }
}

TSubspaceImputation::TOutcome TSubspaceImputation::Solve(TSize leftOut,
                                                         std::span<const double> startAxes,
                                                         double tolerance, TSize limit,
                                                         TWorkspace& ws) const {
  const std::size_t q = ws.offsets.size();
  std::fill(ws.offsets.begin(), ws.offsets.end(), 0.0);
  std::copy(startAxes.begin(), startAxes.end(), ws.axes.begin());
  ws.mixing.Reset();
  TOutcome outcome;
  double previous = std::numeric_limits<double>::infinity();
  double smallest = std::numeric_limits<double>::infinity();
  TSize restarts = 0;
  bool accelerate = false;
  while (outcome.sweeps < limit) {
    const TChange change = Sweep(leftOut, ws, tolerance);
    ++outcome.sweeps;
    if (change.brokeDown) {
      outcome.brokeDown = true;
      return outcome;
    }
    outcome.change = change.cells;
    if (change.cells < tolerance && change.axes < tolerance) {
      std::swap(ws.offsets, ws.next);
      outcome.converged = true;
      return outcome;
    }
    const double size = change.cells;
    if (accelerate) {
      smallest = std::min(smallest, size);
      if (size > AllowedGrowth * smallest) {
        ws.mixing.Reset();
        accelerate = false;
        ++restarts;
      }
    } else if (restarts <= RestartLimit && size < previous &&
               (size < AccelerateBelow || leftOut < n_)) {
      accelerate = true;
      smallest = size;
    }
    previous = size;
    if (!accelerate) {
      std::swap(ws.offsets, ws.next);
      continue;
    }
    // The cells in standard deviations.
    for (std::size_t c = 0; c < q; ++c) {
      const double unit = baseDeviations_[missing_.Column(c)];
      ws.state[c] = ws.offsets[c] / unit;
      ws.image[c] = ws.next[c] / unit;
    }
    ws.mixing.Next(ws.state, ws.image);
    for (std::size_t c = 0; c < q; ++c)
      ws.offsets[c] = ws.state[c] * baseDeviations_[missing_.Column(c)];
  }
  return outcome;
}

void TSubspaceImputation::Cells(const TWorkspace& ws, std::span<double> cells) const {
  for (std::size_t c = 0; c < baseCells_.size(); ++c) cells[c] = baseCells_[c] + ws.offsets[c];
}

void TSubspaceImputation::Dispersion(TSize leftOut, TWorkspace& ws, TFloatMatrix& work) const {
  const TSize p = p_;
  SampleSums(leftOut, ws);
  const TSize leftGap = leftOut < n_ ? gapRow_[leftOut] : NoRow;
  const double count = double(leftOut < n_ ? n_ - 1 : n_);
  std::vector<double>& sums = ws.sums;
  std::copy(products_.begin(), products_.end(), sums.begin());
  if (leftOut < n_) {
    for (TSize a = 0; a < p; ++a)
      for (TSize b = 0; b < p; ++b) sums[std::size_t(a) * p + b] -= ws.leftRow[a] * ws.leftRow[b];
  }
  // K = E^T Y0 (row j: the sum of e y0 over the cells of variable j) and
  // E^T E, object by object; then sums += K + K^T + E^T E.
  std::vector<double>& kernel = ws.kernel;
  std::fill(kernel.begin(), kernel.end(), 0.0);
  const std::vector<TSize>& rows = missing_.Rows();
  for (std::size_t r = 0; r < rows.size(); ++r) {
    if (TSize(r) == leftGap) continue;
    const std::size_t first = missing_.First(rows[r]), last = missing_.Last(rows[r]);
    const double* y = baseRows_.data() + r * p;
    AddCellRows(kernel.data(), y, ws.offsets.data() + first, &missing_.Columns()[first],
                last - first, p);
    for (std::size_t c = first; c < last; ++c) {
      const double e = ws.offsets[c];
      if (e == 0.0) continue;
      const TSize j = missing_.Column(c);
      for (std::size_t d = first; d < last; ++d)
        sums[std::size_t(j) * p + missing_.Column(d)] += e * ws.offsets[d];
    }
  }
  for (TSize a = 0; a < p; ++a) {
    for (TSize b = 0; b <= a; ++b) {
      const double sum = sums[std::size_t(a) * p + b] + kernel[std::size_t(a) * p + b] +
                         kernel[std::size_t(b) * p + a];
      const double value = (sum - ws.firsts[a] * ws.firsts[b] / count) / (count - 1.0);
      work.Column(b + 1)[a] = value;
      work.Column(a + 1)[b] = value;
    }
  }
  // ws.leftRow is no longer needed: it serves as the scales.
  if (method_ == DispersionMethod::Correlation) ScaleToCorrelations(work, p, ws.leftRow);
  work.Extend(p, p);
}

std::vector<double> TSubspaceImputation::LeadingAxes() const {
  const TSize p = p_;
  TWorkspace ws = MakeWorkspace();
  TFloatMatrix work(p, p), vectors(p, p);
  TFloatVector offDiag(p), values(p);
  Dispersion(n_, ws, work);
  double trace = 0.0;
  PrincipalAxesOf(work, p, trace, offDiag, values, vectors);
  std::vector<double> axes(std::size_t(p) * S_);
  for (TSize k = 0; k < S_; ++k)
    std::copy_n(vectors.Column(k + 1), p, axes.begin() + std::size_t(k) * p);
  return axes;
}

bool RitzValuesAreLeading(std::span<const double> ritz, const TFloatVector& eigenvalues) {
  if (ritz.empty()) return true;
  const double scale = std::fabs(eigenvalues.Data()[0]);
  for (std::size_t k = 0; k < ritz.size(); ++k)
    if (!(std::fabs(ritz[k] - eigenvalues.Data()[k]) <= RitzAgreement * scale)) return false;
  return true;
}

}  // namespace talvex
