// TAnalysisOptions: the choices one analysis run is made with. The desktop
// program copies them from its Options menu when a run starts; the CLI from
// its arguments.
#pragma once

#include <cstdint>
#include <optional>

#include "numeric/dispersion_method.h"
#include "numeric/sizes.h"

namespace talvex {

enum class DataTransform : std::uint8_t {
  TransformRaw = 0,
  TransformDecimal = 3,  // decimal logarithms; zero and negative values become 0
  TransformNatural = 4,  // natural logarithms; zero or negative values stop the run
};

// Which eigenvalues the eigenvalue table lists. FactorsNumber is the state
// after the user chose a number of factors: it lists like FactorsAll.
/// The share of the cells that may be missing when none is given: beyond it
/// an imputation says more of its own model than of the objects.
inline constexpr double DefaultMaxMissingShare = 0.5;

enum class FactorRule : std::uint8_t { FactorsAll, FactorsKaiser, FactorsJoliffe, FactorsNumber };

struct TAnalysisOptions {
  DispersionMethod method = DispersionMethod::Correlation;
  DataTransform transformation = DataTransform::TransformRaw;
  FactorRule factorRule = FactorRule::FactorsAll;
  bool jackknife = true;
  // Data with missing cells: S, the components the imputation keeps (none:
  // chosen by generalised cross-validation), and the largest share of the
  // cells it imputes.
  std::optional<TSize> imputeComponents;
  double maxMissingShare = DefaultMaxMissingShare;

  bool Transformed() const noexcept { return transformation != DataTransform::TransformRaw; }
  // The allometric coefficients are defined for log-transformed data under covariances.
  bool WithAllometry() const noexcept {
    return method == DispersionMethod::Covariance && Transformed();
  }
};

}  // namespace talvex
