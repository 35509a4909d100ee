// Block reflectors (see the header), last block first, since Q X applies
// P(n-3) first.
#include "numeric/block_reflector.h"

#include <algorithm>
#include <vector>

#include "numeric/blas_products.h"
#include "numeric/block_reflector_kernels.h"

namespace talvex {

namespace {

/// The triangular factor of P(lo) ... P(lo+w-1) = I - V T V^T (forward,
/// every reflection with tau = 1) from the upper triangle of G = V^T V:
/// T[i][t] = -sum over l = i..t-1 of T[i][l] G[l][t]. Column-major, w x w.
void TriangularFactor(const double* G, TSize w, double* T) {
  std::fill(T, T + std::size_t(w) * w, 0.0);
  for (TSize t = 0; t < w; ++t) {
    T[t * w + t] = 1.0;
    for (TSize i = 0; i < t; ++i) {
      double sum = 0.0;
      for (TSize l = i; l < t; ++l) sum += T[l * w + i] * G[t * w + l];
      T[t * w + i] = -sum;
    }
  }
}

/// Reflections lo..lo+w-1 as one block: V (rows n-lo-1, reflection lo+s in
/// column s, zero above its rows; columns w..width-1 zero) into panel,
/// column-major, and the triangular factor (w x w) into factor.
void BlockOfReflections(const double* A, std::size_t ld, TSize n, TSize lo, TSize w, TSize width,
                        double* panel, double* gram, double* factor) {
  const TSize r0 = lo + 1;
  const TSize rows = n - r0;
  std::fill(panel, panel + std::size_t(rows) * width, 0.0);
  for (TSize s = 0; s < w; ++s) {
    const double* from = A + (lo + s) * ld;
    std::copy(from + r0 + s, from + n, panel + std::size_t(s) * rows + s);
  }
  GramUpper(rows, w, panel, rows, gram, w);
  TriangularFactor(gram, w, factor);
}

/// ApplyBlockReflectors through the kernels: V is copied twice per block,
/// by columns and by rows, padded with zeros to KernelWidth.
void ApplyBlockReflectorsByKernels(const double* A, std::size_t ld, TSize n, double* X,
                                   std::size_t ldx, TSize columns) {
  static_assert(KernelWidth == BlockWidth, "the kernels take whole blocks");
  const TSize reflections = n - 2;
  const std::size_t slab = std::size_t(n) * KernelWidth;
  thread_local std::vector<double> panel, rowsOfPanel, gram, factor, padded, products;
  panel.resize(std::max(panel.size(), slab));
  rowsOfPanel.resize(std::max(rowsOfPanel.size(), slab));
  gram.resize(std::size_t(KernelWidth) * KernelWidth);
  factor.resize(std::size_t(KernelWidth) * KernelWidth);
  padded.resize(std::size_t(KernelWidth) * KernelWidth);
  products.resize(std::max(products.size(), std::size_t(KernelWidth) * columns));
  for (TSize hi = reflections; hi > 0;) {
    const TSize lo = hi >= BlockWidth ? hi - BlockWidth : 0;
    const TSize w = hi - lo;
    const TSize r0 = lo + 1;
    const TSize rows = n - r0;
    BlockOfReflections(A, ld, n, lo, w, KernelWidth, panel.data(), gram.data(), factor.data());
    for (TSize r = 0; r < rows; ++r)
      for (TSize s = 0; s < KernelWidth; ++s)
        rowsOfPanel[std::size_t(r) * KernelWidth + s] = panel[std::size_t(s) * rows + r];
    std::fill(padded.begin(), padded.end(), 0.0);
    for (TSize t = 0; t < w; ++t)
      std::copy_n(factor.data() + std::size_t(t) * w, t + 1,
                  padded.data() + std::size_t(t) * KernelWidth);
    ProjectOntoBlock(rows, columns, X + r0, ldx, rowsOfPanel.data(), products.data());
    MultiplyRowsByFactor(padded.data(), columns, products.data());
    SubtractBlockProduct(rows, columns, panel.data(), rows, products.data(), X + r0, ldx);
    hi = lo;
  }
}

}  // namespace

void ApplyBlockReflectors(const double* A, std::size_t ld, TSize n, double* X, std::size_t ldx,
                          TSize columns) {
  if (n >= 3 && columns > 0 && BlockReflectorKernelsRun()) {
    ApplyBlockReflectorsByKernels(A, ld, n, X, ldx, columns);
  } else {
    ApplyBlockReflectorsThroughLibrary(A, ld, n, X, ldx, columns);
  }
}

void ApplyBlockReflectorsThroughLibrary(const double* A, std::size_t ld, TSize n, double* X,
                                        std::size_t ldx, TSize columns) {
  const TSize reflections = n >= 3 ? n - 2 : 0;
  // Scratch kept by each thread from one call to the next: the jackknife
  // makes a call per sample, and fresh buffers cost their clearing (and
  // their pages) every time. Every element read is written first.
  thread_local std::vector<double> panel, gram, factor, products;
  panel.resize(std::max(panel.size(), std::size_t(n) * BlockWidth));
  gram.resize(std::size_t(BlockWidth) * BlockWidth);
  factor.resize(std::size_t(BlockWidth) * BlockWidth);
  products.resize(std::max(products.size(), std::size_t(BlockWidth) * columns));
  for (TSize hi = reflections; hi > 0;) {
    const TSize lo = hi >= BlockWidth ? hi - BlockWidth : 0;
    const TSize w = hi - lo;
    const TSize r0 = lo + 1;
    const TSize rows = n - r0;
    BlockOfReflections(A, ld, n, lo, w, w, panel.data(), gram.data(), factor.data());
    // X := X - V (T (V^T X)), with the product kept transposed, (X^T V) T^T:
    // the BLAS runs X^T V, whose long side is X's, a tenth faster than V^T X.
    MultiplyTransposed(columns, w, rows, X + r0, ldx, panel.data(), rows, products.data(), columns);
    MultiplyByUpperTriangularTransposed(columns, w, factor.data(), w, products.data(), columns);
    SubtractProductTransposed(rows, columns, w, panel.data(), rows, products.data(), columns,
                              X + r0, ldx);
    hi = lo;
  }
}

}  // namespace talvex
