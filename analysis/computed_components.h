// How many components a run computes when it shows k of p variables: its
// scores (and, beyond ExactSchemeVariables, its axes) stop there, so a front
// end that shows more components than a run showed must run again.
#pragma once

#include "numeric/sizes.h"

namespace talvex {

/// The k shown, and a second one for the score plot, never more than p.
constexpr TSize ComputedComponents(TSize k, TSize p) {
  const TSize wanted = k < 2 ? 2 : k;
  return wanted < p ? wanted : p;
}

}  // namespace talvex
