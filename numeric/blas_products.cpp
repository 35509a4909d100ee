// CBLAS calls behind the functions of blas_products.h.
#include "numeric/blas_products.h"

#include <cblas.h>
#include <dlfcn.h>

#include <mutex>

namespace talvex {

namespace {

/// OpenBLAS starts with one thread per core; set once to one, before the
/// first product. Its idle server threads keep polling for work for a while
/// after they start, taking processor time from our own workers; the pthread
/// build can stop them (as it does before a fork), and with one thread it
/// never needs them again. The symbol is looked up, not linked: another
/// build of the library may stand in for this one.
void UseOneBlasThread() {
  static std::once_flag once;
  std::call_once(once, [] {
    openblas_set_num_threads(1);
    using TShutdown = int (*)();
    if (auto shutdown = reinterpret_cast<TShutdown>(dlsym(RTLD_DEFAULT, "blas_thread_shutdown_")))
      shutdown();
  });
}

// Done as the program starts too: a run that never multiplies (no
// jackknife), or the desktop program waiting for its user, would otherwise
// leave the server threads polling.
[[maybe_unused]] const bool BlasThreadsStoppedAtStart = (UseOneBlasThread(), true);

inline blasint Int(std::size_t x) { return blasint(x); }

}  // namespace

void MultiplyTransposed(TSize m, TSize n, TSize k, const double* A, std::size_t lda,
                        const double* B, std::size_t ldb, double* C, std::size_t ldc) {
  if (m == 0 || n == 0) return;
  UseOneBlasThread();
  cblas_dgemm(CblasColMajor, CblasTrans, CblasNoTrans, Int(m), Int(n), Int(k), 1.0, A, Int(lda), B,
              Int(ldb), 0.0, C, Int(ldc));
}

void Multiply(TSize m, TSize n, TSize k, const double* A, std::size_t lda, const double* B,
              std::size_t ldb, double* C, std::size_t ldc) {
  if (m == 0 || n == 0) return;
  UseOneBlasThread();
  cblas_dgemm(CblasColMajor, CblasNoTrans, CblasNoTrans, Int(m), Int(n), Int(k), 1.0, A, Int(lda),
              B, Int(ldb), 0.0, C, Int(ldc));
}

void SubtractProductTransposed(TSize m, TSize n, TSize k, const double* A, std::size_t lda,
                               const double* B, std::size_t ldb, double* C, std::size_t ldc) {
  if (m == 0 || n == 0 || k == 0) return;
  UseOneBlasThread();
  cblas_dgemm(CblasColMajor, CblasNoTrans, CblasTrans, Int(m), Int(n), Int(k), -1.0, A, Int(lda), B,
              Int(ldb), 1.0, C, Int(ldc));
}

void SubtractSymmetricRank2k(TSize n, TSize k, const double* V, std::size_t ldv, const double* W,
                             std::size_t ldw, double* C, std::size_t ldc) {
  if (n == 0 || k == 0) return;
  UseOneBlasThread();
  cblas_dsyr2k(CblasColMajor, CblasLower, CblasNoTrans, Int(n), Int(k), -1.0, V, Int(ldv), W,
               Int(ldw), 1.0, C, Int(ldc));
}

void MultiplySymmetricLower(TSize n, const double* A, std::size_t lda, const double* x, double* y) {
  if (n == 0) return;
  UseOneBlasThread();
  cblas_dsymv(CblasColMajor, CblasLower, Int(n), 1.0, A, Int(lda), x, 1, 0.0, y, 1);
}

void GramUpper(TSize m, TSize k, const double* V, std::size_t ldv, double* G, std::size_t ldg) {
  if (k == 0) return;
  UseOneBlasThread();
  cblas_dsyrk(CblasColMajor, CblasUpper, CblasTrans, Int(k), Int(m), 1.0, V, Int(ldv), 0.0, G,
              Int(ldg));
}

void ScaledOuterGramLower(TSize m, TSize k, double alpha, const double* Z, std::size_t ldz,
                          double* G, std::size_t ldg) {
  if (m == 0) return;
  UseOneBlasThread();
  cblas_dsyrk(CblasColMajor, CblasLower, CblasNoTrans, Int(m), Int(k), alpha, Z, Int(ldz), 0.0, G,
              Int(ldg));
}

void MultiplyByUpperTriangularTransposed(TSize m, TSize n, const double* T, std::size_t ldt,
                                         double* B, std::size_t ldb) {
  if (m == 0 || n == 0) return;
  UseOneBlasThread();
  cblas_dtrmm(CblasColMajor, CblasRight, CblasUpper, CblasTrans, CblasNonUnit, Int(m), Int(n), 1.0,
              T, Int(ldt), B, Int(ldb));
}

}  // namespace talvex
