// The block reflector's kernels (see the header). Each keeps a block of its
// result in 24 of the 32 vector registers while it runs over the shared
// dimension, and loads every element of X once per block.
#include "numeric/block_reflector_kernels.h"

#include <algorithm>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define TALVEX_BLOCK_KERNELS 1
#define TALVEX_AVX512 __attribute__((target("avx512f,fma")))
#endif

namespace talvex {

#ifdef TALVEX_BLOCK_KERNELS

namespace {

constexpr int Width = int(KernelWidth);
constexpr int VectorsPerRow = Width / 8;

static_assert(Width % 8 == 0, "a row of the block is whole vectors");

/// Columns of X per block of ProjectOntoBlock: with VectorsPerRow
/// accumulators each, 24 in all.
constexpr TSize ProjectedColumns = 24 / VectorsPerRow;

/// Rows (three vectors) and columns of X per block of SubtractBlockProduct.
constexpr int SubtractedVectors = 3;
constexpr TSize SubtractedRows = 8 * SubtractedVectors;
constexpr TSize SubtractedColumns = 8;

/// Rows of P per block of MultiplyRowsByFactor.
constexpr TSize FactoredRows = 6;

/// Rows c..c+J-1 of P: the sums over the rows r of X[r][c] V[r], in row
/// order.
template <int J>
TALVEX_AVX512 inline void ProjectColumns(TSize rows, const double* X, std::size_t ldx,
                                         const double* rowsOfV, double* P) {
  __m512d sums[J][VectorsPerRow];
  for (int j = 0; j < J; ++j)
    for (int k = 0; k < VectorsPerRow; ++k) sums[j][k] = _mm512_setzero_pd();
  for (TSize r = 0; r < rows; ++r) {
    __m512d v[VectorsPerRow];
    for (int k = 0; k < VectorsPerRow; ++k) v[k] = _mm512_loadu_pd(rowsOfV + r * Width + 8 * k);
    for (int j = 0; j < J; ++j) {
      const __m512d x = _mm512_set1_pd(X[r + j * ldx]);
      for (int k = 0; k < VectorsPerRow; ++k) sums[j][k] = _mm512_fmadd_pd(x, v[k], sums[j][k]);
    }
  }
  for (int j = 0; j < J; ++j)
    for (int k = 0; k < VectorsPerRow; ++k) _mm512_storeu_pd(P + j * Width + 8 * k, sums[j][k]);
}

/// X[r0..r0+count-1][c..c+C-1] -= the sums over s of V[r][s] P[c][s], in
/// the order of s; count is at most SubtractedRows (the rest masked off).
template <int C>
TALVEX_AVX512 inline void SubtractColumns(TSize r0, TSize count, const double* V, std::size_t ldv,
                                          const double* P, double* X, std::size_t ldx) {
  __mmask8 masks[SubtractedVectors];
  for (int i = 0; i < SubtractedVectors; ++i) {
    const long left = long(count) - 8 * i;
    masks[i] = left >= 8 ? __mmask8(0xff) : left <= 0 ? __mmask8(0) : __mmask8((1u << left) - 1);
  }
  __m512d sums[SubtractedVectors][C];
  for (int i = 0; i < SubtractedVectors; ++i)
    for (int c = 0; c < C; ++c) sums[i][c] = _mm512_setzero_pd();
  for (int s = 0; s < Width; ++s) {
    __m512d v[SubtractedVectors];
    for (int i = 0; i < SubtractedVectors; ++i)
      v[i] = _mm512_maskz_loadu_pd(masks[i], V + s * ldv + r0 + 8 * i);
    for (int c = 0; c < C; ++c) {
      const __m512d p = _mm512_set1_pd(P[c * Width + s]);
      for (int i = 0; i < SubtractedVectors; ++i) sums[i][c] = _mm512_fmadd_pd(v[i], p, sums[i][c]);
    }
  }
  for (int c = 0; c < C; ++c) {
    for (int i = 0; i < SubtractedVectors; ++i) {
      double* x = X + c * ldx + r0 + 8 * i;
      _mm512_mask_storeu_pd(x, masks[i],
                            _mm512_sub_pd(_mm512_maskz_loadu_pd(masks[i], x), sums[i][c]));
    }
  }
}

/// Rows p of P := T p, J rows side by side: each sum is a chain of fused
/// multiply-adds, and J chains keep the unit busy while each waits.
template <int J>
TALVEX_AVX512 inline void MultiplyByFactor(const double* T, double* P) {
  __m512d sums[J][VectorsPerRow];
  for (int j = 0; j < J; ++j)
    for (int k = 0; k < VectorsPerRow; ++k) sums[j][k] = _mm512_setzero_pd();
  // Column l of T is zero below row l: only its first l / 8 + 1 vectors.
  for (int l = 0; l < Width; ++l) {
    for (int j = 0; j < J; ++j) {
      const __m512d x = _mm512_set1_pd(P[j * Width + l]);
      for (int k = 0; k <= l / 8; ++k)
        sums[j][k] = _mm512_fmadd_pd(x, _mm512_loadu_pd(T + l * Width + 8 * k), sums[j][k]);
    }
  }
  for (int j = 0; j < J; ++j)
    for (int k = 0; k < VectorsPerRow; ++k) _mm512_storeu_pd(P + j * Width + 8 * k, sums[j][k]);
}

}  // namespace

bool BlockReflectorKernelsRun() {
  static const bool runs = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("fma");
  return runs;
}

TALVEX_AVX512 void ProjectOntoBlock(TSize rows, TSize columns, const double* X, std::size_t ldx,
                                    const double* rowsOfV, double* P) {
  TSize c = 0;
  for (; c + ProjectedColumns <= columns; c += ProjectedColumns)
    ProjectColumns<ProjectedColumns>(rows, X + c * ldx, ldx, rowsOfV, P + c * Width);
  for (; c < columns; ++c) ProjectColumns<1>(rows, X + c * ldx, ldx, rowsOfV, P + c * Width);
}

TALVEX_AVX512 void MultiplyRowsByFactor(const double* T, TSize columns, double* P) {
  TSize c = 0;
  for (; c + FactoredRows <= columns; c += FactoredRows)
    MultiplyByFactor<FactoredRows>(T, P + c * Width);
  for (; c < columns; ++c) MultiplyByFactor<1>(T, P + c * Width);
}

TALVEX_AVX512 void SubtractBlockProduct(TSize rows, TSize columns, const double* V, std::size_t ldv,
                                        const double* P, double* X, std::size_t ldx) {
  TSize c = 0;
  for (; c + SubtractedColumns <= columns; c += SubtractedColumns)
    for (TSize r = 0; r < rows; r += SubtractedRows)
      SubtractColumns<SubtractedColumns>(r, std::min(SubtractedRows, rows - r), V, ldv,
                                         P + c * Width, X + c * ldx, ldx);
  for (; c < columns; ++c)
    for (TSize r = 0; r < rows; r += SubtractedRows)
      SubtractColumns<1>(r, std::min(SubtractedRows, rows - r), V, ldv, P + c * Width, X + c * ldx,
                         ldx);
}

#else

// Never called where the kernels do not run; plain loops with the same
// meaning, for compilers without the vector extensions.
bool BlockReflectorKernelsRun() { return false; }

void ProjectOntoBlock(TSize rows, TSize columns, const double* X, std::size_t ldx,
                      const double* rowsOfV, double* P) {
  for (TSize c = 0; c < columns; ++c) {
    for (TSize s = 0; s < KernelWidth; ++s) {
      double sum = 0.0;
      for (TSize r = 0; r < rows; ++r) sum += X[r + c * ldx] * rowsOfV[r * KernelWidth + s];
      P[c * KernelWidth + s] = sum;
    }
  }
}

void MultiplyRowsByFactor(const double* T, TSize columns, double* P) {
  for (TSize c = 0; c < columns; ++c) {
    double* p = P + c * KernelWidth;
    for (TSize i = 0; i < KernelWidth; ++i) {
      double sum = 0.0;
      for (TSize l = i; l < KernelWidth; ++l) sum += T[l * KernelWidth + i] * p[l];
      p[i] = sum;
    }
  }
}

void SubtractBlockProduct(TSize rows, TSize columns, const double* V, std::size_t ldv,
                          const double* P, double* X, std::size_t ldx) {
  for (TSize c = 0; c < columns; ++c) {
    for (TSize r = 0; r < rows; ++r) {
      double sum = 0.0;
      for (TSize s = 0; s < KernelWidth; ++s) sum += V[r + s * ldv] * P[c * KernelWidth + s];
      X[r + c * ldx] -= sum;
    }
  }
}

#endif

}  // namespace talvex
