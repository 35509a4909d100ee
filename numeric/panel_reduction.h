// Householder reduction to tridiagonal form by panels, for the jackknife's
// larger reduced samples: the scheme of LAPACK's dsytrd/dlatrd on the lower
// triangle. Each panel of PanelWidth columns is reduced with the trailing
// matrix left as it was at the panel's start (its product with each
// reflection corrected by the panel's earlier reflections), and the whole
// panel then reaches the trailing matrix as one rank-2 PanelWidth update,
// a matrix-matrix product. Half of the 4/3 n^3 operations move into that
// product; the other half, the products with the trailing matrix, read it
// once per column instead of reading and writing it (the BLAS's dsymv, whose
// kernel outruns our lanes by about a third).
#pragma once

#include <cstddef>

#include "numeric/sizes.h"
#include "numeric/work_checkpoint.h"

namespace talvex {

/// Columns reduced per panel.
constexpr TSize PanelWidth = 16;

/// Below this order the one-pass reduction of blocked_reflections is as fast
/// (the trailing matrix stays in the first-level cache), so the panels stop
/// there and it reduces what is left.
constexpr TSize PanelCrossover = 128;

static_assert(PanelCrossover == FastArithmeticAbove,
              "the panels' reflections are scaled by reciprocals");

/// The contract of ReduceLowerBlocked (blocked_reflections.h): T = Q^T A Q,
/// diagonal[i] := T[i][i], coupling[i] := T[i+1][i], the reflections left in
/// the lower triangle of A, stored alike, so that everything that reads them
/// works unchanged. Agrees with ReduceLowerBlocked up to rounding. The
/// checkpoint, when given, is called after each column of a panel (one pass
/// over the trailing matrix) with the share of the reduction's work done.
void ReduceLowerPanels(double* A, std::size_t ld, TSize n, double* diagonal, double* coupling,
                       const TCheckpoint& checkpoint = {});

}  // namespace talvex
