// Constructed data sets for the diagnostics tests, with what their
// construction makes them show.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "input/data_matrix.h"

namespace talvex::testing {

inline TDataMatrix MakeData(const std::vector<std::vector<double>>& rows) {
  TDataMatrix data;
  data.objectCount = TSize(rows.size());
  data.variableCount = TSize(rows[0].size());
  data.valueCount = data.objectCount * data.variableCount;
  data.values = TFloatVector(data.valueCount);
  for (TSize i = 0; i < data.objectCount; ++i) {
    data.objectLabels.push_back("obj" + std::to_string(i + 1));
    for (TSize j = 0; j < data.variableCount; ++j)
      data.values.SetValue(i * data.variableCount + j + 1, rows[i][j]);
  }
  for (TSize j = 0; j < data.variableCount; ++j)
    data.variableLabels.push_back("var" + std::to_string(j + 1));
  return data;
}

/// Three uncorrelated variables (covariance matrix exactly diagonal, with or
/// without objects 1 and 2): a dominant first one, and a second whose
/// variance (1.206) exceeds the third's (1.078) only because objects 1 and 2
/// lie at +-1.5 on it. Without either of them the second variance drops to
/// 1.145, below the third's 1.132, and axes 2 and 3 change places; without
/// any other object they stay (|cosine| 0.92). So axes 2 and 3 are each
/// exchanged, with each other, in exactly 2 of the 18 reduced samples.
inline TDataMatrix AxisExchangeData() {
  std::vector<std::vector<double>> rows = {{0, 1.5, 0}, {0, -1.5, 0}};
  for (int i = 0; i < 16; ++i) {
    // Rows of a Sylvester-Hadamard matrix of order 16, columns 1, 2 and 4.
    const auto h = [i](int column) { return (__builtin_popcount(i & column) % 2) ? -1.0 : 1.0; };
    rows.push_back({10 * h(1), h(2), 1.07 * h(4)});
  }
  return MakeData(rows);
}

/// 30 objects of 4 loosely correlated variables from a fixed generator, and
/// object `outlier` moved far out along a direction of its own.
inline TDataMatrix OutlierData(TSize outlier) {
  std::uint64_t state = 12345;
  const auto uniform = [&state] {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return double(state >> 11) / double(1ULL << 53) - 0.5;
  };
  std::vector<std::vector<double>> rows;
  for (int i = 0; i < 30; ++i) {
    const double common = uniform();
    rows.push_back({common + uniform(), common + uniform(), uniform(), 0.5 * common + uniform()});
  }
  rows[outlier - 1] = {4.0, -3.0, 5.0, -4.0};
  return MakeData(rows);
}

}  // namespace talvex::testing
