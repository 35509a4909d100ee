// The library's products run on the calling thread alone: after the first one
// no thread of the library is left polling for work, and products from
// several threads at once still give exact results without starting any.
#include "numeric/blas_products.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <thread>
#include <vector>

namespace talvex {
namespace {

std::size_t ThreadsOfThisProcess() {
  return std::size_t(std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                                   std::filesystem::directory_iterator()));
}

// A (m x k) B (k x n) of small integers, so that every sum is exact.
std::vector<double> ProductOfIntegers(TSize m, TSize n, TSize k, int seed) {
  std::vector<double> a(std::size_t(m) * k), b(std::size_t(k) * n), c(std::size_t(m) * n);
  for (std::size_t i = 0; i < a.size(); ++i) a[i] = double((i * 7 + seed) % 11) - 5.0;
  for (std::size_t i = 0; i < b.size(); ++i) b[i] = double((i * 5 + seed) % 13) - 6.0;
  Multiply(m, n, k, a.data(), m, b.data(), k, c.data(), m);
  for (TSize col = 0; col < n; ++col) {
    for (TSize row = 0; row < m; ++row) {
      double sum = 0.0;
      for (TSize j = 0; j < k; ++j)
        sum += a[std::size_t(j) * m + row] * b[std::size_t(col) * k + j];
      EXPECT_EQ(c[std::size_t(col) * m + row], sum) << row << ", " << col;
    }
  }
  return c;
}

TEST(BlasProducts, NoThreadOfTheLibraryOutlivesTheFirstProduct) {
  ProductOfIntegers(3, 2, 4, 1);
  EXPECT_EQ(ThreadsOfThisProcess(), 1u);

  // Large enough that a library with threads of its own would use them.
  std::vector<std::thread> threads;
  for (int t = 0; t < 2; ++t) threads.emplace_back([t] { ProductOfIntegers(300, 200, 250, t); });
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(ThreadsOfThisProcess(), 1u);
}

}  // namespace
}  // namespace talvex
