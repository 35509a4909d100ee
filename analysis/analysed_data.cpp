// The working matrix of a run and its transformation.
#include "analysis/analysed_data.h"

#include <cmath>

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

}  // namespace talvex
