// The causes of a failed run, looked for in the data after the fault.
#include "analysis/run_fault_cause.h"

#include <charconv>
#include <cmath>
#include <vector>

#include "numeric/float_faults.h"
#include "numeric/float_matrix.h"
#include "numeric/probability.h"
#include "numeric/statistics.h"

namespace talvex {

namespace {

// A longer list of names would bury the sentence; the rest are counted.
constexpr std::size_t NamedVariables = 5;

std::string Label(const std::vector<std::string>& labels, TSize index, const char* kind) {
  if (index >= 1 && index <= labels.size()) return labels[index - 1];
  return std::string(kind) + " " + std::to_string(index);
}

// The shortest text that reads back as the same double.
std::string ValueText(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

double RawValue(const TDataMatrix& data, TSize i, TSize j) {
  return data.values.GetValue((i - 1) * data.variableCount + j);
}

// The data as the run analyses them: objects in rows, transformed.
TFloatMatrix AnalysedData(const TDataMatrix& data, const TAnalysisOptions& options) {
  const TSize n = data.objectCount, p = data.variableCount;
  TFloatMatrix x(n, p);
  for (TSize i = 1; i <= n; ++i) {
    for (TSize j = 1; j <= p; ++j) {
      const double value = RawValue(data, i, j);
      switch (options.transformation) {
        case DataTransform::TransformDecimal:
          x.SetValue(i, j, Log10OrZero(value));
          break;
        case DataTransform::TransformNatural:
          x.SetValue(i, j, std::log(value));
          break;
        default:
          x.SetValue(i, j, value);
          break;
      }
    }
  }
  return x;
}

std::string NaturalLogarithmCause(const TDataMatrix& data) {
  TSize firstObject = 0, firstVariable = 0, count = 0;
  for (TSize i = 1; i <= data.objectCount; ++i) {
    for (TSize j = 1; j <= data.variableCount; ++j) {
      if (RawValue(data, i, j) > 0.0) continue;
      if (count++ == 0) firstObject = i, firstVariable = j;
    }
  }
  if (count == 0) return "";
  std::string cause = "Object " + Label(data.objectLabels, firstObject, "object") +
                      " has the value " + ValueText(RawValue(data, firstObject, firstVariable)) +
                      " in " + Label(data.variableLabels, firstVariable, "variable") +
                      ", which has no natural logarithm.";
  if (count > 1) cause += " " + std::to_string(count) + " values in all are 0 or negative.";
  return cause;
}

// "A", "A and B", "A, B and C", "A, B, C, D, E and 3 more".
std::string NameList(const std::vector<std::string>& names) {
  const std::size_t named = names.size() > NamedVariables ? NamedVariables : names.size();
  std::string list;
  for (std::size_t i = 0; i < named; ++i) {
    if (i > 0) list += (i + 1 == named && named == names.size()) ? " and " : ", ";
    list += names[i];
  }
  if (named < names.size()) list += " and " + std::to_string(names.size() - named) + " more";
  return list;
}

std::string ConstantVariablesCause(const TDataMatrix& data, const TAnalysisOptions& options,
                                   const TFloatMatrix& x) {
  const TSize n = data.objectCount, p = data.variableCount;
  TFloatVector means(p), sds(p);
  ColumnMeansAndDeviations(x, n, p, means, sds);
  std::vector<std::string> constant;
  for (TSize j = 1; j <= p; ++j)
    if (sds.GetValue(j) == 0.0) constant.push_back(Label(data.variableLabels, j, "variable"));
  if (constant.empty()) return "";

  if (options.method == DispersionMethod::Covariance && constant.size() == p) {
    return p == 1 ? "The variable " + constant[0] + " is constant: the total variance is 0."
                  : "Every variable is constant: the total variance is 0.";
  }
  const bool one = constant.size() == 1;
  return std::string(one ? "The variable " : "The variables ") + NameList(constant) +
         (one ? " is" : " are") + " constant" +
         (options.Transformed() ? " after the logarithms" : "") +
         " (standard deviation 0): " + (one ? "its" : "their") + " correlations are undefined.";
}

// The first object (in the jackknife's order) without which some variable is
// constant: a column that holds two distinct values, one of them once.
std::string ConstantWithoutObjectCause(const TDataMatrix& data, const TFloatMatrix& x) {
  const TSize n = data.objectCount, p = data.variableCount;
  TSize bestObject = 0, bestVariable = 0;
  for (TSize j = 1; j <= p; ++j) {
    const double first = x.GetValue(1, j);
    TSize other = 0, otherCount = 0, firstCount = 0;
    bool twoValues = true;
    for (TSize i = 1; i <= n && twoValues; ++i) {
      const double value = x.GetValue(i, j);
      if (value == first) {
        ++firstCount;
      } else if (other == 0 || value == x.GetValue(other, j)) {
        if (other == 0) other = i;
        ++otherCount;
      } else {
        twoValues = false;
      }
    }
    if (!twoValues || other == 0) continue;
    const TSize odd = firstCount == 1 ? 1 : otherCount == 1 ? other : 0;
    if (odd != 0 && (bestObject == 0 || odd < bestObject)) bestObject = odd, bestVariable = j;
  }
  if (bestObject == 0) return "";
  return "Without object " + Label(data.objectLabels, bestObject, "object") + " the variable " +
         Label(data.variableLabels, bestVariable, "variable") +
         " is constant (standard deviation 0), so its correlations in that jackknife sample are "
         "undefined.";
}

std::string Cause(const TDataMatrix& data, const TAnalysisOptions& options, RunStage stage) {
  const TSize n = data.objectCount;
  if (n < 2) return "One object is too few: the analysis needs at least two.";
  if (stage == RunStage::Jackknife && n == 2)
    return "Two objects are too few for the jackknife: without one of them, a single object is "
           "left.";
  if (options.transformation == DataTransform::TransformNatural) {
    std::string cause = NaturalLogarithmCause(data);
    if (!cause.empty()) return cause;
  }
  const TFloatMatrix x = AnalysedData(data, options);
  if (stage == RunStage::FullSample) return ConstantVariablesCause(data, options, x);
  // Under covariances the jackknife never divides by a standard deviation.
  if (options.method == DispersionMethod::Correlation) return ConstantWithoutObjectCause(data, x);
  return "";
}

}  // namespace

std::string RunFaultCause(const TDataMatrix& data, const TAnalysisOptions& options,
                          RunStage stage) {
  std::string cause = Cause(data, options, stage);
  ClearFloatFaults();
  return cause;
}

}  // namespace talvex
