// Helpers shared by the numeric tests: checking an exception's type and exact
// message, and building containers from literal values.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "base/exception.h"
#include "numeric/blocked_principal_axes.h"
#include "numeric/float_matrix.h"
#include "numeric/float_vector.h"

namespace talvex::testing {

/// Runs f and expects an exception of type E carrying exactly `message`.
template <typename E, typename F>
void ExpectThrowMessage(F&& f, const std::string& message) {
  try {
    f();
    ADD_FAILURE() << "expected an exception with message \"" << message << "\"";
  } catch (const E& e) {
    EXPECT_EQ(std::string(e.what()), message);
  } catch (const std::exception& e) {
    ADD_FAILURE() << "wrong exception type, message \"" << e.what() << "\"";
  }
}

/// A matrix of the given rows (each an initializer list of equal length).
inline TFloatMatrix MatrixOf(std::initializer_list<std::initializer_list<double>> rows) {
  const TSize n = TSize(rows.size());
  const TSize p = n == 0 ? 0 : TSize(rows.begin()->size());
  TFloatMatrix m(n, p);
  TSize i = 1;
  for (const auto& row : rows) {
    TSize j = 1;
    for (double x : row) m.SetValue(i, j++, x);
    ++i;
  }
  return m;
}

inline TFloatMatrix ColumnOf(const std::vector<double>& values) {
  TFloatMatrix m(TSize(values.size()), 1);
  for (TSize i = 1; i <= values.size(); ++i) m.SetValue(i, 1, values[i - 1]);
  return m;
}

/// A random symmetric n x n matrix (elements uniform in -1..1, each zero with
/// probability zeroFraction) in a container with spare capacity, so that its
/// leading dimension differs from n.
inline TFloatMatrix RandomSymmetric(TSize n, unsigned seed, double zeroFraction = 0.0) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> uniform(-1.0, 1.0);
  std::bernoulli_distribution zero(zeroFraction);
  TFloatMatrix a(n + 2, n + 1);  // spare capacity: the leading dimension differs from n
  for (TSize j = 1; j <= n; ++j)
    for (TSize i = j; i <= n; ++i) {
      const double x = zero(rng) ? 0.0 : uniform(rng);
      a.SetValue(i, j, x);
      a.SetValue(j, i, x);
    }
  return a;
}

/// A = Q diag(values) Q^T for a random orthogonal Q (from the blocked
/// reduction of a random symmetric matrix).
inline TFloatMatrix MatrixWithEigenvalues(const std::vector<double>& values, unsigned seed) {
  const TSize n = TSize(values.size());
  TFloatMatrix q = RandomSymmetric(n, seed);
  TFloatVector d(n), e(n);
  ReduceToTridiagonalBlocked(q, n, d, e);
  TFloatMatrix a(n, n);
  for (TSize c = 1; c <= n; ++c)
    for (TSize r = 1; r <= n; ++r) {
      double sum = 0.0;
      for (TSize k = 1; k <= n; ++k) sum += q.GetValue(r, k) * values[k - 1] * q.GetValue(c, k);
      a.SetValue(r, c, sum);
    }
  for (TSize c = 1; c <= n; ++c)
    for (TSize r = c + 1; r <= n; ++r) a.SetValue(c, r, a.GetValue(r, c));
  return a;
}

/// Descending values, orthonormal columns and A v = lambda v for every axis of
/// the n x n matrix a, each element to the absolute tolerance.
inline void ExpectEigenpairs(const TFloatMatrix& a, TSize n, const TFloatVector& values,
                             const TFloatMatrix& vectors, double tolerance) {
  for (TSize j = 1; j <= n; ++j) {
    if (j > 1) {
      EXPECT_GE(values.GetValue(j - 1), values.GetValue(j));
    }
    for (TSize k = 1; k <= n; ++k) {
      double dot = 0.0;
      for (TSize i = 1; i <= n; ++i) dot += vectors.GetValue(i, j) * vectors.GetValue(i, k);
      EXPECT_NEAR(dot, j == k ? 1.0 : 0.0, tolerance) << j << "," << k;
    }
    for (TSize i = 1; i <= n; ++i) {
      double av = 0.0;
      for (TSize k = 1; k <= n; ++k) av += a.GetValue(i, k) * vectors.GetValue(k, j);
      EXPECT_NEAR(av, values.GetValue(j) * vectors.GetValue(i, j), tolerance) << i << "," << j;
    }
  }
}

}  // namespace talvex::testing
