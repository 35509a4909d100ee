// TAnalysisResults: what a completed run leaves for the plots and exports:
// eigenvalues (descending), eigenvectors (variables by components), scores
// (objects by components) and the trace of the dispersion matrix, and the
// other tables of the run for the full-results exports.
#pragma once

#include "analysis/result_tables.h"
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

  /// Fresh zero-filled containers for a newly loaded data set.
  static TAnalysisResults Sized(TSize objectCount, TSize variableCount) {
    TAnalysisResults results;
    results.eigenvalues = TFloatVector(variableCount);
    results.eigenvectors = TFloatMatrix(variableCount, variableCount);
    results.scores = TFloatMatrix(objectCount, variableCount);
    return results;
  }
};

}  // namespace talvex
