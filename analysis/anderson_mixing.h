// TAndersonMixing: Anderson acceleration of a fixed-point iteration x = G(x)
// (Walker and Ni's form): from the last `memory` steps it takes the
// combination of the previous images whose residual G(x) - x is smallest in
// the least-squares sense, and moves there instead of to G(x). On a linear
// map it is a Krylov method (GMRES with a restart every `memory` steps), so
// an iteration whose error shrinks by a fixed share per step, as iterative
// PCA imputation's does, converges in far fewer steps; on a nonlinear one it
// can overshoot, which is why its user keeps a safeguard (Reset, then plain
// steps).
//
// Cost per step: about 4 m N for vectors of N elements and m steps kept, and
// an m x m solve; memory 2 m N.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "numeric/sizes.h"

namespace talvex {

class TAndersonMixing {
 public:
  TAndersonMixing(std::size_t size, TSize memory);

  /// Forgets the steps kept: the next step is a plain one.
  void Reset() noexcept;

  /// x is the current iterate and g = G(x); x becomes the next iterate.
  void Next(std::span<double> x, std::span<const double> g);

  /// The steps kept now.
  TSize Kept() const noexcept { return kept_; }

 private:
  std::size_t size_;
  TSize memory_;
  TSize kept_ = 0;
  TSize newest_ = 0;  // ring slot of the newest difference
  bool havePrevious_ = false;
  std::vector<double> previousResidual_, previousImage_;  // N
  std::vector<double> residualSteps_, imageSteps_;        // memory x N: differences of f and g
  std::vector<double> gram_;                              // memory x memory
  std::vector<double> system_, rhs_;
  std::vector<double> residual_;  // N
};

}  // namespace talvex
