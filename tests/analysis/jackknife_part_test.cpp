// The jackknife in parts: merged, the parts give RunJackknife's results bit
// for bit, however the objects are split, on any number of threads, at the
// rank boundary too; parts that do not fit are refused.
#include "analysis/jackknife_part.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "analysis/allometry.h"
#include "analysis/analysed_data.h"
#include "test_support.h"

namespace talvex {
namespace {

using testing::LoadFixture;
using testing::TFullSampleAxes;

bool SameBits(const std::vector<TJackknifeStatistic>& a,
              const std::vector<TJackknifeStatistic>& b) {
  return a.size() == b.size() &&
         (a.empty() ||
          std::memcmp(a.data(), b.data(), a.size() * sizeof(TJackknifeStatistic)) == 0);
}

void ExpectSameBits(const TJackknifeResults& a, const TJackknifeResults& b) {
  EXPECT_EQ(a.axisCount, b.axisCount);
  EXPECT_TRUE(SameBits(a.eigenvalues, b.eigenvalues));
  EXPECT_TRUE(SameBits(a.vectors, b.vectors));
  EXPECT_TRUE(SameBits(a.macs, b.macs));
}

struct TCase {
  const char* file;
  DispersionMethod method;
  DataTransform transformation;
  TSize axes;  // 0: all
};

class JackknifePart : public ::testing::TestWithParam<TCase> {};

TEST_P(JackknifePart, MergedPartsAreTheWholeLoop) {
  const TCase c = GetParam();
  const TDataMatrix file = LoadFixture(c.file);
  const TSize n = file.objectCount, p = file.variableCount, k = c.axes ? c.axes : p;
  const TFloatMatrix x = AnalysedData(file, c.transformation);
  const TFullSampleAxes full(x, n, p, c.method);
  TFloatVector macs(p);
  double orientation = 1.0;
  const bool allometry =
      c.method == DispersionMethod::Covariance && c.transformation != DataTransform::TransformRaw;
  if (allometry) {
    const std::span<const double> sizeAxis(full.axes.Column(1), p);
    orientation = SizeAxisOrientation(sizeAxis);
    AllometricCoefficients(sizeAxis, orientation, std::span(macs.Data(), p));
    macs.Extend(p);
  }
  const TJackknifeInput input{
      {x, n, p, k, c.method},
      full.values,
      full.axes,
      allometry ? std::optional<TJackknifeAllometry>({macs, orientation}) : std::nullopt};
  const TJackknifeResults whole = RunJackknife(input, {.threads = 2});

  // Three uneven parts on different thread counts, merged out of order.
  const TSize a = n / 3, b = n - 2;
  const std::vector<TJackknifePart> parts{RunJackknifePart(input, b + 1, n, {.threads = 1}),
                                          RunJackknifePart(input, 1, a, {.threads = 3}),
                                          RunJackknifePart(input, a + 1, b, {.threads = 2})};
  std::vector<const TJackknifePart*> each{&parts[0], &parts[1], &parts[2]};
  ExpectSameBits(MergeJackknifeParts(each), whole);
  const TJackknifePart one = RunJackknifePart(input, 1, n);
  const TJackknifePart* alone[] = {&one};
  ExpectSameBits(MergeJackknifeParts(alone), whole);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JackknifePart,
    ::testing::Values(
        TCase{"morph.nts", DispersionMethod::Covariance, DataTransform::TransformNatural, 0},
        TCase{"morph.nts", DispersionMethod::Correlation, DataTransform::TransformRaw, 2},
        // As many variables as the reduced samples determine, and one more.
        TCase{"cars_12x11.nts", DispersionMethod::Covariance, DataTransform::TransformRaw, 0},
        TCase{"six_by_five.nts", DispersionMethod::Correlation, DataTransform::TransformRaw, 0},
        TCase{"tied_eigenvalues.nts", DispersionMethod::Covariance, DataTransform::TransformRaw,
              0}));

void ExpectRefused(const std::vector<const TJackknifePart*>& parts, const std::string& message) {
  try {
    MergeJackknifeParts(parts);
    ADD_FAILURE() << "merged";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), message);
  }
}

TEST(JackknifePart, PartsThatDoNotFitAreRefused) {
  const TDataMatrix file = LoadFixture("morph.nts");
  const TSize n = file.objectCount, p = file.variableCount;
  const TFloatMatrix x = AnalysedData(file, DataTransform::TransformRaw);
  const TFullSampleAxes full(x, n, p, DispersionMethod::Correlation);
  const TJackknifeInput input{
      {x, n, p, p, DispersionMethod::Correlation}, full.values, full.axes, std::nullopt};
  const TJackknifePart first = RunJackknifePart(input, 1, 3);
  const TJackknifePart rest = RunJackknifePart(input, 4, n);
  const TJackknifePart overlapping = RunJackknifePart(input, 3, n);
  const std::string cover = "The jackknife's parts do not cover every object once";
  ExpectRefused({&first}, cover);
  ExpectRefused({&first, &overlapping}, cover);
  ExpectRefused({&first, &rest, &rest}, cover);
  ExpectRefused({}, cover);
  TJackknifePart other = rest;
  other.eigenvalues[0] += 1.0;
  ExpectRefused({&first, &other}, "The jackknife's parts do not fit together");
  EXPECT_THROW(RunJackknifePart(input, 0, 2), Exception);
  EXPECT_THROW(RunJackknifePart(input, 2, n + 1), Exception);
}

}  // namespace
}  // namespace talvex
