// Splitting T into blocks at negligible couplings (see the header).
#include "numeric/split_tridiagonal.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "numeric/float_faults.h"
#include "numeric/root_free_ql.h"
#include "numeric/tridiagonal_eigenvectors.h"

namespace talvex {

namespace {

double LargestRowSum(const double* a, const double* b, TSize n) {
  double norm = 0.0;
  for (TSize i = 0; i < n; ++i) {
    double row = std::fabs(a[i]);
    if (i > 0) row += std::fabs(b[i - 1]);
    if (i + 1 < n) row += std::fabs(b[i]);
    norm = std::max(norm, row);
  }
  return norm;
}

}  // namespace

TTridiagonalSolver::TTridiagonalSolver(const double* diagonal, double* coupling, TSize n)
    : diagonal_(diagonal), coupling_(coupling), n_(n), norm_(LargestRowSum(diagonal, coupling, n)) {
  const double tolerance = SplitRoundoffPerRow * double(n) * norm_;
  starts_ = {0};
  for (TSize i = 0; i + 1 < n; ++i) {
    if (std::fabs(coupling[i]) <= tolerance) {
      coupling[i] = 0.0;
      starts_.push_back(i + 1);
    }
  }
  starts_.push_back(n);
}

TFallbackCause TTridiagonalSolver::Values(double* values) {
  if (Whole()) return TridiagonalEigenvalues(diagonal_, coupling_, n_, values);
  blockValues_.resize(n_);
  for (std::size_t b = 0; b + 1 < starts_.size(); ++b) {
    const TSize b0 = starts_[b], size = starts_[b + 1] - b0;
    if (size == 1) {
      blockValues_[b0] = diagonal_[b0];
      continue;
    }
    const TFallbackCause cause =
        TridiagonalEigenvalues(diagonal_ + b0, coupling_ + b0, size, blockValues_.data() + b0);
    if (cause != TFallbackCause::None) return cause;
  }
  OrderBlockValues(values);
  return TFallbackCause::None;
}

bool TTridiagonalSolver::ValuesOfTwo(TTridiagonalSolver& first, double* firstValues,
                                     TTridiagonalSolver& second, double* secondValues) {
  // The eigenvalue problems of each: the whole matrix, or its blocks of more
  // than one row. They are taken in pairs, one of each matrix, while both
  // have some left.
  auto tasks = [](TTridiagonalSolver& solver, double* values) {
    std::vector<TEigenvalueTask> list;
    if (solver.Whole()) {
      list.push_back({solver.diagonal_, solver.coupling_, solver.n_, values});
      return list;
    }
    solver.blockValues_.resize(solver.n_);
    for (std::size_t b = 0; b + 1 < solver.starts_.size(); ++b) {
      const TSize b0 = solver.starts_[b], size = solver.starts_[b + 1] - b0;
      if (size == 1) {
        solver.blockValues_[b0] = solver.diagonal_[b0];
      } else {
        list.push_back(
            {solver.diagonal_ + b0, solver.coupling_ + b0, size, solver.blockValues_.data() + b0});
      }
    }
    return list;
  };
  const std::vector<TEigenvalueTask> ofFirst = tasks(first, firstValues);
  const std::vector<TEigenvalueTask> ofSecond = tasks(second, secondValues);
  const std::size_t paired = std::min(ofFirst.size(), ofSecond.size());
  for (std::size_t t = 0; t < paired; ++t)
    if (!TridiagonalEigenvaluesOfTwo(ofFirst[t], ofSecond[t])) return false;
  for (const auto* rest : {&ofFirst, &ofSecond}) {
    for (std::size_t t = paired; t < rest->size(); ++t) {
      const TEigenvalueTask& task = (*rest)[t];
      if (TridiagonalEigenvalues(task.diagonal, task.coupling, task.n, task.values) !=
          TFallbackCause::None) {
        ClearFloatFaults();
        return false;
      }
    }
  }
  if (!first.Whole()) first.OrderBlockValues(firstValues);
  if (!second.Whole()) second.OrderBlockValues(secondValues);
  return true;
}

void TTridiagonalSolver::OrderBlockValues(double* values) {
  order_.clear();
  order_.reserve(n_);
  for (std::size_t b = 0; b + 1 < starts_.size(); ++b) {
    const TSize b0 = starts_[b], size = starts_[b + 1] - b0;
    for (TSize l = 0; l < size; ++l) order_.push_back({blockValues_[b0 + l], TSize(b), l});
  }
  std::stable_sort(order_.begin(), order_.end(),
                   [](const TBlockValue& x, const TBlockValue& y) { return x.value > y.value; });
  for (TSize j = 0; j < n_; ++j) values[j] = order_[j].value;
}

TFallbackCause TTridiagonalSolver::Vectors(TSize count, const double* values, double* Z,
                                           std::size_t ldz, TDecompositionPath& path) {
  const double* diagonal = diagonal_;
  double* coupling = coupling_;
  const TSize n = n_;
  if (Whole()) return TridiagonalEigenvectors(diagonal, coupling, n, values, count, Z, ldz, path);
  const std::vector<TSize>& starts = starts_;
  const std::vector<TBlockValue>& order = order_;
  const std::vector<double>& blockValues = blockValues_;
  const TSize blocks = TSize(starts.size() - 1);

  // The vectors of the first count values: block b's first wanted[b].
  count = std::min(std::max<TSize>(count, 1), n);
  std::vector<TSize> wanted(blocks, 0);
  std::vector<TSize> column(n);  // global column of block value (b0 + local)
  for (TSize j = 0; j < count; ++j) {
    const TBlockValue& v = order[j];
    wanted[v.block] = std::max(wanted[v.block], v.local + 1);
    column[starts[v.block] + v.local] = j;
  }
  path.twistedVectors = 0;
  path.clusterSizes.clear();
  std::vector<double*> blockColumns;
  std::vector<double> spare;  // columns a block's cluster reaches past the wanted ones
  for (TSize b = 0; b < blocks; ++b) {
    if (wanted[b] == 0) continue;
    const TSize b0 = starts[b], size = starts[b + 1] - b0;
    // A block's vectors are zero outside its rows; its rows are written
    // below, straight into the columns of Z.
    for (TSize l = 0; l < wanted[b]; ++l) {
      double* z = Z + column[b0 + l] * ldz;
      std::fill(z, z + b0, 0.0);
      std::fill(z + b0 + size, z + n, 0.0);
    }
    if (size == 1 || LargestRowSum(diagonal + b0, coupling + b0, size) == 0.0) {
      // A diagonal block (one row, or all zero): the unit vectors.
      for (TSize l = 0; l < wanted[b]; ++l) {
        double* z = Z + column[b0 + l] * ldz + b0;
        std::fill(z, z + size, 0.0);
        z[l] = 1.0;
      }
      path.twistedVectors += wanted[b];
      continue;
    }
    spare.assign(std::size_t(size - wanted[b]) * size, 0.0);
    blockColumns.resize(size);
    for (TSize l = 0; l < size; ++l)
      blockColumns[l] = l < wanted[b] ? Z + column[b0 + l] * ldz + b0
                                      : spare.data() + std::size_t(l - wanted[b]) * size;
    TDecompositionPath blockPath;
    const TFallbackCause cause =
        TridiagonalEigenvectors(diagonal + b0, coupling + b0, size, blockValues.data() + b0,
                                wanted[b], blockColumns.data(), blockPath);
    if (cause != TFallbackCause::None) return cause;
    path.twistedVectors += blockPath.twistedVectors;
    path.clusterSizes.insert(path.clusterSizes.end(), blockPath.clusterSizes.begin(),
                             blockPath.clusterSizes.end());
  }
  return TFallbackCause::None;
}

TFallbackCause TridiagonalEigenpairs(const double* diagonal, double* coupling, TSize n, TSize count,
                                     double* values, double* Z, std::size_t ldz,
                                     TDecompositionPath& path) {
  TTridiagonalSolver solver(diagonal, coupling, n);
  const TFallbackCause cause = solver.Values(values);
  if (cause != TFallbackCause::None) return cause;
  return solver.Vectors(count, values, Z, ldz, path);
}

}  // namespace talvex
