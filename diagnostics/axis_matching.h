// How a reduced sample's shown axes relate to the full-sample axes: the
// |cosine| of each index-matched pair, the best-matching axis of each
// full-sample axis, and a one-to-one match that undoes exchanges of axes.
//
// Both sets of axes are orthonormal, so the squared cosines of one axis with
// all axes of the other set sum to 1. An index-matched pair whose squared
// cosine exceeds 1/2 is therefore each other's best match, and only the axes
// that fail that test are compared with the others, nearest axes first,
// until the squares not yet seen cannot beat the best one. The one-to-one
// match reuses those cosines and computes more only where it must. On a
// typical sample the cost is k dot products of length p; where many small,
// nearly equal eigenvalues are shown it is a few dot products more per axis
// that fails the test, never the k x k matrix of cosines.
#pragma once

#include <span>
#include <utility>
#include <vector>

#include "numeric/lane_dot.h"
#include "numeric/sizes.h"

namespace talvex {

/// Below this |cosine| an axis has turned away from its full-sample
/// counterpart even when no other axis matches it better (cos 0.9: 25.8°).
inline constexpr double ExchangeCosine = 0.9;

/// A best match beyond the shown axes: the axes not shown together carry more
/// of the full-sample axis than any shown one.
inline constexpr TSize BeyondShownAxes = 0;

/// A full-sample axis without a mutual best partner and the |cosines| with
/// reduced axes computed for it so far (MatchAxes' work).
struct TOpenAxis {
  TSize axis = 0;
  TSize step = 0;     // the shown axes within step - 1 of axis are computed
  double seen = 0.0;  // their squared cosines, summed
  std::vector<std::pair<double, TSize>> cosines;  // (|cosine|, reduced axis without a mutual pair)
};

struct TAxisMatch {
  std::vector<double> cosines;  // k: |cosine| of reduced axis a with full axis a
  std::vector<TSize> best;      // k: 1..k, or BeyondShownAxes
  std::vector<TSize> oneToOne;  // k: the reduced axis matched to full axis a
  bool reordered = false;       // oneToOne is not the identity

  /// Reduced axis a exchanged full axis a: another axis matches it best, or
  /// the |cosine| is below ExchangeCosine.
  bool Exchanged(TSize a) const { return best[a - 1] != a || cosines[a - 1] < ExchangeCosine; }

  // Work containers, kept from one call to the next so that matching a
  // sample allocates nothing once the first samples have been matched.
  std::vector<TOpenAxis> open;
  std::vector<char> isOpen, reducedTaken, rowDone;
};

/// |x . y| for unit vectors of length p, at most 1 (rounding can exceed it).
double AbsoluteCosine(const double* x, const double* y, TSize p);

/// Compares reduced axes with full axes (each k axes of p coefficients, axis a
/// at (a - 1) * p, unit length). The one-to-one match keeps every mutual best
/// pair above and takes the others greedily, the largest |cosine| first (ties
/// to the lower axis numbers), the way resampling studies of principal
/// components align axes. Only the first `searched` full axes (at most k)
/// are searched and matched; the others keep their index-matched |cosine|,
/// are their own best match and stay in place (the axes of a zero
/// eigenvalue, which any rotation of the null space gives equally well).
/// `indexDots`, where given, are the k dot products of each reduced axis
/// with its index-matched full axis (DotProduct), already formed.
void MatchAxes(std::span<const double> fullAxes, std::span<const double> reducedAxes, TSize p,
               TSize k, TSize searched, TAxisMatch& match, std::span<const double> indexDots = {});

}  // namespace talvex
