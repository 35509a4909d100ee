// The imputation of missing cells: the sums kept cell by cell, the refusals,
// the fixed point, and the jackknife's re-imputed samples against reduced
// data imputed from scratch.
#include "analysis/pca_imputation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "analysis/imputation_sweep.h"
#include "analysis/missing_cells.h"
#include "analysis/reimputed_samples.h"
#include "analysis/subspace_imputation.h"
#include "base/exception.h"
#include "numeric/float_faults.h"
#include "numeric/principal_axes.h"
#include "numeric/statistics.h"
#include "test_support.h"

namespace talvex {
namespace {

// n objects of p variables near a plane, with every `every`-th cell missing.
TDataMatrix PlaneData(TSize n, TSize p, TSize every, unsigned seed = 3) {
  std::mt19937 engine(seed);
  std::normal_distribution<double> normal;
  TDataMatrix data;
  data.objectCount = n;
  data.variableCount = p;
  data.valueCount = n * p;
  data.values = TFloatVector(n * p);
  data.missing.assign(n * p, 0);
  for (TSize i = 0; i < n; ++i) {
    const double a = normal(engine), b = normal(engine);
    for (TSize j = 0; j < p; ++j) {
      const double value = 5.0 + a * (j + 1) + b * (j % 3) + 0.3 * normal(engine);
      data.values.Data()[i * p + j] = value;
      data.objectLabels.resize(n);
    }
  }
  for (std::size_t c = 1; c < data.missing.size(); c += every) data.missing[c] = 1;
  for (TSize j = 0; j < p; ++j) data.variableLabels.push_back("V" + std::to_string(j + 1));
  for (TSize i = 0; i < n; ++i) data.objectLabels[i] = "O" + std::to_string(i + 1);
  return data;
}

TFloatMatrix Columns(const TDataMatrix& data) {
  TFloatMatrix x(data.objectCount, data.variableCount);
  for (TSize i = 0; i < data.objectCount; ++i)
    for (TSize j = 0; j < data.variableCount; ++j)
      x.Column(j + 1)[i] = data.values.Data()[i * data.variableCount + j];
  return x;
}

void ExpectRefused(const TDataMatrix& data, double share, const std::string& message,
                   const std::string& detail) {
  try {
    CheckImputable(data, share);
    ADD_FAILURE() << "not refused: " << message;
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), message);
    EXPECT_EQ(e.Detail(), detail);
  }
}

TEST(PcaImputation, RefusesWhatCannotBeImputed) {
  TDataMatrix data = PlaneData(6, 3, 1000);
  EXPECT_NO_THROW(CheckImputable(data, 0.5));
  TDataMatrix object = data;
  object.missing[3] = object.missing[4] = object.missing[5] = 1;
  ExpectRefused(object, 0.5, "Every value of an object is missing", "object 2 \"O2\"");
  TDataMatrix variable = data;
  for (TSize i = 0; i < 6; ++i) variable.missing[i * 3 + 2] = 1;
  ExpectRefused(variable, 0.9, "Every value of a variable is missing", "variable 3 \"V3\"");
  variable.missing[2] = 0;
  ExpectRefused(variable, 0.9, "Fewer than two values of a variable are known",
                "variable 3 \"V3\": 1 of 6 values known");
  TDataMatrix many = PlaneData(10, 4, 3);
  ExpectRefused(many, 0.2, "Too many missing values",
                "32.5% of the cells are missing; the most imputed is 20.0%");
  EXPECT_NO_THROW(CheckImputable(many, 0.5));
  // Wide data are refused before any p x p matrix is made.
  TDataMatrix wide = PlaneData(4, 256, 3);
  ExpectRefused(wide, 0.9, "Imputation is available up to 255 variables",
                "256 variables; leave out the objects with missing values (--missing omit) or "
                "fill the cells before the analysis");
}

