// The jackknife's mends: reduced axes turned towards the full-sample ones,
// the size axis oriented by the sum of its coefficients, probabilities of
// coefficients independent of the axis' sign, and standard errors of zero.
#include "analysis/jackknife.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

#include "numeric/principal_axes.h"
#include "refusing_thread_starter.h"
#include "test_support.h"

namespace talvex {
namespace {

using testing::LoadFixture;
using testing::Request;
using testing::TFullSampleAxes;
using testing::TRefusingStarter;

struct TFullSample {
  TFloatMatrix data{0, 0};
  TFloatVector values{0};
  TFloatMatrix vectors{0, 0};
  TFloatVector macs{0};
};

TFullSample Decompose(const TDataMatrix& file, DispersionMethod method) {
  const TSize n = file.objectCount, p = file.variableCount;
  TFullSample s{TFloatMatrix(n, p), TFloatVector(p), TFloatMatrix(p, p), TFloatVector(p)};
  for (TSize i = 1; i <= n; ++i)
    for (TSize j = 1; j <= p; ++j)
      s.data.SetValue(i, j, std::log10(file.values.GetValue((i - 1) * p + j)));
  TPrincipalAxes axes = PrincipalAxes(n, p, s.data, method);
  s.values = std::move(axes.eigenvalues);
  s.vectors = std::move(axes.eigenvectors);
  return s;
}

TJackknifeInput InputFor(const TFullSample& s, TSize n, TSize p, double orientation) {
  return {{s.data, n, p, p, DispersionMethod::Covariance},
          s.values,
          s.vectors,
          TJackknifeAllometry{s.macs, orientation}};
}

// The input of a run without allometry.
TJackknifeInput PlainInput(const TFloatMatrix& data, TSize n, TSize p, TSize k,
                           DispersionMethod method, const TFloatVector& values,
                           const TFloatMatrix& vectors) {
  return {{data, n, p, k, method}, values, vectors, std::nullopt};
}

// Every reduced axis points against a full-sample axis given negated. Turned
// towards it, the pseudo-values are those of the unnegated run, negated; the
// allometric coefficients, oriented by their own rule, do not change at all.
TEST(Jackknife, ReducedAxesFollowTheFullSampleAxes) {
  const TDataMatrix file = LoadFixture("morph.nts");
  const TSize n = file.objectCount, p = file.variableCount;
  TFullSample plain = Decompose(file, DispersionMethod::Covariance);
  double sum = 0.0;
  for (TSize j = 1; j <= p; ++j) sum += plain.vectors.GetValue(j, 1);
  const double orientation = sum < 0 ? -1.0 : 1.0;
  for (TSize j = 1; j <= p; ++j)
    plain.macs.SetValue(j, orientation * plain.vectors.GetValue(j, 1) * std::sqrt(double(p)));

  TFullSample flipped = plain;
  for (TSize j = 1; j <= p; ++j)
    for (TSize a = 1; a <= p; ++a) flipped.vectors.SetValue(j, a, -plain.vectors.GetValue(j, a));

  const TJackknifeResults a = RunJackknife(InputFor(plain, n, p, orientation), {.threads = 2});
  const TJackknifeResults b = RunJackknife(InputFor(flipped, n, p, -orientation), {.threads = 2});
  for (std::size_t c = 0; c < a.vectors.size(); ++c) {
    EXPECT_NEAR(b.vectors[c].estimate, -a.vectors[c].estimate, 1e-12);
    EXPECT_NEAR(b.vectors[c].standardError, a.vectors[c].standardError, 1e-12);
    EXPECT_NEAR(b.vectors[c].probability, a.vectors[c].probability, 1e-12);
    EXPECT_LT(a.vectors[c].standardError, 1.0);  // no (2n - 1)-fold pseudo-values
  }
  for (std::size_t j = 0; j < a.macs.size(); ++j) {
    EXPECT_NEAR(b.macs[j].estimate, a.macs[j].estimate, 1e-12);
    EXPECT_NEAR(a.macs[j].estimate, 1.0, 0.5);  // near isometry, not near -1
  }
}

// One variable: its eigenvalue and eigenvector are the same in every reduced
// sample, so every standard error is zero. The run completes; P is the limit
// of its formula, or "nan" where the estimate equals the tested value.
TEST(Jackknife, ZeroStandardErrorsDoNotStopTheRun) {
  const TDataMatrix data = LoadFixture("one_variable.nts");
  TAnalysisOptions options;
  TAnalysisResults results;
  TReportListing listing;
  RunAnalysis(Request(options, 1), data, results, listing);
  const std::vector<std::string>& lines = listing.Lines();
  const auto eigenvalues =
      std::find(lines.begin(), lines.end(), "i  Eigenvalue        SE          P");
  ASSERT_NE(eigenvalues, lines.end());
  EXPECT_EQ(eigenvalues[1], "1   1.000000    0.00000000    0.0000");

  options.method = DispersionMethod::Covariance;
  options.transformation = DataTransform::TransformDecimal;
  RunAnalysis(Request(options, 1), data, results, listing);
  EXPECT_EQ(listing.Lines().back(), "Size         1.0000    0.0000       nan");
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void ExpectSameResults(const TJackknifeResults& a, const TJackknifeResults& b) {
  auto same = [](const std::vector<TJackknifeStatistic>& x,
                 const std::vector<TJackknifeStatistic>& y) {
    ASSERT_EQ(x.size(), y.size());
    for (std::size_t i = 0; i < x.size(); ++i) {
      EXPECT_TRUE(SameBits(x[i].estimate, y[i].estimate)) << i;
      EXPECT_TRUE(SameBits(x[i].standardError, y[i].standardError)) << i;
      EXPECT_TRUE(SameBits(x[i].probability, y[i].probability)) << i;
    }
  };
  same(a.eigenvalues, b.eigenvalues);
  same(a.vectors, b.vectors);
  same(a.macs, b.macs);
}

// A system that cannot start all the workers asked for (or none) must not
// end the program: the loop goes on with fewer threads, bit for bit the same.
// Of a tied pair of eigenvalues, every reduced sample keeps one at (n - 1) /
// (n - 2) times its value: the pseudo-values are all alike, and a standard
// error of rounding (8.6e-16 beside values near 1) is 0, so that no t of
// 1e14 is made of it. A real spread of a tiny eigenvalue (5.5e-10 beside an
// estimate of 2.3e-9) stays what it is.
TEST(Jackknife, AStandardErrorAtRoundingLevelIsZero) {
  const double n = 40.0;
  const auto squaresFor = [n](double se) { return se * se * (n - 1.0) * n; };
  const double tied = n - (n - 1.0) * (n - 1.0) / (n - 2.0);
  const TJackknifeStatistic s =
      FinishJackknifeStatistic(tied, squaresFor(8.6e-16), 40, TJackknifeTail::Upper, 1.0);
  EXPECT_EQ(s.standardError, 0.0);
  EXPECT_EQ(s.probability, 1.0);  // the limit of the upper tail for a negative estimate
  const TJackknifeStatistic tiny =
      FinishJackknifeStatistic(2.34e-9, squaresFor(5.49e-10), 40, TJackknifeTail::Upper, 2.11e-9);
  EXPECT_NEAR(tiny.standardError, 5.49e-10, 1e-22);
  EXPECT_GT(tiny.probability, 0.0);
  EXPECT_LT(tiny.probability, 1e-3);
}

TEST(Jackknife, ThreadsThatCannotStartAreDoneWithout) {
  const TDataMatrix file = LoadFixture("morph.nts");
  const TSize n = file.objectCount, p = file.variableCount;
  TFullSample s = Decompose(file, DispersionMethod::Covariance);
  const TJackknifeInput input = InputFor(s, n, p, 1.0);
  const TJackknifeResults expected = RunJackknife(input, {.threads = 1});
  for (unsigned allowed : {0u, 1u, 3u}) {
    SCOPED_TRACE(allowed);
    TRefusingStarter starter(allowed);
    TJackknifeResults results;
    ASSERT_NO_THROW(results = RunJackknife(input, {.threads = 4, .threadStarter = starter}));
    EXPECT_EQ(starter.started, allowed);
    EXPECT_GT(starter.asked, allowed);
    ExpectSameResults(results, expected);
  }
}

// Many statistics are finished on two threads, half each: the results are
// those of one thread, and without a second thread to be had the run's own
// finishes them all.
TEST(Jackknife, StatisticsFinishedOnTwoThreadsAreThoseOfOne) {
  const TSize n = 80, p = 70;  // p x p = 4900 coefficients
  TFloatMatrix data(n, p);
  for (TSize i = 1; i <= n; ++i)
    for (TSize j = 1; j <= p; ++j)
      data.SetValue(i, j, 3.0 + std::sin(0.9 * i + j) * (1.0 + 0.05 * j) + std::cos(0.3 * i * j));
  const TFullSampleAxes full(data, n, p, DispersionMethod::Correlation);
  const TJackknifeInput input =
      PlainInput(data, n, p, p, DispersionMethod::Correlation, full.values, full.axes);
  TRefusingStarter one(1), two(2);
  const TJackknifeResults alone = RunJackknife(input, {.threads = 1, .threadStarter = one});
  EXPECT_EQ(one.asked, 2u);  // the worker, then a second thread for the statistics
  EXPECT_EQ(one.started, 1u);
  ExpectSameResults(RunJackknife(input, {.threads = 1, .threadStarter = two}), alone);
  EXPECT_EQ(two.started, 2u);
}

// A fault in a reduced sample is still reported when no worker could start.
TEST(Jackknife, FaultsOfTheCallingThreadAloneAreReported) {
  const TDataMatrix data = LoadFixture("two_objects.nts");
  TFloatMatrix x(2, 2);
  for (TSize i = 1; i <= 2; ++i)
    for (TSize j = 1; j <= 2; ++j) x.SetValue(i, j, data.values.GetValue((i - 1) * 2 + j));
  const auto [trace, values, vectors] = PrincipalAxes(2, 2, x, DispersionMethod::Correlation);
  const TJackknifeInput input =
      PlainInput(x, 2, 2, 2, DispersionMethod::Correlation, values, vectors);
  TRefusingStarter starter(0);
  EXPECT_THROW(RunJackknife(input, {.threads = 2, .threadStarter = starter}), Exception);
}

// More variables than objects, past the size where the reduced samples are
// reduced by panels: rank n - 1 in the full sample and n - 2 in every reduced
// one. The eigenvalues within the rank and the first axes agree with a
// jackknife computed the plain way, each reduced sample decomposed from its
// rows by the exact scheme; the eigenvalues past the reduced rank are zero
// in every sample, so their estimates are zero to rounding too.
TEST(Jackknife, MoreVariablesThanObjects) {
  const TSize n = 24, p = 150, k = 3;
  TFloatMatrix data(n, p);
  for (TSize i = 1; i <= n; ++i) {
    const double size = std::sin(1.7 * i);
    for (TSize j = 1; j <= p; ++j)
      data.SetValue(i, j, 20.0 + (1.0 + 0.01 * j) * size + 0.3 * std::cos(0.37 * i * j + j));
  }
  for (DispersionMethod method : {DispersionMethod::Correlation, DispersionMethod::Covariance}) {
    SCOPED_TRACE(int(method));
    TFloatMatrix rows(n - 1, p);
    const auto [trace, values, vectors] = PrincipalAxes(n, p, data, method);
    const TJackknifeInput input = PlainInput(data, n, p, k, method, values, vectors);
    const TJackknifeResults results = RunJackknife(input, {.threads = 2});

    std::vector<double> valueSums(p, 0.0), vectorSums(std::size_t(p) * k, 0.0);
    for (TSize left = 1; left <= n; ++left) {
      for (TSize j = 1; j <= p; ++j)
        for (TSize i = 1, r = 1; i <= n; ++i)
          if (i != left) rows.SetValue(r++, j, data.GetValue(i, j));
      const auto [reducedTrace, reducedValues, reducedVectors] =
          PrincipalAxes(n - 1, p, rows, method);
      for (TSize c = 1; c <= p; ++c)
        valueSums[c - 1] += n * values.GetValue(c) - (n - 1.0) * reducedValues.GetValue(c);
      for (TSize a = 1; a <= k; ++a) {
        double dot = 0.0;
        for (TSize j = 1; j <= p; ++j)
          dot += vectors.GetValue(j, a) * reducedVectors.GetValue(j, a);
        const double sign = dot < 0.0 ? -1.0 : 1.0;
        for (TSize j = 1; j <= p; ++j)
          vectorSums[(a - 1) * p + j - 1] +=
              n * vectors.GetValue(j, a) - (n - 1.0) * sign * reducedVectors.GetValue(j, a);
      }
    }
    const double largest = values.GetValue(1);
    for (TSize c = 1; c <= n - 2; ++c)
      EXPECT_NEAR(results.eigenvalues[c - 1].estimate, valueSums[c - 1] / n, 1e-9 * largest) << c;
    for (TSize c = n; c <= p; ++c)
      EXPECT_NEAR(results.eigenvalues[c - 1].estimate, 0.0, 1e-9 * largest) << c;
    for (std::size_t i = 0; i < vectorSums.size(); ++i)
      EXPECT_NEAR(results.vectors[i].estimate, vectorSums[i] / n, 1e-7) << i;

    // Shown past the reduced rank, an axis no reduced sample determines is
    // taken to be the full-sample one: its estimates are the full-sample
    // coefficients, without spread.
    TJackknifeInput all = input;
    all.axisCount = n;
    const TJackknifeResults wide = RunJackknife(all, {.threads = 2});
    for (TSize a = n - 1; a <= n; ++a) {
      for (TSize j = 1; j <= p; ++j) {
        const TJackknifeStatistic& s = wide.vectors[std::size_t(a - 1) * p + j - 1];
        EXPECT_NEAR(s.estimate, vectors.GetValue(j, a), 1e-12) << a << ' ' << j;
        EXPECT_EQ(s.standardError, 0.0) << a << ' ' << j;
      }
    }
    for (std::size_t i = 0; i < vectorSums.size(); ++i)
      EXPECT_NEAR(wide.vectors[i].estimate, results.vectors[i].estimate, 1e-12) << i;
  }
}

// A wide jackknife stops when asked, between two reduced samples, with
// decompositions still running on the other thread.
TEST(Jackknife, WideRunStopsWhenCancelled) {
  class TCancelAfter : public TRunObserver {
   public:
    void JackknifeIteration(TSize object, TSize) override { last = object; }
    bool CancelRequested() override { return last >= 3; }
    TSize last = 0;
  } observer;
  const TSize n = 30, p = 300;
  TFloatMatrix data(n, p);
  for (TSize i = 1; i <= n; ++i)
    for (TSize j = 1; j <= p; ++j) data.SetValue(i, j, std::sin(0.91 * i * j) + 0.1 * j);
  const TFullSampleAxes full(data, n, p, DispersionMethod::Correlation);
  const TJackknifeInput input =
      PlainInput(data, n, p, p, DispersionMethod::Correlation, full.values, full.axes);
  EXPECT_THROW(RunJackknife(input, {.threads = 2, .observer = &observer}), ERunCancelled);
  EXPECT_EQ(observer.last, 3u);
}

// The run in two steps: under correlations the workers decompose while the
// caller works (here: waits until the ring must be full), and the results
// are those of RunJackknife bit for bit, also with more variables than the
// reduced samples determine (whose axes past the rank the consumer fills
// in), and under covariances (whose workers start in Finish). A run left
// unfinished stops its workers and returns.
TEST(Jackknife, StartedBeforeTheFullSampleIsDecomposed) {
  const TSize n = 40;
  for (auto [p, method] : {std::pair<TSize, DispersionMethod>{12, DispersionMethod::Correlation},
                           {45, DispersionMethod::Correlation},
                           {12, DispersionMethod::Covariance}}) {
    SCOPED_TRACE(p);
    TFloatMatrix data(n, p);
    for (TSize i = 1; i <= n; ++i)
      for (TSize j = 1; j <= p; ++j)
        data.SetValue(i, j, 5.0 + std::sin(1.3 * i) * (1.0 + 0.1 * j) + std::cos(0.7 * i * j));
    TJackknifeRun early({data, n, p, p, method}, {.threads = 2});
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const TFullSampleAxes full(data, n, p, method);
    const TJackknifeInput input = PlainInput(data, n, p, p, method, full.values, full.axes);
    ExpectSameResults(early.Finish(input), RunJackknife(input, {.threads = 1}));

    TJackknifeRun unfinished({data, n, p, p, method}, {.threads = 2});
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace
}  // namespace talvex
