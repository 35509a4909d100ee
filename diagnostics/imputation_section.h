// The diagnostics report's account of an imputation: how the missing cells
// were imputed (S and how it was chosen, the criterion of each S, the
// sweeps, the last change, the jackknife's re-imputed samples) and the
// objects with imputed cells, their completed values with the imputed ones
// marked.
#pragma once

#include "analysis/pca_imputation.h"
#include "analysis/report_listing.h"
#include "input/data_matrix.h"

namespace talvex {

/// Appends the section to `out`; `data` holds the mask and the labels.
void AppendImputationSection(TReportListing& out, const TDataMatrix& data,
                             const TImputationResult& imputation);

}  // namespace talvex