TEST(PcaImputation, SumsKeptCellByCellEqualSumsFormedAgain) {
  const TDataMatrix data = PlaneData(30, 5, 7);
  const TMissingCells missing(data.missing, 30, 5);
  TFloatMatrix x = Columns(data);
  std::vector<double> cells(missing.Count(), 1.0);
  const TImputedSample sample{x, missing, cells, 30};
  std::vector<double> centre(5, 5.0), row(5);
  TImputationSums kept(centre);
  for (TSize i = 0; i < 30; ++i) {
    SampleRow(sample, i, row);
    kept.AddRow(row, 1.0);
  }
  TSweepWork work(5, 2);
  for (int sweep = 0; sweep < 3; ++sweep)
    ImputationSweep(sample, 2, DispersionMethod::Correlation, kept, work);
  TImputationSums again(centre);
  for (TSize i = 0; i < 30; ++i) {
    SampleRow(sample, i, row);
    again.AddRow(row, 1.0);
  }
  TFloatMatrix a(5, 5), b(5, 5);
  kept.Dispersion(DispersionMethod::Covariance, a);
  again.Dispersion(DispersionMethod::Covariance, b);
  for (TSize r = 1; r <= 5; ++r)
    for (TSize c = 1; c <= 5; ++c) EXPECT_NEAR(a.GetValue(r, c), b.GetValue(r, c), 1e-12);
}

// The completed data are the regularised reconstruction of themselves: one
// more sweep from them changes no cell beyond the tolerance's order.
TEST(PcaImputation, ConvergesToItsFixedPoint) {
  for (const DispersionMethod method :
       {DispersionMethod::Correlation, DispersionMethod::Covariance}) {
    const TDataMatrix data = PlaneData(40, 6, 9);
    const TMissingCells missing(data.missing, 40, 6);
    TFloatMatrix x = Columns(data);
    std::vector<double> cells;
    const TImputationSummary summary = ImputeMissingCells(x, missing, method, 2, cells);
    EXPECT_TRUE(summary.converged);
    EXPECT_LT(summary.finalChange, ImputationTolerance);
    EXPECT_EQ(summary.components, 2u);
    EXPECT_FALSE(summary.chosen);
    const TImputedSample sample{x, missing, cells, 40};
    TFloatVector means(6), sds(6);
    ColumnMeansAndDeviations(x, 40, 6, means, sds);
    std::vector<double> centre(means.Data(), means.Data() + 6), row(6);
    TImputationSums sums(centre);
    for (TSize i = 0; i < 40; ++i) {
      SampleRow(sample, i, row);
      sums.AddRow(row, 1.0);
    }
    TSweepWork work(6, 2);
    EXPECT_LT(ImputationSweep(sample, 2, method, sums, work), 1e-8);
    // Known cells are never touched.
    for (TSize i = 0; i < 40; ++i)
      for (TSize j = 0; j < 6; ++j)
        if (data.missing[i * 6 + j] == 0) {
          EXPECT_EQ(x.Column(j + 1)[i], data.values.Data()[i * 6 + j]);
        }
  }
}

TEST(PcaImputation, ComponentsChosenWithinTheirRange) {
  const TDataMatrix data = PlaneData(12, 4, 5);
  const TMissingCells missing(data.missing, 12, 4);
  TFloatMatrix x = Columns(data);
  std::vector<double> cells;
  const TImputationSummary chosen =
      ImputeMissingCells(x, missing, DispersionMethod::Correlation, std::nullopt, cells);
  EXPECT_TRUE(chosen.chosen);
  EXPECT_EQ(chosen.gcv.size(), 4u);  // S = 0 .. min(10, 3)
  EXPECT_LE(chosen.components, 3u);
  try {
    TFloatMatrix y = Columns(data);
    ImputeMissingCells(y, missing, DispersionMethod::Correlation, 4, cells);
    ADD_FAILURE() << "S = 4 of 4 variables accepted";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "The number of imputation components must be between 0 and 3");
  }
}

