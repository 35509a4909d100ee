// Splitting T into blocks at negligible couplings (see the header).
#include "numeric/split_tridiagonal.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "numeric/root_free_ql.h"
#include "numeric/tridiagonal_eigenvectors.h"

namespace talvex {

namespace {

struct TBlockValue {
  double value;
  TSize block;
  TSize local;  // its rank among the block's values, descending
};

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

TFallbackCause TridiagonalEigenpairs(const double* diagonal, double* coupling, TSize n, TSize count,
                                     double* values, double* Z, std::size_t ldz,
                                     TDecompositionPath& path) {
  const double norm = LargestRowSum(diagonal, coupling, n);
  const double tolerance = SplitRoundoffPerRow * double(n) * norm;
  std::vector<TSize> starts = {0};
  for (TSize i = 0; i + 1 < n; ++i) {
    if (std::fabs(coupling[i]) <= tolerance) {
      coupling[i] = 0.0;
      starts.push_back(i + 1);
    }
  }
  if (starts.size() == 1 && norm != 0.0) {
    const TFallbackCause cause = TridiagonalEigenvalues(diagonal, coupling, n, values);
    if (cause != TFallbackCause::None) return cause;
    return TridiagonalEigenvectors(diagonal, coupling, n, values, count, Z, ldz, path);
  }
  starts.push_back(n);
  const TSize blocks = TSize(starts.size() - 1);

  // Each block's values, descending, then all of them in one order; ties
  // keep the order of the blocks.
  std::vector<double> blockValues(n);
  std::vector<TBlockValue> order;
  order.reserve(n);
  for (TSize b = 0; b < blocks; ++b) {
    const TSize b0 = starts[b], size = starts[b + 1] - b0;
    if (size == 1) {
      blockValues[b0] = diagonal[b0];
    } else {
      const TFallbackCause cause =
          TridiagonalEigenvalues(diagonal + b0, coupling + b0, size, blockValues.data() + b0);
      if (cause != TFallbackCause::None) return cause;
    }
    for (TSize l = 0; l < size; ++l) order.push_back({blockValues[b0 + l], b, l});
  }
  std::stable_sort(order.begin(), order.end(),
                   [](const TBlockValue& x, const TBlockValue& y) { return x.value > y.value; });
  for (TSize j = 0; j < n; ++j) values[j] = order[j].value;

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

}  // namespace talvex
