// Wide data beyond the exact scheme's variable limit: the reduced samples
// through the full sample's objects' products against each reduced sample
// decomposed on its own, and a whole run (listing, sizes, jackknife) against
// a jackknife computed the plain way.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>

#include "analysis/analysis_run.h"
#include "analysis/analysis_state.h"
#include "analysis/jackknife.h"
#include "analysis/leave_one_out.h"
#include "numeric/float_faults.h"
#include "numeric/principal_axes.h"
#include "numeric/sizes.h"
#include "test_support.h"
#include "tests/support/factor_data.h"

namespace talvex {
namespace {

using testing::Dot;

// n x p data with a common factor, so the leading eigenvalues stand apart.
TFloatMatrix FactorData(TSize n, TSize p, unsigned seed) {
  return testing::FactorData(n, p, seed, 0.01);
}

TFloatMatrix WithoutObject(const TFloatMatrix& x, TSize n, TSize p, TSize left) {
  TFloatMatrix rows(n - 1, p);
  for (TSize j = 1; j <= p; ++j)
    for (TSize i = 1, r = 1; i <= n; ++i)
      if (i != left) rows.SetValue(r++, j, x.GetValue(i, j));
  return rows;
}

// The n x p values of x as loaded data, objects and variables numbered.
TDataMatrix Loaded(const TFloatMatrix& x, TSize n, TSize p) {
  TDataMatrix data;
  data.objectCount = n;
  data.variableCount = p;
  data.valueCount = n * p;
  data.values = TFloatVector(n * p);
  for (TSize i = 1; i <= n; ++i) {
    data.objectLabels.push_back("o" + std::to_string(i));
    for (TSize j = 1; j <= p; ++j) data.values.SetValue((i - 1) * p + j, x.GetValue(i, j));
  }
  for (TSize j = 1; j <= p; ++j) data.variableLabels.push_back("v" + std::to_string(j));
  return data;
}

struct TShape {
  TSize n, p;
};

// More variables than objects (p > n) and as many (p = n): every reduced
// sample has more variables than objects. Its eigenvalues within the rank
// n - 2 agree with its own exact decomposition to 1e-11 of the largest,
// those past it are 0, and its first axes are the exact ones up to sign.
TEST(WideData, ReducedSamplesAgreeWithTheirOwnDecomposition) {
  for (const TShape shape : {TShape{12, 300}, TShape{260, 260}}) {
    const TSize n = shape.n, p = shape.p, k = 4;
    ASSERT_TRUE(WideThroughObjects(n, p));
    const TFloatMatrix x = FactorData(n, p, n);
    for (DispersionMethod method : {DispersionMethod::Covariance, DispersionMethod::Correlation}) {
      SCOPED_TRACE(::testing::Message() << n << " x " << p << " method " << int(method));
      ClearFloatFaults();
      TLeaveOneOut leaveOneOut(x, n, p, method);
      TLeaveOneOut::TWorkspace ws(n, p, k);
      EXPECT_EQ(ws.vectors.MaxCols(), k);  // never p x p
      EXPECT_EQ(ws.work.MaxRows(), 0u);
      for (TSize i : {TSize(1), TSize(n / 2), n}) {
        SCOPED_TRACE(i);
        const TSize rank = leaveOneOut.Decompose(i, ws, k);
        EXPECT_EQ(rank, n - 2);
        const TPrincipalAxes exact = PrincipalAxes(n - 1, p, WithoutObject(x, n, p, i), method);
        const double largest = exact.eigenvalues.GetValue(1);
        for (TSize c = 1; c <= p; ++c) {
          if (c <= n - 2) {
            EXPECT_NEAR(ws.values.GetValue(c), exact.eigenvalues.GetValue(c), 1e-11 * largest);
          } else {
            ASSERT_EQ(ws.values.GetValue(c), 0.0) << c;
          }
        }
        for (TSize a = 1; a <= k; ++a) {
          EXPECT_NEAR(Dot(ws.vectors, a, ws.vectors, a, p), 1.0, 1e-13);
          const double gap = std::min(
              exact.eigenvalues.GetValue(a) - exact.eigenvalues.GetValue(a + 1),
              a > 1 ? exact.eigenvalues.GetValue(a - 1) - exact.eigenvalues.GetValue(a) : largest);
          if (gap > 1e-3 * largest) {
            EXPECT_NEAR(std::fabs(Dot(ws.vectors, a, exact.eigenvectors, a, p)), 1.0, 1e-9) << a;
          }
        }
      }
    }
  }
}

// Objects made of two factors: every reduced sample has rank 2; and a
// constant variable has no share in any reduced axis under covariances.
TEST(WideData, RankDeficientSamplesAndAConstantVariable) {
  const TSize n = 9, p = 280, k = 3;
  std::mt19937 rng(4);
  std::normal_distribution<double> normal;
  std::vector<double> f1(n), f2(n);
  for (TSize i = 0; i < n; ++i) f1[i] = normal(rng), f2[i] = normal(rng);
  TFloatMatrix x(n, p);
  for (TSize j = 1; j <= p; ++j) {
    const double b1 = normal(rng), b2 = normal(rng);
    for (TSize i = 1; i <= n; ++i)
      x.SetValue(i, j, j == 7 ? 4.0 : 20.0 + b1 * f1[i - 1] + b2 * f2[i - 1]);
  }
  ClearFloatFaults();
  TLeaveOneOut leaveOneOut(x, n, p, DispersionMethod::Covariance);
  TLeaveOneOut::TWorkspace ws(n, p, k);
  for (TSize i = 1; i <= n; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(leaveOneOut.Decompose(i, ws, k), 2u);
    const TPrincipalAxes exact =
        PrincipalAxes(n - 1, p, WithoutObject(x, n, p, i), DispersionMethod::Covariance);
    for (TSize c = 1; c <= 2; ++c)
      EXPECT_NEAR(ws.values.GetValue(c), exact.eigenvalues.GetValue(c),
                  1e-11 * exact.eigenvalues.GetValue(1));
    EXPECT_EQ(ws.values.GetValue(3), 0.0);
    for (TSize a = 1; a <= 2; ++a) {
      EXPECT_EQ(ws.vectors.GetValue(7, a), 0.0);
      EXPECT_NEAR(std::fabs(Dot(ws.vectors, a, exact.eigenvectors, a, p)), 1.0, 1e-9);
    }
  }
  // Under correlations the constant variable cannot be standardised.
  ClearFloatFaults();
  TLeaveOneOut correlations(x, n, p, DispersionMethod::Correlation);
  EXPECT_THROW(correlations.Decompose(1, ws, k), Exception);
  ClearFloatFaults();
}

// A whole run of 10 objects and 300 variables: the default of ten
// components is said in the header, no p x p matrix is made or listed, and
// the jackknife agrees with one computed the plain way (each reduced sample
// decomposed by the exact scheme, its axes aligned with the full sample's).
TEST(WideData, RunAndJackknifeAgreeWithThePlainWay) {
  using namespace testing::option_names;
  const TSize n = 10, p = 300;
  const TFloatMatrix x = FactorData(n, p, 21);
  const TDataMatrix data = Loaded(x, n, p);
  const TSize k = DefaultFactorCount(n, p);
  ASSERT_EQ(k, 9u);  // n - 1 axes at most
  for (DispersionMethod method : {Corr, Cov}) {
    SCOPED_TRACE(int(method));
    TAnalysisResults results;
    TReportListing listing;
    RunAnalysis(testing::Request(testing::Options(method, Raw, true), k, 2), data, results,
                listing);
    const auto& lines = listing.Lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Components shown       = 9 of 300"),
              lines.end());
    EXPECT_NE(
        std::find(lines.begin(), lines.end(), "Not listed beyond 255 variables (45150 values)."),
        lines.end());
    EXPECT_EQ(results.axesRoute, TAxesRoute::ThroughObjects);
    EXPECT_EQ(results.eigenvectors.GetSize(), (TFloatMatrix::TExtent{p, k}));
    EXPECT_EQ(results.tables.dispersion.MaxRows(), 0u);
    ASSERT_TRUE(results.tables.jackknife.has_value());
    const TJackknifeResults& jk = *results.tables.jackknife;
    ASSERT_EQ(jk.vectors.size(), std::size_t(p) * k);

    const TPrincipalAxes full = PrincipalAxes(n, p, x, method);
    for (TSize c = 1; c <= n - 1; ++c)
      EXPECT_NEAR(results.eigenvalues.GetValue(c), full.eigenvalues.GetValue(c),
                  1e-12 * full.eigenvalues.GetValue(1));
    std::vector<double> valuePv(std::size_t(n) * p), vectorPv(std::size_t(n) * p * k);
    for (TSize left = 1; left <= n; ++left) {
      const TPrincipalAxes reduced = PrincipalAxes(n - 1, p, WithoutObject(x, n, p, left), method);
      for (TSize c = 1; c <= p; ++c)
        valuePv[std::size_t(left - 1) * p + c - 1] =
            n * results.eigenvalues.GetValue(c) -
            (n - 1.0) * (c <= n - 2 ? reduced.eigenvalues.GetValue(c) : 0.0);
      for (TSize a = 1; a <= k; ++a) {
        const double sign = Dot(results.eigenvectors, a, reduced.eigenvectors, a, p) < 0 ? -1 : 1;
        for (TSize j = 1; j <= p; ++j) {
          // Past the reduced rank (n - 2) the axis is the full sample's.
          const double r = a <= n - 2 ? sign * reduced.eigenvectors.GetValue(j, a)
                                      : results.eigenvectors.GetValue(j, a);
          vectorPv[(std::size_t(left - 1) * p * k) + std::size_t(a - 1) * p + j - 1] =
              n * results.eigenvectors.GetValue(j, a) - (n - 1.0) * r;
        }
      }
    }
    auto se = [&](const std::vector<double>& pv, std::size_t index, std::size_t stride) {
      double mean = 0.0, squares = 0.0;
      for (TSize i = 0; i < n; ++i) mean += pv[i * stride + index];
      mean /= n;
      for (TSize i = 0; i < n; ++i) squares += std::pow(pv[i * stride + index] - mean, 2);
      return std::pair{mean, std::sqrt(squares / (double(n) * (n - 1)))};
    };
    for (TSize c = 1; c <= n - 2; ++c) {
      const auto [mean, error] = se(valuePv, c - 1, p);
      EXPECT_NEAR(jk.eigenvalues[c - 1].estimate, mean, 1e-9 * full.eigenvalues.GetValue(1));
      EXPECT_NEAR(jk.eigenvalues[c - 1].standardError, error, 1e-9 * full.eigenvalues.GetValue(1));
    }
    for (TSize a = 1; a <= 3; ++a)
      for (TSize j = 1; j <= p; j += 37) {
        const auto [mean, error] = se(vectorPv, std::size_t(a - 1) * p + j - 1, std::size_t(p) * k);
        const TJackknifeStatistic& s = jk.vectors[std::size_t(a - 1) * p + j - 1];
        EXPECT_NEAR(s.estimate, mean, 1e-8) << a << " " << j;
        EXPECT_NEAR(s.standardError, error, 1e-8) << a << " " << j;
      }
  }
}

// Cancel is heard inside the full-sample decomposition of wide data, which
// no jackknife iteration follows: an observer that asks to stop once that
// step has started stops the run there, and the results stay as they were.
TEST(WideData, CancelStopsTheFullSampleDecomposition) {
  class TStopAtDecomposition : public TRunObserver {
   public:
    void StepStarted(const char* step) override {
      asking = asking || std::string(step) == "Eigen-decomposition";
    }
    bool CancelRequested() override {
      polls += asking ? 1 : 0;
      return asking;
    }
    bool asking = false;
    int polls = 0;
  } observer;
  using namespace testing::option_names;
  const TSize n = 6, p = 3000;
  const TFloatMatrix x = FactorData(n, p, 2);
  const TDataMatrix data = Loaded(x, n, p);
  TAnalysisResults results;
  results.trace = -1.0;
  TReportListing listing;
  TRunRequest request = testing::Request(testing::Options(Cov, Raw, false), 2);
  request.observer = &observer;
  EXPECT_THROW(RunAnalysis(request, data, results, listing), ERunCancelled);
  EXPECT_EQ(observer.polls, 1);  // at the first checkpoint of the decomposition
  EXPECT_EQ(results.trace, -1.0);
  EXPECT_EQ(std::find(listing.Lines().begin(), listing.Lines().end(), "Eigenvalues"),
            listing.Lines().end());
}

// Loading holds the data and sizes no results: 3 objects by 100,000
// variables load, with two components by default.
TEST(WideData, LoadingSizesNoResults) {
  TDataMatrix data;
  data.objectCount = 3;
  data.variableCount = 100000;
  data.valueCount = 300000;
  data.values = TFloatVector(300000);
  data.values.Fill(300000, 1.0);
  data.objectLabels = {"a", "b", "c"};
  data.variableLabels.assign(100000, "v");
  TAnalysisState state;
  state.LoadData(std::move(data), "wide.csv");
  EXPECT_TRUE(state.DataLoaded());
  EXPECT_EQ(state.FactorCount(), 2u);
  EXPECT_EQ(state.Results().eigenvectors.MaxRows(), 0u);
  EXPECT_EQ(state.Results().scores.MaxRows(), 0u);
}

}  // namespace
}  // namespace talvex
