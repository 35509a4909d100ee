// The data as a run analyses them: the loaded values copied into a working
// matrix (objects in rows) and transformed by the chosen logarithm. The run
// and the computations made after it from the same data (parallel analysis,
// supplementary items) form them in this one way; after the run, with the
// cells it imputed in place of the missing ones.
#pragma once

#include "analysis/analysis_options.h"
#include "input/data_matrix.h"
#include "numeric/float_matrix.h"

namespace talvex {

struct TResultTables;

/// The n x p values of `data`, objects in rows.
TFloatMatrix DataColumns(const TDataMatrix& data);

/// x (n x p) := its decimal logarithms (0 for values <= 0) or natural
/// logarithms; unchanged for TransformRaw. Raises the floating-point fault
/// the natural logarithm of 0 or of a negative value causes.
void TransformData(TFloatMatrix& x, TSize n, TSize p, DataTransform transformation);

/// DataColumns, then TransformData.
TFloatMatrix AnalysedData(const TDataMatrix& data, DataTransform transformation);

/// The data as the run that made `tables` analysed them: its cells imputed
/// (TImputationResult::values) where values are missing, then transformed
/// by its transformation. A missing cell's stored value (no meaning) never
/// enters.
TFloatMatrix AnalysedData(const TDataMatrix& data, const TResultTables& tables);

}  // namespace talvex
