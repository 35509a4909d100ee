// Scree reference lines. The broken-stick sums run from the smallest term
// (1/p) up, so the small terms are not lost against the large ones. The
// percentages are formed as the listing forms them (value * 100 / trace), so
// a bar and its row of the eigenvalue table agree to the last digit.
#include "figures/scree_lines.h"

namespace talvex {

std::vector<double> BrokenStick(std::size_t variableCount, double trace) {
  std::vector<double> expected(variableCount);
  double tail = 0.0;
  for (std::size_t k = variableCount; k >= 1; --k) {
    tail += 1.0 / double(k);
    expected[k - 1] = trace / double(variableCount) * tail;
  }
  return expected;
}

double KaiserLevel(std::size_t variableCount, double trace) {
  return variableCount == 0 ? 0.0 : trace / double(variableCount);
}

std::vector<double> PercentOfTrace(const std::vector<double>& eigenvalues, double trace) {
  std::vector<double> percents(eigenvalues.size(), 0.0);
  if (trace == 0.0) return percents;
  for (std::size_t i = 0; i < eigenvalues.size(); ++i) percents[i] = eigenvalues[i] * 100 / trace;
  return percents;
}

std::vector<double> CumulativePercent(const std::vector<double>& percents) {
  std::vector<double> cumulative(percents.size());
  double sum = 0.0;
  for (std::size_t i = 0; i < percents.size(); ++i) cumulative[i] = sum += percents[i];
  return cumulative;
}

}  // namespace talvex