// A reduced sample re-imputed from the full sample's values reaches the
// fixed point that the reduced data imputed from their column means reach.
TEST(PcaImputation, ReducedSampleEqualsTheReducedDataImputedAfresh) {
  const TSize n = 25, p = 5, S = 2;
  const TDataMatrix data = PlaneData(n, p, 6);
  const TMissingCells missing(data.missing, n, p);
  TFloatMatrix x = Columns(data);
  std::vector<double> cells;
  ImputeMissingCells(x, missing, DispersionMethod::Correlation, S, cells);
  const TReimputedSamples samples(x, missing, cells, S, DispersionMethod::Correlation);
  for (const TSize left : {TSize(1), TSize(2), TSize(n)}) {
    TReimputedSamples::TWorkspace ws = samples.MakeWorkspace();
    samples.Decompose(left, ws, p);
    // The same data without the object, imputed from scratch.
    TDataMatrix reduced = data;
    reduced.objectCount = n - 1;
    reduced.valueCount = (n - 1) * p;
    reduced.values = TFloatVector((n - 1) * p);
    reduced.missing.clear();
    for (TSize i = 0, r = 0; i < n; ++i) {
      if (i == left - 1) continue;
      for (TSize j = 0; j < p; ++j) {
        reduced.values.Data()[r * p + j] = data.values.Data()[i * p + j];
        reduced.missing.push_back(data.missing[i * p + j]);
      }
      ++r;
    }
    const TMissingCells reducedMissing(reduced.missing, n - 1, p);
    TFloatMatrix y = Columns(reduced);
    std::vector<double> reducedCells;
    ImputeMissingCells(y, reducedMissing, DispersionMethod::Correlation, S, reducedCells);
    const testing::TFullSampleAxes fresh(y, n - 1, p, DispersionMethod::Correlation);
    for (TSize c = 1; c <= p; ++c)
      EXPECT_NEAR(ws.values.GetValue(c), fresh.values.GetValue(c), 1e-8) << "object " << left;
  }
  EXPECT_EQ(samples.NotConverged(), 0u);
  EXPECT_EQ(samples.PlainFinishes(), 0u);  // the subspace sweeps needed no help
}

// The subspace sweeps end where the plain sweeps end: for the full sample
// from the column means and for reduced samples (an object with gaps left
// out, and one without) from the full sample's cells, under both methods and
// for S = 0 .. 3. Their dispersion matrix is the one the rows give, and the
// Ritz values of their last sweep are its leading eigenvalues.
TEST(PcaImputation, SubspaceSweepsReachThePlainSweepsFixedPoint) {
  const TSize n = 40, p = 6;
  const TDataMatrix data = PlaneData(n, p, 7);
  const TMissingCells missing(data.missing, n, p);
  const TFloatMatrix x = Columns(data);
  std::vector<double> means, deviations;
  KnownMeansAndDeviations(x, missing, means, deviations);
  std::vector<double> start(missing.Count());
  for (std::size_t c = 0; c < start.size(); ++c) start[c] = means[missing.Column(c)];
  for (const DispersionMethod method :
       {DispersionMethod::Correlation, DispersionMethod::Covariance}) {
    for (TSize S = 0; S <= 3; ++S) {
      // The plain way, for the full sample and the reduced ones.
      const auto plainWay = [&](std::vector<double>& cells, TSize left) {
        const TImputedSample sample{x, missing, cells, left};
        TImputationSums sums = SampleSums(sample, means);
        TSweepWork work(p, S);
        return SweepUntilStationary(sample, S, method, 1e-13, 100000, sums, work);
      };
      std::vector<double> full = start;
      ASSERT_TRUE(plainWay(full, n).converged);
      const TSubspaceImputation fromMeans(x, missing, start, S, method);
      TSubspaceImputation::TWorkspace ws = fromMeans.MakeWorkspace();
      const auto outcome = fromMeans.Solve(n, fromMeans.LeadingAxes(), 1e-13, 1000, ws);
      ASSERT_TRUE(outcome.converged) << "S = " << S;
      std::vector<double> cells(start.size());
      fromMeans.Cells(ws, cells);
      for (std::size_t c = 0; c < cells.size(); ++c)
        EXPECT_NEAR(cells[c], full[c], 1e-9 * deviations[missing.Column(c)]) << "S = " << S;

      const TSubspaceImputation fromFull(x, missing, full, S, method);
      const std::vector<double> axes = fromFull.LeadingAxes();
      ASSERT_TRUE(missing.First(1) < missing.Last(1) && missing.First(5) == missing.Last(5));
      for (const TSize left : {TSize(1), TSize(5)}) {  // 0-based
        std::vector<double> reduced = full;
        const TSweepRun plain = plainWay(reduced, left);
        const auto fast = fromFull.Solve(left, axes, 1e-13, 1000, ws);
        ASSERT_TRUE(fast.converged);
        EXPECT_LE(fast.sweeps, plain.sweeps) << "S = " << S << ", object " << left;
        fromFull.Cells(ws, cells);
        for (std::size_t c = 0; c < cells.size(); ++c) {
          if (c >= missing.First(left) && c < missing.Last(left)) {
            EXPECT_EQ(cells[c], full[c]);  // the left-out object's cells play no part
            continue;
          }
          EXPECT_NEAR(cells[c], reduced[c], 1e-9 * deviations[missing.Column(c)]);
        }
        // The dispersion matrix from the sums against the one from the rows.
        TFloatMatrix fromSums(p, p), fromRows(p, p), vectors(p, p);
        fromFull.Dispersion(left, ws, fromSums);
        const TImputedSample sample{x, missing, cells, left};
        SampleSums(sample, means).Dispersion(method, fromRows);
        for (TSize a = 1; a <= p; ++a)
          for (TSize b = 1; b <= p; ++b)
            EXPECT_NEAR(fromSums.GetValue(a, b), fromRows.GetValue(a, b), 1e-12);
        TFloatVector offDiag(p), values(p);
        double trace = 0.0;
        PrincipalAxesOf(fromSums, p, trace, offDiag, values, vectors);
        EXPECT_TRUE(RitzValuesAreLeading(ws.ritzValues, values));
      }
    }
  }
}

