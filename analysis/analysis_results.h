// TAnalysisResults: what a completed run leaves for the plots and exports:
// eigenvalues (descending), eigenvectors (variables by components), scores
// (objects by components) and the trace of the dispersion matrix, and the
// other tables of the run for the full-results exports.
#pragma once

#include "analysis/result_tables.h"
#include "numeric/decomposition_path.h"
#include "numeric/float_matrix.h"
#include "numeric/float_vector.h"
#include "numeric/sizes.h"

namespace talvex {

struct TAnalysisResults {
  TFloatVector eigenvalues{0};
  TFloatMatrix eigenvectors{0, 0};
  TFloatMatrix scores{0, 0};
  double trace = 0.0;
  TResultTables tables;
  /// How the full sample was decomposed; beyond 255 variables eigenvectors
  /// and scores hold only the columns shown (at least two where p allows).
  TAxesRoute axesRoute = TAxesRoute::ExactScheme;
};

}  // namespace talvex
