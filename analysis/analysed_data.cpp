// The working matrix of a run and its transformation.
#include "analysis/analysed_data.h"

#include <cmath>

#include "analysis/result_tables.h"
#include "base/exception.h"
#include "numeric/float_faults.h"
#include "numeric/probability.h"

namespace talvex {

TFloatMatrix DataColumns(const TDataMatrix& data) {
  const TSize n = data.objectCount;
  const TSize p = data.variableCount;
  TFloatMatrix x(n, p);
  for (TSize j = 1; j <= p; ++j) {
    double* column = x.Column(j);
    for (TSize i = 1; i <= n; ++i) column[i - 1] = data.values.GetValue((i - 1) * p + j);
  }
  return x;
}

void TransformData(TFloatMatrix& x, TSize n, TSize p, DataTransform transformation) {
  if (transformation == DataTransform::TransformRaw) return;
  for (TSize j = 1; j <= p; ++j) {
    double* column = x.Column(j);
    if (transformation == DataTransform::TransformDecimal) {
      for (TSize i = 0; i < n; ++i) column[i] = Log10OrZero(column[i]);
    } else {
      for (TSize i = 0; i < n; ++i) column[i] = std::log(column[i]);
    }
  }
  CheckFloatFaults();
}

TFloatMatrix AnalysedData(const TDataMatrix& data, DataTransform transformation) {
  TFloatMatrix x = DataColumns(data);
  TransformData(x, data.objectCount, data.variableCount, transformation);
  return x;
}

TFloatMatrix AnalysedData(const TDataMatrix& data, const TResultTables& tables) {
  const TSize n = data.objectCount, p = data.variableCount;
  TFloatMatrix x = DataColumns(data);
  if (data.HasMissing()) {
    // Only the run that imputed these data knows their cells.
    if (!tables.imputation || tables.imputation->values.Length() != std::size_t(n) * p)
      throw Exception("The data have missing values that their results did not impute");
    const double* completed = tables.imputation->values.Data();
    for (TSize i = 0; i < n; ++i)
      for (TSize j = 0; j < p; ++j)
        if (data.missing[std::size_t(i) * p + j] != 0)
          x.Column(j + 1)[i] = completed[std::size_t(i) * p + j];
  }
  TransformData(x, n, p, tables.options.transformation);
  return x;
}

}  // namespace talvex
