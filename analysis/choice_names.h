// The names of the analysis's choices as the command line, the run record's
// command line and scripts write them: "correlation", "log10", "kaiser", ...
// One table per kind, so that a new choice is one entry; whoever reads or
// writes a name (the public option_names.h, the command line, the run
// record) reads these tables.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "analysis/analysis_options.h"

namespace talvex {

template <typename T>
struct TChoiceName {
  const char* name;
  T value;
};

std::span<const TChoiceName<DispersionMethod>> MethodChoices();
std::span<const TChoiceName<DataTransform>> TransformChoices();
/// FactorsNumber has no name: a chosen number of factors is given as a count.
std::span<const TChoiceName<FactorRule>> RuleChoices();

/// The name of `value`; nullptr when the table has none for it.
template <typename T>
const char* ChoiceName(std::span<const TChoiceName<T>> choices, T value) {
  for (const TChoiceName<T>& choice : choices)
    if (choice.value == value) return choice.name;
  return nullptr;
}

/// The choice called `name` (case matters); nullptr when none is.
template <typename T>
const T* ChoiceNamed(std::span<const TChoiceName<T>> choices, std::string_view name) {
  for (const TChoiceName<T>& choice : choices)
    if (name == choice.name) return &choice.value;
  return nullptr;
}

/// The names in the table's order, joined by `between`.
template <typename T>
std::string JoinedChoiceNames(std::span<const TChoiceName<T>> choices, std::string_view between) {
  std::string text;
  for (const TChoiceName<T>& choice : choices) {
    if (!text.empty()) text += between;
    text += choice.name;
  }
  return text;
}

}  // namespace talvex
