// TResultTables: what a completed run computed beyond the results the plots
// use, kept so that every number of the run can be exported (the full-results
// workbook, CSV folder and JSON) without computing anything again.
#pragma once

#include <optional>
#include <vector>

#include "analysis/analysis_options.h"
#include "analysis/jackknife.h"
#include "analysis/pca_imputation.h"
#include "numeric/float_matrix.h"
#include "numeric/float_vector.h"
#include "numeric/sizes.h"

namespace talvex {

struct TResultTables {
  TAnalysisOptions options;                    // as the run was made
  TSize factorCount = 0;                       // k
  TFloatVector means{0};                       // p, raw data
  TFloatVector deviations{0};                  // p, raw data
  TFloatMatrix dispersion{0, 0};               // p x p, of the analysed data
  TFloatMatrix correlations{0, 0};             // p x k, components with variables
  TFloatVector macs{0};                        // p; empty without allometry
  std::optional<TJackknifeResults> jackknife;  // when the jackknife ran
  /// p: the 95th percentiles of the eigenvalues of column-permuted data
  /// (analysis/parallel_analysis.h), when the user asked for them after the
  /// run; every run starts without.
  std::optional<std::vector<double>> parallelAnalysis;
  /// When the data had missing cells: how they were imputed, and the data
  /// completed.
  std::optional<TImputationResult> imputation;
};

}  // namespace talvex