// Ritz values are accepted only as the leading eigenvalues.
TEST(PcaImputation, RitzValuesMustBeTheLeadingEigenvalues) {
  TFloatVector eigenvalues(4);
  for (TSize k = 1; k <= 4; ++k) eigenvalues.SetValue(k, 8.0 / double(k * k));  // 8 2 .89 .5
  EXPECT_TRUE(RitzValuesAreLeading(std::vector<double>{}, eigenvalues));
  EXPECT_TRUE(RitzValuesAreLeading(std::vector<double>{8.0, 2.0 + 1e-6}, eigenvalues));
  EXPECT_FALSE(RitzValuesAreLeading(std::vector<double>{8.0, 8.0 / 9.0}, eigenvalues));
  EXPECT_FALSE(RitzValuesAreLeading(std::vector<double>{2.0}, eigenvalues));
}

TEST(PcaImputation, HeaderNote) {
  TImputationSummary summary;
  summary.missingCount = 44;
  summary.components = 2;
  EXPECT_EQ(ImputationNote(summary), "44 missing values imputed by iterative PCA (2 components)");
  summary.missingCount = 1;
  summary.components = 1;
  EXPECT_EQ(ImputationNote(summary), "1 missing value imputed by iterative PCA (1 component)");
}

// The run: the note in the header, the listing otherwise as a run on the
// completed data makes it, and the imputed values in the data's own units.
TEST(PcaImputation, RunListsTheNoteAndAnalysesTheCompletedData) {
  using namespace testing::option_names;
  TDataMatrix data = PlaneData(20, 4, 7);
  for (double& v : std::span(data.values.Data(), 80)) v = std::fabs(v) + 1.0;
  TAnalysisOptions options = testing::Options(Cov, Log10, true);
  options.imputeComponents = 1;
  TAnalysisResults results;
  TReportListing listing;
  RunAnalysis(testing::Request(options, 4, 1), data, results, listing);
  ASSERT_TRUE(results.tables.imputation);
  const auto& lines = listing.Lines();
  EXPECT_EQ(lines[10], "12 missing values imputed by iterative PCA (1 component)");
  EXPECT_EQ(lines[11], "");
  EXPECT_EQ(lines[12], "Number of variables    = 4");

  TDataMatrix completed = data;
  completed.values = results.tables.imputation->values;
  completed.missing.clear();
  for (std::size_t c = 0; c < data.missing.size(); ++c)
    if (data.missing[c] == 0) {
      EXPECT_EQ(completed.values.Data()[c], data.values.Data()[c]);
    }
  TAnalysisOptions plain = options;
  plain.jackknife = false;
  TAnalysisResults asMeasured;
  TReportListing plainListing;
  RunAnalysis(testing::Request(plain, 4, 1), completed, asMeasured, plainListing);
  for (TSize c = 1; c <= 4; ++c)
    EXPECT_NEAR(results.eigenvalues.GetValue(c), asMeasured.eigenvalues.GetValue(c), 1e-12);
}

}  // namespace
}  // namespace talvex
