// CBLAS calls behind the functions of blas_products.h.
#include "numeric/blas_products.h"

#include <cblas.h>
#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>

#include "base/exception.h"

namespace talvex {

namespace {

// OpenBLAS is loaded here, not linked. Its threaded build starts a pool of
// one thread per core as it is loaded, and where threads cannot be made (a
// process limit) it ends the process with SIGINT before any code of ours
// could answer; it reads its thread count from the environment only then.
// So the count is set to one in the environment just for the loading (the
// program runs its own threads; one thread also keeps the order of every
// sum fixed), as the program starts, before any thread of ours exists.
struct TBlas {
  decltype(&cblas_dgemm) dgemm = nullptr;
  decltype(&cblas_dsyr2k) dsyr2k = nullptr;
  decltype(&cblas_dsymv) dsymv = nullptr;
  decltype(&cblas_dsyrk) dsyrk = nullptr;
  decltype(&cblas_dtrmm) dtrmm = nullptr;
  std::string fault;  // why the library could not be used; empty when it can
};

template <typename TFunction>
void Find(void* library, const char* name, TFunction& function, std::string& fault) {
  function = reinterpret_cast<TFunction>(dlsym(library, name));
  if (function == nullptr && fault.empty()) fault = std::string("it has no ") + name;
}

TBlas LoadBlas() {
  TBlas blas;
  const char* variable = "OPENBLAS_NUM_THREADS";
  const char* before = std::getenv(variable);
  const std::optional<std::string> kept =
      before ? std::optional<std::string>(before) : std::nullopt;
  setenv(variable, "1", 1);
  void* library = dlopen("libopenblas.so.0", RTLD_NOW | RTLD_LOCAL);
  const char* error = library == nullptr ? dlerror() : nullptr;
  if (kept) {
    setenv(variable, kept->c_str(), 1);
  } else {
    unsetenv(variable);
  }
  if (library == nullptr) {
    blas.fault = error != nullptr ? error : "libopenblas.so.0 was not found";
    return blas;
  }
  Find(library, "cblas_dgemm", blas.dgemm, blas.fault);
  Find(library, "cblas_dsyr2k", blas.dsyr2k, blas.fault);
  Find(library, "cblas_dsymv", blas.dsymv, blas.fault);
  Find(library, "cblas_dsyrk", blas.dsyrk, blas.fault);
  Find(library, "cblas_dtrmm", blas.dtrmm, blas.fault);
  // Where the process had loaded it before (a host program's own use), its
  // pool exists already: one thread from now on, and the pool stopped (as
  // the pthread build does before a fork), so that its idle threads do not
  // keep polling for work beside ours.
  using TSetThreads = void (*)(int);
  if (auto set = reinterpret_cast<TSetThreads>(dlsym(library, "openblas_set_num_threads"))) set(1);
  using TShutdown = int (*)();
  if (auto shutdown = reinterpret_cast<TShutdown>(dlsym(library, "blas_thread_shutdown_")))
    shutdown();
  return blas;
}

const TBlas& Blas() {
  static const TBlas blas = LoadBlas();
  return blas;
}

// Loaded as the program starts, while it has one thread: the environment is
// changed only then.
[[maybe_unused]] const bool BlasLoadedAtStart = (Blas(), true);

// The library for a product; raises where it could not be loaded.
const TBlas& Use() {
  const TBlas& blas = Blas();
  if (!blas.fault.empty())
    throw Exception("The linear-algebra library OpenBLAS could not be used: " + blas.fault);
  return blas;
}

inline blasint Int(std::size_t x) { return blasint(x); }

}  // namespace

void MultiplyTransposed(TSize m, TSize n, TSize k, const double* A, std::size_t lda,
                        const double* B, std::size_t ldb, double* C, std::size_t ldc) {
  if (m == 0 || n == 0) return;
  Use().dgemm(CblasColMajor, CblasTrans, CblasNoTrans, Int(m), Int(n), Int(k), 1.0, A, Int(lda), B,
              Int(ldb), 0.0, C, Int(ldc));
}

void Multiply(TSize m, TSize n, TSize k, const double* A, std::size_t lda, const double* B,
              std::size_t ldb, double* C, std::size_t ldc) {
  if (m == 0 || n == 0) return;
  Use().dgemm(CblasColMajor, CblasNoTrans, CblasNoTrans, Int(m), Int(n), Int(k), 1.0, A, Int(lda),
              B, Int(ldb), 0.0, C, Int(ldc));
}

void SubtractProductTransposed(TSize m, TSize n, TSize k, const double* A, std::size_t lda,
                               const double* B, std::size_t ldb, double* C, std::size_t ldc) {
  if (m == 0 || n == 0 || k == 0) return;
  Use().dgemm(CblasColMajor, CblasNoTrans, CblasTrans, Int(m), Int(n), Int(k), -1.0, A, Int(lda), B,
              Int(ldb), 1.0, C, Int(ldc));
}

void SubtractSymmetricRank2k(TSize n, TSize k, const double* V, std::size_t ldv, const double* W,
                             std::size_t ldw, double* C, std::size_t ldc) {
  if (n == 0 || k == 0) return;
  Use().dsyr2k(CblasColMajor, CblasLower, CblasNoTrans, Int(n), Int(k), -1.0, V, Int(ldv), W,
               Int(ldw), 1.0, C, Int(ldc));
}

void MultiplySymmetricLower(TSize n, const double* A, std::size_t lda, const double* x, double* y) {
  if (n == 0) return;
  Use().dsymv(CblasColMajor, CblasLower, Int(n), 1.0, A, Int(lda), x, 1, 0.0, y, 1);
}

void GramUpper(TSize m, TSize k, const double* V, std::size_t ldv, double* G, std::size_t ldg) {
  if (k == 0) return;
  Use().dsyrk(CblasColMajor, CblasUpper, CblasTrans, Int(k), Int(m), 1.0, V, Int(ldv), 0.0, G,
              Int(ldg));
}

void GramUpperInPieces(TSize m, TSize k, const double* V, std::size_t ldv, double* G,
                       std::size_t ldg, const TCheckpoint& checkpoint, double piece) {
  if (double(m) * double(k) * double(k) / 2.0 <= piece) {
    GramUpper(m, k, V, ldv, G, ldg);
    if (checkpoint) checkpoint(1.0);
    return;
  }
  // A block of w columns costs at most m k w.
  const TSize width = TSize(std::clamp(piece / (double(m) * double(k)), 16.0, double(k)));
  for (TSize first = 0; first < k; first += width) {
    const TSize columns = std::min(width, k - first);
    const double* block = V + std::size_t(first) * ldv;
    double* into = G + std::size_t(first) * ldg;
    if (first > 0) MultiplyTransposed(first, columns, m, V, ldv, block, ldv, into, ldg);
    GramUpper(m, columns, block, ldv, into + first, ldg);
    const double done = double(first + columns) / double(k);
    if (checkpoint) checkpoint(done * done);
  }
}

void ScaledOuterGramLower(TSize m, TSize k, double alpha, const double* Z, std::size_t ldz,
                          double* G, std::size_t ldg) {
  if (m == 0) return;
  Use().dsyrk(CblasColMajor, CblasLower, CblasNoTrans, Int(m), Int(k), alpha, Z, Int(ldz), 0.0, G,
              Int(ldg));
}

void AddScaledOuterGramLower(TSize m, TSize k, double alpha, const double* Z, std::size_t ldz,
                             double beta, double* G, std::size_t ldg) {
  Use().dsyrk(CblasColMajor, CblasLower, CblasNoTrans, Int(m), Int(k), alpha, Z, Int(ldz), beta, G,
              Int(ldg));
}

void MultiplyByUpperTriangularTransposed(TSize m, TSize n, const double* T, std::size_t ldt,
                                         double* B, std::size_t ldb) {
  if (m == 0 || n == 0) return;
  Use().dtrmm(CblasColMajor, CblasRight, CblasUpper, CblasTrans, CblasNonUnit, Int(m), Int(n), 1.0,
              T, Int(ldt), B, Int(ldb));
}

}  // namespace talvex
