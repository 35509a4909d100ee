// The iteration bound shared by both QL iterations (the exact scheme's
// TridiagonalQL and the jackknife solver's root-free eigenvalues), so that the
// two give up on the same input.
#pragma once

namespace talvex {

/// QL sweeps allowed for the whole matrix: 30 per eigenvalue on average.
/// With implicit shifts an eigenvalue converges cubically and needs one to
/// three sweeps on finite input; the bound only stops input whose split test
/// can never succeed (a NaN that reached the matrix).
constexpr unsigned long SweepsPerEigenvalue = 30;

}  // namespace talvex
