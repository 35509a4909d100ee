// The supplementary results of a completed run: the full sample's placement,
// made from the run's data and results exactly as its scores are, and the
// jackknife's from the collector that followed its reduced samples.
#pragma once

#include "analysis/analysis_results.h"
#include "input/data_matrix.h"
#include "supplementary/supplementary_collector.h"
#include "supplementary/supplementary_input.h"
#include "supplementary/supplementary_results.h"

namespace talvex {

/// Places `items` on the k = results.tables.factorCount shown axes of the
/// run that analysed `data` into `results`. With a `collector` that saw the
/// whole jackknife the estimates, standard errors and 95% intervals are
/// filled in; otherwise they are NaN. Not `available` when `items` is empty.
TSupplementaryResults PlaceSupplementary(const TPreparedSupplementary& items,
                                         const TDataMatrix& data, const TAnalysisResults& results,
                                         const TSupplementaryCollector* collector = nullptr);

}  // namespace talvex
