// Helpers shared by the analysis tests: loading fixtures, running with a
// fixed clock, and the full sample decomposed by the exact scheme.
#pragma once

#include <string>

#include "analysis/analysis_run.h"
#include "input/data_reader.h"
#include "numeric/principal_axes.h"

namespace talvex::testing {

inline std::string FixturePath(const std::string& name) {
  return std::string(TALVEX_TEST_DATA) + "/" + name;
}

inline TDataMatrix LoadFixture(const std::string& name) {
  TDataMatrix data;
  ReadDataFile(FixturePath(name), data);
  return data;
}

// The full-sample eigenvalues and axes of x by the exact scheme.
struct TFullSampleAxes {
  TFullSampleAxes(const TFloatMatrix& x, TSize n, TSize p, DispersionMethod method)
      : TFullSampleAxes(PrincipalAxes(n, p, x, method)) {}
  explicit TFullSampleAxes(TPrincipalAxes full)
      : axes(std::move(full.eigenvectors)), values(std::move(full.eigenvalues)) {}
  TFloatMatrix axes;
  TFloatVector values;
};

// Short names for the options in test tables.
namespace option_names {
constexpr auto Corr = DispersionMethod::Correlation;
constexpr auto Cov = DispersionMethod::Covariance;
constexpr auto Raw = DataTransform::TransformRaw;
constexpr auto Log10 = DataTransform::TransformDecimal;
constexpr auto Ln = DataTransform::TransformNatural;
}  // namespace option_names

inline TAnalysisOptions Options(DispersionMethod method, DataTransform transform, bool jackknife) {
  TAnalysisOptions o;
  o.method = method;
  o.transformation = transform;
  o.jackknife = jackknife;
  return o;
}

inline TRunRequest Request(TAnalysisOptions options, TSize factorCount, unsigned threads = 0) {
  TRunRequest request;
  request.options = options;
  request.factorCount = factorCount;
  request.dataFileName = "data.nts";
  request.threads = threads;
  return request;
}

}  // namespace talvex::testing
