// The record of how the jackknife's eigen-decomposition found its vectors:
// by twisted factorisations, by resolving clusters of close eigenvalues, or
// by the QL rotations when either could not be trusted. The results do not
// depend on it; it lets tests and benchmarks see which path a matrix took.
#pragma once

#include <cstdint>
#include <vector>

#include "numeric/sizes.h"

namespace talvex {

/// Why the QL rotations took over from the twisted factorisations.
enum class TFallbackCause : std::uint8_t {
  None,                     // the rotations did not run
  EigenvaluesNotConverged,  // root-free QL reached the sweep bound
  EigenvalueFault,          // a floating-point flag was raised while finding the eigenvalues
  ZeroMatrix,               // T = 0: nothing to scale the pivot floor and the limits by
  VectorFault,              // a flag was raised while finding or resolving the vectors
  ClusterTooLarge,          // more close eigenvalues in one cluster than MaxClusterSize
  ClusterCollapsed,         // a cluster's twisted vectors were all but parallel
  ResidualTooLarge,         // a vector's residual exceeded the limit
};

/// How a full sample's principal axes were found.
enum class TAxesRoute : std::uint8_t {
  ExactScheme,     // PrincipalAxesOf: up to ExactSchemeVariables
  Dispersion,      // the p x p dispersion matrix by the blocked decomposition
  ThroughObjects,  // the n x n products of the objects, axes recovered from them
};

struct TDecompositionPath {
  /// Vectors of T taken from their twisted factorisations alone.
  TSize twistedVectors = 0;
  /// The size of each cluster of close eigenvalues that was resolved, in the
  /// order of the descending eigenvalues.
  std::vector<TSize> clusterSizes;
  /// None when the vectors above are the ones returned; otherwise every
  /// vector came from the rotations, and the counts above are zero.
  TFallbackCause fallback = TFallbackCause::None;

  bool FellBack() const noexcept { return fallback != TFallbackCause::None; }
};

}  // namespace talvex
